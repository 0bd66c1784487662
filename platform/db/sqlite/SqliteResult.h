#pragma once

#include "platform/db/access/Connection.h"

struct sqlite3;

namespace platform::sqlite {

// Runs every statement of the text in turn, each read to its end and
// finalized. The rows are those of the first statement that returns columns;
// recordsAffected is -1 for a query, else the rows the statements changed.
ResultTable runStatements(sqlite3 *db, const QString &text, qint64 *recordsAffected, QList<ErrorRecord> &errors);

} // namespace platform::sqlite
