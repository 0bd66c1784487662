#pragma once

#include "platform/db/sqlite/FoldedIndexDefinition.h"

#include <QHash>

struct sqlite3;

namespace platform::sqlite {

// More rows than this found by the text index, and reading them one by one
// through it costs more than the scan it saves: the scan runs instead.
inline constexpr int NarrowingLimit = 5000;

// What one connection may do to the statements reading the indexed table or
// its views, as learned when it opened; names in lower case.
struct NarrowingPlan
{
    // The table and the views that read it as shipped: their key columns
    // compare case- and accent-blind.
    QStringList blind;
    // Those the index serves, while it is whole, each with its currency proof.
    QHash<QString, QString> narrowed;
};

// Rewrites a translated statement that reads one of the plan's names alone
// ("FROM <name> WHERE ..."): "<key column> = x" compares under the desk's
// collation; with the index, a condition "<key column> = '<text>'" or
// "<text column> LIKE '<pattern>'" standing alone among the WHERE's terms is
// also narrowed to the rows whose folded value the index finds, together with
// the rows the change log names and, should main's schema have changed since
// the open (a trigger dropped, the view made anew), every row. The condition itself stays, so the
// rows found are exactly those it holds for. Anything else comes back as it was.
QString narrowStatement(sqlite3 *db, const FoldedIndexDefinition &definition, const NarrowingPlan &plan,
                        const QString &translated);

} // namespace platform::sqlite
