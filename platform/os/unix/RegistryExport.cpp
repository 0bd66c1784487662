#include "platform/os/unix/RegistryExport.h"
#include "platform/runtime/AnsiText.h"

#include <QStringDecoder>
#include <QStringList>

#include <array>
#include <optional>

namespace platform::registryexport {

namespace {

constexpr std::array RootNames = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                  "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

QString decodeExport(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    // Without a byte-order mark the export is in the ANSI code page: UTF-8 as
    // written here, or Windows-1252 as a Windows desk's REGEDIT4 export is.
    return decodeAnsiText(bytes);
}

QStringList splitLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

bool isHeader(const QString &line)
{
    return line == QLatin1String("REGEDIT4") || line == QLatin1String("Windows Registry Editor Version 5.00");
}

struct QuotedText
{
    QString text;
    qsizetype end = 0; // index just past the closing quote
};

// A quoted text starting at `start`, with \\ and \" unescaped; any other
// backslash stays as written. Nothing when the closing quote is missing.
std::optional<QuotedText> readQuoted(const QString &line, qsizetype start)
{
    if (start >= line.size() || line.at(start) != QLatin1Char('"'))
        return std::nullopt;
    QString text;
    for (qsizetype i = start + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"'))
            return QuotedText{text, i + 1};
        if (c == QLatin1Char('\\')) {
            if (i + 1 >= line.size())
                return std::nullopt;
            const QChar next = line.at(i + 1);
            if (next == QLatin1Char('\\') || next == QLatin1Char('"')) {
                text += next;
                ++i;
                continue;
            }
        }
        text += c;
    }
    return std::nullopt;
}

bool onlySpaceFrom(const QString &line, qsizetype start)
{
    return line.mid(start).trimmed().isEmpty();
}

class ExportReader
{
public:
    RegistryTree tree;

    void section(const QString &line)
    {
        m_current.clear();
        if (!line.endsWith(QLatin1Char(']')))
            return;
        QString path = line.mid(1, line.size() - 2);
        const bool removal = path.startsWith(QLatin1Char('-'));
        if (removal)
            path.remove(0, 1);
        const qsizetype slash = path.indexOf(QLatin1Char('\\'));
        const QString root = canonicalRootName(slash < 0 ? path : path.left(slash));
        if (root.isEmpty())
            return;
        const QString key = treeKeyOf(root, slash < 0 ? QString() : path.mid(slash + 1));
        if (key.isEmpty())
            return;
        if (removal)
            removeKey(key);
        else
            m_current = addKey(key);
    }

    // Returns how many of the following lines belong to this value.
    int value(const QString &line, const QStringList &lines, qsizetype next)
    {
        QString name;
        qsizetype afterName = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            afterName = 1;
        } else {
            const auto quoted = readQuoted(line, 0);
            if (!quoted)
                return 0;
            name = quoted->text;
            afterName = quoted->end;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='), afterName);
        if (equals < 0 || !onlySpaceFrom(line.left(equals), afterName))
            return 0;
        const QString data = line.mid(equals + 1).trimmed();
        const int continued = continuationLines(data, lines, next);
        if (m_current.isEmpty())
            return continued;
        KeyValues &values = tree[m_current];
        const QString foldedName = name.toCaseFolded();
        if (data == QLatin1String("-")) {
            values.remove(foldedName);
        } else if (data.startsWith(QLatin1Char('"'))) {
            const auto text = readQuoted(data, 0);
            if (text && onlySpaceFrom(data, text->end))
                values.insert(foldedName, text->text);
        }
        // Other types (dword:, hex:, hex(n):) are no strings and are left out.
        return continued;
    }

private:
    QString m_current; // the section values go to; empty after a bad section

    // Binary values run on over lines that end in a backslash.
    static int continuationLines(const QString &data, const QStringList &lines, qsizetype next)
    {
        if (!data.startsWith(QLatin1String("hex")) || !data.endsWith(QLatin1Char('\\')))
            return 0;
        int count = 0;
        while (next + count < lines.size()) {
            const bool more = lines.at(next + count).trimmed().endsWith(QLatin1Char('\\'));
            ++count;
            if (!more)
                break;
        }
        return count;
    }

    QString addKey(const QString &key)
    {
        // Importing a key creates the keys above it.
        for (qsizetype slash = key.indexOf(QLatin1Char('\\')); slash >= 0;
             slash = key.indexOf(QLatin1Char('\\'), slash + 1))
            ensureKey(key.left(slash));
        ensureKey(key);
        return key;
    }

    void ensureKey(const QString &key)
    {
        if (!tree.contains(key))
            tree.insert(key, {});
    }

    void removeKey(const QString &key)
    {
        const QString below = key + QLatin1Char('\\');
        tree.removeIf([&](const RegistryTree::iterator &it) { return it.key() == key || it.key().startsWith(below); });
    }
};

} // namespace

QString canonicalRootName(const QString &rootName)
{
    for (const char *root : RootNames) {
        if (rootName.compare(QLatin1String(root), Qt::CaseInsensitive) == 0)
            return QLatin1String(root);
    }
    return QString();
}

QString treeKeyOf(const QString &rootName, const QString &subKey)
{
    if (subKey.isEmpty())
        return rootName.toCaseFolded();
    const QStringList parts = subKey.split(QLatin1Char('\\'));
    for (const QString &part : parts) {
        if (part.isEmpty())
            return QString();
    }
    return (rootName + QLatin1Char('\\') + subKey).toCaseFolded();
}

RegistryTree parseRegistryExport(const QByteArray &bytes)
{
    const QStringList lines = splitLines(decodeExport(bytes));
    qsizetype index = 0;
    while (index < lines.size() && lines.at(index).trimmed().isEmpty())
        ++index;
    if (index >= lines.size() || !isHeader(lines.at(index).trimmed()))
        return {};

    ExportReader reader;
    for (++index; index < lines.size(); ++index) {
        const QString line = lines.at(index).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')))
            reader.section(line);
        else
            index += reader.value(line, lines, index + 1);
    }
    return reader.tree;
}

} // namespace platform::registryexport
