#pragma once

#include "platform/db/access/Recordset.h"

#include <QList>
#include <QString>

#include <memory>

namespace platform {

// One diagnostic record of a provider, kept in the connection's Errors.
struct ErrorRecord
{
    int number = 0; // the run-time error number it raised
    QString description;
    int nativeError = 0; // the database's own error code
    QString sqlState;
};

class Provider;

namespace ConnectionState {
inline constexpr int Closed = 0;
inline constexpr int Open = 1;
} // namespace ConnectionState

// A database connection, chosen by the "Provider" key of its connection string.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString() const { return m_connectionString; }
    // Raises an error while the connection is open, as the string is then fixed.
    void setConnectionString(const QString &connectionString);

    // Raises the provider's error when the database cannot be reached.
    void Open(const QString &user = QString(), const QString &password = QString(), int options = -1);
    void Close();
    int State() const;

    // Runs a statement; the result set holds every row it returned.
    std::unique_ptr<Recordset> Execute(const QString &statement, qint64 *recordsAffected = nullptr, int options = -1);
    // The rows of a statement, for a result set being opened on this connection.
    ResultTable query(const QString &statement, qint64 *recordsAffected = nullptr);

    const QList<ErrorRecord> &Errors() const { return m_errors; }
    void clearErrors() { m_errors.clear(); }

private:
    Provider &requireOpen();

    QString m_connectionString;
    std::unique_ptr<Provider> m_provider;
    QList<ErrorRecord> m_errors;
};

} // namespace platform
