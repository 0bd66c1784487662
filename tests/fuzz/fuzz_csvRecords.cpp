// A member list comes from whatever a site's spreadsheet wrote: any bytes read
// into records held within the reader's limits, the same however the input
// is cut into pieces, and rows a correct writer wrote read back as those rows.
#include "platform/runtime/AnsiText.h"
#include "sitetools/import/CsvRecords.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace {

// Hands its bytes over a few at a time, as a pipe may.
class Trickle : public QIODevice
{
public:
    Trickle(QByteArray bytes, int step) : m_bytes(std::move(bytes)), m_step(step)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = std::min<qint64>({maxSize, m_step, m_bytes.size() - m_position});
        std::copy_n(m_bytes.constData() + m_position, count, data);
        m_position += count;
        m_step = m_step % 7 + 1; // 1 to 7 bytes, never the same cut twice running
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_position = 0;
    int m_step;
};

csv::Records readTrickled(const QByteArray &bytes, int step, csv::Limits limits)
{
    Trickle input(bytes, step);
    csv::Reader reader(input, limits);
    csv::Records result;
    csv::Record record;
    while (reader.next(record))
        result.records << record;
    result.separator = reader.separator();
    result.problem = reader.problem();
    return result;
}

QString described(const csv::Records &read)
{
    QStringList lines{QStringLiteral("separator %1, problem: %2").arg(read.separator, read.problem)};
    for (const csv::Record &record : read.records)
        lines << QStringLiteral("line %1, %2 fields%3: [%4]")
                     .arg(record.line)
                     .arg(record.fieldCount)
                     .arg(record.cut ? QStringLiteral(" cut") : QString(), record.fields.join(QStringLiteral("|")));
    return lines.join(u'\n');
}

bool sameRecords(const csv::Records &a, const csv::Records &b)
{
    if (a.separator != b.separator || a.problem != b.problem || a.records.size() != b.records.size())
        return false;
    for (qsizetype i = 0; i < a.records.size(); ++i) {
        const csv::Record &x = a.records.at(i);
        const csv::Record &y = b.records.at(i);
        if (x.line != y.line || x.fields != y.fields || x.fieldCount != y.fieldCount || x.cut != y.cut)
            return false;
    }
    return true;
}

void checkWithinLimits(const csv::Records &read, const csv::Limits &limits, qsizetype inputSize)
{
    qint64 line = 0;
    for (const csv::Record &record : read.records) {
        fuzz::check(record.line > line, "records come in the order of their lines", described(read));
        line = record.line;
        fuzz::check(record.fields.size() <= limits.fields, "no more fields kept than the limit", described(read));
        fuzz::check(record.fieldCount >= record.fields.size(), "the count holds the fields kept", described(read));
        fuzz::check(record.cut || record.fieldCount == record.fields.size(), "fields left out mark the record cut",
                    described(read));
        for (const QString &field : record.fields)
            fuzz::check(field.size() <= limits.fieldChars, "no field kept longer than the limit", field);
    }
    if (inputSize > limits.fileBytes)
        fuzz::check(!read.problem.isEmpty(), "an input past the limit is refused", described(read));
}

// A correct writer, as a spreadsheet saves: fields holding a separator, a
// quote or a line end in quotes, a lone blank field too (it would read as a
// blank line), "," only where the header shows it.
QString written(const QList<QStringList> &rows, QChar separator, const QString &lineEnd, bool lastLineEnd)
{
    QString text;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QStringList fields;
        for (const QString &field : rows.at(r)) {
            const bool quoted = field.contains(u';') || field.contains(u',') || field.contains(u'"') ||
                                field.contains(u'\r') || field.contains(u'\n') ||
                                (rows.at(r).size() == 1 && field.trimmed().isEmpty());
            fields << (quoted ? u'"' + QString(field).replace(u"\""_qs, u"\"\""_qs) + u'"' : field);
        }
        text += fields.join(separator);
        if (r + 1 < rows.size() || lastLineEnd)
            text += lineEnd;
    }
    return text;
}

// The bytes of text in Windows-1252, or empty when a character has none.
QByteArray windows1252(const QString &text)
{
    static const QHash<char16_t, char> high = [] {
        QHash<char16_t, char> map;
        for (int byte = 0x80; byte <= 0xFF; ++byte)
            map.insert(platform::windows1252Character(static_cast<unsigned char>(byte)).unicode(), char(byte));
        return map;
    }();
    QByteArray bytes;
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            bytes += char(c.unicode());
        else if (const auto found = high.constFind(c.unicode()); found != high.cend())
            bytes += *found;
        else
            return {};
    }
    return bytes;
}

bool adjacentHighBytes(const QByteArray &bytes)
{
    for (qsizetype i = 1; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes.at(i - 1)) >= 0x80 && static_cast<unsigned char>(bytes.at(i)) >= 0x80)
            return true;
    return false;
}

void checkRoundTrip(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    const auto options = static_cast<unsigned char>(bytes.at(0));
    // Rows and fields of the rest, split at the two separators of ASCII.
    // A line break in a cell reads as LF, however the file wrote it.
    QString content = QString::fromUtf8(bytes.sliced(1));
    content.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    QList<QStringList> rows;
    for (const QString &row : content.split(QChar(0x1E)))
        rows << row.split(QChar(0x1F));
    const QChar separator = (options & 1) && rows.first().size() > 1 ? QLatin1Char(',') : QLatin1Char(';');
    static const QStringList lineEnds = {u"\r\n"_qs, u"\n"_qs, u"\r"_qs};
    const QString text = written(rows, separator, lineEnds.at((options >> 1) % 3), options & 8);

    const bool mark = (options & 16) || text.startsWith(QChar(0xFEFF)); // else the first character reads as a mark
    QByteArray encoded = (mark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
    if (options & 32) {
        // In Windows-1252 when it can be, and no two bytes could be read as UTF-8.
        const QByteArray ansi = windows1252(text);
        if (!ansi.isEmpty() && !adjacentHighBytes(ansi))
            encoded = ansi;
    }
    const csv::Limits limits{1 << 20, 1 << 20};
    const csv::Records read = readTrickled(encoded, options % 7 + 1, limits);
    QList<QStringList> readRows;
    for (const csv::Record &record : read.records)
        readRows << record.fields;
    fuzz::check(read.problem.isEmpty() && read.separator == separator && readRows == rows,
                "rows written read back as they were", text + u"\n--- read as:\n"_qs + described(read));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const csv::Records whole = csv::readRecords(bytes);
    checkWithinLimits(whole, csv::Limits(), bytes.size());
    const csv::Records trickled = readTrickled(bytes, int(size % 7) + 1, csv::Limits());
    fuzz::check(sameRecords(whole, trickled), "the pieces a file comes in change nothing",
                described(whole) + u"\n--- in pieces:\n"_qs + described(trickled));

    const csv::Limits tight{8, 4, 256, 1024};
    checkWithinLimits(readTrickled(bytes, 3, tight), tight, bytes.size());
    checkRoundTrip(bytes);
    return 0;
}
