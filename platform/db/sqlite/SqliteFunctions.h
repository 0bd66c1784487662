#pragma once

struct sqlite3;

namespace platform::sqlite {

// The collation the member views declare on their text columns: "=" then
// ignores case, accents and trailing blanks.
inline constexpr const char *MemberTextCollation = "CI_AI";

// velunas_fold(text): the text under the desk's one folding, as the name
// index keeps it; the same name the PostgreSQL schema gives its own.
inline constexpr const char *FoldFunction = "velunas_fold";

// Installs on one connection what the translated T-SQL calls: the run-time
// "+", CONVERT, CHAR, GETDATE, the transaction count, the server's LIKE, the
// folding and the member-text collation. Returns an SQLite result code.
int installDeskFunctions(sqlite3 *db);

} // namespace platform::sqlite
