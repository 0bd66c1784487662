#include "platform/db/odbc/OdbcSession.h"

#include "platform/db/access/ProviderErrors.h"
#include "platform/db/odbc/OdbcApi.h"
#include "platform/db/odbc/OdbcConnectionPool.h"
#include "platform/db/odbc/OdbcDiagnostics.h"
#include "platform/db/odbc/OdbcResultReader.h"

#include <algorithm>
#include <mutex>

namespace platform {

namespace {

// The round trip that shows a kept connection still serves, and the rollback
// before one is kept, get this long whatever the statements' own bound: a
// live server answers them at once, and otherwise a fresh login is the cure.
constexpr int CheckSeconds = 2;

// How long the desk waits on a statement before it cuts the connection: the
// server's own limit, then as long again and 5 s more for its answer to
// arrive. FreeTDS gives up on a stalled statement itself at twice its limit.
int waitForAnswerMs(int serverSeconds)
{
    return serverSeconds > 0 ? serverSeconds * 2000 + 5000 : 0;
}

const SQLWCHAR *wide(const QString &text)
{
    return reinterpret_cast<const SQLWCHAR *>(text.utf16());
}

// One environment for the whole process, as the driver manager expects.
SQLHENV environment(QList<ErrorRecord> &errors)
{
    static SQLHENV handle = [] {
        SQLHENV env = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
            return SQLHENV(SQL_NULL_HENV);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return env;
    }();
    if (handle == SQL_NULL_HENV) {
        const ErrorRecord record{odbc::GenericProviderError,
                                 QStringLiteral("The ODBC driver manager is not available."), 0, QString()};
        errors.append(record);
        throw RuntimeError(record.number, record.description);
    }
    return handle;
}

// Frees a statement handle on every way out of execute().
struct StatementHandle
{
    SQLHSTMT handle = SQL_NULL_HSTMT;
    ~StatementHandle()
    {
        if (handle != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, handle);
    }
};

} // namespace

OdbcSession::~OdbcSession()
{
    disconnect();
}

// A parked connection serves only after a round trip shows the server still
// holds it; one the server dropped or stopped answering meanwhile is let go
// for a fresh login.
bool OdbcSession::reuseParked(const QString &key, int loginSeconds)
{
    const odbcpool::Kept kept = odbcpool::take(key);
    if (!kept.connection)
        return false;
    m_connection = kept.connection;
    m_socket = kept.socket;
    const int seconds = loginSeconds > 0 ? std::min(loginSeconds, CheckSeconds) : CheckSeconds;
    QList<ErrorRecord> ignored;
    bool alive = true;
    try {
        run(QStringLiteral("SELECT 1"), seconds, seconds * 1000, nullptr, ignored);
    } catch (const RuntimeError &) {
        alive = false;
    }
    alive = alive && !m_failed; // answered just as its wait ran out: cut all the same
    if (!alive) {
        odbcpool::drop(m_connection);
        m_connection = nullptr;
        m_socket = {};
        m_failed = false;
    }
    return alive;
}

void OdbcSession::connect(const OdbcTarget &target, QList<ErrorRecord> &errors)
{
    disconnect();
    m_commandTimeoutSeconds = target.commandTimeoutSeconds;
    m_failed = false;
    m_poolKey = target.reusable ? QStringLiteral("%1\n%2\n%3")
                                      .arg(target.connectionString)
                                      .arg(target.loginTimeoutSeconds)
                                      .arg(target.commandTimeoutSeconds)
                                : QString();
    if (!m_poolKey.isEmpty() && reuseParked(m_poolKey, target.loginTimeoutSeconds))
        return;
    SQLHENV env = environment(errors);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)))
        throw odbc::failure(SQL_HANDLE_ENV, env, errors, QStringLiteral("No connection handle could be allocated."));
    if (target.loginTimeoutSeconds > 0)
        SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(target.loginTimeoutSeconds)), 0);
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    SQLRETURN rc = SQL_ERROR;
    odbc::Socket socket;
    {
        // One login at a time, so the socket a login adds is its own.
        static std::mutex oneLogin;
        std::lock_guard lock(oneLogin);
        const odbc::LoginSockets sockets;
        rc = SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR *>(wide(target.connectionString)), SQL_NTS, completed,
                               1024, &completedLength, SQL_DRIVER_NOPROMPT);
        if (SQL_SUCCEEDED(rc))
            socket = sockets.opened();
    }
    if (!SQL_SUCCEEDED(rc)) {
        const RuntimeError error =
            odbc::failure(SQL_HANDLE_DBC, dbc, errors, QStringLiteral("The database server could not be reached."));
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw error;
    }
    // Warnings of a good login ("changed database context") are not errors of the connection.
    m_connection = dbc;
    m_socket = socket;
}

ResultTable OdbcSession::execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors)
{
    return run(statement, m_commandTimeoutSeconds, waitForAnswerMs(m_commandTimeoutSeconds), recordsAffected, errors);
}

ResultTable OdbcSession::run(const QString &statement, int serverSeconds, int waitMs, qint64 *recordsAffected,
                             QList<ErrorRecord> &errors)
{
    if (recordsAffected)
        *recordsAffected = -1;
    if (!m_connection)
        throw RuntimeError(ErrorNumber::ConnectionClosed,
                           QStringLiteral("Operation is not allowed when the object is closed."));
    auto dbc = static_cast<SQLHDBC>(m_connection);
    StatementHandle stmt;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt.handle)))
        throw odbc::failure(SQL_HANDLE_DBC, dbc, errors, QStringLiteral("No statement handle could be allocated."));
    SQLSetStmtAttr(stmt.handle, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), 0);
    SQLSetStmtAttr(stmt.handle, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    // A server that stalls or a lock held elsewhere ends the statement with HYT00
    // (FreeTDS) or 57014 (PostgreSQL's statement_timeout) instead of freezing the desk.
    if (serverSeconds > 0)
        SQLSetStmtAttr(stmt.handle, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(serverSeconds)), 0);

    // Cleared again only when every result was read without an error.
    m_failed = true;
    const odbc::SocketDeadline deadline(m_socket, waitMs);
    ResultTable first;
    try {
        SQLRETURN rc = SQLExecDirectW(stmt.handle, const_cast<SQLWCHAR *>(wide(statement)), SQL_NTS);
        if (rc == SQL_NO_DATA && recordsAffected)
            *recordsAffected = 0; // a searched UPDATE or DELETE that touched no row
        bool haveResult = false;
        // Walk every result so that an error of a later one is raised, not lost;
        // the first one with columns is the result set.
        while (rc != SQL_NO_DATA) {
            if (!SQL_SUCCEEDED(rc))
                throw odbc::failure(SQL_HANDLE_STMT, stmt.handle, errors, QStringLiteral("The statement failed."));
            SQLSMALLINT columns = 0;
            SQLNumResultCols(stmt.handle, &columns);
            if (columns > 0) {
                ResultTable table = odbc::readResult(stmt.handle, columns, errors);
                if (!haveResult) {
                    first = std::move(table);
                    haveResult = true;
                }
            } else if (recordsAffected && *recordsAffected < 0) {
                SQLLEN count = -1;
                SQLRowCount(stmt.handle, &count);
                *recordsAffected = count;
            }
            rc = SQLMoreResults(stmt.handle);
        }
    } catch (const RuntimeError &) {
        if (!deadline.fired())
            throw;
        // The driver's words are of a broken connection; the cause is the wait.
        const ErrorRecord record{ProviderError::TimeoutExpired,
                                 QStringLiteral("Timeout expired: the server did not answer within %1 seconds, so "
                                                "its connection was dropped.")
                                     .arg((waitMs + 999) / 1000),
                                 0, QStringLiteral("HYT00")};
        errors.append(record);
        throw RuntimeError(record.number, record.description);
    }
    // An answer that came as the connection was cut is good; the connection is not.
    m_failed = deadline.fired();
    return first;
}

void OdbcSession::disconnect()
{
    if (!m_connection)
        return;
    // Nothing of this session's work may reach the next user: an open
    // transaction is rolled back, and a session that met an error is not kept.
    QList<ErrorRecord> ignored;
    bool keep = !m_poolKey.isEmpty() && !m_failed;
    if (keep) {
        try {
            run(QStringLiteral("ROLLBACK"), CheckSeconds, CheckSeconds * 1000, nullptr, ignored);
        } catch (const RuntimeError &) {
            keep = false;
        }
        keep = keep && !m_failed;
    }
    if (keep)
        odbcpool::park(m_poolKey, {m_connection, m_socket});
    else
        odbcpool::drop(m_connection);
    m_connection = nullptr;
    m_socket = {};
}

QStringList OdbcSession::installedDrivers()
{
    QStringList names;
    QList<ErrorRecord> ignored;
    SQLHENV env = SQL_NULL_HENV;
    try {
        env = environment(ignored);
    } catch (const RuntimeError &) {
        return names;
    }
    SQLWCHAR description[512];
    SQLWCHAR attributes[2048];
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT descriptionLength = 0, attributesLength = 0;
        const SQLRETURN rc =
            SQLDriversW(env, direction, description, 512, &descriptionLength, attributes, 2048, &attributesLength);
        if (!SQL_SUCCEEDED(rc))
            break;
        names.append(QString::fromUtf16(reinterpret_cast<const char16_t *>(description),
                                        qMin<qsizetype>(descriptionLength, 511)));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

} // namespace platform
