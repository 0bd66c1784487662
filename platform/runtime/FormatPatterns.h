#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The two kinds of format pattern: dates ("dd-mm-yyyy Hh:Nn") and numbers
// ("#,##0.00;- #,##0.00"). Both take a "quoted" text or a \ escaped
// character literally.
namespace platform::formatpatterns {

// A pattern is a date pattern when it holds a day, month, year, hour,
// minute or second place outside its literals.
bool isDatePattern(const QString &pattern);

// Splits at ";" outside literals.
QStringList sections(const QString &pattern);

QString formatDate(const QDateTime &value, const QString &pattern, const QString &timeSeparator);

// `exactMagnitude`, when not null, is the integer's own magnitude, so that
// big integers keep every digit.
QString formatNumber(double value, const quint64 *exactMagnitude, const QString &pattern, const QString &decimal,
                     const QString &thousand);

} // namespace platform::formatpatterns
