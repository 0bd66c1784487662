#pragma once

#include <QFile>
#include <QString>

namespace platform {

// Opens path for reading when it is a plain file. A pipe or device put in a
// settings file's place is not opened, so it can never hold the desk.
bool openRegularFile(QFile &file, const QString &path);

} // namespace platform
