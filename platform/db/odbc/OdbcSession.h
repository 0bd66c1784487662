#pragma once

#include "platform/db/access/Connection.h"
#include "platform/db/odbc/SocketDeadline.h"

#include <QStringList>

namespace platform {

// What a provider hands the ODBC layer to connect: a driver connection string
// and the timeouts, which drivers take only as attributes.
struct OdbcTarget
{
    QString connectionString;
    int loginTimeoutSeconds = 0;   // 0: the driver's own default
    int commandTimeoutSeconds = 0; // each statement's bound; 0: none
    bool reusable = false;         // a closed connection may serve the next open of the same target
};

// One ODBC connection through the wide-character API. Every result is read to
// its end through a forward-only, read-only cursor and kept in memory, so every
// driver behaves alike for moving back, counting and the next statement.
class OdbcSession
{
public:
    OdbcSession() = default;
    ~OdbcSession();
    OdbcSession(const OdbcSession &) = delete;
    OdbcSession &operator=(const OdbcSession &) = delete;

    // Both raise a RuntimeError after appending every diagnostic record to `errors`.
    void connect(const OdbcTarget &target, QList<ErrorRecord> &errors);
    ResultTable execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors);
    void disconnect();
    bool isConnected() const { return m_connection != nullptr; }

    // The driver names the driver manager knows, for choosing among installed drivers.
    static QStringList installedDrivers();

private:
    bool reuseParked(const QString &key, int loginSeconds);
    // One statement that the server may take `serverSeconds` over and the
    // desk waits `waitMs` for before it cuts the connection (0: no bound).
    ResultTable run(const QString &statement, int serverSeconds, int waitMs, qint64 *recordsAffected,
                    QList<ErrorRecord> &errors);

    void *m_connection = nullptr; // SQLHDBC, kept opaque so callers need no ODBC headers
    odbc::Socket m_socket;        // its socket where known, shut down under a call past its bound
    int m_commandTimeoutSeconds = 0;
    QString m_poolKey;     // empty: not reusable
    bool m_failed = false; // a statement failed: the session's state is not trusted to the next user
};

} // namespace platform
