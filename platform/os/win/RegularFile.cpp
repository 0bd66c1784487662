#include "platform/os/RegularFile.h"

#include <QFileInfo>

namespace platform {

bool openRegularFile(QFile &file, const QString &path)
{
    file.setFileName(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

bool appendToRegularFile(QFile &file, const QString &path)
{
    file.setFileName(path);
    const QFileInfo info(path);
    return (!info.exists() || (info.isFile() && !info.isSymLink())) &&
           file.open(QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace platform
