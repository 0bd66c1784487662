#pragma once

#include "sitetools/report/DeliverySummary.h"
#include "sitetools/report/UndoRecords.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRectF>

class QPainter;

namespace report {

// What the organisers' page shows.
struct PageContent
{
    DeliverySummary summary;
    QList<UndoneRecord> undone;
    QString eventTitle;
    QDateTime madeAt;
};

// One bar of the chart of deliveries per hour, as it was drawn.
struct DrawnBar
{
    QDate day;
    int hour = 0;
    qint64 count = 0;
    QRectF rect; // in points from the page's top left corner
};

// At most this many days are charted on the one page: the last ones.
inline constexpr int ChartedDays = 7;

// Draws the one A4 page in points: the totals per association and in all,
// a bar chart of deliveries per hour of each day, the numbers never given
// and the deliveries undone. Returns the bars it drew.
QList<DrawnBar> drawSummaryPage(QPainter &painter, const PageContent &content);

// The page as a PDF document.
QByteArray summaryPdf(const PageContent &content, QList<DrawnBar> *bars = nullptr);

} // namespace report
