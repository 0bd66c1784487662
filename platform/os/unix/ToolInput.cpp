#include "platform/os/ToolInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString refusal(const struct stat &status, const QString &what)
{
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is a folder, not a file").arg(what);
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return QStringLiteral("%1 is a device, not a file: give a file, a pipe, or - with the file "
                              "redirected to it")
            .arg(what);
    return QString();
}

bool openHandle(QFile &file, int handle, const QString &what, QFileDevice::FileHandleFlags flags, QString *why)
{
    struct stat status = {};
    if (::fstat(handle, &status) != 0) {
        *why = QStringLiteral("%1 cannot be read").arg(what);
        return false;
    }
    *why = refusal(status, what);
    if (!why->isEmpty())
        return false;
    if (!file.open(handle, QIODevice::ReadOnly | QIODevice::Unbuffered, flags)) {
        *why = QStringLiteral("%1 cannot be read: %2").arg(what, file.errorString());
        return false;
    }
    return true;
}

} // namespace

bool openToolInput(QFile &file, const QString &path, QString *why)
{
    if (path == QLatin1String("-"))
        return openHandle(file, STDIN_FILENO, QStringLiteral("standard input"), QFileDevice::DontCloseHandle, why);
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a device may already act on it.
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0) {
        *why = QStringLiteral("%1 is not there").arg(path);
        return false;
    }
    *why = refusal(status, path);
    if (!why->isEmpty())
        return false;
    const int handle = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) {
        *why = QStringLiteral("%1 cannot be opened").arg(path);
        return false;
    }
    // Checked again on what was opened, should the path have changed since.
    if (!openHandle(file, handle, path, QFileDevice::AutoCloseHandle, why)) {
        ::close(handle);
        return false;
    }
    return true;
}

} // namespace platform
