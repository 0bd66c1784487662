#include "platform/db/sql/PostgresPattern.h"

#include "platform/db/sql/LikePattern.h"
#include "platform/db/sql/LiteralFolding.h"

namespace platform {

namespace {

using sql::LikeElement;

QString character(char32_t code)
{
    return QString::fromUcs4(&code, 1);
}

// A literal for LIKE: its own wildcards and the backslash escaped.
QString likeLiteral(const std::string &folded, QStringView special)
{
    QString out;
    for (const QChar c : QString::fromStdString(folded)) {
        if (special.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString setOf(const LikeElement &set)
{
    static const QString special = QStringLiteral("]\\^-[");
    const auto member = [](char32_t code) {
        const QString c = character(code);
        return special.contains(c) ? QLatin1Char('\\') + c : c;
    };
    QString out = set.negated ? QStringLiteral("[^") : QStringLiteral("[");
    for (const auto &[low, high] : set.ranges)
        out += low == high ? member(low) : member(low) + QLatin1Char('-') + member(high);
    return out + QLatin1Char(']');
}

} // namespace

QString postgresPatternMatch(const QString &pattern, QChar escape)
{
    const std::vector<LikeElement> elements = sql::parseLikePattern(pattern, escape);
    bool hasSet = false;
    for (const LikeElement &element : elements)
        hasSet = hasSet || element.kind == LikeElement::Kind::Set;
    // What each form reads as its own syntax, to be escaped in a literal.
    const QStringView special = hasSet ? QStringView(u"%_\\|*+?{}()[]") : QStringView(u"%_\\");
    QString out;
    for (const LikeElement &element : elements) {
        switch (element.kind) {
        case LikeElement::Kind::AnyRun:
            out += QLatin1Char('%');
            break;
        case LikeElement::Kind::AnyOne:
            out += QLatin1Char('_');
            break;
        case LikeElement::Kind::Set:
            out += setOf(element);
            break;
        case LikeElement::Kind::Literal:
            out += likeLiteral(element.literal, special);
            break;
        }
    }
    return (hasSet ? QStringLiteral("SIMILAR TO ") : QStringLiteral("LIKE ")) + sql::quoted(out);
}

} // namespace platform
