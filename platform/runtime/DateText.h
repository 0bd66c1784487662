#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Reading dates written day-month-year, and the day serials of the date system.
namespace platform::datetext {

// "31-05-2014", "31/05/2014", "31.05.14", "2014-05-31", each optionally
// followed by "10:30" or "10:30:00"; or a time alone (on day 0).
std::optional<QDateTime> read(const QString &text, const QString &timeSeparator);

// Days since 30-12-1899, the time of day as the fraction.
double toSerial(const QDateTime &value);
// Nothing outside 01-01-100 .. 31-12-9999.
std::optional<QDateTime> fromSerial(double serial);

QDate dayZero();

} // namespace platform::datetext
