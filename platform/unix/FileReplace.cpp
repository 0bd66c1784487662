#include "platform/FileReplace.h"

#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

bool flushFileToDisk(QFile &file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool replaceFile(const QString &source, const QString &target)
{
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    // The rename itself lasts only once the folder's entry is on the disk.
    const int folder = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace platform
