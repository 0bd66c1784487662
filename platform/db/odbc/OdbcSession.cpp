#include "platform/db/odbc/OdbcSession.h"

#include "platform/db/odbc/OdbcApi.h"
#include "platform/db/odbc/OdbcConnectionPool.h"
#include "platform/db/odbc/OdbcDiagnostics.h"
#include "platform/db/odbc/OdbcResultReader.h"

namespace platform {

namespace {

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
// holds it; one the server dropped meanwhile is let go for a fresh login.
bool OdbcSession::reuseParked(const QString &key, int probeSeconds)
{
    m_connection = odbcpool::take(key);
    if (!m_connection)
        return false;
    // A server gone silent is given no longer than a fresh login would be.
    const int commandTimeout = m_commandTimeoutSeconds;
    if (probeSeconds > 0 && (commandTimeout == 0 || probeSeconds < commandTimeout))
        m_commandTimeoutSeconds = probeSeconds;
    QList<ErrorRecord> ignored;
    bool alive = true;
    try {
        execute(QStringLiteral("SELECT 1"), nullptr, ignored);
    } catch (const RuntimeError &) {
        alive = false;
    }
    m_commandTimeoutSeconds = commandTimeout;
    if (!alive) {
        odbcpool::drop(m_connection);
        m_connection = nullptr;
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
    const SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR *>(wide(target.connectionString)), SQL_NTS,
                                           completed, 1024, &completedLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const RuntimeError error =
            odbc::failure(SQL_HANDLE_DBC, dbc, errors, QStringLiteral("The database server could not be reached."));
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw error;
    }
    // Warnings of a good login ("changed database context") are not errors of the connection.
    m_connection = dbc;
}

ResultTable OdbcSession::execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors)
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
    if (m_commandTimeoutSeconds > 0)
        SQLSetStmtAttr(stmt.handle, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_commandTimeoutSeconds)), 0);

    // Cleared again only when every result was read without an error.
    m_failed = true;
    SQLRETURN rc = SQLExecDirectW(stmt.handle, const_cast<SQLWCHAR *>(wide(statement)), SQL_NTS);
    if (rc == SQL_NO_DATA && recordsAffected)
        *recordsAffected = 0; // a searched UPDATE or DELETE that touched no row
    ResultTable first;
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
    m_failed = false;
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
            execute(QStringLiteral("ROLLBACK"), nullptr, ignored);
        } catch (const RuntimeError &) {
            keep = false;
        }
    }
    if (keep)
        odbcpool::park(m_poolKey, m_connection);
    else
        odbcpool::drop(m_connection);
    m_connection = nullptr;
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
