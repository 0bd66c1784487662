#include "platform/db/LikePattern.h"

#include "platform/db/TextFolding.h"

#include <QList>
#include <QPair>

namespace platform::sql {

struct LikeMatcher::Element
{
    enum class Kind { AnyRun, AnyOne, Set, Literal } kind;
    QChar literal;
    bool negated = false;
    QList<QPair<QChar, QChar>> ranges; // single characters are ranges of one

    static Element of(Kind kind, QChar literal = QChar()) { return Element{kind, literal, false, {}}; }

    bool matches(QChar c) const
    {
        switch (kind) {
        case Kind::AnyOne:
            return true;
        case Kind::Literal:
            return c == literal;
        case Kind::Set: {
            bool inSet = false;
            for (const auto &range : ranges)
                if (c >= range.first && c <= range.second) {
                    inSet = true;
                    break;
                }
            return inSet != negated;
        }
        case Kind::AnyRun:
            break;
        }
        return false;
    }
};

namespace {

using Element = LikeMatcher::Element;

// A set starts after "[" at `i`; returns the index after its "]", or -1 when
// the set is never closed.
qsizetype parseSet(const QString &pattern, qsizetype i, Element &set)
{
    set.kind = Element::Kind::Set;
    if (i < pattern.size() && pattern.at(i) == QLatin1Char('^')) {
        set.negated = true;
        ++i;
    }
    bool first = true;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char(']') && !first)
            return i + 1;
        first = false;
        if (i + 2 < pattern.size() && pattern.at(i + 1) == QLatin1Char('-') && pattern.at(i + 2) != QLatin1Char(']')) {
            set.ranges.append({qMin(c, pattern.at(i + 2)), qMax(c, pattern.at(i + 2))});
            i += 3;
        } else {
            set.ranges.append({c, c});
            ++i;
        }
    }
    return -1;
}

QList<Element> compile(const QString &pattern, QChar escape)
{
    QList<Element> elements;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        if (!escape.isNull() && c == escape && i + 1 < pattern.size()) {
            elements.append(Element::of(Element::Kind::Literal, pattern.at(i + 1)));
            i += 2;
        } else if (c == QLatin1Char('%')) {
            if (elements.isEmpty() || elements.last().kind != Element::Kind::AnyRun)
                elements.append(Element::of(Element::Kind::AnyRun));
            ++i;
        } else if (c == QLatin1Char('_')) {
            elements.append(Element::of(Element::Kind::AnyOne));
            ++i;
        } else if (c == QLatin1Char('[')) {
            Element set = Element::of(Element::Kind::Set);
            const qsizetype end = parseSet(pattern, i + 1, set);
            if (end < 0) {
                elements.append(Element::of(Element::Kind::Literal, c));
                ++i;
            } else {
                elements.append(set);
                i = end;
            }
        } else {
            elements.append(Element::of(Element::Kind::Literal, c));
            ++i;
        }
    }
    return elements;
}

} // namespace

LikeMatcher::LikeMatcher(const QString &pattern, QChar escape) : m_escape(escape)
{
    // The escape character is folded as the pattern is, so that it is still found there.
    const QString foldedEscape = escape.isNull() ? QString() : foldCaseAndAccents(QString(escape));
    m_elements = compile(foldCaseAndAccents(pattern), foldedEscape.size() == 1 ? foldedEscape.at(0) : escape);
    for (const Element &element : std::as_const(m_elements))
        if (element.kind != Element::Kind::AnyRun)
            ++m_fixed;
}

LikeMatcher::~LikeMatcher() = default;

bool LikeMatcher::matches(const QString &text) const
{
    const QString folded = foldCaseAndAccents(text);
    // A pattern that needs more characters than the text has cannot match:
    // a long pasted pattern is turned down here, not walked for every row.
    if (m_fixed > folded.size())
        return false;

    // Greedy matching that falls back to the last "%": linear in practice,
    // never exponential however many "%" a typed name yields.
    const QList<Element> &elements = m_elements;
    qsizetype t = 0, p = 0;
    qsizetype runAt = -1, runText = 0;
    while (t < folded.size()) {
        if (p < elements.size() && elements.at(p).kind == Element::Kind::AnyRun) {
            runAt = p++;
            runText = t;
        } else if (p < elements.size() && elements.at(p).matches(folded.at(t))) {
            ++p;
            ++t;
        } else if (runAt >= 0) {
            p = runAt + 1;
            t = ++runText;
        } else {
            return false;
        }
    }
    while (p < elements.size() && elements.at(p).kind == Element::Kind::AnyRun)
        ++p;
    return p == elements.size();
}

bool matchesLike(const QString &text, const QString &pattern, QChar escape)
{
    return LikeMatcher(pattern, escape).matches(text);
}

} // namespace platform::sql
