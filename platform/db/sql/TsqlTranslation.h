#pragma once

#include <QString>

namespace platform::sql {

// Names of the functions the translated text calls; the SQLite provider
// installs them on every connection.
inline constexpr const char *PlusFunction = "velunas_plus";
inline constexpr const char *ConvertFunction = "velunas_convert";
inline constexpr const char *TranCountFunction = "velunas_trancount";

// Rewrites the desk's T-SQL into text SQLite runs with the same meaning:
// a binary "+" becomes a call decided by its operands' types at run time,
// CONVERT gets its type name as text, @@TRANCOUNT a function call that also
// reads the database. Constant runs of text joined by "+" become one literal
// first (foldTextRuns), and a literal holding a NUL is cast from its bytes.
// Other literals, bracketed names and comments are left alone;
// text outside this subset passes unchanged. Raises a RuntimeError for any
// other @name, which SQLite would silently take as an empty parameter, and for
// parentheses or CASE nested deeper than MaxNestingDepth.
QString translateTsql(const QString &statement);

} // namespace platform::sql
