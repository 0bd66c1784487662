#pragma once

#include "platform/db/access/Connection.h"
#include "platform/db/odbc/OdbcApi.h"
#include "platform/runtime/RuntimeError.h"

namespace platform::odbc {

// The number a provider error raises when its driver gives no native number
// (psqlODBC does not): the generic provider failure, never 0, which the error
// report would silently drop.
inline constexpr int GenericProviderError = -2147467259;

// Every diagnostic record of a handle, in the driver's order.
QList<ErrorRecord> diagnosticRecords(SQLSMALLINT handleType, SQLHANDLE handle);

// True for the records of a unique constraint: SQL Server's 2627 and 2601, and
// SQLSTATE 23505 (PostgreSQL). SQLSTATE 23000 alone covers other integrity errors.
bool isUniqueViolation(const QList<ErrorRecord> &records);

// Appends the handle's records to `errors` and builds the error they raise:
// the first record's number and text.
RuntimeError failure(SQLSMALLINT handleType, SQLHANDLE handle, QList<ErrorRecord> &errors, const QString &fallback);

} // namespace platform::odbc
