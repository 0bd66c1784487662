#pragma once

#include "platform/db/access/Connection.h"
#include "sitetools/report/Delivery.h"

#include <QList>

namespace report {

// Tells for each delivery the register its member belongs to, by asking
// both registers' views for the member ids of a batch of deliveries. Both
// registers number their members alike, so an id found in both is decided by
// the company number and name the desk stored: the member whose ones they
// are (both, for one person listed in each register).
class MemberRegisters
{
public:
    MemberRegisters(platform::Connection &haldor, platform::Connection &mirva);

    void assign(QList<Delivery> &deliveries);

private:
    platform::Connection &m_haldor;
    platform::Connection &m_mirva;
};

} // namespace report
