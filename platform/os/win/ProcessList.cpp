#include "platform/os/ProcessList.h"

// The Tool Help header needs the base types of windows.h declared first.
#include <windows.h>

#include <tlhelp32.h>

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

bool terminateProcess(qint64 id, const std::function<bool(const QString &imageName)> &stillMatches)
{
    // While the handle is open the id cannot pass to another process, so the
    // name read through it belongs to the process that is ended.
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (!process)
        return false;
    constexpr DWORD capacity = 32768; // the longest path Windows gives out
    wchar_t path[capacity] = {};
    DWORD length = capacity;
    const bool same =
        QueryFullProcessImageNameW(process, 0, path, &length) && stillMatches(QString::fromWCharArray(path, length));
    const bool ended = same && TerminateProcess(process, 0) != 0;
    CloseHandle(process);
    return ended;
}

void terminateCurrentProcess()
{
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

} // namespace platform
