#include "platform/db/sqlite/SqliteProvider.h"

#include "platform/db/access/ProviderErrors.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sql/TsqlTranslation.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "platform/db/sqlite/SqliteResult.h"
#include "platform/runtime/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

namespace platform::sqlite {

namespace {

// An URI that opens an existing file for reading and writing and never
// creates one, whatever the path holds.

RuntimeError openFailure(sqlite3 *db, int rc, const QString &path, QList<ErrorRecord> &errors)
{
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const QString description = QStringLiteral("[SQLite] %1: %2").arg(message, QDir::toNativeSeparators(path));
    errors.append({ProviderError::OpenFailed, description, rc, QStringLiteral("08001")});
    return RuntimeError(ProviderError::OpenFailed, description);
}

// False when the statement failed with the `tolerated` code; any other
// failure is raised.
bool runSetup(sqlite3 *db, const QByteArray &sql, const QString &path, QList<ErrorRecord> &errors,
              int tolerated = SQLITE_OK)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message);
    if (rc == SQLITE_OK)
        return true;
    if (tolerated != SQLITE_OK && (rc & 0xff) == tolerated) {
        sqlite3_free(message);
        return false;
    }
    const QString text = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
    sqlite3_free(message);
    const QString description = QStringLiteral("[SQLite] %1: %2").arg(text, QDir::toNativeSeparators(path));
    errors.append({ProviderError::OpenFailed, description, sqlite3_extended_errcode(db), QStringLiteral("08001")});
    throw RuntimeError(ProviderError::OpenFailed, description);
}

// WAL lets desks on one machine read while one of them writes. A file the
// desk may not write, or one in a folder it may not write (a read-only share
// or medium), cannot be switched to it: it is read in the mode it has. Either
// way the file is read here, so one that is no database fails at the open.
void useWalWherePossible(sqlite3 *db, const QByteArray &schema, const QString &path, QList<ErrorRecord> &errors)
{
    const QByteArray pragma = "PRAGMA \"" + schema + "\".journal_mode";
    if (sqlite3_db_readonly(db, schema.constData()) == 0 &&
        runSetup(db, pragma + "=WAL", path, errors, SQLITE_READONLY))
        return;
    runSetup(db, pragma, path, errors);
}

void attach(sqlite3 *db, const QString &path, const QString &schema, QList<ErrorRecord> &errors)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray sql = "ATTACH DATABASE ?1 AS \"" + schema.toUtf8() + '"';
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    const QByteArray uri = existingFileUri(path);
    if (rc == SQLITE_OK)
        rc = sqlite3_bind_text(statement, 1, uri.constData(), static_cast<int>(uri.size()), SQLITE_TRANSIENT);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw openFailure(db, rc, path, errors);
    useWalWherePossible(db, schema.toUtf8(), path, errors);
}

// COMMIT or END, with nothing after it but its own words.
bool isCommit(const QString &statement)
{
    bool first = true;
    for (const sql::Token &token : sql::tokenize(statement)) {
        if (token.kind == sql::TokenKind::Whitespace || token.kind == sql::TokenKind::Comment)
            continue;
        if (first && !token.is(sql::TokenKind::Identifier, u"COMMIT") && !token.is(sql::TokenKind::Identifier, u"END"))
            return false;
        if (!first && token.kind != sql::TokenKind::Identifier && !token.isPunctuation(QLatin1Char(';')))
            return false;
        first = false;
    }
    return !first;
}

} // namespace

QByteArray existingFileUri(const QString &path)
{
    QString absolute = QDir::fromNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (absolute.startsWith(QLatin1String("//")))
        absolute.prepend(QLatin1String("//")); // a share: file:////server/share/...
    else if (!absolute.startsWith(QLatin1Char('/')))
        absolute.prepend(QLatin1Char('/')); // a drive letter: file:/C:/...
    return "file:" + QUrl::toPercentEncoding(absolute, "/:") + "?mode=rw";
}

QString attachedSchemaName(const QString &path, const QStringList &taken)
{
    QString name = QFileInfo(path).completeBaseName();
    // Compiled once: every search opens a connection that attaches a file.
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_]"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name.compare(QLatin1String("main"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("temp"), Qt::CaseInsensitive) == 0 || taken.contains(name, Qt::CaseInsensitive))
        name = QStringLiteral("attached%1").arg(taken.size() + 1);
    return name;
}

SqliteProvider::~SqliteProvider()
{
    close();
}

void SqliteProvider::open(const ConnectionProperties &properties, const QString &, const QString &,
                          QList<ErrorRecord> &errors)
{
    close();
    const QString path = properties.value(QStringLiteral("Data Source"));
    if (path.isEmpty()) {
        const QString description = QStringLiteral("[SQLite] the connection string names no Data Source");
        errors.append({ProviderError::OpenFailed, description, SQLITE_CANTOPEN, QStringLiteral("08001")});
        throw RuntimeError(ProviderError::OpenFailed, description);
    }
    sqlite3 *db = nullptr;
    std::unique_ptr<StatementDeadline> deadline;
    // One connection serves one thread, so it needs no lock of its own: a row
    // of a hundred thousand is read without a million lock round trips.
    const int rc = sqlite3_open_v2(existingFileUri(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
        if (rc != SQLITE_OK)
            throw openFailure(db, rc, path, errors);
        sqlite3_extended_result_codes(db, 1);
        // Every write is copied into the main file as it commits (a passive
        // checkpoint, which waits for nobody), so a copy of the main file alone
        // holds it even while desks are open.
        sqlite3_wal_autocheckpoint(db, 1);
        bool lockWaitGiven = false;
        const int lockWaitMs = properties.value(QStringLiteral("Busy Timeout")).toInt(&lockWaitGiven);
        deadline = std::make_unique<StatementDeadline>(qint64(commandTimeoutSeconds(properties)) * 1000,
                                                       lockWaitGiven && lockWaitMs >= 0 ? lockWaitMs : -1);
        deadline->install(db);
        deadline->start(); // the setup below reads the files and may meet a lock
        if (installDeskFunctions(db) != SQLITE_OK)
            throw openFailure(db, sqlite3_errcode(db), path, errors);
        useWalWherePossible(db, "main", path, errors);
        QStringList schemas;
        const QStringList attached =
            properties.value(QStringLiteral("Attach")).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        for (const QString &file : attached) {
            const QString schema = attachedSchemaName(file.trimmed(), schemas);
            attach(db, file.trimmed(), schema, errors);
            schemas << schema;
        }
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    m_db = db;
    m_deadline = std::move(deadline);
    // Indexing a large register takes seconds, once.
    m_hooks = makeConnectionHooks();
    for (const auto &hooks : m_hooks)
        untimed([&] { hooks->opened(m_db); });
}

template <typename Step> void SqliteProvider::untimed(Step step)
{
    sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    step();
    m_deadline->install(m_db);
}

ResultTable SqliteProvider::execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors)
{
    QString translated;
    try {
        translated = sql::translateTsql(statement);
    } catch (const RuntimeError &error) {
        errors.append({error.number(), error.description(), SQLITE_ERROR, QStringLiteral("42000")});
        throw;
    }
    if (m_deadline)
        m_deadline->start();
    for (const auto &hooks : m_hooks)
        translated = hooks->rewrite(m_db, translated);
    if (m_db && !sqlite3_get_autocommit(m_db) && isCommit(translated)) {
        for (const auto &hooks : m_hooks)
            untimed([&] { hooks->beforeCommit(m_db); });
        m_deadline->start(); // the COMMIT's own time starts after that work
    }
    return runStatements(m_db, translated, recordsAffected, errors);
}

void SqliteProvider::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_hooks.clear();
    m_deadline.reset();
}

void createDatabaseFile(const QString &path, const QString &script)
{
    if (QFileInfo::exists(path))
        throw RuntimeError(ProviderError::OpenFailed, QStringLiteral("[SQLite] the file already exists: %1").arg(path));
    sqlite3 *db = nullptr;
    const QByteArray name = path.toUtf8(); // SQLite takes UTF-8 names on every system
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = installDeskFunctions(db);
    char *message = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, &message);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &message);
    const QString text = QString::fromUtf8(message ? message : (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    sqlite3_free(message);
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) {
        // A half-made database must not pass for a good one at the next run.
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
        throw RuntimeError(ProviderError::OpenFailed, QStringLiteral("[SQLite] %1: %2").arg(text, path));
    }
}

} // namespace platform::sqlite
