#include "platform/db/sqlite/FoldedIndex.h"

#include "platform/db/sqlite/FoldedIndexObjects.h"
#include "platform/db/sqlite/FoldedIndexUpkeep.h"
#include "platform/db/sqlite/SqliteQuery.h"

#include <sqlite3.h>

#include <algorithm>
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
    m_planVersion = state.schemaVersion;
}

QString FoldedIndex::rewrite(sqlite3 *db, const QString &translated)
{
    // A schema changed since the plan was made (a register swapped in by an
    // import, say) is read again, so the new index serves this connection too.
    // Not inside a transaction: a read there would pin its snapshot before its
    // first write, which could then no longer wait for another writer's lock.
    if (sqlite3_get_autocommit(db) && namesIndexed(translated)) {
        const auto version = numberOf(db, QStringLiteral("PRAGMA main.schema_version"));
        if (version && *version != m_planVersion) {
            const FoldedIndexState state = readIndexState(db, m_definition);
            m_plan = planFor(state, m_definition);
            m_planVersion = state.schemaVersion;
        }
    }
    m_tableNamed = m_tableNamed || translated.contains(m_definition.table, Qt::CaseInsensitive);
    return narrowStatement(db, m_definition, m_plan, translated);
}

bool FoldedIndex::namesIndexed(const QString &statement) const
{
    if (statement.contains(m_definition.table, Qt::CaseInsensitive))
        return true;
    return std::any_of(m_definition.views.begin(), m_definition.views.end(),
                       [&](const auto &view) { return statement.contains(view.name, Qt::CaseInsensitive); });
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
