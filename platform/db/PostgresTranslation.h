#pragma once

#include <QString>

namespace platform {

// Rewrites the desk's T-SQL for PostgreSQL: "@@TRANCOUNT", "GETDATE()",
// "CHAR(n)", "+" between texts, "CONVERT(DATETIME,'...',102)", bracketed
// names, and LIKE made blind to case and accents through lower(unaccent()). Quoted
// literals pass through untouched. Raises a RuntimeError for a statement whose
// parentheses nest deeper than sql::MaxNestingDepth.
QString translateForPostgres(const QString &statement);

} // namespace platform
