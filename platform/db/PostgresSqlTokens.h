#pragma once

#include <QList>
#include <QString>

namespace platform::pgsql {

enum class TokenKind {
    Word,       // a name or keyword: letters, digits, "_", "#", "$"
    Variable,   // "@name" or "@@name"
    QuotedName, // "[name]" or "\"name\""
    Text,       // a quoted literal, "'...'" or "N'...'", kept whole
    Number,
    Symbol, // one operator or punctuation mark ("<>", "<=", ">=", "!=" count as one)
};

struct Token
{
    TokenKind kind = TokenKind::Symbol;
    QString text;
    bool spaceBefore = false; // blanks or a comment stood before it
};

// Splits T-SQL into tokens. Quoted literals and bracketed names are single
// tokens whatever they hold, so nothing inside them is ever rewritten;
// comments are dropped. An unterminated literal runs to the end.
QList<Token> tokenize(const QString &sql);

// Joins tokens back into text, one blank where the source had space.
QString join(const QList<Token> &tokens);

} // namespace platform::pgsql
