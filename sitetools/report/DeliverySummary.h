#pragma once

#include "sitetools/report/Delivery.h"

#include <QDate>
#include <QList>
#include <QMap>

namespace report {

// A run of numbers no delivery ever had, first to last.
struct NumberGap
{
    qint64 first = 0;
    qint64 last = 0;
};

// What the organisers' page tells, gathered row by row as the table is read.
class DeliverySummary
{
public:
    void add(const Delivery &delivery);

    qint64 delivered() const { return m_delivered; }
    qint64 deliveredFor(Association association) const { return m_perAssociation.value(association); }
    qint64 undone() const { return m_undone; }
    qint64 highestNumber() const { return m_highest; }
    // Deliveries per hour (0 to 23) of each day with any.
    const QMap<QDate, QMap<int, qint64>> &perHour() const { return m_perHour; }
    // Delivered rows whose date the engine did not read as a date.
    qint64 withoutDate() const { return m_withoutDate; }

    // Numbers from 1 to the highest that no row holds; the runs beyond the
    // first MaxGapsKept are counted but not kept.
    static constexpr qsizetype MaxGapsKept = 1000;
    const QList<NumberGap> &gaps() const { return m_gaps; }
    qint64 gapRuns() const { return m_gapRuns; }
    qint64 missingNumbers() const { return m_missing; }

private:
    qint64 m_delivered = 0;
    QMap<Association, qint64> m_perAssociation;
    qint64 m_undone = 0;
    qint64 m_highest = 0;
    qint64 m_withoutDate = 0;
    QMap<QDate, QMap<int, qint64>> m_perHour;
    QList<NumberGap> m_gaps;
    qint64 m_gapRuns = 0;
    qint64 m_missing = 0;
};

} // namespace report
