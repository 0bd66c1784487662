#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;

namespace platform::sqlite {

// The engine's own small questions and upkeep, apart from the desk's
// statements: no translation, no result table.

// Runs every statement of the text; whether all of them succeeded.
bool execute(sqlite3 *db, const QString &sql);

// The rows of one statement as texts (a Null as a null QString), the
// parameters ?1, ?2... bound to `texts`; nothing when it fails.
std::optional<QList<QStringList>> textRows(sqlite3 *db, const QString &sql, const QStringList &texts = {});

// The first column of the first row as a whole number (0 for none or Null).
std::optional<qint64> numberOf(sqlite3 *db, const QString &sql, const QStringList &texts = {});

} // namespace platform::sqlite
