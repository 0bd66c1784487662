#pragma once

#include "platform/db/access/Connection.h"
#include "sitetools/report/DeliveryCsv.h"
#include "sitetools/report/SummaryPage.h"

#include <functional>

namespace report {

// Reads the delivery table once, in order of number, each batch's members
// looked up in the two registers: every row goes to the CSV (when there is
// one) and to the page's summary, then the record table's undone deliveries
// to the page. `progress` hears the rows read so far and the rows expected.
PageContent gatherReport(platform::Connection &deliveries, platform::Connection &haldor, platform::Connection &mirva,
                         DeliveryCsv *csv, const std::function<void(qint64, qint64)> &progress = {});

} // namespace report
