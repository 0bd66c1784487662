#include "data/ShadowLines.h"
#include "data/modRegistry.h"

#include "platform/runtime/AnsiText.h"

namespace modRegistry {

namespace {

// A value's bytes twice over (accents take two bytes in UTF-8) and its key: a
// line far longer than a value's limit is no setting.
constexpr qsizetype MaxSettingLine = 2 * ValueBufferSize + 1024;

} // namespace

ShadowLines splitShadowLines(const QByteArray &bytes)
{
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

bool shadowLineMatches(const QString &line, const QString &lineKey)
{
    return line.startsWith(lineKey + QLatin1Char('='), Qt::CaseInsensitive);
}

QString shadowLineValue(const QByteArrayList &lines, const QString &keyPath, const QString &valueName)
{
    const QString lineKey = keyPath + QLatin1Char(':') + valueName;
    for (const QByteArray &bytes : lines) {
        if (bytes.size() > MaxSettingLine)
            continue;
        const QString line = platform::decodeAnsiText(bytes);
        if (line.size() > lineKey.size() && shadowLineMatches(line, lineKey))
            return line.mid(lineKey.size() + 1);
    }
    return QString();
}

} // namespace modRegistry
