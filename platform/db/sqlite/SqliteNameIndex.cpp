#include "platform/db/sqlite/SqliteNameIndex.h"

#include "platform/db/sql/LikePattern.h"
#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sqlite/SqliteFunctions.h"

#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <optional>

namespace platform::sqlite {

namespace {

using sql::Token;
using sql::TokenKind;

bool run(sqlite3 *db, const QString &sql)
{
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The names main's schema holds under a condition on its own columns.
std::optional<QStringList> schemaNames(sqlite3 *db, const QString &condition)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray sql = "SELECT name FROM main.sqlite_schema WHERE " + condition.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    QStringList names;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        return std::nullopt;
    return names;
}

// NoMembers also when the schema cannot be read: nothing is built then.
enum class IndexState { NoMembers, Missing, Present };

IndexState indexState(sqlite3 *db)
{
    const auto names = schemaNames(db, QStringLiteral("type = 'table' AND name IN ('tbAssociados' COLLATE NOCASE, "
                                                      "'%1' COLLATE NOCASE)")
                                           .arg(QLatin1String(NameIndexTable)));
    if (!names || !names->contains(QLatin1String("tbAssociados"), Qt::CaseInsensitive))
        return IndexState::NoMembers;
    return names->contains(QLatin1String(NameIndexTable), Qt::CaseInsensitive) ? IndexState::Present
                                                                               : IndexState::Missing;
}

// An index of an earlier folding, or one whose table is gone, goes with all
// its triggers: they would keep writing names folded the old way.
bool dropEarlierIndexes(sqlite3 *db)
{
    const QString family = QStringLiteral("name GLOB 'ixAssociados_nome_v*'");
    const auto triggers = schemaNames(db, family + QStringLiteral(" AND type = 'trigger'"));
    const auto tables = schemaNames(db, family + QStringLiteral(" AND sql GLOB 'CREATE VIRTUAL TABLE*'"));
    if (!triggers || !tables)
        return false;
    for (const QString &trigger : *triggers)
        if (!run(db, QStringLiteral("DROP TRIGGER main.") + sql::quoted(trigger, QLatin1Char('"'))))
            return false;
    for (const QString &table : *tables)
        if (!run(db, QStringLiteral("DROP TABLE main.") + sql::quoted(table, QLatin1Char('"'))))
            return false;
    return true;
}

// OR REPLACE: a member replaced by INSERT OR REPLACE leaves the table without
// a delete trigger firing, so the new name takes the old entry's place.
QString indexScript()
{
    return QStringLiteral("CREATE VIRTUAL TABLE main.%1 USING fts5(nome, tokenize = 'trigram');"
                          "CREATE TRIGGER main.%1_insert AFTER INSERT ON tbAssociados BEGIN"
                          "  INSERT OR REPLACE INTO %1 (rowid, nome) VALUES (new.contacto_id, %2(new.nome_union));"
                          "END;"
                          "CREATE TRIGGER main.%1_delete AFTER DELETE ON tbAssociados BEGIN"
                          "  DELETE FROM %1 WHERE rowid = old.contacto_id;"
                          "END;"
                          "CREATE TRIGGER main.%1_update AFTER UPDATE OF contacto_id, nome_union ON tbAssociados BEGIN"
                          "  DELETE FROM %1 WHERE rowid = old.contacto_id;"
                          "  INSERT OR REPLACE INTO %1 (rowid, nome) VALUES (new.contacto_id, %2(new.nome_union));"
                          "END;"
                          "INSERT INTO %1 (rowid, nome) SELECT contacto_id, %2(nome_union) FROM main.tbAssociados;")
        .arg(QLatin1String(NameIndexTable), QLatin1String(FoldFunction));
}

bool isWord(const Token &token, QStringView word)
{
    if (token.kind == TokenKind::Identifier)
        return token.text.compare(word, Qt::CaseInsensitive) == 0;
    return token.kind == TokenKind::QuotedIdentifier && token.text.size() == word.size() + 2 &&
           token.text.mid(1, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

bool isRegister(const Token &token)
{
    for (QStringView name : {u"vwAssociados_Completos_Activos", u"vwAssociados_Completos", u"tbAssociados"})
        if (isWord(token, name))
            return true;
    return false;
}

// What may follow a condition that stands alone among the WHERE's terms.
bool endsCondition(const Token *token)
{
    if (!token || token->isPunctuation(QLatin1Char(';')) || token->isPunctuation(QLatin1Char(')')))
        return true;
    for (QStringView word : {u"AND", u"OR", u"ORDER", u"GROUP", u"LIMIT"})
        if (token->is(TokenKind::Identifier, word))
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

// Whether the index finds the query in few enough members to be read through.
bool fewEnoughFound(sqlite3 *db, const QString &query)
{
    const QByteArray sql = QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM main.%1 WHERE %1 MATCH ?1 LIMIT ?2)")
                               .arg(QLatin1String(NameIndexTable))
                               .toUtf8();
    const QByteArray text = query.toUtf8();
    sqlite3_stmt *statement = nullptr;
    bool few =
        sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_bind_text(statement, 1, text.constData(), static_cast<int>(text.size()), SQLITE_STATIC) == SQLITE_OK &&
        sqlite3_bind_int(statement, 2, NarrowingLimit + 1) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW &&
        sqlite3_column_int(statement, 0) <= NarrowingLimit;
    sqlite3_finalize(statement);
    return few;
}

} // namespace

bool ensureNameIndex(sqlite3 *db)
{
    IndexState state = indexState(db);
    if (state != IndexState::Missing)
        return state == IndexState::Present;
    // Built once per file by the first desk that opens it; another desk
    // opening it meanwhile waits for the lock, then finds it built.
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    state = indexState(db);
    const bool built = state == IndexState::Present ||
                       (state == IndexState::Missing && dropEarlierIndexes(db) && run(db, indexScript()));
    if (built && run(db, QStringLiteral("COMMIT")))
        return true;
    run(db, QStringLiteral("ROLLBACK"));
    return false;
}

QString narrowNameSearch(sqlite3 *db, const QString &translated)
{
    // Most statements are no name search; an import's are long.
    if (!translated.contains(QLatin1String("nome_union"), Qt::CaseInsensitive) ||
        !translated.contains(QLatin1String("like"), Qt::CaseInsensitive))
        return translated;
    const QList<Token> tokens = sql::tokenize(translated);
    // The significant tokens, by their place in `tokens`.
    QList<qsizetype> at;
    for (qsizetype i = 0; i < tokens.size(); ++i)
        if (tokens[i].kind != TokenKind::Whitespace && tokens[i].kind != TokenKind::Comment)
            at << i;
    auto token = [&](qsizetype n) -> const Token * { return n >= 0 && n < at.size() ? &tokens[at[n]] : nullptr; };

    // One register read alone: "FROM <register> WHERE", and no other FROM.
    qsizetype from = -1;
    for (qsizetype n = 0; n < at.size(); ++n)
        if (token(n)->is(TokenKind::Identifier, u"FROM")) {
            if (from >= 0)
                return translated;
            from = n;
        }
    if (from < 0 || !isRegister(*token(from + 1)) || !token(from + 2) ||
        !token(from + 2)->is(TokenKind::Identifier, u"WHERE"))
        return translated;

    QString narrowed;
    qsizetype copied = 0; // tokens before this one are in `narrowed`
    bool changed = false;
    for (qsizetype n = from + 3; n + 2 < at.size(); ++n) {
        const Token *before = token(n - 1);
        if (!isWord(*token(n), u"nome_union") || !token(n + 1)->is(TokenKind::Identifier, u"LIKE") ||
            token(n + 2)->kind != TokenKind::StringLiteral ||
            !(before->is(TokenKind::Identifier, u"WHERE") || before->is(TokenKind::Identifier, u"AND")) ||
            !endsCondition(token(n + 3)))
            continue;
        QString pattern;
        if (!sql::literalValue(token(n + 2)->text, pattern)) // the text ends inside it
            continue;
        const QString query = indexQuery(pattern);
        if (query.isEmpty() || !fewEnoughFound(db, query))
            continue;
        for (; copied < at[n]; ++copied)
            narrowed += tokens[copied].text;
        narrowed += QLatin1Char('(');
        for (; copied <= at[n + 2]; ++copied)
            narrowed += tokens[copied].text;
        narrowed += QStringLiteral(" AND contacto_id IN (SELECT rowid FROM main.%1 WHERE %1 MATCH %2))")
                        .arg(QLatin1String(NameIndexTable), sql::quoted(query));
        changed = true;
    }
    if (!changed)
        return translated;
    for (; copied < tokens.size(); ++copied)
        narrowed += tokens[copied].text;
    return narrowed;
}

} // namespace platform::sqlite
