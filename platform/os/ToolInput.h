#pragma once

#include <QFile>
#include <QString>

namespace platform {

// Opens what a tool is told to read, unbuffered: a file, a pipe, or with "-"
// standard input (in binary mode). A device (a terminal, /dev/zero, a disk)
// or a folder is refused with why in *why: reading it would never begin or
// never end.
bool openToolInput(QFile &file, const QString &path, QString *why);

} // namespace platform
