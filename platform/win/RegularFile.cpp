#include "platform/RegularFile.h"

#include <QFileInfo>

namespace platform {

bool openRegularFile(QFile &file, const QString &path)
{
    file.setFileName(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

} // namespace platform
