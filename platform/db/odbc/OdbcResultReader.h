#pragma once

#include "platform/db/access/Connection.h"
#include "platform/db/odbc/OdbcApi.h"

namespace platform::odbc {

// Reads the current result of a statement to its end: column names and every
// row, each field converted to the variant the desk reads (NULL → invalid,
// integers → qlonglong, floats → double, text → QString, dates → QDateTime).
// A failed fetch raises after appending its records to `errors`.
ResultTable readResult(SQLHSTMT statement, SQLSMALLINT columnCount, QList<ErrorRecord> &errors);

} // namespace platform::odbc
