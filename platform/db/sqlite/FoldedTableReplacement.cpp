#include "platform/db/sqlite/FoldedTableReplacement.h"

#include "platform/db/access/ProviderErrors.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sqlite/FoldedIndexObjects.h"
#include "platform/db/sqlite/FoldedIndexUpkeep.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "platform/db/sqlite/SqliteProvider.h"
#include "platform/db/sqlite/SqliteQuery.h"
#include "platform/runtime/RuntimeError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <limits>

#include <sqlite3.h>

namespace platform::sqlite {

namespace {

using sql::Token;
using sql::TokenKind;

// Names no earlier form of an index matches, so no desk takes them for its own.
const QString StagingPrefix = QStringLiteral("carga_");
const QString RetiredPrefix = QStringLiteral("retirado_");

// How long one transaction of the slices may hold the file's write lock, and
// how long it is then left free: a desk waiting for the lock tries again every
// few milliseconds, so it gets in between two slices.
constexpr qint64 SliceBudgetMs = 60;
constexpr unsigned long PauseMs = 10;

// Rows (or pages) per slice, grown or shrunk to the budget on any machine:
// short enough for a delivery waiting on it, long enough that the commits do
// not cost the most.
class SliceSize
{
public:
    explicit SliceSize(int rows) : m_rows(rows) {}

    int rows() const { return m_rows; }
    void start() { m_timer.start(); }
    void finished()
    {
        const qint64 ms = m_timer.elapsed();
        if (ms < SliceBudgetMs / 2 && m_rows < 65536)
            m_rows *= 2;
        else if (ms > SliceBudgetMs * 2 && m_rows > 64)
            m_rows /= 2;
    }

private:
    int m_rows;
    QElapsedTimer m_timer;
};

// A wait for another connection's lock; each of them holds it briefly.
constexpr int LockWaitMs = 30000;

// What of a text index's shadow tables grows with its rows, and may go before
// the index is dropped. The drop connects to it first, which reads _config and
// the records FTS5 keeps at fixed ids in _data (1, the averages; 10, the
// structure), so those stay until then.
struct GrowingShadow
{
    QLatin1String suffix;
    QLatin1String rows;
};
constexpr GrowingShadow GrowingShadows[] = {
    {QLatin1String("_data"), QLatin1String("id > 10")},
    {QLatin1String("_content"), QLatin1String("1")},
    {QLatin1String("_docsize"), QLatin1String("1")},
};

// Leaves the write lock free for a moment after a slice's commit.
void pause()
{
    QThread::msleep(PauseMs);
}

FoldedIndexDefinition prefixed(FoldedIndexDefinition d, const QString &prefix)
{
    for (QString *name : {&d.table, &d.textIndex, &d.keyTable, &d.changeLog, &d.stateTable})
        name->prepend(prefix);
    d.views.clear();
    d.earlierForms.clear();
    return d;
}

// A CREATE TABLE statement under another table name.
QString renamedStatement(const QString &statement, const QString &name)
{
    QList<Token> tokens = sql::tokenize(statement);
    bool afterTable = false;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token &token = tokens.at(i);
        if (token.kind == TokenKind::Whitespace || token.kind == TokenKind::Comment)
            continue;
        if (!afterTable) {
            afterTable = token.is(TokenKind::Identifier, u"TABLE");
            continue;
        }
        if (token.is(TokenKind::Identifier, u"IF") || token.is(TokenKind::Identifier, u"NOT") ||
            token.is(TokenKind::Identifier, u"EXISTS"))
            continue;
        if (token.kind != TokenKind::Identifier && token.kind != TokenKind::QuotedIdentifier)
            break;
        qsizetype next = i + 1;
        while (next < tokens.size() && tokens.at(next).kind == TokenKind::Whitespace)
            ++next;
        if (next < tokens.size() && tokens.at(next).isPunctuation(QLatin1Char('.')))
            continue; // a schema's name; the table's follows the dot
        QString text;
        for (qsizetype k = 0; k < tokens.size(); ++k)
            text += k == i ? quotedName(name) : tokens.at(k).text;
        return text;
    }
    return QString();
}

// The index's tables an import fills beside the live ones and renames into
// place; the change log and the state are made anew at the swap.
bool filledBeside(const SchemaObject &object, const FoldedIndexDefinition &d)
{
    return object.type == u"table" && object.name != d.changeLog && object.name != d.stateTable;
}

bool isVirtual(const SchemaObject &object)
{
    return object.sql.startsWith(QLatin1String("CREATE VIRTUAL TABLE"), Qt::CaseInsensitive);
}

} // namespace

FoldedTableReplacement::FoldedTableReplacement(const QString &file, FoldedIndexDefinition definition)
    : m_file(file), m_live(std::move(definition)), m_staging(prefixed(m_live, StagingPrefix)),
      m_onlyReplacement(file + QStringLiteral(".carga.lock"))
{
    // One replacement of a file at a time: a second one would clear away the
    // staging table the first is filling. A lock left by a process that died is
    // taken over; a lock is never old enough to be taken from a live one.
    m_onlyReplacement.setStaleLockTime(0);
    if (!m_onlyReplacement.tryLock(0)) {
        qint64 pid = 0;
        QString host, program;
        m_onlyReplacement.getLockInfo(&pid, &host, &program);
        throw RuntimeError(ProviderError::OpenFailed,
                           m_onlyReplacement.error() == QLockFile::LockFailedError
                               ? QStringLiteral("another import of %1 is running (process %2 on %3)")
                                     .arg(QDir::toNativeSeparators(file))
                                     .arg(pid)
                                     .arg(host)
                               : QStringLiteral("%1 cannot be locked for the import")
                                     .arg(QDir::toNativeSeparators(m_onlyReplacement.fileName())));
    }
    const int rc =
        sqlite3_open_v2(existingFileUri(file).constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK || installDeskFunctions(m_db) != SQLITE_OK) {
        const QString message = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw RuntimeError(ProviderError::OpenFailed,
                           QStringLiteral("[SQLite] %1: %2").arg(message, QDir::toNativeSeparators(file)));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, LockWaitMs);
    // As the desks do: each commit is copied into the main file at once.
    sqlite3_wal_autocheckpoint(m_db, 1);
    // Renames on this connection leave the views alone: they go on naming the
    // live table, which the staging table becomes.
    run(QStringLiteral("PRAGMA legacy_alter_table = ON"));
    try {
        // Left by an import or a clearing that was cut short.
        clearAway(StagingPrefix);
        clearRetired();
        prepareStaging();
    } catch (...) {
        sqlite3_close_v2(m_db);
        throw;
    }
}

FoldedTableReplacement::~FoldedTableReplacement()
{
    if (m_writing)
        execute(m_db, QStringLiteral("ROLLBACK"));
    if (!m_swapped) {
        try {
            clearAway(StagingPrefix);
        } catch (const RuntimeError &) {
            // The next replacement clears it first.
        }
    }
    sqlite3_close_v2(m_db);
}

QString FoldedTableReplacement::stagingTable() const
{
    return m_staging.table;
}

void FoldedTableReplacement::fail(const QString &what) const
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (!sqlite3_get_autocommit(m_db))
        execute(m_db, QStringLiteral("ROLLBACK"));
    m_writing = false;
    throw RuntimeError(ProviderError::StatementFailed,
                       QStringLiteral("[SQLite] %1 (%2): %3").arg(what, message, QDir::toNativeSeparators(m_file)));
}

void FoldedTableReplacement::run(const QString &statements) const
{
    if (!execute(m_db, statements))
        fail(QStringLiteral("the register could not be replaced"));
}

// A transaction that changes the schema keeps the live index's proof when it
// held before: nothing the index serves was touched, only the version moved.
class SchemaChange
{
public:
    SchemaChange(sqlite3 *db, const FoldedIndexDefinition &live) : m_db(db), m_live(live)
    {
        if (!execute(db, QStringLiteral("BEGIN IMMEDIATE")))
            return;
        m_begun = true;
        m_vouched = readIndexState(db, live).vouched();
    }
    ~SchemaChange()
    {
        if (m_begun)
            execute(m_db, QStringLiteral("ROLLBACK"));
    }
    SchemaChange(const SchemaChange &) = delete;
    SchemaChange &operator=(const SchemaChange &) = delete;

    bool begun() const { return m_begun; }

    bool commit()
    {
        if (m_vouched) {
            const auto version = numberOf(m_db, QStringLiteral("PRAGMA main.schema_version"));
            if (!version ||
                !execute(
                    m_db,
                    QStringLiteral("INSERT INTO main.%1 VALUES (%2)").arg(quotedName(m_live.stateTable)).arg(*version)))
                return false;
        }
        m_begun = !execute(m_db, QStringLiteral("COMMIT"));
        return !m_begun;
    }

private:
    sqlite3 *m_db;
    const FoldedIndexDefinition &m_live;
    bool m_begun = false;
    bool m_vouched = false;
};

void FoldedTableReplacement::prepareStaging() const
{
    SchemaChange change(m_db, m_live);
    if (!change.begun())
        fail(QStringLiteral("the register could not be locked"));
    const auto schema = readMainSchema(m_db);
    if (!schema)
        fail(QStringLiteral("the register's schema could not be read"));
    QString statement;
    for (const SchemaObject &object : *schema)
        if (object.type == u"table" && object.name.compare(m_live.table, Qt::CaseInsensitive) == 0)
            statement = renamedStatement(withoutDeskCollation(object.sql), m_staging.table);
    if (statement.isEmpty())
        fail(QStringLiteral("the register holds no table %1").arg(m_live.table));
    run(statement);
    for (const SchemaObject &object : indexObjects(m_staging))
        if (filledBeside(object, m_staging))
            run(object.sql);
    // No merging while it is filled (FTS5 would merge dozens of segments at once
    // inside some slice; 1999 is the most it takes): this import merges them in
    // slices of its own.
    setTextIndexMerging(m_staging.textIndex, 0, 1999);
    if (!change.commit())
        fail(QStringLiteral("the staging table could not be made"));
}

void FoldedTableReplacement::write(const QString &statements)
{
    // Writes gathered into transactions of about the budget, their commit
    // included: one each would spend the import's time on commits.
    if (!m_writing) {
        run(QStringLiteral("BEGIN IMMEDIATE"));
        m_writing = true;
        m_writingSince.start();
    }
    run(statements);
    if (m_writingSince.elapsed() + m_lastCommitMs >= SliceBudgetMs)
        finishWriting();
}

void FoldedTableReplacement::finishWriting()
{
    if (!m_writing)
        return;
    QElapsedTimer commit;
    commit.start();
    run(QStringLiteral("COMMIT"));
    m_writing = false;
    m_lastCommitMs = std::min(commit.elapsed(), SliceBudgetMs / 2);
    pause();
}

void FoldedTableReplacement::indexStaging() const
{
    const QString key = quotedName(m_staging.key);
    const QString slice =
        QStringLiteral("SELECT max(%1) FROM (SELECT %1 FROM main.%2 WHERE %1 > ?1 ORDER BY %1 LIMIT ?2)")
            .arg(key, quotedName(m_staging.table));
    QString after = QString::number(std::numeric_limits<qint64>::min());
    SliceSize size(2000);
    for (;;) {
        const auto last = textRows(m_db, slice, {after, QString::number(size.rows())});
        if (!last)
            fail(QStringLiteral("the new register could not be read"));
        const QString upTo = last->value(0).value(0);
        if (upTo.isNull())
            return;
        size.start();
        run(QStringLiteral("BEGIN IMMEDIATE"));
        if (!fillFoldedIndex(m_db, m_staging, QStringLiteral("%1 > %2 AND %1 <= %3").arg(key, after, upTo)))
            fail(QStringLiteral("the new register could not be indexed"));
        run(QStringLiteral("COMMIT"));
        size.finished();
        pause();
        after = upTo;
    }
}

void FoldedTableReplacement::setTextIndexMerging(const QString &index, int automerge, int crisismerge) const
{
    const QString name = quotedName(index);
    run(QStringLiteral("INSERT INTO main.%1 (%1, rank) VALUES ('automerge', %2); "
                       "INSERT INTO main.%1 (%1, rank) VALUES ('crisismerge', %3)")
            .arg(name)
            .arg(automerge)
            .arg(crisismerge));
}

// Filled a slice at a time, the text index holds many small segments: they
// are merged in slices too (FTS5's own merging would do it in one go, inside
// some slice's transaction), so that searches read few.
void FoldedTableReplacement::mergeTextIndex() const
{
    const QString merge =
        QStringLiteral("INSERT INTO main.%1 (%1, rank) VALUES ('merge', %2)").arg(quotedName(m_staging.textIndex));
    SliceSize pages(200);
    for (;;) {
        const int before = sqlite3_total_changes(m_db);
        pages.start();
        run(QStringLiteral("BEGIN IMMEDIATE"));
        run(merge.arg(pages.rows()));
        run(QStringLiteral("COMMIT"));
        pages.finished();
        pause();
        if (sqlite3_total_changes(m_db) - before < 2) // FTS5's sign that nothing was left to merge
            return;
    }
}

void FoldedTableReplacement::swap() const
{
    run(QStringLiteral("BEGIN IMMEDIATE"));
    // FTS5's own merging from now on, as in an index the desk made.
    setTextIndexMerging(m_staging.textIndex, 4, 16);
    const auto schema = readMainSchema(m_db);
    if (!schema)
        fail(QStringLiteral("the register's schema could not be read"));
    const QList<SchemaObject> family = indexFamily(*schema, m_live);
    auto inFamily = [&](const SchemaObject &object) {
        return std::any_of(family.begin(), family.end(), [&](const SchemaObject &f) { return f.name == object.name; });
    };
    // A site's own indexes and triggers on the table go with it and are made
    // again on the new one (an index of its own costs its build here).
    QList<SchemaObject> siteObjects;
    for (const SchemaObject &object : *schema)
        if ((object.type == u"index" || object.type == u"trigger") && !object.sql.isEmpty() && !inFamily(object) &&
            object.table.compare(m_live.table, Qt::CaseInsensitive) == 0)
            siteObjects << object;
    for (const SchemaObject &object : family + siteObjects)
        if (object.type == u"trigger" || (object.type == u"index" && !inFamily(object)))
            run(QStringLiteral("DROP %1 main.%2").arg(object.type.toUpper(), quotedName(object.name)));
    for (const SchemaObject &object : family)
        if (object.type == u"table")
            run(QStringLiteral("ALTER TABLE main.%1 RENAME TO %2")
                    .arg(quotedName(object.name), quotedName(RetiredPrefix + object.name)));
    run(QStringLiteral("ALTER TABLE main.%1 RENAME TO %2")
            .arg(quotedName(m_live.table), quotedName(RetiredPrefix + m_live.table)));
    run(QStringLiteral("ALTER TABLE main.%1 RENAME TO %2").arg(quotedName(m_staging.table), quotedName(m_live.table)));
    const QList<SchemaObject> staged = indexObjects(m_staging);
    const QList<SchemaObject> live = indexObjects(m_live);
    for (qsizetype i = 0; i < live.size(); ++i) {
        if (filledBeside(staged.at(i), m_staging))
            run(QStringLiteral("ALTER TABLE main.%1 RENAME TO %2")
                    .arg(quotedName(staged.at(i).name), quotedName(live.at(i).name)));
        else
            run(live.at(i).sql);
    }
    for (const SchemaObject &object : siteObjects)
        run(object.sql);
    // The version this transaction commits: nothing below changes the schema.
    const auto version = numberOf(m_db, QStringLiteral("PRAGMA main.schema_version"));
    if (!version)
        fail(QStringLiteral("the register's schema version could not be read"));
    run(QStringLiteral("INSERT INTO main.%1 VALUES (%2)").arg(quotedName(m_live.stateTable)).arg(*version));
    // Never a register the desks would not search through its index.
    if (!readIndexState(m_db, m_live).vouched())
        fail(QStringLiteral("the new register's index does not hold"));
    run(QStringLiteral("COMMIT"));
}

void FoldedTableReplacement::swapIn()
{
    finishWriting();
    indexStaging();
    mergeTextIndex();
    swap();
    m_swapped = true;
    clearRetired();
}

void FoldedTableReplacement::clearRetired() const
{
    try {
        clearAway(RetiredPrefix);
    } catch (const RuntimeError &) {
        // The new register is in place: what is left of the old one only takes
        // room, and the next replacement tries again.
    }
}

void FoldedTableReplacement::emptyTable(const QString &table, const QString &rows) const
{
    const auto keys = textRows(
        m_db, QStringLiteral("SELECT name FROM pragma_table_info(?1, 'main') WHERE pk > 0 ORDER BY pk"), {table});
    if (!keys)
        fail(QStringLiteral("a table left by an earlier import could not be read"));
    QStringList columns;
    for (const QStringList &row : *keys)
        columns << quotedName(row.value(0));
    const QString key = columns.isEmpty() ? QStringLiteral("rowid") : columns.join(QStringLiteral(", "));
    const QString slice = QStringLiteral("DELETE FROM main.%1 WHERE (%2) IN (SELECT %2 FROM main.%1 WHERE %3 LIMIT %4)")
                              .arg(quotedName(table), key, rows);
    SliceSize size(2000);
    for (;;) {
        size.start();
        run(QStringLiteral("BEGIN IMMEDIATE"));
        run(slice.arg(size.rows()));
        const int deleted = sqlite3_changes(m_db);
        run(QStringLiteral("COMMIT"));
        size.finished();
        pause();
        if (deleted == 0)
            return;
    }
}

bool FoldedTableReplacement::isOurs(const QString &name, const QString &prefix) const
{
    if (!name.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    // The table, or an object of its index in any form, shadow tables included.
    const QString rest = name.mid(prefix.size());
    return rest.compare(m_live.table, Qt::CaseInsensitive) == 0 ||
           !indexFamily({SchemaObject{QStringLiteral("table"), rest, rest, QString()}}, m_live).isEmpty() ||
           rest.startsWith(m_live.textIndex + QLatin1Char('_'), Qt::CaseInsensitive);
}

void FoldedTableReplacement::clearAway(const QString &prefix) const
{
    const auto schema = readMainSchema(m_db);
    if (!schema)
        fail(QStringLiteral("the register's schema could not be read"));
    QList<SchemaObject> tables;
    QStringList virtualTables;
    for (const SchemaObject &object : *schema)
        if (object.type == u"table" && isOurs(object.name, prefix)) {
            tables << object;
            if (isVirtual(object))
                virtualTables << object.name.toLower();
        }
    if (tables.isEmpty())
        return;
    // Emptied first, a slice at a time: a drop frees every page in one go.
    for (const SchemaObject &table : tables) {
        if (isVirtual(table))
            continue;
        const bool shadow = std::any_of(virtualTables.begin(), virtualTables.end(), [&](const QString &owner) {
            return table.name.toLower().startsWith(owner + QLatin1Char('_'));
        });
        if (!shadow) {
            emptyTable(table.name, QStringLiteral("1"));
            continue;
        }
        for (const GrowingShadow &growing : GrowingShadows)
            if (table.name.endsWith(growing.suffix, Qt::CaseInsensitive))
                emptyTable(table.name, growing.rows);
    }
    SchemaChange change(m_db, m_live);
    if (!change.begun())
        fail(QStringLiteral("the register could not be locked"));
    // A text index takes its shadow tables with it.
    for (const SchemaObject &table : tables)
        if (isVirtual(table))
            run(QStringLiteral("DROP TABLE main.%1").arg(quotedName(table.name)));
    for (const SchemaObject &table : tables)
        if (!isVirtual(table))
            run(QStringLiteral("DROP TABLE IF EXISTS main.%1").arg(quotedName(table.name)));
    if (!change.commit())
        fail(QStringLiteral("the old register could not be dropped"));
}

} // namespace platform::sqlite
