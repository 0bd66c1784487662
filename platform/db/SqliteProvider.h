#pragma once

#include "platform/db/Provider.h"

#include <QString>
#include <QStringList>

struct sqlite3;

namespace platform::sqlite {

// Connection-string keys of the embedded provider:
//   Data Source=<file>            the database; a missing file fails the open
//   Attach=<file>[|<file>...]     further files, reachable by unqualified
//                                 names the main file lacks, or qualified by
//                                 the file's base name ("haldor.tbVelunas")
//   Busy Timeout=<milliseconds>   how long a statement waits for another
//                                 desk's lock (5000 when absent)
inline constexpr int DefaultBusyTimeoutMs = 5000;

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
    sqlite3 *m_db = nullptr;
};

// Creates a database file that must not exist yet and runs a script of plain
// SQLite statements in it, with the desk's functions and collation installed
// (the member views declare that collation). Raises a RuntimeError on failure.
void createDatabaseFile(const QString &path, const QString &script);

// The name under which an attached file is reachable.
QString attachedSchemaName(const QString &path, const QStringList &taken);

} // namespace platform::sqlite
