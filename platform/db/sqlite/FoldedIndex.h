#pragma once

#include "platform/db/sqlite/FoldedIndexDefinition.h"
#include "platform/db/sqlite/FoldedNarrowing.h"
#include "platform/db/sqlite/SqliteHooks.h"

namespace platform::sqlite {

// The hooks of one connection that keep a folded index and search through it.
// At open: a file whose table names the desk's collation, whose index is
// missing, of an earlier form or not whole (triggers dropped, the table made
// anew) is brought to the current form; a change log that holds rows is folded
// in. Each statement on the table or its shipped views is then narrowed
// through the index, and a COMMIT through the connection, of a transaction that
// named the table, folds in first what it wrote. When any of this cannot be done the statement is left
// to the scan; the index is never read unless the file shows it current.
class FoldedIndex final : public ConnectionHooks
{
public:
    explicit FoldedIndex(FoldedIndexDefinition definition) : m_definition(std::move(definition)) {}

    void opened(sqlite3 *db) override;
    QString rewrite(sqlite3 *db, const QString &translated) override;
    void beforeCommit(sqlite3 *db) override;

private:
    bool namesIndexed(const QString &statement) const; // the table or a narrowed view

    FoldedIndexDefinition m_definition;
    NarrowingPlan m_plan;
    qint64 m_planVersion = -1; // main's schema version the plan was made at
    bool m_tableNamed = false; // by a statement since the last COMMIT
};

} // namespace platform::sqlite
