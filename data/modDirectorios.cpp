#include "data/modDirectorios.h"

#include "platform/os/RegularFile.h"
#include "platform/os/SpecialFolders.h"
#include "platform/runtime/TrimSpaces.h"

#include <QFile>

namespace modDirectorios {

QString ObterPastaEspecial(int folderNumber)
{
    try {
        QString path = platform::specialFolderPath(folderNumber);
        // The shell hands back a fixed buffer: only the text before its NUL counts.
        const qsizetype nul = path.indexOf(QChar(u'\0'));
        if (nul >= 0)
            path.truncate(nul);
        return platform::trimSpaces(path);
    } catch (...) {
        return QString();
    }
}

bool FicheiroTemConteudo(const QString &path)
{
    try {
        QFile file;
        if (!platform::openRegularFile(file, path))
            return false;
        // The first character settles it; a first line of any length is not read.
        char first = 0;
        return file.getChar(&first) && first != '\n' && first != '\r';
    } catch (...) {
        return false;
    }
}

} // namespace modDirectorios
