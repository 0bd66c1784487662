#pragma once

#include "platform/db/access/Connection.h"
#include "sitetools/report/Delivery.h"
#include "sitetools/report/DeskConnections.h"

namespace report {

struct UndoRequest
{
    qint32 number = 0;
    QString reason;
    QString account;  // who undoes it
    QString computer; // and where
};

enum class UndoOutcome {
    Undone,
    Unknown,       // no delivery has that number
    AlreadyUndone, // the number's delivery was undone before
    Changed,       // the row changed between reading it and undoing it
};

struct UndoResult
{
    UndoOutcome outcome = UndoOutcome::Unknown;
    Delivery delivery; // the row as it was read
    QString message;   // for whoever ran the tool
};

// Undoes one delivery, so that its member can be given an invitation again
// at any desk while its number is never given again: in one transaction the
// row is copied to the record table, with when, who, where and why, and in
// the delivery table it becomes a row that keeps the number but matches no
// member (socio_id minus the number, base_dados 0, no company number or
// name), so the desk's next number (one more than the highest) and its
// earlier-delivery check stay as they are. Both statements are bound to the
// row as read: if another undo or anything else changed it meanwhile,
// nothing is kept. Raises a RuntimeError for a failure of the database.
UndoResult undoDelivery(platform::Connection &deliveries, Engine engine, const UndoRequest &request);

} // namespace report
