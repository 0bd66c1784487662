#pragma once

#include "platform/db/access/Connection.h"

#include <QList>
#include <QTemporaryDir>

#include <utility>

namespace memberimport {

// Every contacto_id an import has taken so far and the line it came from,
// kept in a temporary database of its own: a register of any size is checked
// for duplicate ids in the few megabytes of the engine's cache.
class IdLedger
{
public:
    IdLedger(); // raises a RuntimeError when no temporary file can be made
    ~IdLedger();
    IdLedger(const IdLedger &) = delete;
    IdLedger &operator=(const IdLedger &) = delete;

    // For each (id, line) of a slice, in order: 0 when the id is new, and is
    // now taken by that line; else the line that took it first.
    QList<qint64> take(const QList<std::pair<qint64, qint64>> &idsAndLines);

private:
    QTemporaryDir m_folder;
    platform::Connection m_connection;
};

} // namespace memberimport
