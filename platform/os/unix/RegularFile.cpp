#include "platform/os/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Not blocking, so that opening a pipe returns at once and can be refused.
bool openPlain(QFile &file, const QString &path, int flags, QIODevice::OpenMode mode)
{
    const int handle = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (handle < 0)
        return false;
    struct stat status = {};
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(handle, mode, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return false;
    }
    return true;
}

} // namespace

bool openRegularFile(QFile &file, const QString &path)
{
    return openPlain(file, path, O_RDONLY, QIODevice::ReadOnly);
}

bool appendToRegularFile(QFile &file, const QString &path)
{
    return openPlain(file, path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace platform
