#include "platform/db/sql/TsqlTranslation.h"

#include "platform/db/access/ProviderErrors.h"
#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/runtime/RuntimeError.h"

#include <QSet>

namespace platform::sql {

namespace {

// A token, or a parenthesised group of nodes.
struct Node
{
    Token token;
    bool group = false;
    bool closed = false;
    QList<Node> children;

    static Node leaf(const Token &token) { return Node{token, false, false, {}}; }
    static Node groupOf(QList<Node> children, bool closed)
    {
        return Node{{TokenKind::Punctuation, QString()}, true, closed, std::move(children)};
    }

    bool isSpace() const { return !group && (token.kind == TokenKind::Whitespace || token.kind == TokenKind::Comment); }
};

QList<Node> nest(const QList<Token> &tokens)
{
    QList<QList<Node>> stack(1);
    for (const Token &token : tokens) {
        if (token.isPunctuation(QLatin1Char('('))) {
            stack.append(QList<Node>());
        } else if (token.isPunctuation(QLatin1Char(')')) && stack.size() > 1) {
            Node group = Node::groupOf(stack.takeLast(), true);
            stack.last().append(group);
        } else {
            stack.last().append(Node::leaf(token));
        }
    }
    while (stack.size() > 1) {
        Node group = Node::groupOf(stack.takeLast(), false);
        stack.last().append(group);
    }
    return stack.first();
}

// Words that end an operand rather than name a column or function.
bool isKeyword(const QString &word)
{
    static const QSet<QString> keywords = {
        QStringLiteral("ALL"),     QStringLiteral("AND"),      QStringLiteral("ANY"),    QStringLiteral("AS"),
        QStringLiteral("ASC"),     QStringLiteral("BETWEEN"),  QStringLiteral("BY"),     QStringLiteral("CASE"),
        QStringLiteral("COLLATE"), QStringLiteral("CREATE"),   QStringLiteral("CROSS"),  QStringLiteral("DELETE"),
        QStringLiteral("DESC"),    QStringLiteral("DISTINCT"), QStringLiteral("DROP"),   QStringLiteral("ELSE"),
        QStringLiteral("END"),     QStringLiteral("ESCAPE"),   QStringLiteral("EXCEPT"), QStringLiteral("EXISTS"),
        QStringLiteral("FROM"),    QStringLiteral("FULL"),     QStringLiteral("GROUP"),  QStringLiteral("HAVING"),
        QStringLiteral("IN"),      QStringLiteral("INNER"),    QStringLiteral("INSERT"), QStringLiteral("INTERSECT"),
        QStringLiteral("INTO"),    QStringLiteral("IS"),       QStringLiteral("JOIN"),   QStringLiteral("LEFT"),
        QStringLiteral("LIKE"),    QStringLiteral("LIMIT"),    QStringLiteral("NOT"),    QStringLiteral("OFFSET"),
        QStringLiteral("ON"),      QStringLiteral("OR"),       QStringLiteral("ORDER"),  QStringLiteral("OUTER"),
        QStringLiteral("RIGHT"),   QStringLiteral("SELECT"),   QStringLiteral("SET"),    QStringLiteral("SOME"),
        QStringLiteral("TABLE"),   QStringLiteral("THEN"),     QStringLiteral("TOP"),    QStringLiteral("UNION"),
        QStringLiteral("UPDATE"),  QStringLiteral("VALUES"),   QStringLiteral("VIEW"),   QStringLiteral("WHEN"),
        QStringLiteral("WHERE"),   QStringLiteral("WITH"),
    };
    return keywords.contains(word.toUpper());
}

// One piece of a sequence as the "+" rewrite sees it.
struct Unit
{
    enum class Kind { Space, Operand, Operator, Other } kind;
    QString text;
};

QString translateSequence(const QList<Node> &nodes);

QString groupText(const Node &group)
{
    return QLatin1Char('(') + translateSequence(group.children) + (group.closed ? QStringLiteral(")") : QString());
}

qsizetype nextSignificant(const QList<Node> &nodes, qsizetype i)
{
    while (i < nodes.size() && nodes.at(i).isSpace())
        ++i;
    return i;
}

QString spacesBetween(const QList<Node> &nodes, qsizetype from, qsizetype to)
{
    QString text;
    for (qsizetype i = from; i < to; ++i)
        text += nodes.at(i).token.text;
    return text;
}

// CONVERT(type[(n)], value[, style]) with the type handed over as text, since
// SQLite would read the type name as a column.
bool convertArguments(const Node &group, QString &arguments)
{
    const QList<Node> &inner = group.children;
    const qsizetype type = nextSignificant(inner, 0);
    if (type >= inner.size() || inner.at(type).group || inner.at(type).token.kind != TokenKind::Identifier)
        return false;
    QString typeText = inner.at(type).token.text.toUpper();
    qsizetype after = nextSignificant(inner, type + 1);
    if (after < inner.size() && inner.at(after).group) {
        QString length;
        for (const Node &node : inner.at(after).children)
            length += node.token.text;
        typeText += QLatin1Char('(') + length.trimmed() + QLatin1Char(')');
        after = nextSignificant(inner, after + 1);
    }
    if (after >= inner.size() || inner.at(after).group || !inner.at(after).token.isPunctuation(QLatin1Char(',')))
        return false;
    arguments = QLatin1Char('\'') + typeText.remove(QLatin1Char('\'')) + QLatin1Char('\'') +
                translateSequence(inner.mid(after)) + (group.closed ? QStringLiteral(")") : QString());
    return true;
}

// The END that closes the CASE at `from`, counting nested ones; -1 if none.
qsizetype matchingEnd(const QList<Node> &nodes, qsizetype from)
{
    int depth = 0;
    for (qsizetype i = from; i < nodes.size(); ++i) {
        const Node &node = nodes.at(i);
        if (node.group || node.token.kind != TokenKind::Identifier)
            continue;
        if (node.token.is(TokenKind::Identifier, u"CASE"))
            ++depth;
        else if (node.token.is(TokenKind::Identifier, u"END") && --depth == 0)
            return i;
    }
    return -1;
}

QString variableText(const Token &token)
{
    if (token.text.compare(QStringLiteral("@@TRANCOUNT"), Qt::CaseInsensitive) == 0)
        // Counting the schema makes the probe read the file, so a database
        // that has become unreadable fails it.
        return QStringLiteral("%1((SELECT count(*) FROM sqlite_master))").arg(QLatin1String(TranCountFunction));
    throw RuntimeError(ProviderError::StatementFailed,
                       QStringLiteral("Must declare the scalar variable \"%1\".").arg(token.text));
}

// SQL text cannot carry a NUL (the statement would end there), so a literal
// holding one is written as the bytes of its text, read back as that text.
QString literalText(const QString &literal)
{
    QString value;
    if (!literal.contains(QChar()) || !literalValue(literal, value))
        return literal;
    return QStringLiteral("CAST(X'%1' AS TEXT)").arg(QString::fromLatin1(value.toUtf8().toHex()));
}

QList<Unit> unitsOf(const QList<Node> &nodes)
{
    QList<Unit> units;
    qsizetype i = 0;
    while (i < nodes.size()) {
        const Node &node = nodes.at(i);
        const Token &token = node.token;
        if (node.isSpace()) {
            units.append({Unit::Kind::Space, QString(token.text).remove(QChar())});
            ++i;
        } else if (node.group) {
            units.append({Unit::Kind::Operand, groupText(node)});
            ++i;
        } else if (token.kind == TokenKind::Variable) {
            units.append({Unit::Kind::Operand, variableText(token)});
            ++i;
        } else if (token.kind == TokenKind::StringLiteral) {
            units.append({Unit::Kind::Operand, literalText(token.text)});
            ++i;
        } else if (token.kind == TokenKind::Number) {
            units.append({Unit::Kind::Operand, token.text});
            ++i;
        } else if (token.is(TokenKind::Identifier, u"CASE") && matchingEnd(nodes, i) > i) {
            const qsizetype end = matchingEnd(nodes, i);
            units.append({Unit::Kind::Operand,
                          token.text + translateSequence(nodes.mid(i + 1, end - i - 1)) + nodes.at(end).token.text});
            i = end + 1;
        } else if ((token.kind == TokenKind::Identifier && !isKeyword(token.text)) ||
                   token.kind == TokenKind::QuotedIdentifier) {
            // A dotted name, and the call it may start.
            QString name = token.text;
            qsizetype j = i + 1;
            while (j + 1 < nodes.size() && !nodes.at(j).group && nodes.at(j).token.isPunctuation(QLatin1Char('.')) &&
                   !nodes.at(j + 1).group &&
                   (nodes.at(j + 1).token.kind == TokenKind::Identifier ||
                    nodes.at(j + 1).token.kind == TokenKind::QuotedIdentifier)) {
                name += nodes.at(j).token.text + nodes.at(j + 1).token.text;
                j += 2;
            }
            const qsizetype call = nextSignificant(nodes, j);
            if (call < nodes.size() && nodes.at(call).group) {
                QString arguments;
                if (j == i + 1 && token.is(TokenKind::Identifier, u"CONVERT") &&
                    convertArguments(nodes.at(call), arguments))
                    name = QLatin1String(ConvertFunction) + QLatin1Char('(') + arguments;
                else
                    name += spacesBetween(nodes, j, call) + groupText(nodes.at(call));
                j = call + 1;
            }
            units.append({Unit::Kind::Operand, name});
            i = j;
        } else if (token.kind == TokenKind::Operator) {
            units.append({Unit::Kind::Operator, token.text});
            ++i;
        } else {
            units.append({Unit::Kind::Other, token.text});
            ++i;
        }
    }
    return units;
}

bool isUnary(const Unit &unit)
{
    return unit.kind == Unit::Kind::Operator && (unit.text == u"-" || unit.text == u"+" || unit.text == u"~");
}
bool isMultiplicative(const Unit &unit)
{
    return unit.kind == Unit::Kind::Operator && (unit.text == u"*" || unit.text == u"/" || unit.text == u"%");
}
// The server's additive level also holds the bitwise operators.
bool isAdditive(const Unit &unit)
{
    return unit.kind == Unit::Kind::Operator &&
           (unit.text == u"+" || unit.text == u"-" || unit.text == u"&" || unit.text == u"|" || unit.text == u"^");
}

class ChainRewriter
{
public:
    explicit ChainRewriter(QList<Unit> units) : m_units(std::move(units)) {}

    QString run()
    {
        QString out;
        qsizetype i = 0;
        while (i < m_units.size()) {
            qsizetype end = i;
            QString rewritten;
            if (chainAt(i, end, rewritten)) {
                out += rewritten;
                i = end;
            } else {
                out += m_units.at(i).text;
                ++i;
            }
        }
        return out;
    }

private:
    qsizetype skipSpace(qsizetype i) const
    {
        while (i < m_units.size() && m_units.at(i).kind == Unit::Kind::Space)
            ++i;
        return i;
    }

    QString textOf(qsizetype from, qsizetype to) const
    {
        QString text;
        for (qsizetype i = from; i < to; ++i)
            text += m_units.at(i).text;
        return text;
    }

    // unary* operand (mul-op unary* operand)*; `end` is just past it.
    bool termAt(qsizetype i, qsizetype &end) const
    {
        qsizetype j = i;
        for (;;) {
            while (j < m_units.size() && (isUnary(m_units.at(j)) || m_units.at(j).kind == Unit::Kind::Space))
                ++j;
            if (j >= m_units.size() || m_units.at(j).kind != Unit::Kind::Operand)
                return false;
            end = ++j;
            const qsizetype op = skipSpace(j);
            if (op >= m_units.size() || !isMultiplicative(m_units.at(op)))
                return true;
            j = op + 1;
            qsizetype probe = 0;
            if (!termStartsAt(j, probe))
                return true;
        }
    }

    bool termStartsAt(qsizetype j, qsizetype &operand) const
    {
        while (j < m_units.size() && (isUnary(m_units.at(j)) || m_units.at(j).kind == Unit::Kind::Space))
            ++j;
        operand = j;
        return j < m_units.size() && m_units.at(j).kind == Unit::Kind::Operand;
    }

    // A run of terms joined by additive operators that holds at least one
    // "+", rewritten left to right as the server groups it.
    bool chainAt(qsizetype i, qsizetype &end, QString &rewritten) const
    {
        if (m_units.at(i).kind != Unit::Kind::Operand && !isUnary(m_units.at(i)))
            return false;
        qsizetype termEnd = 0;
        if (!termAt(i, termEnd))
            return false;
        QString accumulated = textOf(i, termEnd).trimmed();
        bool sawPlus = false;
        end = termEnd;
        for (;;) {
            const qsizetype op = skipSpace(end);
            if (op >= m_units.size() || !isAdditive(m_units.at(op)))
                break;
            const qsizetype next = skipSpace(op + 1);
            qsizetype nextEnd = 0;
            if (next >= m_units.size() || !termAt(next, nextEnd))
                break;
            const QString operand = textOf(next, nextEnd).trimmed();
            if (m_units.at(op).text == u"+") {
                sawPlus = true;
                accumulated = QStringLiteral("%1(%2, %3)").arg(QLatin1String(PlusFunction), accumulated, operand);
            } else {
                accumulated += QLatin1Char(' ') + m_units.at(op).text + QLatin1Char(' ') + operand;
            }
            end = nextEnd;
        }
        if (!sawPlus)
            return false;
        rewritten = accumulated;
        return true;
    }

    QList<Unit> m_units;
};

// The depth of translateSequence's own recursion, through groups and CASE.
thread_local int sequenceDepth = 0;

QString translateSequence(const QList<Node> &nodes)
{
    const NestingGuard guard(sequenceDepth);
    return ChainRewriter(unitsOf(nodes)).run();
}

} // namespace

QString translateTsql(const QString &statement)
{
    return translateSequence(nest(foldTextRuns(tokenize(statement))));
}

} // namespace platform::sql
