#include "platform/db/sqlite/PlainTable.h"

#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sqlite/FoldedIndexObjects.h"
#include "platform/db/sqlite/SqliteQuery.h"

namespace platform::sqlite {

namespace {

// The column list and what follows it in a CREATE TABLE statement; empty when
// the statement has none (CREATE TABLE ... AS SELECT).
QString columnsOf(const QString &createTable)
{
    qsizetype at = 0;
    for (const sql::Token &token : sql::tokenize(createTable)) {
        if (token.isPunctuation(QLatin1Char('(')))
            return createTable.mid(at);
        at += token.text.size();
    }
    return QString();
}

} // namespace

bool makeTablePlain(sqlite3 *db, const QString &table)
{
    const auto schema = readMainSchema(db);
    if (!schema)
        return false;
    QString createTable;
    QStringList remade; // its indexes and triggers, made again once it is back
    for (const SchemaObject &object : *schema) {
        if (object.type == u"table" && object.name.compare(table, Qt::CaseInsensitive) == 0)
            createTable = object.sql;
        else if ((object.type == u"index" || object.type == u"trigger") &&
                 object.table.compare(table, Qt::CaseInsensitive) == 0 && !object.sql.isEmpty())
            remade << withoutDeskCollation(object.sql);
    }
    const QString columns = withoutDeskCollation(columnsOf(createTable));
    const QString passing = quotedName(table + QStringLiteral("_plain"));
    const QString name = quotedName(table);
    if (columns.isEmpty() || !execute(db, QStringLiteral("CREATE TABLE main.%1 %2").arg(passing, columns)) ||
        !execute(db, QStringLiteral("INSERT INTO main.%1 SELECT * FROM main.%2").arg(passing, name)))
        return false;
    const auto copied = numberOf(db, QStringLiteral("SELECT count(*) FROM main.%1").arg(passing));
    const auto held = numberOf(db, QStringLiteral("SELECT count(*) FROM main.%1").arg(name));
    if (!copied || !held || *copied != *held || !execute(db, QStringLiteral("DROP TABLE main.%1").arg(name)))
        return false;
    // The views name the table: in the legacy form the rename leaves them be
    // rather than refusing them for naming a table that is gone meanwhile.
    execute(db, QStringLiteral("PRAGMA legacy_alter_table = ON"));
    const bool renamed = execute(db, QStringLiteral("ALTER TABLE main.%1 RENAME TO %2").arg(passing, name));
    execute(db, QStringLiteral("PRAGMA legacy_alter_table = OFF"));
    if (!renamed)
        return false;
    for (const QString &statement : remade)
        if (!execute(db, statement))
            return false;
    return true;
}

} // namespace platform::sqlite
