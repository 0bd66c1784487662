#include "platform/ProcessList.h"

#include <tlhelp32.h>
#include <windows.h>

#include <cstring>

namespace platform {

std::optional<std::vector<ProcessEntry>> processSnapshot()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<ProcessEntry> entries;
    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        entries.push_back({static_cast<qint64>(entry.th32ProcessID), QString::fromLocal8Bit(entry.szExeFile)});
    CloseHandle(snapshot);
    return entries;
}

qint64 currentProcessId()
{
    return static_cast<qint64>(GetCurrentProcessId());
}

bool terminateProcess(qint64 id)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id));
    const bool ended = TerminateProcess(process, 0) != 0;
    if (process)
        CloseHandle(process);
    return ended;
}

void terminateCurrentProcess()
{
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

} // namespace platform
