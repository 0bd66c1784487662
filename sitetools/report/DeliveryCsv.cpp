#include "sitetools/report/DeliveryCsv.h"

#include "platform/runtime/RuntimeError.h"

#include <QStringList>

namespace report {

namespace {

constexpr qsizetype FlushAt = 1 << 20;

// A spreadsheet runs a cell that begins like a formula; what an operator
// typed or a register held must stay text there.
bool readAsFormula(const QString &value)
{
    if (value.isEmpty())
        return false;
    const QChar first = value.front();
    return first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-') ||
           first == QLatin1Char('@') || first == QLatin1Char('\t') || first == QLatin1Char('\r');
}

// dd-mm-yyyy hh:mm, written out: a million deliveries go through here.
QString shown(const QDateTime &when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    const auto two = [](int value) { return QString::number(value).rightJustified(2, QLatin1Char('0')); };
    return two(date.day()) + QLatin1Char('-') + two(date.month()) + QLatin1Char('-') +
           QString::number(date.year()).rightJustified(4, QLatin1Char('0')) + QLatin1Char(' ') + two(time.hour()) +
           QLatin1Char(':') + two(time.minute());
}

} // namespace

DeliveryCsv::DeliveryCsv(QIODevice &out, CsvForm form)
    : m_out(out), m_form(form), m_separator(form == CsvForm::Spreadsheet ? ';' : ',')
{
    if (form == CsvForm::Spreadsheet)
        m_pending += "\xEF\xBB\xBF";
    const QStringList headers = {QStringLiteral("Convite nº"), QStringLiteral("Data e hora"),
                                 QStringLiteral("Associação"), QStringLiteral("Nº empresa"),
                                 QStringLiteral("Nome"),       QStringLiteral("Empresa"),
                                 QStringLiteral("E-mail")};
    for (qsizetype i = 0; i < headers.size(); ++i)
        field(headers.at(i), i == headers.size() - 1);
}

void DeliveryCsv::field(const QString &value, bool last)
{
    QString cell = value;
    if (m_form == CsvForm::Spreadsheet && readAsFormula(cell))
        cell.prepend(QLatin1Char('\''));
    const QByteArray bytes = cell.toUtf8();
    if (bytes.contains(m_separator) || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        m_pending += '"';
        m_pending += QByteArray(bytes).replace('"', "\"\"");
        m_pending += '"';
    } else {
        m_pending += bytes;
    }
    m_pending += last ? QByteArray("\r\n") : QByteArray(1, m_separator);
}

void DeliveryCsv::add(const Delivery &delivery)
{
    if (delivery.undone())
        return;
    m_pending += QByteArray::number(delivery.number);
    m_pending += m_separator;
    field(delivery.when.isValid() ? shown(delivery.when) : delivery.whenText);
    field(associationName(delivery.association));
    field(delivery.noTap);
    field(delivery.nome);
    field(delivery.empresa);
    field(delivery.email, true);
    if (m_pending.size() >= FlushAt)
        flush();
}

void DeliveryCsv::flush()
{
    if (m_pending.isEmpty())
        return;
    if (m_out.write(m_pending) != m_pending.size())
        throw platform::RuntimeError(platform::ErrorNumber::InternalError,
                                     QStringLiteral("the CSV could not be written: %1").arg(m_out.errorString()));
    m_pending.clear();
}

} // namespace report
