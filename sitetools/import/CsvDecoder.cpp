#include "sitetools/import/CsvDecoder.h"

#include "platform/runtime/AnsiText.h"

namespace csv {

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr qsizetype MarkSize = 3;

// The length of the UTF-8 sequence that begins with a byte of 0x80 or more:
// 0 when it is no valid sequence (overlong forms and surrogates included),
// -1 when the bytes end before it is complete.
int sequenceLength(const unsigned char *bytes, qsizetype available)
{
    const unsigned char lead = bytes[0];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (i >= available)
            return -1;
        const unsigned char byte = bytes[i];
        if (i == 1 ? (byte < low || byte > high) : (byte < 0x80 || byte > 0xBF))
            return 0;
    }
    return length;
}

void appendSequence(const unsigned char *bytes, int length, QString &text)
{
    char32_t code = bytes[0] & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (bytes[i] & 0x3F);
    if (QChar::requiresSurrogates(code)) {
        text += QChar(QChar::highSurrogate(code));
        text += QChar(QChar::lowSurrogate(code));
    } else {
        text += QChar(char16_t(code));
    }
}

} // namespace

QString encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8WithMark:
        return QStringLiteral("UTF-8 with byte-order mark");
    case Encoding::Windows1252:
        return QStringLiteral("Windows-1252");
    case Encoding::Undecided:
    case Encoding::Utf8:
        break;
    }
    return QStringLiteral("UTF-8");
}

bool Decoder::decode(QByteArrayView bytes, QString &text)
{
    if (!m_problem.isEmpty())
        return false;
    if (m_carry.isEmpty()) {
        qsizetype used = 0;
        const bool decoded =
            decodeFrom(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), false, &used, text);
        m_carry = bytes.sliced(used).toByteArray();
        return decoded;
    }
    // A sequence cut by the last piece: rare, and a few bytes long.
    const QByteArray joined = m_carry + bytes.toByteArray();
    qsizetype used = 0;
    const bool decoded =
        decodeFrom(reinterpret_cast<const unsigned char *>(joined.constData()), joined.size(), false, &used, text);
    m_carry = joined.sliced(used);
    return decoded;
}

bool Decoder::finish(QString &text)
{
    if (!m_problem.isEmpty())
        return false;
    qsizetype used = 0;
    const QByteArray rest = std::exchange(m_carry, QByteArray());
    return decodeFrom(reinterpret_cast<const unsigned char *>(rest.constData()), rest.size(), true, &used, text);
}

bool Decoder::decodeFrom(const unsigned char *bytes, qsizetype size, bool final, qsizetype *used, QString &text)
{
    qsizetype i = 0;
    if (!m_started) {
        const qsizetype compared = qMin(size, MarkSize);
        if (QByteArrayView(bytes, compared) != QByteArrayView(ByteOrderMark, compared)) {
            m_started = true;
        } else if (size >= MarkSize) {
            m_started = true;
            m_encoding = Encoding::Utf8WithMark;
            m_evidenceLine = 1;
            i = MarkSize;
        } else if (!final) {
            *used = 0; // perhaps the mark, cut: wait for the rest
            return true;
        } else {
            m_started = true;
        }
    }
    while (i < size) {
        if (bytes[i] < 0x80) {
            // Most of a member list is ASCII: copied a run at a time.
            const qsizetype start = i;
            while (i < size && bytes[i] < 0x80)
                countLine(bytes[i++]);
            text += QLatin1StringView(reinterpret_cast<const char *>(bytes + start), i - start);
            continue;
        }
        const int length = sequenceLength(bytes + i, size - i);
        if (length < 0 && !final)
            break;
        if (length > 0) {
            if (m_encoding == Encoding::Windows1252)
                return conflict(m_line);
            if (m_encoding == Encoding::Undecided) {
                m_encoding = Encoding::Utf8;
                m_evidenceLine = m_line;
            }
            appendSequence(bytes + i, length, text);
            i += length;
        } else {
            if (m_encoding == Encoding::Utf8 || m_encoding == Encoding::Utf8WithMark)
                return conflict(m_line);
            if (m_encoding == Encoding::Undecided) {
                m_encoding = Encoding::Windows1252;
                m_evidenceLine = m_line;
            }
            text += platform::windows1252Character(bytes[i]);
            ++i;
        }
        m_afterCarriageReturn = false;
    }
    *used = i;
    return true;
}

bool Decoder::conflict(qint64 line)
{
    const QString advice = QStringLiteral(": the file mixes two encodings (save it again as \"CSV UTF-8\")");
    if (m_encoding == Encoding::Windows1252)
        m_problem = QStringLiteral("line %1 is written in UTF-8, but line %2 holds a byte that is not UTF-8")
                        .arg(line)
                        .arg(m_evidenceLine);
    else if (m_encoding == Encoding::Utf8WithMark)
        m_problem =
            QStringLiteral("line %1 holds a byte that is not UTF-8, but the file begins with UTF-8's byte-order mark")
                .arg(line);
    else
        m_problem = QStringLiteral("line %1 holds a byte that is not UTF-8, but line %2 is written in UTF-8")
                        .arg(line)
                        .arg(m_evidenceLine);
    m_problem += advice;
    return false;
}

void Decoder::countLine(unsigned char byte)
{
    // CR, LF and CR LF each end one line.
    if (byte == '\n' && !m_afterCarriageReturn)
        ++m_line;
    else if (byte == '\r')
        ++m_line;
    m_afterCarriageReturn = byte == '\r';
}

} // namespace csv
