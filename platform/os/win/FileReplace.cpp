#include "platform/os/FileReplace.h"

#include <QDir>

#include <io.h>
#include <windows.h>

namespace platform {

bool flushFileToDisk(QFile &file)
{
    if (!file.flush())
        return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

bool copyFileAccess(QFile & /*file*/, const QString & /*modelPath*/)
{
    // The new file takes its access from the folder the old one is in.
    return true;
}

bool replaceFile(const QString &source, const QString &target)
{
    const QString from = QDir::toNativeSeparators(source);
    const QString to = QDir::toNativeSeparators(target);
    return MoveFileExW(reinterpret_cast<LPCWSTR>(from.utf16()), reinterpret_cast<LPCWSTR>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

} // namespace platform
