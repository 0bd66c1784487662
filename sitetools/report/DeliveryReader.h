#pragma once

#include "platform/db/access/Connection.h"
#include "sitetools/report/Delivery.h"

#include <QList>

namespace report {

// Reads the delivery table in order of number, one range of numbers a
// statement, so a table of a million rows is never held whole and no desk
// waits behind one long read. It stops at the highest number there was when
// it began: what the desks give meanwhile is for the next report.
class DeliveryReader
{
public:
    explicit DeliveryReader(platform::Connection &deliveries, qint32 numbersPerRead = 20000);

    qint64 expectedRows() const { return m_expected; }
    qint64 lastNumber() const { return m_last; }
    // The next rows, in order of number; empty once every row was read.
    QList<Delivery> next();

private:
    bool skipEmptyRange();

    platform::Connection &m_connection;
    qint64 m_span;
    qint64 m_expected = 0;
    qint64 m_after = 0; // every number up to this one was read
    qint64 m_last = 0;
};

} // namespace report
