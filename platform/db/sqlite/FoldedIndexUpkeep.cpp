#include "platform/db/sqlite/FoldedIndexUpkeep.h"

#include "platform/db/sqlite/FoldedIndexObjects.h"
#include "platform/db/sqlite/PlainTable.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "platform/db/sqlite/SqliteQuery.h"

#include <sqlite3.h>

#include <algorithm>

namespace platform::sqlite {

namespace {

// Below this many logged rows the index takes them in one by one.
constexpr qint64 FoldOneByOneBelow = 1000;

// The caller's transaction, under a savepoint, or one of its own.
class Transaction
{
public:
    explicit Transaction(sqlite3 *db) : m_db(db), m_own(sqlite3_get_autocommit(db) != 0)
    {
        m_begun = execute(db, m_own ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT folded_index"));
    }
    ~Transaction()
    {
        if (m_begun)
            finish(false);
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool begun() const { return m_begun; }

    bool finish(bool keep)
    {
        m_begun = false;
        if (m_own) {
            if (keep && execute(m_db, QStringLiteral("COMMIT")))
                return true;
            execute(m_db, QStringLiteral("ROLLBACK"));
            return false;
        }
        if (!keep)
            execute(m_db, QStringLiteral("ROLLBACK TO folded_index"));
        return execute(m_db, QStringLiteral("RELEASE folded_index")) && keep;
    }

private:
    sqlite3 *m_db;
    bool m_own;
    bool m_begun = false;
};

QString folded(const QString &column)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(FoldFunction), quotedName(column));
}

// Runs a statement on each key column's lookup table: %1 the lookup table,
// %2 the column, %3 the key, %4 the key table, %5 the rows' condition.
bool onEveryLookup(sqlite3 *db, const FoldedIndexDefinition &d, const QString &statement, const QString &rows)
{
    for (const QString &column : d.keyColumns)
        if (!execute(db, statement.arg(quotedName(keyLookupTable(d, column)), quotedName(column), quotedName(d.key),
                                       quotedName(d.keyTable), rows)))
            return false;
    return true;
}

} // namespace

bool fillFoldedIndex(sqlite3 *db, const FoldedIndexDefinition &d, const QString &condition)
{
    QStringList columns{quotedName(d.key)};
    QStringList values{quotedName(d.key)};
    for (const QString &column : d.keyColumns) {
        columns << quotedName(column);
        values << QStringLiteral("rtrim(%1, ' ')").arg(folded(column));
    }
    const QString table = QStringLiteral("main.") + quotedName(d.table);
    if (!execute(db, QStringLiteral("INSERT INTO main.%1 (rowid, %2) SELECT %3, %4 FROM %5 WHERE %6")
                         .arg(quotedName(d.textIndex), d.textColumn, quotedName(d.key), folded(d.textColumn), table,
                              condition)) ||
        !execute(db, QStringLiteral("INSERT INTO main.%1 (%2) SELECT %3 FROM %4 WHERE %5")
                         .arg(quotedName(d.keyTable), columns.join(QStringLiteral(", ")),
                              values.join(QStringLiteral(", ")), table, condition)))
        return false;
    // The lookups are read from the key table just filled: each value folded once.
    const QString added =
        condition == u"1"
            ? QString()
            : QStringLiteral(" AND %1 IN (SELECT %1 FROM %2 WHERE %3)").arg(quotedName(d.key), table, condition);
    return onEveryLookup(
        db, d, QStringLiteral("INSERT INTO main.%1 (%2, %3) SELECT %2, %3 FROM main.%4 WHERE %2 IS NOT NULL%5"), added);
}

namespace {

bool dropFamily(sqlite3 *db, const FoldedIndexDefinition &d)
{
    const auto schema = readMainSchema(db);
    if (!schema)
        return false;
    QList<SchemaObject> family = indexFamily(*schema, d);
    // Triggers first, so no write below fires one; tables take their indexes.
    std::stable_sort(family.begin(), family.end(), [](const SchemaObject &a, const SchemaObject &b) {
        return (a.type == u"trigger") > (b.type == u"trigger");
    });
    for (const SchemaObject &object : family)
        if (!execute(db,
                     QStringLiteral("DROP %1 IF EXISTS main.%2").arg(object.type.toUpper(), quotedName(object.name))))
            return false;
    return true;
}

bool makeIndex(sqlite3 *db, const FoldedIndexDefinition &d)
{
    const QList<SchemaObject> objects = indexObjects(d);
    for (const SchemaObject &object : objects)
        if (object.type == u"table" && !execute(db, object.sql))
            return false;
    if (!fillFoldedIndex(db, d, QStringLiteral("1")))
        return false;
    // The triggers last: nothing above is logged.
    for (const SchemaObject &object : objects)
        if (object.type != u"table" && !execute(db, object.sql))
            return false;
    // The version the transaction commits: nothing below changes the schema.
    const auto version = numberOf(db, QStringLiteral("PRAGMA main.schema_version"));
    return version &&
           execute(db, QStringLiteral("INSERT INTO main.%1 VALUES (%2)").arg(quotedName(d.stateTable)).arg(*version));
}

bool foldLogged(sqlite3 *db, const FoldedIndexDefinition &d)
{
    const QString logged =
        QStringLiteral("IN (SELECT %1 FROM main.%2)").arg(quotedName(d.key), quotedName(d.changeLog));
    // A lookup row is found by the value the key table still holds for its key.
    if (!onEveryLookup(db, d,
                       QStringLiteral("DELETE FROM main.%1 WHERE (%2, %3) IN (SELECT %2, %3 FROM main.%4 WHERE %3 %5)"),
                       logged))
        return false;
    return execute(db, QStringLiteral("DELETE FROM main.%1 WHERE rowid %2").arg(quotedName(d.textIndex), logged)) &&
           execute(db, QStringLiteral("DELETE FROM main.%1 WHERE %2 %3")
                           .arg(quotedName(d.keyTable), quotedName(d.key), logged)) &&
           fillFoldedIndex(db, d, QStringLiteral("%1 %2").arg(quotedName(d.key), logged)) &&
           execute(db, QStringLiteral("DELETE FROM main.%1").arg(quotedName(d.changeLog)));
}

} // namespace

bool buildFoldedIndex(sqlite3 *db, const FoldedIndexDefinition &definition)
{
    Transaction transaction(db);
    if (!transaction.begun())
        return false;
    // Another desk may have built it while this one waited for the lock.
    const FoldedIndexState state = readIndexState(db, definition);
    if (!state.needsBuild())
        return transaction.finish(true);
    bool built = dropFamily(db, definition) && (state.plain || makeTablePlain(db, definition.table));
    if (built && state.keyIsRowid)
        built = makeIndex(db, definition);
    return transaction.finish(built);
}

bool catchUpFoldedIndex(sqlite3 *db, const FoldedIndexDefinition &definition)
{
    const QString count = QStringLiteral("SELECT count(*) FROM main.");
    const auto pending = numberOf(db, count + quotedName(definition.changeLog));
    if (!pending)
        return false;
    if (*pending == 0)
        return true;
    Transaction transaction(db);
    if (!transaction.begun() || !readIndexState(db, definition).vouched())
        return false;
    const auto logged = numberOf(db, count + quotedName(definition.changeLog));
    if (!logged)
        return false;
    // Taking a row out of the text index costs about as much as reading it
    // back in: when most of the table changed, the index is made anew.
    bool remake = false;
    if (*logged >= FoldOneByOneBelow) {
        const auto rows = numberOf(db, count + quotedName(definition.table));
        remake = rows && *logged * 4 >= *rows;
    }
    return transaction.finish(remake ? dropFamily(db, definition) && makeIndex(db, definition)
                                     : foldLogged(db, definition));
}

bool bringFoldedIndexUpToDate(sqlite3 *db, const FoldedIndexDefinition &definition)
{
    if (readIndexState(db, definition).needsBuild())
        return buildFoldedIndex(db, definition);
    return catchUpFoldedIndex(db, definition);
}

} // namespace platform::sqlite
