#pragma once

#include "platform/db/sqlite/FoldedIndexDefinition.h"

struct sqlite3;

// The index an embedded member register keeps beside its member table
// tbAssociados: the folded names (nome_union) in a trigram index, the folded
// company and member numbers (no_empresa, no_socio), and the change log its
// plain-SQL triggers fill. The desk's own connections build it, fold what any
// other writer logged, and narrow the searches through the two member views
// while the file's views read tbAssociados as schema/sqlite-members.sql does.
namespace registers {

const platform::sqlite::FoldedIndexDefinition &memberIndex();

// Gives every embedded connection opened from now on the register's hooks.
// Called before the desk, its tools or a test open a register; once is enough.
void installMemberIndex();

// The entry point of a tool that writes a register on the sqlite3 API
// rather than through a desk connection (which does this by itself at each
// COMMIT; the import builds its new register's index itself): on a connection with the desk's functions installed
// (platform::sqlite::installDeskFunctions), inside its transaction, just before
// it commits, brings the file to the index's current form or folds in the
// members it wrote, in that same transaction. False when the index could not
// be made current; searches then read the logged members, or scan.
bool bringIndexUpToDate(sqlite3 *db);

} // namespace registers
