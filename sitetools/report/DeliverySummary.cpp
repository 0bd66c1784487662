#include "sitetools/report/DeliverySummary.h"

namespace report {

// Rows come in order of number, so a gap is the distance to the one before.
void DeliverySummary::add(const Delivery &delivery)
{
    const qint64 number = delivery.number;
    if (number > m_highest + 1) {
        ++m_gapRuns;
        m_missing += number - m_highest - 1;
        if (m_gaps.size() < MaxGapsKept)
            m_gaps << NumberGap{m_highest + 1, number - 1};
    }
    m_highest = qMax(m_highest, number);
    if (delivery.undone()) {
        ++m_undone;
        return;
    }
    ++m_delivered;
    ++m_perAssociation[delivery.association];
    if (delivery.when.isValid())
        ++m_perHour[delivery.when.date()][delivery.when.time().hour()];
    else
        ++m_withoutDate;
}

} // namespace report
