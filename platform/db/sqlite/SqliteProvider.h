#pragma once

#include "platform/db/access/Provider.h"
#include "platform/db/sqlite/SqliteDeadline.h"
#include "platform/db/sqlite/SqliteHooks.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct sqlite3;

namespace platform::sqlite {

// Connection-string keys of the embedded provider:
//   Data Source=<file>            the database; a missing file fails the open
//   Attach=<file>[|<file>...]     further files, reachable by unqualified
//                                 names the main file lacks, or qualified by
//                                 the file's base name ("haldor.tbVelunas")
//   Command Timeout=<seconds>     how long one statement may take, its wait
//                                 for another desk's lock included (30 when
//                                 absent; 0: no limit)
//   Busy Timeout=<milliseconds>   a shorter bound of the lock wait alone

class SqliteProvider final : public Provider
{
public:
    SqliteProvider() = default;
    ~SqliteProvider() override;
    SqliteProvider(const SqliteProvider &) = delete;
    SqliteProvider &operator=(const SqliteProvider &) = delete;

    void open(const ConnectionProperties &properties, const QString &user, const QString &password,
              QList<ErrorRecord> &errors) override;
    ResultTable execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors) override;
    void close() override;

private:
    // Runs a hook step without the command timeout (work that ends, not a
    // wait; a lock wait is still bounded), and gives the connection its
    // handlers back after it.
    template <typename Step> void untimed(Step step);

    sqlite3 *m_db = nullptr;
    std::unique_ptr<StatementDeadline> m_deadline; // the handlers of m_db point at it
    std::vector<std::unique_ptr<ConnectionHooks>> m_hooks;
};

// Creates a database file that must not exist yet and runs a script of plain
// SQLite statements in it, with the desk's functions and collation installed.
// Raises a RuntimeError on failure.
void createDatabaseFile(const QString &path, const QString &script);

// The name under which an attached file is reachable.
QString attachedSchemaName(const QString &path, const QStringList &taken);

// The URI that opens an existing file for reading and writing, never creating one.
QByteArray existingFileUri(const QString &path);

} // namespace platform::sqlite
