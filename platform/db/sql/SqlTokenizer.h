#pragma once

#include <QList>
#include <QString>

namespace platform::sql {

// What a piece of T-SQL text is; the translation only rewrites outside
// literals, bracketed names and comments.
enum class TokenKind {
    Whitespace,
    Comment,          // -- to the end of the line, or /* ... */
    StringLiteral,    // '...' with '' for a quote inside
    QuotedIdentifier, // [name] with ]] inside, or "name"
    Number,
    Identifier,  // a word: keyword, name or function name
    Variable,    // @name or @@name
    Operator,    // + - * / % = < > ! & | ^ ~ and their pairs
    Punctuation, // ( ) , ; .
    Other,       // anything else, passed on as it is
};

struct Token
{
    TokenKind kind;
    QString text;

    bool is(TokenKind k, QStringView t) const { return kind == k && text.compare(t, Qt::CaseInsensitive) == 0; }
    bool isPunctuation(QChar c) const { return kind == TokenKind::Punctuation && text.size() == 1 && text.at(0) == c; }
    bool isOperator(QStringView t) const { return kind == TokenKind::Operator && text == t; }
};

// How deeply parentheses and CASE may nest in a statement the translations
// take. The desk's statements nest a few levels; text nested thousands deep
// would exhaust the stack of the recursive rewrites, so it is refused instead.
inline constexpr int MaxNestingDepth = 200;

// Counts one level of nesting for as long as it lives; raises a RuntimeError
// (a failed statement) past MaxNestingDepth.
class NestingGuard
{
public:
    explicit NestingGuard(int &depth);
    ~NestingGuard() { --m_depth; }
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;

private:
    int &m_depth;
};

// Splits statement text into tokens whose texts, joined, give back the text
// exactly. An unterminated literal or comment runs to the end of the text.
QList<Token> tokenize(const QString &text);

} // namespace platform::sql
