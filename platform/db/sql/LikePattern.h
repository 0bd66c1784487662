#pragma once

#include <QChar>
#include <QString>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::sql {

// Whether text matches a LIKE pattern under the server's rules: "%" any run,
// "_" one character, "[abc]", "[a-f]" and "[^x]" one character of (or not of)
// a set; both sides are folded first (foldCaseAndAccents), so case and accents
// are ignored. A character after `escape` stands for itself; an unclosed "["
// stands for itself.
bool matchesLike(const QString &text, const QString &pattern, QChar escape = QChar());

// One piece of a folded pattern.
struct LikeElement
{
    enum class Kind { AnyRun, AnyOne, Set, Literal } kind;
    std::string literal; // the folded UTF-8 of a run of plain characters
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges; // a single character is a range of one
};

// The pattern folded and read into its pieces, runs of plain characters
// joined and repeated "%" made one.
std::vector<LikeElement> parseLikePattern(const QString &pattern, QChar escape);

// A pattern read once and matched against many texts, as one statement does
// row after row.
class LikeMatcher
{
public:
    LikeMatcher(const QString &pattern, QChar escape);
    Q_DISABLE_COPY_MOVE(LikeMatcher)
    bool matches(const QString &text);
    // Folds the text into a buffer kept from row to row, then matches.
    bool matchesUtf8(std::string_view text);
    QChar escape() const { return m_escape; }

private:
    struct Segment
    {
        size_t first, last; // elements [first, last) between two "%"
    };
    bool matchesFolded(std::string_view text) const;
    size_t matchAt(const Segment &segment, std::string_view text, size_t at) const;
    size_t find(const Segment &segment, std::string_view text, size_t from) const;

    QChar m_escape;
    std::vector<LikeElement> m_elements;
    std::vector<Segment> m_segments;
    bool m_anchoredStart = true;
    bool m_anchoredEnd = true;
    std::string m_folded;
};

} // namespace platform::sql
