#include "sitetools/report/DeliveryReader.h"

#include "platform/runtime/Conversions.h"

namespace report {

namespace {

qint64 wholeNumber(const QVariant &value)
{
    return platform::IsNull(value) ? 0 : value.toLongLong();
}

QString text(const QVariant &value)
{
    return platform::IsNull(value) ? QString() : value.toString();
}

Delivery deliveryOf(const platform::ResultRows &rows, qsizetype row)
{
    Delivery delivery;
    qint64 whole = 0;
    delivery.number = qint32(rows.integerAt(row, 0, &whole) ? whole : wholeNumber(rows.value(row, 0)));
    const QVariant when = rows.value(row, 1);
    delivery.when = when.toDateTime();
    if (!delivery.when.isValid())
        delivery.whenText = text(when);
    delivery.socioId = qint32(rows.integerAt(row, 2, &whole) ? whole : wholeNumber(rows.value(row, 2)));
    delivery.code = qint32(rows.integerAt(row, 3, &whole) ? whole : wholeNumber(rows.value(row, 3)));
    delivery.noTap = text(rows.value(row, 4));
    delivery.nome = text(rows.value(row, 5));
    delivery.empresa = text(rows.value(row, 6));
    delivery.email = text(rows.value(row, 7));
    return delivery;
}

} // namespace

DeliveryReader::DeliveryReader(platform::Connection &deliveries, qint32 numbersPerRead)
    : m_connection(deliveries), m_span(qMax(1, numbersPerRead))
{
    const platform::ResultTable extent = m_connection.query(
        QStringLiteral("SELECT MIN(convite_no) AS first, MAX(convite_no) AS last, COUNT(*) AS total FROM tbVelunas"));
    if (extent.rows.isEmpty())
        return;
    m_expected = wholeNumber(extent.rows.value(0, 2));
    if (m_expected == 0)
        return;
    m_after = wholeNumber(extent.rows.value(0, 0)) - 1;
    m_last = wholeNumber(extent.rows.value(0, 1));
}

// A range with no row: the next one starts at the next number there is.
bool DeliveryReader::skipEmptyRange()
{
    const platform::ResultTable next = m_connection.query(
        QStringLiteral("SELECT MIN(convite_no) AS next_number FROM tbVelunas WHERE convite_no > %1").arg(m_after));
    const QVariant first = next.rows.isEmpty() ? QVariant() : next.rows.value(0, 0);
    if (platform::IsNull(first) || wholeNumber(first) > m_last) {
        m_after = m_last;
        return false;
    }
    m_after = wholeNumber(first) - 1;
    return true;
}

QList<Delivery> DeliveryReader::next()
{
    QList<Delivery> deliveries;
    while (deliveries.isEmpty() && m_after < m_last) {
        const qint64 upTo = qMin(m_last, m_after + m_span);
        const platform::ResultTable table = m_connection.query(
            QStringLiteral("SELECT convite_no, data, socio_id, base_dados, no_tap, nome, empresa, email FROM tbVelunas "
                           "WHERE convite_no > %1 AND convite_no <= %2 ORDER BY convite_no")
                .arg(m_after)
                .arg(upTo));
        deliveries.reserve(table.rows.size());
        for (qsizetype row = 0; row < table.rows.size(); ++row)
            deliveries << deliveryOf(table.rows, row);
        m_after = upTo;
        if (deliveries.isEmpty() && !skipEmptyRange())
            break;
    }
    return deliveries;
}

} // namespace report
