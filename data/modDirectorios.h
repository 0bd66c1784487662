#pragma once

#include <QString>

// The shell's special folders and a quick look into a file.
namespace modDirectorios {

// The path of the special folder with this CSIDL number (35 is the common
// application-data folder); empty text when there is none.
QString ObterPastaEspecial(int folderNumber);

// True when the file opens for reading and its first line is not empty.
bool FicheiroTemConteudo(const QString &path);

} // namespace modDirectorios
