#include "platform/os/FileReplace.h"

#include <QRandomGenerator>

namespace platform {

bool createNewFile(QFile &file, const QString &preferredPath)
{
    // Enough tries that only an unwritable folder, never chance, exhausts them.
    constexpr int Attempts = 16;
    QString path = preferredPath;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        file.setFileName(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        path = preferredPath + QLatin1Char('.') +
               QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    }
    return false;
}

} // namespace platform
