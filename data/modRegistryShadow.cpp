#include "data/ShadowFile.h"
#include "data/modDirectorios.h"
#include "data/modRegistry.h"

#include "platform/FileReplace.h"
#include "platform/SpecialFolders.h"

#include <QByteArrayList>
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

// The shadow file's lines as stored (ANSI code page), without their line
// ends; nothing when the file cannot be read. Lines are kept as bytes so that
// a rewrite copies the other settings' lines byte for byte.
std::optional<QByteArrayList> readShadowLines()
{
    QFile file(shadowFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArrayList lines;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

// A line belongs to the setting when it begins with "key:name=", in any case.
bool lineMatches(const QString &line, const QString &lineKey)
{
    return line.startsWith(lineKey + QLatin1Char('='), Qt::CaseInsensitive);
}

// Writes the new shadow file beside the old one and lets it take the old
// one's place in one rename, so that the shadow file is never half written.
bool rewriteShadow(const QByteArrayList &lines)
{
    const QString tempPath = shadowTempPath();
    QFile temp(tempPath);
    if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    bool written = true;
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
        const QString lineKey = keyPath + QLatin1Char(':') + valueName;
        if (!modDirectorios::FicheiroTemConteudo(shadowFilePath()))
            return QString();
        const auto lines = readShadowLines();
        if (!lines)
            return QString();
        for (const QByteArray &bytes : *lines) {
            const QString line = QString::fromLocal8Bit(bytes);
            if (line.size() > lineKey.size() && lineMatches(line, lineKey))
                return line.mid(lineKey.size() + 1);
        }
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
        if (!lines)
            return false;
        for (const QByteArray &line : *lines) {
            if (QString::fromLocal8Bit(line) == newLine)
                return true;
        }

        QByteArrayList rewritten;
        bool replaced = false;
        for (const QByteArray &line : *lines) {
            if (!lineMatches(QString::fromLocal8Bit(line), lineKey)) {
                rewritten.append(line);
            } else if (!replaced) {
                rewritten.append(newLine.toLocal8Bit());
                replaced = true;
            }
        }
        if (!replaced)
            rewritten.append(newLine.toLocal8Bit());
        return rewriteShadow(rewritten);
    } catch (...) {
        return false;
    }
}

} // namespace modRegistry
