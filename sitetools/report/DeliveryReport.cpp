#include "sitetools/report/DeliveryReport.h"

#include "Deployment.h"
#include "sitetools/report/DeliveryReader.h"
#include "sitetools/report/MemberRegisters.h"

namespace report {

PageContent gatherReport(platform::Connection &deliveries, platform::Connection &haldor, platform::Connection &mirva,
                         DeliveryCsv *csv, const std::function<void(qint64, qint64)> &progress)
{
    PageContent page;
    page.eventTitle = QString::fromUtf8(deployment::EventTitle);
    page.madeAt = QDateTime::currentDateTime();
    DeliveryReader reader(deliveries);
    MemberRegisters registers(haldor, mirva);
    qint64 read = 0;
    for (QList<Delivery> batch = reader.next(); !batch.isEmpty(); batch = reader.next()) {
        registers.assign(batch);
        for (const Delivery &delivery : batch) {
            page.summary.add(delivery);
            if (csv)
                csv->add(delivery);
        }
        read += batch.size();
        if (progress)
            progress(read, reader.expectedRows());
    }
    if (csv)
        csv->flush();
    page.undone = readUndoneRecords(deliveries);
    return page;
}

} // namespace report
