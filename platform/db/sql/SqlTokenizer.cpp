#include "platform/db/sql/SqlTokenizer.h"

#include "platform/db/access/ProviderErrors.h"
#include "platform/runtime/RuntimeError.h"

namespace platform::sql {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('#');
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('$') ||
           c.isMark();
}

// The end of a literal or name closed by `close`, where a doubled closer
// stands for itself; the text's end when it is never closed.
qsizetype closingEnd(const QString &text, qsizetype from, QChar close)
{
    qsizetype i = from;
    while (i < text.size()) {
        if (text.at(i) == close) {
            if (i + 1 < text.size() && text.at(i + 1) == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return text.size();
}

qsizetype numberEnd(const QString &text, qsizetype i)
{
    const qsizetype n = text.size();
    while (i < n && (text.at(i).isDigit() || text.at(i) == QLatin1Char('.')))
        ++i;
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        if (j < n && text.at(j).isDigit()) {
            i = j;
            while (i < n && text.at(i).isDigit())
                ++i;
        }
    }
    return i;
}

} // namespace

NestingGuard::NestingGuard(int &depth) : m_depth(depth)
{
    if (++m_depth > MaxNestingDepth) {
        --m_depth;
        throw RuntimeError(ProviderError::StatementFailed,
                           QStringLiteral("The statement is nested more than %1 levels deep.").arg(MaxNestingDepth));
    }
}

QList<Token> tokenize(const QString &text)
{
    QList<Token> tokens;
    const qsizetype n = text.size();
    tokens.reserve(n / 4 + 1);
    qsizetype i = 0;
    auto take = [&](TokenKind kind, qsizetype end) {
        tokens.append({kind, text.mid(i, end - i)});
        i = end;
    };
    while (i < n) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
        if (c.isSpace()) {
            qsizetype end = i;
            while (end < n && text.at(end).isSpace())
                ++end;
            take(TokenKind::Whitespace, end);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            const qsizetype newline = text.indexOf(QLatin1Char('\n'), i);
            take(TokenKind::Comment, newline < 0 ? n : newline);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype close = text.indexOf(QStringLiteral("*/"), i + 2);
            take(TokenKind::Comment, close < 0 ? n : close + 2);
        } else if (c == QLatin1Char('\'')) {
            take(TokenKind::StringLiteral, closingEnd(text, i + 1, QLatin1Char('\'')));
        } else if (c == QLatin1Char('[')) {
            take(TokenKind::QuotedIdentifier, closingEnd(text, i + 1, QLatin1Char(']')));
        } else if (c == QLatin1Char('"')) {
            take(TokenKind::QuotedIdentifier, closingEnd(text, i + 1, QLatin1Char('"')));
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            take(TokenKind::Number, numberEnd(text, i));
        } else if (c == QLatin1Char('@')) {
            qsizetype end = i + 1;
            if (end < n && text.at(end) == QLatin1Char('@'))
                ++end;
            while (end < n && isWordPart(text.at(end)))
                ++end;
            take(TokenKind::Variable, end);
        } else if (isWordStart(c)) {
            qsizetype end = i + 1;
            while (end < n && isWordPart(text.at(end)))
                ++end;
            take(TokenKind::Identifier, end);
        } else if (QStringLiteral("(),;.").contains(c)) {
            take(TokenKind::Punctuation, i + 1);
        } else if (QStringLiteral("+-*/%=<>!&|^~").contains(c)) {
            static const QStringList pairs = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                              QStringLiteral("!="), QStringLiteral("!<"), QStringLiteral("!>"),
                                              QStringLiteral("||"), QStringLiteral("==")};
            const bool pair = i + 1 < n && pairs.contains(QStringView(text).mid(i, 2));
            take(TokenKind::Operator, i + (pair ? 2 : 1));
        } else {
            take(TokenKind::Other, i + 1);
        }
    }
    return tokens;
}

} // namespace platform::sql
