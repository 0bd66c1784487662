#pragma once

#include "platform/db/sqlite/FoldedIndexDefinition.h"

struct sqlite3;

namespace platform::sqlite {

// Brings main to the index's current form: what is left of earlier forms
// dropped, the table made plain when it names the desk's collation (every row
// kept), the index made and filled from the table. One transaction: the
// caller's when one is open, else one of its own that waits for the write lock
// first. False when it could not (a lock held past the wait, a read-only file,
// no FTS5); the file is then as it was.
bool buildFoldedIndex(sqlite3 *db, const FoldedIndexDefinition &definition);

// Folds the rows the change log names into the index and empties the log;
// the index is made again when most of the table changed. In the caller's
// transaction when one is open, else in one of its own. False, with the file
// as it was, when the index is not whole or the log cannot be taken in now;
// the logged rows stay candidates of every search meanwhile.
bool catchUpFoldedIndex(sqlite3 *db, const FoldedIndexDefinition &definition);

// What a writer runs inside its transaction before it commits: the build when
// the file needs one (the table made anew, say), else the catch-up.
bool bringFoldedIndexUpToDate(sqlite3 *db, const FoldedIndexDefinition &definition);

// Adds to the index the table's rows that hold a condition (an SQL expression
// on the table's columns; "1" for all), in the caller's transaction.
bool fillFoldedIndex(sqlite3 *db, const FoldedIndexDefinition &definition, const QString &condition);

} // namespace platform::sqlite
