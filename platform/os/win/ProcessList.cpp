#include "platform/os/ProcessList.h"

// The Tool Help header needs the base types of windows.h declared first.
#include <windows.h>

#include <tlhelp32.h>

#include <QCoreApplication>
#include <QWinEventNotifier>

#include <cstring>

namespace platform {

// Wide forms throughout: Qt defines UNICODE, and naming them keeps the record
// layout and the names' decoding the same whatever it says.
std::optional<std::vector<ProcessEntry>> processSnapshot()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<ProcessEntry> entries;
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        entries.push_back({static_cast<qint64>(entry.th32ProcessID), QString::fromWCharArray(entry.szExeFile)});
    }
    CloseHandle(snapshot);
    return entries;
}

qint64 currentProcessId()
{
    return static_cast<qint64>(GetCurrentProcessId());
}

namespace {

// The event a copy of the program waits on to be asked to end, one per
// process of the session.
std::wstring endEventName(qint64 id)
{
    return QStringLiteral("Local\\VelunasEndRequest.%1").arg(id).toStdWString();
}

// True when the process listens for the request and was given it.
bool askToEnd(qint64 id)
{
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, endEventName(id).c_str());
    if (!event)
        return false;
    const bool asked = SetEvent(event) != 0;
    CloseHandle(event);
    return asked;
}

} // namespace

bool terminateProcess(qint64 id, const std::function<bool(const QString &imageName)> &stillMatches, int graceMs)
{
    // While the handle is open the id cannot pass to another process, so the
    // name read through it belongs to the process that is asked or ended.
    HANDLE process =
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process)
        return false;
    constexpr DWORD capacity = 32768; // the longest path Windows gives out
    wchar_t path[capacity] = {};
    DWORD length = capacity;
    const bool same =
        QueryFullProcessImageNameW(process, 0, path, &length) && stillMatches(QString::fromWCharArray(path, length));
    bool ended = same && graceMs > 0 && askToEnd(id) &&
                 WaitForSingleObject(process, static_cast<DWORD>(graceMs)) == WAIT_OBJECT_0;
    if (same && !ended)
        ended = TerminateProcess(process, 0) != 0;
    CloseHandle(process);
    return ended;
}

void terminateCurrentProcess()
{
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

namespace {

std::function<void()> &beforeEndHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

void onEndRequest(std::function<void()> beforeEnd)
{
    beforeEndHandler() = std::move(beforeEnd);
    static HANDLE event = nullptr;
    if (event || !QCoreApplication::instance())
        return;
    event = CreateEventW(nullptr, FALSE, FALSE, endEventName(GetCurrentProcessId()).c_str());
    if (!event)
        return;
    auto *notifier = new QWinEventNotifier(event, QCoreApplication::instance());
    QObject::connect(notifier, &QWinEventNotifier::activated, [] {
        if (beforeEndHandler())
            beforeEndHandler()();
        terminateCurrentProcess();
    });
}

} // namespace platform
