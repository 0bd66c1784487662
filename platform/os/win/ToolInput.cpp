#include "platform/os/ToolInput.h"

#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

bool openToolInput(QFile &file, const QString &path, QString *why)
{
    if (path == QLatin1String("-")) {
        const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
        // A console, or NUL: nothing a spreadsheet wrote.
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) == FILE_TYPE_CHAR) {
            *why = QStringLiteral("standard input is a console or a device, not a file: redirect the file to it");
            return false;
        }
        // Text mode would drop every CR and stop at the first Ctrl-Z. Read
        // through the descriptor: through the FILE, Qt on Windows answers a
        // read after the end with an error rather than with nothing.
        _setmode(_fileno(stdin), _O_BINARY);
        if (!file.open(_fileno(stdin), QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
            *why = file.errorString();
            return false;
        }
        return true;
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        *why = QStringLiteral("%1 is not there").arg(path);
        return false;
    }
    if (!info.isFile()) {
        *why = QStringLiteral("%1 is a folder or a device, not a file").arg(path);
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        *why = QStringLiteral("%1 cannot be opened: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace platform
