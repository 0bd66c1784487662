#include "data/ShadowFile.h"
#include "data/modDirectorios.h"
#include "data/modRegistry.h"

#include "platform/AnsiText.h"
#include "platform/FileReplace.h"
#include "platform/RegularFile.h"
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

// Any operator can write the shadow file: no more of it is read than a desk's
// settings need, and a line far longer than a value's limit is no setting.
constexpr qint64 MaxShadowBytes = 1024 * 1024;
// A value's bytes twice over (accents take two bytes in UTF-8) and its key.
constexpr qsizetype MaxSettingLine = 2 * ValueBufferSize + 1024;

struct ShadowLines
{
    QByteArrayList lines;
    bool whole = true; // false when the file ran past MaxShadowBytes
};

// The shadow file's lines as stored (ANSI code page), without their line
// ends; nothing when the file cannot be read. Lines are kept as bytes so that
// a rewrite copies the other settings' lines byte for byte.
std::optional<ShadowLines> readShadowLines()
{
    QFile file;
    if (!platform::openRegularFile(file, shadowFilePath()))
        return std::nullopt;
    const QByteArray bytes = file.read(MaxShadowBytes + 1);
    // A failed read is no empty file: a rewrite from it would drop every line.
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    ShadowLines shadow;
    shadow.whole = bytes.size() <= MaxShadowBytes;
    shadow.lines = bytes.split('\n');
    // The last line is cut short when the file ran past the limit, and is
    // only the end of the file when that ends in a line end.
    if (!shadow.whole || shadow.lines.constLast().isEmpty())
        shadow.lines.removeLast();
    for (QByteArray &line : shadow.lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return shadow;
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
        const QString lineKey = keyPath + QLatin1Char(':') + valueName;
        if (!modDirectorios::FicheiroTemConteudo(shadowFilePath()))
            return QString();
        const auto lines = readShadowLines();
        if (!lines)
            return QString();
        for (const QByteArray &bytes : lines->lines) {
            if (bytes.size() > MaxSettingLine)
                continue;
            const QString line = platform::decodeAnsiText(bytes);
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
        // A file too large to have been read whole cannot be copied whole.
        if (!lines || !lines->whole)
            return false;
        for (const QByteArray &line : lines->lines) {
            if (platform::decodeAnsiText(line) == newLine)
                return true;
        }

        QByteArrayList rewritten;
        bool replaced = false;
        for (const QByteArray &line : lines->lines) {
            if (!lineMatches(platform::decodeAnsiText(line), lineKey)) {
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
