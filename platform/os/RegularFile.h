#pragma once

#include <QFile>
#include <QString>

namespace platform {

// Opens path for reading when it is a plain file. A pipe or device put in a
// settings file's place is not opened, so it can never hold the desk.
bool openRegularFile(QFile &file, const QString &path);

// Opens path for appending, creating it when missing, when it is a plain file
// and no link: a link planted in a shared folder must not lead the writer into
// a file of someone else's, nor a pipe hold it.
bool appendToRegularFile(QFile &file, const QString &path);

} // namespace platform
