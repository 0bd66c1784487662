#pragma once

#include <QString>

struct sqlite3;

namespace platform::sqlite {

// A member register file keeps its names folded (velunas_fold) in a trigram
// index of their own, kept by triggers on tbAssociados. The version is the
// folding's: raise it when the folding changes, and files indexed under the
// old one are indexed again at their next open.
inline constexpr const char *NameIndexTable = "ixAssociados_nome_v1";

// Gives the main database of an open connection its name index when it holds
// a member table without one, filling it from the members. Returns whether
// the index is there. A file that cannot take it (no FTS5, locked by another
// desk past the lock wait) answers false and is searched by scan, as before.
bool ensureNameIndex(sqlite3 *db);

// More members than this found by the index, and reading them one by one
// through it costs more than the scan it saves: the scan runs instead.
inline constexpr int NarrowingLimit = 5000;

// Narrows a translated name search through the index of the connection's
// main database: the condition "nome_union LIKE '<pattern>'" of a
// single-register statement becomes "(nome_union LIKE '<pattern>' AND
// contacto_id IN (<members whose folded name holds the pattern's longest
// plain runs of three or more characters>))". The LIKE stays, so the members
// found are exactly those it matches. Any other text, a pattern without such a
// run, and one the index finds in more than NarrowingLimit members come back
// unchanged.
QString narrowNameSearch(sqlite3 *db, const QString &translated);

} // namespace platform::sqlite
