#pragma once

#include <QString>

struct sqlite3;

namespace platform::sqlite {

// Remakes a table of main whose columns or indexes name the desk's collation
// without it, so that SQLite programs without the desk's collation can write
// it: the table is made anew under a passing name, every row copied (the
// counts must agree), the old one dropped and the new one renamed, and its
// indexes and triggers made again without the collation. Views name the table
// and read it again once renamed. Runs inside the caller's transaction;
// false, with nothing done that the caller must keep, when any step fails.
bool makeTablePlain(sqlite3 *db, const QString &table);

} // namespace platform::sqlite
