#pragma once

#include <QString>

namespace modProcessos {

// The image name of the desk's own program file, ended by "&Fechar".
QString ProgramImageName();

// Ends every running process whose image name ends with `name` (case ignored,
// path stripped), the calling one last; each other one is asked first and
// given a few seconds. True when ending the last match succeeded.
bool KillProcessByName(const QString &name);

// The matching rule alone, for an image name as the process list gives it.
bool ImageNameMatches(const QString &imageName, const QString &name);

} // namespace modProcessos
