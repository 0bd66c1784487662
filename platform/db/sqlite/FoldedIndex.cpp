#include "platform/db/sqlite/FoldedIndex.h"

#include "platform/db/sqlite/FoldedIndexObjects.h"
#include "platform/db/sqlite/FoldedIndexUpkeep.h"

#include <sqlite3.h>

#include <utility>

namespace platform::sqlite {

namespace {

NarrowingPlan planFor(const FoldedIndexState &state, const FoldedIndexDefinition &definition)
{
    NarrowingPlan plan;
    // A schema that could not be read (another connection busy recovering the
    // file, say) is taken for the shipped one, so numbers still compare blind.
    if (!state.schemaRead) {
        plan.blind << definition.table.toLower();
        for (const FoldedIndexDefinition::View &view : definition.views)
            plan.blind << view.name.toLower();
        return plan;
    }
    if (!state.holdsTable)
        return plan;
    const QString table = definition.table.toLower();
    plan.blind << table;
    plan.blind << state.views;
    if (state.vouched())
        for (const QString &name : plan.blind)
            plan.narrowed.insert(name, currencyProof(state.schemaVersion));
    return plan;
}

} // namespace

void FoldedIndex::opened(sqlite3 *db)
{
    FoldedIndexState state = readIndexState(db, m_definition);
    if (state.needsBuild()) {
        buildFoldedIndex(db, m_definition);
        state = readIndexState(db, m_definition);
    } else if (state.vouched()) {
        // Without waiting for another writer's lock: the search reads the
        // logged rows meanwhile, and the next open or COMMIT takes them in.
        // The provider gives the connection its handlers back after this step.
        sqlite3_busy_handler(db, nullptr, nullptr);
        catchUpFoldedIndex(db, m_definition);
    }
    m_plan = planFor(state, m_definition);
}

QString FoldedIndex::rewrite(sqlite3 *db, const QString &translated)
{
    m_tableNamed = m_tableNamed || translated.contains(m_definition.table, Qt::CaseInsensitive);
    return narrowStatement(db, m_definition, m_plan, translated);
}

void FoldedIndex::beforeCommit(sqlite3 *db)
{
    // A transaction that wrote only other tables (a delivery) commits at once.
    if (m_plan.blind.isEmpty() || !std::exchange(m_tableNamed, false))
        return;
    // The transaction may have made the table anew: its index is made with it.
    bringFoldedIndexUpToDate(db, m_definition);
}

} // namespace platform::sqlite
