#include "platform/db/sql/PostgresTranslation.h"

#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sql/PostgresPattern.h"

#include <QList>
#include <QRegularExpression>

namespace platform {

namespace {

enum class TokenKind { Text, Word, Variable, Number, Space, Symbol };

struct Token
{
    TokenKind kind;
    QString text;
};

// A bracketed name becomes a plain name when PostgreSQL would read it so,
// else a double-quoted one.
QString bracketedName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (plain.match(name).hasMatch())
        return name;
    return sql::quoted(name, QLatin1Char('"'));
}

// The desk's T-SQL tokens, in the few kinds this translation tells apart.
QList<Token> tokenize(const QString &statement)
{
    const QList<sql::Token> source = sql::foldTextRuns(sql::tokenize(statement));
    QList<Token> tokens;
    tokens.reserve(source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        const sql::Token &token = source.at(i);
        switch (token.kind) {
        case sql::TokenKind::Whitespace:
        case sql::TokenKind::Comment: // passes through as it is, apostrophes and all
            tokens.append({TokenKind::Space, QString(token.text).remove(QChar())});
            break;
        case sql::TokenKind::StringLiteral:
            // A PostgreSQL text cannot hold a NUL: it becomes the replacement character.
            tokens.append({TokenKind::Text, QString(token.text).replace(QChar(), QChar::ReplacementCharacter)});
            break;
        case sql::TokenKind::QuotedIdentifier:
            if (token.text.startsWith(QLatin1Char('['))) {
                QString name = token.text.mid(1);
                if (name.endsWith(QLatin1Char(']')))
                    name.chop(1);
                tokens.append({TokenKind::Word, bracketedName(name.replace(QLatin1String("]]"), QLatin1String("]")))});
            } else {
                tokens.append({TokenKind::Word, token.text});
            }
            break;
        case sql::TokenKind::Identifier:
            // N'..' is a Unicode literal in T-SQL; every PostgreSQL text already is.
            if (token.text.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0 && i + 1 < source.size() &&
                source.at(i + 1).kind == sql::TokenKind::StringLiteral)
                break;
            tokens.append({TokenKind::Word, token.text});
            break;
        case sql::TokenKind::Variable:
            tokens.append({TokenKind::Variable, token.text});
            break;
        case sql::TokenKind::Number:
            tokens.append({TokenKind::Number, token.text});
            break;
        default:
            tokens.append({TokenKind::Symbol, token.text});
        }
    }
    return tokens;
}

bool isWord(const Token &token, const char *word)
{
    return token.kind == TokenKind::Word && token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token &token, char symbol)
{
    return token.kind == TokenKind::Symbol && token.text == QLatin1Char(symbol);
}

// Rewrites the tokens and renders them, one expression level at a time.
class Translator
{
public:
    explicit Translator(QList<Token> tokens) : m_tokens(std::move(tokens)) {}

    QString run()
    {
        QString out;
        while (m_pos < m_tokens.size())
            out += next();
        return out;
    }

private:
    qsizetype skipSpace(qsizetype from) const
    {
        while (from < m_tokens.size() && m_tokens.at(from).kind == TokenKind::Space)
            ++from;
        return from;
    }

    bool symbolAt(qsizetype at, char symbol) const { return at < m_tokens.size() && isSymbol(m_tokens.at(at), symbol); }

    // Renders the tokens up to the matching ")" (consumed, not rendered).
    QString untilClose()
    {
        const sql::NestingGuard guard(m_depth);
        QString out;
        while (m_pos < m_tokens.size() && !isSymbol(m_tokens.at(m_pos), ')'))
            out += next();
        if (m_pos < m_tokens.size())
            ++m_pos;
        return out;
    }

    // A comparison operand after LIKE: tokens up to a clause keyword, a closing
    // parenthesis at this level or the end.
    QString likeOperand()
    {
        QString out;
        qsizetype end = m_pos;
        QString upToEnd;
        while (m_pos < m_tokens.size()) {
            const Token &token = m_tokens.at(m_pos);
            if (isSymbol(token, ')') || isSymbol(token, ';') || isWord(token, "AND") || isWord(token, "OR") ||
                isWord(token, "ORDER") || isWord(token, "GROUP") || isWord(token, "ESCAPE") || isWord(token, "UNION"))
                break;
            out += next();
            if (m_tokens.at(m_pos - 1).kind != TokenKind::Space) {
                end = m_pos;
                upToEnd = out;
            }
        }
        // The blanks before the next keyword stay outside the operand.
        m_pos = end;
        return upToEnd;
    }

    bool lastWasText() const { return m_lastKind == LastKind::Text; }

    QString next()
    {
        const Token token = m_tokens.at(m_pos++);
        switch (token.kind) {
        case TokenKind::Text:
            m_lastKind = LastKind::Text;
            return token.text;
        case TokenKind::Space:
            return token.text;
        case TokenKind::Variable:
            m_lastKind = LastKind::Other;
            // Every statement runs on its own in autocommit: no transaction is ever open.
            if (token.text.compare(QLatin1String("@@TRANCOUNT"), Qt::CaseInsensitive) == 0)
                return QStringLiteral("0");
            return token.text;
        case TokenKind::Number:
            m_lastKind = LastKind::Other;
            return token.text;
        case TokenKind::Symbol:
            return symbol(token);
        case TokenKind::Word:
            return word(token);
        }
        return token.text;
    }

    QString symbol(const Token &token)
    {
        if (isSymbol(token, '+')) {
            // "+" joins texts when either side is one: a literal or CHAR(..).
            const qsizetype after = skipSpace(m_pos);
            const bool textFollows = after < m_tokens.size() &&
                                     (m_tokens.at(after).kind == TokenKind::Text ||
                                      (isWord(m_tokens.at(after), "CHAR") && symbolAt(skipSpace(after + 1), '(')));
            if (lastWasText() || textFollows) {
                m_lastKind = LastKind::Other;
                return QStringLiteral("||");
            }
        }
        if (isSymbol(token, '(')) {
            const QString inner = untilClose();
            m_lastKind = LastKind::Other;
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        m_lastKind = LastKind::Other;
        return token.text;
    }

    QString word(const Token &token)
    {
        const qsizetype open = skipSpace(m_pos);
        if (symbolAt(open, '(')) {
            if (isWord(token, "GETDATE")) {
                m_pos = open + 1;
                untilClose();
                m_lastKind = LastKind::Other;
                return QStringLiteral("LOCALTIMESTAMP");
            }
            if (isWord(token, "CHAR")) {
                m_pos = open + 1;
                const QString inner = untilClose();
                m_lastKind = LastKind::Text;
                return QStringLiteral("CHR(") + inner + QLatin1Char(')');
            }
            if (isWord(token, "CONVERT")) {
                const qsizetype type = skipSpace(open + 1);
                if (type < m_tokens.size() && isWord(m_tokens.at(type), "DATETIME") &&
                    symbolAt(skipSpace(type + 1), ',')) {
                    m_pos = skipSpace(type + 1) + 1;
                    QString inner = untilClose();
                    // Style 102 is the only one the desk writes; the value's own form is ISO.
                    const qsizetype style = inner.lastIndexOf(QLatin1Char(','));
                    if (style >= 0)
                        inner = inner.left(style);
                    m_lastKind = LastKind::Other;
                    return QStringLiteral("CAST(") + inner.trimmed() + QStringLiteral(" AS TIMESTAMP)");
                }
            }
        }
        if (isWord(token, "LIKE")) {
            m_pos = skipSpace(m_pos);
            const qsizetype operandAt = m_pos;
            const QString pattern = likeOperand();
            m_lastKind = LastKind::Other;
            const qsizetype after = skipSpace(m_pos);
            const bool ownEscape = after < m_tokens.size() && isWord(m_tokens.at(after), "ESCAPE");
            // A literal pattern, the desk's only kind, is folded here and sent
            // in the form a trigram index on the folded column serves.
            QString literal, escape;
            const qsizetype escapeAt = skipSpace(after + 1);
            if (m_pos == operandAt + 1 && m_tokens.at(operandAt).kind == TokenKind::Text &&
                sql::literalValue(m_tokens.at(operandAt).text, literal)) {
                if (!ownEscape)
                    return postgresPatternMatch(literal, QChar());
                if (escapeAt < m_tokens.size() && m_tokens.at(escapeAt).kind == TokenKind::Text &&
                    sql::literalValue(m_tokens.at(escapeAt).text, escape) && escape.size() == 1) {
                    m_pos = escapeAt + 1;
                    return postgresPatternMatch(literal, escape.at(0));
                }
            }
            // PostgreSQL reads a backslash in a pattern as an escape; T-SQL does not, unless told.
            const QString folded = QStringLiteral("velunas_fold(") + pattern + QLatin1Char(')');
            return ownEscape ? QStringLiteral("LIKE ") + folded
                             : QStringLiteral("LIKE like_escape(") + folded + QStringLiteral(", '')");
        }
        m_lastKind = LastKind::Other;
        return token.text;
    }

    enum class LastKind { Other, Text };
    QList<Token> m_tokens;
    qsizetype m_pos = 0;
    LastKind m_lastKind = LastKind::Other;
    int m_depth = 0; // parentheses open around m_pos
};

} // namespace

QString translateForPostgres(const QString &statement)
{
    QList<Token> tokens = tokenize(statement);
    // The subject of LIKE (a name, maybe qualified) is wrapped before the rest is translated.
    QList<Token> wrapped;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (isWord(tokens.at(i), "LIKE")) {
            const auto lastSolid = [&wrapped](qsizetype end) {
                while (end > 0 && wrapped.at(end - 1).kind == TokenKind::Space)
                    --end;
                return end;
            };
            qsizetype end = lastSolid(wrapped.size());
            if (end > 0 && isWord(wrapped.at(end - 1), "NOT"))
                end = lastSolid(end - 1);
            qsizetype begin = end;
            if (begin > 0 && wrapped.at(begin - 1).kind == TokenKind::Word) {
                --begin;
                while (begin > 1 && isSymbol(wrapped.at(begin - 1), '.') &&
                       wrapped.at(begin - 2).kind == TokenKind::Word)
                    begin -= 2;
            }
            if (begin < end) {
                wrapped.insert(end, {TokenKind::Symbol, QStringLiteral(")")});
                wrapped.insert(begin, {TokenKind::Word, QStringLiteral("velunas_fold(")});
            }
        }
        wrapped.append(tokens.at(i));
    }
    return Translator(std::move(wrapped)).run().trimmed();
}

} // namespace platform
