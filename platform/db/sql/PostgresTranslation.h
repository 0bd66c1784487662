#pragma once

#include <QString>

namespace platform {

// Rewrites the desk's T-SQL for PostgreSQL: "@@TRANCOUNT", "GETDATE()",
// "CHAR(n)", "+" between texts, "CONVERT(DATETIME,'...',102)", bracketed
// names, and LIKE made blind to case and accents: its subject folded by
// velunas_fold() on the server, a literal pattern folded here by the same rules
// (postgresPatternMatch). Other quoted literals pass through untouched.
// Raises a RuntimeError for a statement whose parentheses nest deeper than
// sql::MaxNestingDepth.
QString translateForPostgres(const QString &statement);

} // namespace platform
