#include "platform/db/sqlite/FoldedNarrowing.h"

#include "platform/db/sql/LikePattern.h"
#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sql/TextFolding.h"
#include "platform/db/sqlite/FoldedIndexObjects.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "platform/db/sqlite/SqliteQuery.h"

#include <algorithm>

namespace platform::sqlite {

namespace {

using sql::Token;
using sql::TokenKind;

QString nameOf(const Token *token)
{
    if (!token)
        return QString();
    if (token->kind == TokenKind::Identifier)
        return token->text;
    if (token->kind == TokenKind::QuotedIdentifier && token->text.size() >= 2)
        return token->text.mid(1, token->text.size() - 2);
    return QString();
}

bool isWord(const Token *token, QStringView word)
{
    return token && token->is(TokenKind::Identifier, word);
}

// What may follow a condition that stands alone among the WHERE's terms.
bool endsCondition(const Token *token)
{
    if (!token || token->isPunctuation(QLatin1Char(';')) || token->isPunctuation(QLatin1Char(')')))
        return true;
    for (QStringView word : {u"AND", u"OR", u"ORDER", u"GROUP", u"LIMIT"})
        if (isWord(token, word))
            return true;
    return false;
}

// The index's query for a pattern: its longest distinct plain runs of three
// or more folded characters, each a phrase; empty when it has none. A few
// runs narrow as well as all of them, and a pasted page has thousands.
QString indexQuery(const QString &pattern)
{
    constexpr qsizetype MostPhrases = 3;
    QStringList runs;
    for (const sql::LikeElement &element : sql::parseLikePattern(pattern, QChar())) {
        const QString run = QString::fromStdString(element.literal);
        if (element.kind == sql::LikeElement::Kind::Literal && run.toUcs4().size() >= 3 && !runs.contains(run))
            runs << run;
    }
    std::stable_sort(runs.begin(), runs.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QStringList phrases;
    for (const QString &run : runs.mid(0, MostPhrases))
        phrases << sql::quoted(run, QLatin1Char('"'));
    return phrases.join(QStringLiteral(" AND "));
}

// A key as the index keeps it: folded, trailing blanks away.
QString foldedKey(const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    std::string folded;
    sql::appendFolded(folded, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    while (!folded.empty() && folded.back() == ' ')
        folded.pop_back();
    return QString::fromUtf8(folded.data(), static_cast<qsizetype>(folded.size()));
}

class Narrowing
{
public:
    Narrowing(sqlite3 *db, const FoldedIndexDefinition &d, const QString &source, const QString &proof)
        : m_db(db), m_d(d), m_source(source), m_proof(proof)
    {
    }

    // The rows whose change the index has not taken in yet, and every row the
    // statement reads once the proof fails (a view may then read another table).
    QString unvouched() const
    {
        return QStringLiteral(" UNION ALL SELECT %1 FROM main.%2 UNION ALL SELECT %1 FROM main.%3 WHERE %1 >= %4")
            .arg(quotedName(m_d.key), quotedName(m_d.changeLog), quotedName(m_source), m_proof);
    }

    // Whether the index finds the query in few enough rows to be read through.
    bool fewEnoughFound(const QString &query) const
    {
        const auto found = numberOf(
            m_db,
            QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM main.%1 WHERE %1 MATCH ?1 UNION ALL SELECT 1 FROM "
                           "main.%2 LIMIT %3)")
                .arg(quotedName(m_d.textIndex), quotedName(m_d.changeLog))
                .arg(NarrowingLimit + 1),
            {query});
        return found && *found <= NarrowingLimit;
    }

    QString byText(const QString &pattern) const
    {
        if (m_proof.isEmpty())
            return QString();
        const QString query = indexQuery(pattern);
        if (query.isEmpty() || !fewEnoughFound(query))
            return QString();
        return QStringLiteral(" AND %1 IN (SELECT rowid FROM main.%2 WHERE %2 MATCH %3%4)")
            .arg(quotedName(m_d.key), quotedName(m_d.textIndex), sql::quoted(query), unvouched());
    }

    QString byKey(const QString &column, const QString &value) const
    {
        if (m_proof.isEmpty() || value.contains(QChar(0)))
            return QString();
        return QStringLiteral(" AND %1 IN (SELECT %1 FROM main.%2 WHERE %3 = %4%5)")
            .arg(quotedName(m_d.key), quotedName(keyLookupTable(m_d, column)), quotedName(column),
                 sql::quoted(foldedKey(value)), unvouched());
    }

private:
    sqlite3 *m_db;
    const FoldedIndexDefinition &m_d;
    QString m_source;
    QString m_proof;
};

bool mentionsColumns(const QString &text, const FoldedIndexDefinition &d)
{
    if (text.contains(d.textColumn, Qt::CaseInsensitive))
        return true;
    for (const QString &column : d.keyColumns)
        if (text.contains(column, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

QString narrowStatement(sqlite3 *db, const FoldedIndexDefinition &definition, const NarrowingPlan &plan,
                        const QString &translated)
{
    // Most statements search nothing; an import's are long.
    if (plan.blind.isEmpty() || !mentionsColumns(translated, definition))
        return translated;
    const QList<Token> tokens = sql::tokenize(translated);
    QList<qsizetype> at; // the significant tokens, by their place in `tokens`
    for (qsizetype i = 0; i < tokens.size(); ++i)
        if (tokens[i].kind != TokenKind::Whitespace && tokens[i].kind != TokenKind::Comment)
            at << i;
    auto token = [&](qsizetype n) -> const Token * { return n >= 0 && n < at.size() ? &tokens[at[n]] : nullptr; };

    // One source read alone: "FROM <name> WHERE", and no other FROM.
    qsizetype from = -1;
    for (qsizetype n = 0; n < at.size(); ++n)
        if (isWord(token(n), u"FROM")) {
            if (from >= 0)
                return translated;
            from = n;
        }
    if (from < 0)
        return translated;
    const QString source = nameOf(token(from + 1));
    if (!plan.blind.contains(source.toLower()) || !isWord(token(from + 2), u"WHERE"))
        return translated;
    const Narrowing narrowing(db, definition, source, plan.narrowed.value(source.toLower()));

    QString rewritten;
    qsizetype copied = 0; // tokens before this one are in `rewritten`
    auto copyTo = [&](qsizetype end) {
        for (; copied < end; ++copied)
            rewritten += tokens[copied].text;
    };
    bool changed = false;
    for (qsizetype n = from + 3; n + 1 < at.size(); ++n) {
        const Token *before = token(n - 1);
        const bool alone = isWord(before, u"WHERE") || isWord(before, u"AND");
        const QString column = nameOf(token(n));
        const Token *value = token(n + 2);
        QString literal;
        const bool plainLiteral = value && value->kind == TokenKind::StringLiteral && endsCondition(token(n + 3)) &&
                                  sql::literalValue(value->text, literal);
        if (definition.keyColumns.contains(column, Qt::CaseInsensitive) && token(n + 1)->isOperator(u"=") &&
            (alone || isWord(before, u"OR") || isWord(before, u"NOT") || before->isPunctuation(QLatin1Char('(')))) {
            const QString narrowed = alone && plainLiteral ? narrowing.byKey(column, literal) : QString();
            copyTo(at[n]);
            if (!narrowed.isEmpty())
                rewritten += QLatin1Char('(');
            copyTo(at[n] + 1);
            rewritten += QStringLiteral(" COLLATE ") + QLatin1String(MemberTextCollation);
            if (!narrowed.isEmpty()) {
                copyTo(at[n + 2] + 1);
                rewritten += narrowed + QLatin1Char(')');
            }
            changed = true;
        } else if (alone && plainLiteral && column.compare(definition.textColumn, Qt::CaseInsensitive) == 0 &&
                   isWord(token(n + 1), u"LIKE")) {
            const QString narrowed = narrowing.byText(literal);
            if (narrowed.isEmpty())
                continue;
            copyTo(at[n]);
            rewritten += QLatin1Char('(');
            copyTo(at[n + 2] + 1);
            rewritten += narrowed + QLatin1Char(')');
            changed = true;
        }
    }
    if (!changed)
        return translated;
    copyTo(tokens.size());
    return rewritten;
}

} // namespace platform::sqlite
