#include "sitetools/import/CsvRecords.h"

#include <QBuffer>

namespace csv {

namespace {

constexpr qint64 ChunkBytes = 64 * 1024;
// The header row is looked at whole to choose the separator, up to this much.
constexpr qsizetype HeaderLookahead = 1024 * 1024;

struct FirstLine
{
    bool ended = false;
    QChar separator;
};

FirstLine firstLine(QStringView text)
{
    int semicolons = 0;
    int commas = 0;
    bool quoted = false;
    bool ended = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) {
            ended = true;
            break;
        } else if (!quoted && c == QLatin1Char(';')) {
            ++semicolons;
        } else if (!quoted && c == QLatin1Char(',')) {
            ++commas;
        }
    }
    return {ended, commas > semicolons ? QLatin1Char(',') : QLatin1Char(';')};
}

} // namespace

Reader::Reader(QIODevice &input, Limits limits) : m_input(input), m_limits(limits)
{
    m_record.line = 1;
}

bool Reader::next(Record &record)
{
    if (m_separator.isNull()) {
        const auto header = [this] { return firstLine(QStringView(m_text).left(HeaderLookahead)); };
        while (!header().ended && !m_atEnd && m_problemAhead.isEmpty() && m_problem.isEmpty() &&
               m_text.size() < HeaderLookahead)
            fill();
        m_separator = header().separator;
    }
    while (m_problem.isEmpty()) {
        while (m_position < m_text.size()) {
            const bool ended = step(m_text.at(m_position++));
            if (!m_problem.isEmpty())
                return false;
            if (ended && takeRecord(record))
                return true;
        }
        // What came before the refused part is read as it would be in any
        // other pieces.
        if (!m_problemAhead.isEmpty()) {
            m_problem = m_problemAhead;
            return false;
        }
        if (m_atEnd) {
            if (m_state == State::Quoted) {
                m_problem = QStringLiteral("line %1: a quoted field opens here and is never closed, so the rest of "
                                           "the file would be one field")
                                .arg(m_quoteLine);
                return false;
            }
            if (m_state == State::FieldStart && m_record.fieldCount == 0)
                return false;
            endField();
            m_state = State::FieldStart;
            return takeRecord(record);
        }
        fill();
    }
    return false;
}

bool Reader::fill()
{
    if (m_position > 0) {
        m_text.remove(0, m_position);
        m_position = 0;
    }
    m_chunk.resize(ChunkBytes);
    const qint64 got = m_input.read(m_chunk.data(), ChunkBytes);
    if (got < 0) {
        m_problem = QStringLiteral("the file cannot be read: %1").arg(m_input.errorString());
        return false;
    }
    if (got == 0) {
        m_atEnd = true;
        if (!m_decoder.finish(m_text))
            m_problemAhead = m_decoder.problem();
        return m_problemAhead.isEmpty();
    }
    const qint64 allowed = qMin(got, m_limits.fileBytes - m_bytesRead);
    m_bytesRead += got;
    if (!m_decoder.decode(QByteArrayView(m_chunk.constData(), allowed), m_text))
        m_problemAhead = m_decoder.problem();
    else if (allowed < got)
        m_problemAhead = QStringLiteral("the input goes on past %1, more than any member list: a device, or a "
                                        "stream that never ends?")
                             .arg(m_limits.fileBytes >= 1024 * 1024
                                      ? QStringLiteral("%1 MiB").arg(m_limits.fileBytes / (1024 * 1024))
                                      : QStringLiteral("%1 bytes").arg(m_limits.fileBytes));
    return m_problemAhead.isEmpty();
}

bool Reader::step(QChar c)
{
    const char16_t u = c.unicode();
    if (m_skipLineFeed) {
        m_skipLineFeed = false;
        if (u == u'\n')
            return false;
    }
    m_lineOpen = true;
    if (++m_recordChars > m_limits.recordChars) {
        m_problem = QStringLiteral("line %1: a record runs on past %2 characters without ending; no "
                                   "spreadsheet writes that")
                        .arg(m_record.line)
                        .arg(m_limits.recordChars);
        return false;
    }
    const bool lineEnd = u == u'\n' || u == u'\r';
    if (m_state == State::Quoted) {
        if (u == u'"') {
            m_state = State::QuoteInQuoted;
        } else if (lineEnd) {
            append(QLatin1Char('\n')); // a CR LF in a cell is one line break
            endLine();
            m_skipLineFeed = u == u'\r';
        } else {
            append(c);
        }
        return false;
    }
    if (m_state == State::QuoteInQuoted) {
        if (u == u'"') {
            append(c);
            m_state = State::Quoted;
            return false;
        }
        m_state = State::Unquoted; // what follows a closing quote stays in the field, as spreadsheets read it
    }
    if (u == u'"' && m_state == State::FieldStart) {
        m_state = State::Quoted;
        m_quotedField = true;
        m_quoteLine = m_line;
    } else if (u == m_separator.unicode()) {
        endField();
        m_state = State::FieldStart;
    } else if (lineEnd) {
        endField();
        endLine();
        m_skipLineFeed = u == u'\r';
        m_state = State::FieldStart;
        return true;
    } else {
        m_state = State::Unquoted;
        append(c);
    }
    return false;
}

void Reader::append(QChar c)
{
    if (m_field.size() < m_limits.fieldChars)
        m_field += c;
    else
        m_record.cut = true;
}

void Reader::endField()
{
    ++m_record.fieldCount;
    if (m_record.fields.size() < m_limits.fields)
        m_record.fields.append(std::exchange(m_field, QString()));
    else
        m_record.cut = true;
    m_field.clear();
}

void Reader::endLine()
{
    ++m_line;
    ++m_lineEnds;
    m_lineOpen = false;
}

bool Reader::takeRecord(Record &record)
{
    const bool blank = m_record.fieldCount == 1 && !m_quotedField && m_record.fields.value(0).trimmed().isEmpty();
    if (!blank)
        record = std::exchange(m_record, Record());
    m_record = Record();
    m_record.line = m_line;
    m_quotedField = false;
    m_recordChars = 0;
    return !blank;
}

Records readRecords(const QByteArray &bytes, Limits limits)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    Reader reader(buffer, limits);
    Records result;
    Record record;
    while (reader.next(record))
        result.records << record;
    result.separator = reader.separator();
    result.problem = reader.problem();
    return result;
}

} // namespace csv
