#include "platform/db/sqlite/FoldedIndex.h"

#include "platform/db/sqlite/FoldedIndexObjects.h"
#include "platform/db/sqlite/FoldedIndexUpkeep.h"

namespace platform::sqlite {

namespace {

NarrowingPlan planFor(const FoldedIndexState &state, const FoldedIndexDefinition &definition)
{
    NarrowingPlan plan;
    if (!state.holdsTable)
        return plan;
    const QString table = definition.table.toLower();
    plan.blind << table;
    if (state.vouched())
        plan.narrowed.insert(table, currencyProof(definition, QString(), QString()));
    for (auto view = state.views.cbegin(); view != state.views.cend(); ++view) {
        plan.blind << view.key();
        if (state.vouched())
            plan.narrowed.insert(view.key(), currencyProof(definition, view->name, view->sql));
    }
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
        // Another desk or the next COMMIT may take the log in when this one cannot.
        catchUpFoldedIndex(db, m_definition);
    }
    m_plan = planFor(state, m_definition);
}

QString FoldedIndex::rewrite(sqlite3 *db, const QString &translated)
{
    return narrowStatement(db, m_definition, m_plan, translated);
}

void FoldedIndex::beforeCommit(sqlite3 *db)
{
    if (m_plan.blind.isEmpty())
        return;
    // The transaction may have made the table anew: its index is made with it.
    bringFoldedIndexUpToDate(db, m_definition);
}

} // namespace platform::sqlite
