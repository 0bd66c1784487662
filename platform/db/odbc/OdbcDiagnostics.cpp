#include "platform/db/odbc/OdbcDiagnostics.h"

#include "platform/db/access/ProviderErrors.h"
#include "platform/db/odbc/OdbcApi.h"

#include <vector>

namespace platform::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the ODBC wide API must use UTF-16");

namespace {

// A statement ended by its command timeout: the driver's own (HYT00, HYT01) or
// PostgreSQL's statement_timeout (57014). A login timeout keeps the open failure.
bool isStatementTimeout(SQLSMALLINT handleType, const QString &sqlState)
{
    return handleType == SQL_HANDLE_STMT && (sqlState == QLatin1String("HYT00") || sqlState == QLatin1String("HYT01") ||
                                             sqlState == QLatin1String("57014"));
}

} // namespace

QList<ErrorRecord> diagnosticRecords(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QList<ErrorRecord> records;
    if (!handle)
        return records;
    for (SQLSMALLINT index = 1;; ++index) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> text(1024);
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, index, state, &native, text.data(),
                                      static_cast<SQLSMALLINT>(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            // The text was cut: ask again with room for all of it.
            text.resize(static_cast<size_t>(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, index, state, &native, text.data(),
                                static_cast<SQLSMALLINT>(text.size()), &length);
        }
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        ErrorRecord record;
        record.nativeError = native;
        record.sqlState = QString::fromUtf16(reinterpret_cast<const char16_t *>(state), 5);
        record.number = isStatementTimeout(handleType, record.sqlState) ? ProviderError::TimeoutExpired
                        : native != 0                                   ? native
                                                                        : GenericProviderError;
        const qsizetype textLength = qMin<qsizetype>(length, static_cast<qsizetype>(text.size()) - 1);
        record.description = QString::fromUtf16(reinterpret_cast<const char16_t *>(text.data()), textLength);
        records.append(record);
    }
    return records;
}

bool isUniqueViolation(const QList<ErrorRecord> &records)
{
    for (const ErrorRecord &record : records) {
        if (record.nativeError == 2627 || record.nativeError == 2601)
            return true;
        if (record.sqlState == QLatin1String("23505"))
            return true;
    }
    return false;
}

RuntimeError failure(SQLSMALLINT handleType, SQLHANDLE handle, QList<ErrorRecord> &errors, const QString &fallback)
{
    QList<ErrorRecord> records = diagnosticRecords(handleType, handle);
    if (records.isEmpty())
        records.append({GenericProviderError, fallback, 0, QString()});
    errors.append(records);
    const RuntimeError::Kind kind =
        isUniqueViolation(records) ? RuntimeError::Kind::UniqueViolation : RuntimeError::Kind::General;
    return RuntimeError(records.first().number, records.first().description, kind);
}

} // namespace platform::odbc
