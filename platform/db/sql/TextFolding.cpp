#include "platform/db/sql/TextFolding.h"

#include <QList>

#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace platform::sql {

namespace {

bool isCombiningMark(char32_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// Letters with no decomposition, and typographic punctuation, in their plain form.
const char16_t *plainForm(char32_t c)
{
    switch (c) {
    case u'ł':
    case u'Ł':
        return u"l";
    case u'ø':
    case u'Ø':
        return u"o";
    case u'đ':
    case u'Đ':
    case u'ð':
    case u'Ð':
        return u"d";
    case u'ħ':
    case u'Ħ':
        return u"h";
    case u'ı':
        return u"i";
    case u'ŧ':
    case u'Ŧ':
        return u"t";
    case u'ŋ':
    case u'Ŋ':
        return u"n";
    case u'ß':
    case u'ẞ':
        return u"ss";
    case u'æ':
    case u'Æ':
        return u"ae";
    case u'œ':
    case u'Œ':
        return u"oe";
    case u'þ':
    case u'Þ':
        return u"th";
    case u'‘':
    case u'’':
    case u'‛':
    case u'ʼ':
    case u'ʻ':
    case u'′':
        return u"'";
    case u'‐':
    case u'‑':
    case u'‒':
    case u'–':
    case u'—':
    case u'―':
    case u'−':
        return u"-";
    case u'“':
    case u'”':
    case u'‟':
    case u'„':
        return u"\"";
    default:
        return nullptr;
    }
}

// The folding of one character, by the rules above; the slow path, which
// also fills the table.
std::string foldedByRules(char32_t c)
{
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    QString bare;
    for (const char32_t part : decomposed.toUcs4()) {
        if (isCombiningMark(part))
            continue;
        if (const char16_t *plain = plainForm(part))
            bare += QString::fromUtf16(plain);
        else
            bare += QString::fromUcs4(&part, 1);
    }
    return bare.toCaseFolded().toStdString();
}

struct Folded
{
    unsigned char size = 0;
    char bytes[7] = {};
};

// Latin letters through Latin Extended-B and the general punctuation block,
// folded once, ahead of the first row.
constexpr char32_t LatinEnd = 0x250;
constexpr char32_t PunctuationStart = 0x2000;
constexpr char32_t PunctuationEnd = 0x2070;

struct Table
{
    std::array<Folded, LatinEnd> latin;
    std::array<Folded, PunctuationEnd - PunctuationStart> punctuation;

    Table()
    {
        for (char32_t c = 0; c < LatinEnd; ++c)
            fill(latin[c], c);
        for (char32_t c = PunctuationStart; c < PunctuationEnd; ++c)
            fill(punctuation[c - PunctuationStart], c);
    }

    static void fill(Folded &entry, char32_t c)
    {
        const std::string folded = foldedByRules(c);
        entry.size = static_cast<unsigned char>(std::min(folded.size(), sizeof entry.bytes));
        std::memcpy(entry.bytes, folded.data(), entry.size);
    }
};

const Table &table()
{
    static const Table made;
    return made;
}

// Characters outside the table, folded once per thread and kept.
const std::string &foldedElsewhere(char32_t c)
{
    thread_local std::unordered_map<char32_t, std::string> seen;
    auto found = seen.find(c);
    if (found == seen.end())
        found = seen.emplace(c, foldedByRules(c)).first;
    return found->second;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

constexpr std::uint64_t Bytes = 0x0101010101010101ULL;
constexpr std::uint64_t HighBits = 0x80 * Bytes;

// Eight ASCII bytes lowered at once: a byte's high bit marks it from 'A' on,
// and again above 'Z'; the difference, moved to the 0x20 bit, is added.
void lowerAsciiInPlace(char *at)
{
    std::uint64_t eight;
    std::memcpy(&eight, at, 8);
    const std::uint64_t fromA = eight + (0x80 - 'A') * Bytes;
    const std::uint64_t aboveZ = eight + (0x80 - 'Z' - 1) * Bytes;
    eight |= (fromA & ~aboveZ & HighBits) >> 2;
    std::memcpy(at, &eight, 8);
}

} // namespace

size_t utf8Length(std::string_view text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (at + length > text.size())
        return 1;
    for (size_t i = 1; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(text[at + i])))
            return 1;
    return length;
}

char32_t utf8CodePoint(std::string_view text, size_t at, size_t length)
{
    const auto byte = [&](size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[at + i])); };
    switch (length) {
    case 2:
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    case 4:
        return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    default:
        return byte(0);
    }
}

void appendFolded(std::string &out, std::string_view utf8)
{
    const Table &folds = table();
    // Written through a pointer into room made ahead: most characters take
    // no more room folded than they did.
    size_t written = out.size();
    out.resize(written + utf8.size());
    char *into = out.data();
    size_t i = 0;
    while (i < utf8.size()) {
        if (utf8.size() - i >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, &utf8[i], 8);
            if ((eight & HighBits) == 0) {
                std::memcpy(into + written, &eight, 8);
                lowerAsciiInPlace(into + written);
                written += 8;
                i += 8;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            into[written++] = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            ++i;
            continue;
        }
        const size_t length = utf8Length(utf8, i);
        const char *bytes = &utf8[i];
        size_t size = 1; // not UTF-8: kept as it is
        if (length > 1) {
            const char32_t c = utf8CodePoint(utf8, i, length);
            const Folded *entry = c < LatinEnd ? &folds.latin[c]
                                  : (c >= PunctuationStart && c < PunctuationEnd)
                                      ? &folds.punctuation[c - PunctuationStart]
                                      : nullptr;
            if (entry) {
                bytes = entry->bytes;
                size = entry->size;
            } else {
                const std::string &folded = foldedElsewhere(c);
                bytes = folded.data();
                size = folded.size();
            }
        }
        i += length;
        if (written + size + (utf8.size() - i) > out.size()) {
            out.resize(written + size + (utf8.size() - i));
            into = out.data();
        }
        std::memcpy(into + written, bytes, size);
        written += size;
    }
    out.resize(written);
}

QString foldCaseAndAccents(const QString &text)
{
    std::string folded;
    const QByteArray utf8 = text.toUtf8();
    appendFolded(folded, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    return QString::fromStdString(folded);
}

int compareFolded(std::string_view left, std::string_view right)
{
    thread_local std::string a, b;
    a.clear();
    b.clear();
    appendFolded(a, left);
    appendFolded(b, right);
    std::string_view x(a), y(b);
    while (!x.empty() && x.back() == ' ')
        x.remove_suffix(1);
    while (!y.empty() && y.back() == ' ')
        y.remove_suffix(1);
    const int order = x.compare(y);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int compareIgnoringCaseAndAccents(const QString &left, const QString &right)
{
    const QByteArray a = left.toUtf8();
    const QByteArray b = right.toUtf8();
    return compareFolded(std::string_view(a.constData(), static_cast<size_t>(a.size())),
                         std::string_view(b.constData(), static_cast<size_t>(b.size())));
}

} // namespace platform::sql
