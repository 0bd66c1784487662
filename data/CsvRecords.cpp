#include "data/CsvRecords.h"

#include "platform/runtime/AnsiText.h"

namespace csv {

namespace {

QChar detectSeparator(const QString &text)
{
    int semicolons = 0;
    int commas = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
    }
    return commas > semicolons ? QLatin1Char(',') : QLatin1Char(';');
}

class Splitter
{
public:
    explicit Splitter(QChar separator) : m_separator(separator) {}

    QList<Record> split(const QString &text)
    {
        m_current.line = 1;
        const qsizetype size = text.size();
        for (qsizetype i = 0; i < size; ++i) {
            QChar c = text.at(i);
            const bool crlf = c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n');
            if (crlf) {
                ++i;
                c = QLatin1Char('\n');
            }
            if (m_quoted)
                quotedCharacter(c, text, i);
            else if (c == QLatin1Char('"') && m_field.isEmpty())
                m_quoted = true;
            else if (c == m_separator)
                endField();
            else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                endRecord();
            else
                m_field += c;
        }
        m_current.unterminated = m_quoted;
        if (m_quoted || !m_field.isEmpty() || !m_current.fields.isEmpty())
            endRecord();
        return m_records;
    }

private:
    void quotedCharacter(QChar c, const QString &text, qsizetype &i)
    {
        if (c != QLatin1Char('"')) {
            if (c == QLatin1Char('\r'))
                c = QLatin1Char('\n');
            if (c == QLatin1Char('\n'))
                ++m_line;
            m_field += c;
        } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
            m_field += c;
            ++i;
        } else {
            m_quoted = false;
        }
    }

    void endField()
    {
        m_current.fields << m_field;
        m_field.clear();
    }

    void endRecord()
    {
        endField();
        const bool blank = m_current.fields.size() == 1 && m_current.fields.first().trimmed().isEmpty();
        if (!blank || m_current.unterminated)
            m_records << m_current;
        ++m_line;
        m_current = Record{m_line, {}, false};
    }

    QChar m_separator;
    QList<Record> m_records;
    Record m_current;
    QString m_field;
    bool m_quoted = false;
    int m_line = 1;
};

} // namespace

Records readRecords(const QByteArray &bytes)
{
    // Excel's "CSV UTF-8" begins with a byte-order mark; the ANSI export has none.
    const QByteArrayView body = bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : bytes;
    const QString text = platform::decodeAnsiText(body);
    const QChar separator = detectSeparator(text);
    return {separator, Splitter(separator).split(text)};
}

} // namespace csv
