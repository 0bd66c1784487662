#include "platform/db/PostgresSqlTokens.h"

namespace platform::pgsql {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('$');
}

// The end of a literal or quoted name opened at `start`; a doubled closer
// stands for itself.
qsizetype endOfQuoted(const QString &sql, qsizetype start, QChar close)
{
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql.at(i) == close) {
            if (i + 1 < sql.size() && sql.at(i + 1) == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

qsizetype endOfBlockComment(const QString &sql, qsizetype start)
{
    int depth = 0; // T-SQL block comments nest
    qsizetype i = start;
    while (i < sql.size()) {
        if (sql.mid(i, 2) == QLatin1String("/*")) {
            ++depth;
            i += 2;
        } else if (sql.mid(i, 2) == QLatin1String("*/")) {
            i += 2;
            if (--depth == 0)
                return i;
        } else {
            ++i;
        }
    }
    return sql.size();
}

} // namespace

QList<Token> tokenize(const QString &sql)
{
    QList<Token> tokens;
    bool space = false;
    qsizetype i = 0;
    const qsizetype n = sql.size();
    auto push = [&](TokenKind kind, qsizetype end) {
        tokens.append({kind, sql.mid(i, end - i), space});
        space = false;
        i = end;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
        if (c.isSpace()) {
            space = true;
            ++i;
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            const qsizetype newline = sql.indexOf(QLatin1Char('\n'), i);
            i = newline < 0 ? n : newline;
            space = true;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            i = endOfBlockComment(sql, i);
            space = true;
        } else if (c == QLatin1Char('\'')) {
            push(TokenKind::Text, endOfQuoted(sql, i, QLatin1Char('\'')));
        } else if ((c == QLatin1Char('N') || c == QLatin1Char('n')) && next == QLatin1Char('\'')) {
            push(TokenKind::Text, endOfQuoted(sql, i + 1, QLatin1Char('\'')));
        } else if (c == QLatin1Char('[')) {
            push(TokenKind::QuotedName, endOfQuoted(sql, i, QLatin1Char(']')));
        } else if (c == QLatin1Char('"')) {
            push(TokenKind::QuotedName, endOfQuoted(sql, i, QLatin1Char('"')));
        } else if (c == QLatin1Char('@')) {
            qsizetype end = i + 1;
            while (end < n && (sql.at(end) == QLatin1Char('@') || isWordChar(sql.at(end))))
                ++end;
            push(TokenKind::Variable, end);
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            qsizetype end = i;
            while (end < n && (sql.at(end).isDigit() || sql.at(end) == QLatin1Char('.')))
                ++end;
            push(TokenKind::Number, end);
        } else if (isWordChar(c)) {
            qsizetype end = i;
            while (end < n && isWordChar(sql.at(end)))
                ++end;
            push(TokenKind::Word, end);
        } else {
            static const QStringList pairs = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                              QStringLiteral("!="), QStringLiteral("!<"), QStringLiteral("!>")};
            push(TokenKind::Symbol, pairs.contains(sql.mid(i, 2)) ? i + 2 : i + 1);
        }
    }
    return tokens;
}

QString join(const QList<Token> &tokens)
{
    QString text;
    for (const Token &token : tokens) {
        if (token.spaceBefore && !text.isEmpty())
            text += QLatin1Char(' ');
        text += token.text;
    }
    return text;
}

} // namespace platform::pgsql
