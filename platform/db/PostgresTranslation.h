#pragma once

#include <QString>

namespace platform {

// Rewrites the desk's T-SQL for PostgreSQL: "@@TRANCOUNT", "GETDATE()",
// "CHAR(n)", "+" between texts, "CONVERT(DATETIME,'...',102)", bracketed
// names, and LIKE made blind to case and accents through lower(unaccent()). Quoted
// literals pass through untouched.
QString translateForPostgres(const QString &statement);

} // namespace platform
