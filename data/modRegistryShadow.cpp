#include "data/ShadowFile.h"
#include "data/ShadowLines.h"
#include "data/modDirectorios.h"
#include "data/modRegistry.h"

#include "platform/os/FileReplace.h"
#include "platform/os/RegularFile.h"
#include "platform/os/SpecialFolders.h"
#include "platform/runtime/AnsiText.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace modRegistry {

namespace {

ShadowReplaceHook &replaceHook()
{
    static ShadowReplaceHook hook;
    return hook;
}

QString shadowFolderFile(const QString &name)
{
    const QString separator = QDir::separator();
    return modDirectorios::ObterPastaEspecial(platform::Csidl::CommonAppData) + separator +
           QStringLiteral("ZEFA Software") + separator + name;
}

// The shadow file's lines as stored (UTF-8 or the ANSI code page); nothing
// when the file cannot be read.
std::optional<ShadowLines> readShadowLines()
{
    QFile file;
    if (!platform::openRegularFile(file, shadowFilePath()))
        return std::nullopt;
    const QByteArray bytes = file.read(MaxShadowBytes + 1);
    // A failed read is no empty file: a rewrite from it would drop every line.
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return splitShadowLines(bytes);
}

// Writes the new shadow file beside the old one and lets it take the old
// one's place in one rename, so that the shadow file is never half written.
bool rewriteShadow(const QByteArrayList &lines)
{
    QFile temp;
    if (!platform::createNewFile(temp, shadowTempPath()))
        return false;
    const QString tempPath = temp.fileName();
    bool written = platform::copyFileAccess(temp, shadowFilePath());
    for (const QByteArray &line : lines) {
        const QByteArray ended = line + "\r\n";
        written = written && temp.write(ended) == ended.size();
    }
    written = written && platform::flushFileToDisk(temp);
    temp.close();
    if (!written) {
        QFile::remove(tempPath);
        return false;
    }
    if (replaceHook() && !replaceHook()(tempPath))
        return false;
    if (!platform::replaceFile(tempPath, shadowFilePath())) {
        QFile::remove(tempPath);
        return false;
    }
    return true;
}

} // namespace

QString shadowFilePath()
{
    return shadowFolderFile(QStringLiteral("RegShadow.db"));
}

QString shadowTempPath()
{
    return shadowFolderFile(QStringLiteral("RegShadow.tmp"));
}

void setShadowReplaceHook(ShadowReplaceHook hook)
{
    replaceHook() = std::move(hook);
}

QString LerValorShadow(const QString &keyPath, const QString &valueName)
{
    try {
        if (!modDirectorios::FicheiroTemConteudo(shadowFilePath()))
            return QString();
        const auto lines = readShadowLines();
        if (lines)
            return shadowLineValue(lines->lines, keyPath, valueName);
    } catch (...) {
        // A shadow file that cannot be read holds nothing; the registry answers.
    }
    return QString();
}

bool GravarValorShadow(const QString &keyPath, const QString &valueName, const QString &value)
{
    try {
        const QString lineKey = keyPath + QLatin1Char(':') + valueName;
        const QString newLine = lineKey + QLatin1Char('=') + value;
        const auto lines = readShadowLines();
        // A file too large to have been read whole cannot be copied whole.
        if (!lines || !lines->whole)
            return false;
        for (const QByteArray &line : lines->lines) {
            if (platform::decodeAnsiText(line) == newLine)
                return true;
        }

        // Written as UTF-8, which the reader takes first: the ANSI code page
        // of Windows would turn what it lacks into '?'.
        QByteArrayList rewritten;
        bool replaced = false;
        for (const QByteArray &line : lines->lines) {
            if (!shadowLineMatches(platform::decodeAnsiText(line), lineKey)) {
                rewritten.append(line);
            } else if (!replaced) {
                rewritten.append(newLine.toUtf8());
                replaced = true;
            }
        }
        if (!replaced)
            rewritten.append(newLine.toUtf8());
        return rewriteShadow(rewritten);
    } catch (...) {
        return false;
    }
}

} // namespace modRegistry
