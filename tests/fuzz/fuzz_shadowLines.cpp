// The shadow file is writable by every operator: whatever bytes it holds, the
// settings read from it are whole lines of it, and nothing else.
#include "data/ShadowLines.h"
#include "platform/runtime/AnsiText.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QStringList>

using namespace modRegistry;

namespace {

// The value read must be the rest of a line that names the setting.
void checkValue(const ShadowLines &shadow, const QString &keyPath, const QString &valueName)
{
    const QString value = shadowLineValue(shadow.lines, keyPath, valueName);
    if (value.isEmpty())
        return;
    const QString lineKey = keyPath + QLatin1Char(':') + valueName + QLatin1Char('=');
    bool found = false;
    for (const QByteArray &line : shadow.lines) {
        const QString text = platform::decodeAnsiText(line);
        found = found || (text.startsWith(lineKey, Qt::CaseInsensitive) && text.mid(lineKey.size()) == value);
    }
    fuzz::check(found, "a value read is the rest of one of the file's lines", lineKey + value);
    fuzz::check(!value.contains(QLatin1Char('\n')), "a value holds no line end", value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The desk reads no more of the file than this.
    const QByteArray bytes = fuzz::bytesOf(data, size).left(MaxShadowBytes + 1);
    const ShadowLines shadow = splitShadowLines(bytes);
    fuzz::check(shadow.whole == (bytes.size() <= MaxShadowBytes), "a file past the limit is not whole");
    for (const QByteArray &line : shadow.lines)
        fuzz::check(!line.contains('\n'), "lines hold no line end");

    static const QStringList entries = {QStringLiteral("SqlServer"), QStringLiteral("HALDOR"), QStringLiteral("MIRVA")};
    static const QStringList names = {QStringLiteral("dtSecurityInfo"), QStringLiteral("dtUser"),
                                      QStringLiteral("dtPassword"), QStringLiteral("dtInitialCatalog"),
                                      QStringLiteral("dtDataSource")};
    for (const QString &entry : entries)
        for (const QString &name : names)
            checkValue(shadow, QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\") + entry, name);
    // Also the setting the file's first line names, so that the fuzzer finds matches of its own.
    if (!shadow.lines.isEmpty()) {
        const QString first = platform::decodeAnsiText(shadow.lines.constFirst());
        const qsizetype colon = first.lastIndexOf(QLatin1Char(':'), first.indexOf(QLatin1Char('=')));
        if (colon >= 0) {
            const qsizetype equals = first.indexOf(QLatin1Char('='), colon);
            checkValue(shadow, first.left(colon), first.mid(colon + 1, equals < 0 ? -1 : equals - colon - 1));
        }
    }
    return 0;
}
