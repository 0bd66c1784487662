#include "platform/db/sql/LikePattern.h"

#include "platform/db/sql/TextFolding.h"

namespace platform::sql {

namespace {

using Kind = LikeElement::Kind;

// The folded pattern as code points, each with its UTF-8 bytes.
struct Character
{
    char32_t code;
    std::string_view bytes;
};

std::vector<Character> charactersOf(std::string_view text)
{
    std::vector<Character> characters;
    for (size_t i = 0; i < text.size();) {
        const size_t length = utf8Length(text, i);
        characters.push_back({utf8CodePoint(text, i, length), text.substr(i, length)});
        i += length;
    }
    return characters;
}

void appendLiteral(std::vector<LikeElement> &elements, std::string_view bytes)
{
    if (elements.empty() || elements.back().kind != Kind::Literal)
        elements.push_back({Kind::Literal, {}, false, {}});
    elements.back().literal.append(bytes);
}

// A set starts after "[" at `i`; returns the index after its "]", or 0 when
// the set is never closed.
size_t parseSet(const std::vector<Character> &pattern, size_t i, LikeElement &set)
{
    if (i < pattern.size() && pattern[i].code == U'^') {
        set.negated = true;
        ++i;
    }
    bool first = true;
    while (i < pattern.size()) {
        const char32_t c = pattern[i].code;
        if (c == U']' && !first)
            return i + 1;
        first = false;
        if (i + 2 < pattern.size() && pattern[i + 1].code == U'-' && pattern[i + 2].code != U']') {
            set.ranges.emplace_back(std::min(c, pattern[i + 2].code), std::max(c, pattern[i + 2].code));
            i += 3;
        } else {
            set.ranges.emplace_back(c, c);
            ++i;
        }
    }
    return 0;
}

bool inSet(const LikeElement &set, char32_t c)
{
    bool found = false;
    for (const auto &[low, high] : set.ranges)
        if (c >= low && c <= high) {
            found = true;
            break;
        }
    return found != set.negated;
}

} // namespace

std::vector<LikeElement> parseLikePattern(const QString &pattern, QChar escape)
{
    const QString folded = foldCaseAndAccents(pattern);
    // The escape character is folded as the pattern is, so that it is still found there.
    const QString foldedEscape = escape.isNull() ? QString() : foldCaseAndAccents(QString(escape));
    const char32_t escapeCode = escape.isNull()            ? 0
                                : foldedEscape.size() == 1 ? foldedEscape.at(0).unicode()
                                                           : escape.unicode();
    const std::string utf8 = folded.toStdString();
    const std::vector<Character> characters = charactersOf(utf8);
    std::vector<LikeElement> elements;
    size_t i = 0;
    while (i < characters.size()) {
        const Character &c = characters[i];
        if (!escape.isNull() && c.code == escapeCode && i + 1 < characters.size()) {
            appendLiteral(elements, characters[i + 1].bytes);
            i += 2;
        } else if (c.code == U'%') {
            if (elements.empty() || elements.back().kind != Kind::AnyRun)
                elements.push_back({Kind::AnyRun, {}, false, {}});
            ++i;
        } else if (c.code == U'_') {
            elements.push_back({Kind::AnyOne, {}, false, {}});
            ++i;
        } else if (c.code == U'[') {
            LikeElement set{Kind::Set, {}, false, {}};
            const size_t end = parseSet(characters, i + 1, set);
            if (end == 0) {
                appendLiteral(elements, c.bytes);
                ++i;
            } else if (!set.negated && set.ranges.size() == 1 && set.ranges[0].first == set.ranges[0].second) {
                // "[%]" and the like are one plain character.
                appendLiteral(elements, characters[i + 1].bytes);
                i = end;
            } else {
                elements.push_back(std::move(set));
                i = end;
            }
        } else {
            appendLiteral(elements, c.bytes);
            ++i;
        }
    }
    return elements;
}

LikeMatcher::LikeMatcher(const QString &pattern, QChar escape)
    : m_escape(escape), m_elements(parseLikePattern(pattern, escape))
{
    size_t first = 0;
    for (size_t i = 0; i <= m_elements.size(); ++i) {
        if (i < m_elements.size() && m_elements[i].kind != Kind::AnyRun)
            continue;
        if (i == 0 && i < m_elements.size())
            m_anchoredStart = false;
        if (i == m_elements.size() && i > 0 && m_elements[i - 1].kind == Kind::AnyRun)
            m_anchoredEnd = false;
        if (i > first)
            m_segments.push_back({first, i});
        first = i + 1;
    }
}

bool LikeMatcher::matches(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return matchesUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

bool LikeMatcher::matchesUtf8(std::string_view text)
{
    m_folded.clear();
    appendFolded(m_folded, text);
    return matchesFolded(m_folded);
}

// Where the segment ends when it starts at `at`, or npos when it does not
// match there. A segment takes a fixed number of characters.
size_t LikeMatcher::matchAt(const Segment &segment, std::string_view text, size_t at) const
{
    for (size_t e = segment.first; e < segment.last; ++e) {
        const LikeElement &element = m_elements[e];
        if (element.kind == Kind::Literal) {
            if (text.size() - at < element.literal.size() ||
                text.compare(at, element.literal.size(), element.literal) != 0)
                return std::string_view::npos;
            at += element.literal.size();
            continue;
        }
        if (at >= text.size())
            return std::string_view::npos;
        const size_t length = utf8Length(text, at);
        if (element.kind == Kind::Set && !inSet(element, utf8CodePoint(text, at, length)))
            return std::string_view::npos;
        at += length;
    }
    return at;
}

// The first place at or after `from` where the segment matches; the end of
// that match, or npos.
size_t LikeMatcher::find(const Segment &segment, std::string_view text, size_t from) const
{
    const LikeElement &head = m_elements[segment.first];
    while (from <= text.size()) {
        if (head.kind == Kind::Literal) {
            from = text.find(head.literal, from);
            if (from == std::string_view::npos)
                return from;
        }
        const size_t end = matchAt(segment, text, from);
        if (end != std::string_view::npos)
            return end;
        if (from == text.size())
            break;
        from += utf8Length(text, from);
    }
    return std::string_view::npos;
}

// Segments between "%" each take a fixed number of characters, so placing
// each as early as it goes leaves the most room for the rest: linear in
// practice, never exponential however many "%" a typed name yields.
bool LikeMatcher::matchesFolded(std::string_view text) const
{
    if (m_segments.empty())
        return !m_anchoredStart ? true : text.empty();
    size_t at = 0;
    for (size_t s = 0; s < m_segments.size(); ++s) {
        const Segment &segment = m_segments[s];
        const bool first = s == 0 && m_anchoredStart;
        const bool last = s + 1 == m_segments.size() && m_anchoredEnd;
        if (last) {
            // The last segment must end with the text: tried at each start left.
            for (size_t from = at; from <= text.size(); from += from < text.size() ? utf8Length(text, from) : 1) {
                if (matchAt(segment, text, from) == text.size())
                    return true;
                if (first)
                    break;
            }
            return false;
        }
        at = first ? matchAt(segment, text, at) : find(segment, text, at);
        if (at == std::string_view::npos)
            return false;
    }
    return true;
}

bool matchesLike(const QString &text, const QString &pattern, QChar escape)
{
    return LikeMatcher(pattern, escape).matches(text);
}

} // namespace platform::sql
