#include "platform/db/sql/LiteralFolding.h"

namespace platform::sql {

namespace {

bool isSpace(const Token &token)
{
    return token.kind == TokenKind::Whitespace || token.kind == TokenKind::Comment;
}

qsizetype skipSpace(const QList<Token> &tokens, qsizetype i)
{
    while (i < tokens.size() && isSpace(tokens.at(i)))
        ++i;
    return i;
}

// An operator that would take the run's first piece as its right operand.
bool bindsFromTheLeft(const Token &token)
{
    return token.kind == TokenKind::Operator && token.text.size() == 1 &&
           QStringView(u"+-*/%&|^~").contains(token.text.at(0));
}

bool isMultiplying(const Token &token)
{
    return token.isOperator(u"*") || token.isOperator(u"/") || token.isOperator(u"%");
}

// One constant piece at `i`: a closed literal (not N'..') or CHAR(n) with a
// small n. Gives its text and the index just past it.
bool pieceAt(const QList<Token> &tokens, qsizetype i, QString &value, qsizetype &end)
{
    if (i >= tokens.size())
        return false;
    const Token &token = tokens.at(i);
    if (token.kind == TokenKind::StringLiteral) {
        if (i > 0 && tokens.at(i - 1).kind == TokenKind::Identifier)
            return false; // N'..' and the like keep their own form
        end = i + 1;
        return literalValue(token.text, value);
    }
    if (!token.is(TokenKind::Identifier, u"CHAR"))
        return false;
    const qsizetype open = skipSpace(tokens, i + 1);
    const qsizetype number = skipSpace(tokens, open + 1);
    const qsizetype close = skipSpace(tokens, number + 1);
    if (close >= tokens.size() || !tokens.at(open).isPunctuation(QLatin1Char('(')) ||
        tokens.at(number).kind != TokenKind::Number || !tokens.at(close).isPunctuation(QLatin1Char(')')))
        return false;
    bool ok = false;
    const int code = tokens.at(number).text.toInt(&ok);
    // Above 127 the character depends on the column's code page.
    if (!ok || code < 0 || code > 127)
        return false;
    value = QString(QChar(static_cast<char16_t>(code)));
    end = close + 1;
    return true;
}

} // namespace

bool literalValue(const QString &literal, QString &value)
{
    if (literal.size() < 2 || !literal.startsWith(QLatin1Char('\'')))
        return false;
    value.clear();
    value.reserve(literal.size());
    for (qsizetype i = 1; i < literal.size(); ++i) {
        if (literal.at(i) != QLatin1Char('\'')) {
            value.append(literal.at(i));
        } else if (i + 1 == literal.size()) {
            return true;
        } else if (literal.at(i + 1) == QLatin1Char('\'')) {
            value.append(QLatin1Char('\''));
            ++i;
        } else {
            return false;
        }
    }
    return false;
}

QList<Token> foldTextRuns(const QList<Token> &tokens)
{
    QList<Token> out;
    out.reserve(tokens.size());
    qsizetype i = 0;
    bool afterOperator = false;
    while (i < tokens.size()) {
        QString text;
        qsizetype end = i;
        if (!afterOperator && pieceAt(tokens, i, text, end)) {
            qsizetype pieces = 1;
            for (;;) {
                const qsizetype plus = skipSpace(tokens, end);
                if (plus >= tokens.size() || !tokens.at(plus).isOperator(u"+"))
                    break;
                QString next;
                qsizetype nextEnd = 0;
                if (!pieceAt(tokens, skipSpace(tokens, plus + 1), next, nextEnd))
                    break;
                const qsizetype after = skipSpace(tokens, nextEnd);
                if (after < tokens.size() && isMultiplying(tokens.at(after)))
                    break;
                text += next;
                end = nextEnd;
                ++pieces;
            }
            if (pieces > 1) {
                out.append({TokenKind::StringLiteral, quoted(text)});
                i = end;
                afterOperator = false;
                continue;
            }
        }
        const Token &token = tokens.at(i);
        if (!isSpace(token))
            afterOperator = bindsFromTheLeft(token);
        out.append(token);
        ++i;
    }
    return out;
}

QString quoted(QString value, QChar quote)
{
    return quote + value.replace(quote, QString(2, quote)) + quote;
}

} // namespace platform::sql
