#include "platform/os/FileReplace.h"

#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool flushFileToDisk(QFile &file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool copyFileAccess(QFile &file, const QString &modelPath)
{
    struct stat model = {};
    if (::stat(QFile::encodeName(modelPath).constData(), &model) != 0)
        return false;
    const int handle = file.handle();
    // Only a privileged writer may give the file away; others keep at least
    // the group where they belong to it, and neither refusal stops the write.
    if (::fchown(handle, model.st_uid, model.st_gid) != 0)
        (void)::fchown(handle, uid_t(-1), model.st_gid);
    return ::fchmod(handle, model.st_mode & 0777) == 0;
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
