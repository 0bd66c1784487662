#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace platform {

// Values of the desk are QVariants: Null is the invalid QVariant, text is a
// QString, numbers are int/qlonglong/double (float for single precision),
// dates are QDateTime or QDate, truth values are bool. Dates carry no time
// zone: only their date and time of day are ever read, and the ones made
// here are UTC so that no civil time is skipped or doubled.

bool IsNull(const QVariant &value);

// The value's text: numbers with the locale's decimal mark and no grouping,
// dates "dd-mm-yyyy" with " hh:nn:ss" when a time is present, "True"/"False",
// Null gives the empty text.
QString CStr(const QVariant &value);

// Whether the value is a number or text that reads as one under the user's
// locale (sign, grouping, decimal mark, surrounding blanks, exponent).
bool IsNumeric(const QVariant &value);

// Raise 13 "Type mismatch" for text that is not a number, 94 "Invalid use of
// Null" for Null, 6 "Overflow" outside the target's range.
double CDbl(const QVariant &value);
float CSng(const QVariant &value);
// Rounds half to even.
qint32 CLng(const QVariant &value);

// Whether the value is a date or text that reads as one in day-month-year
// order ("31-05-2014", "31/05/2014", "31-05-2014 10:30", "10:30:00", ...).
bool IsDate(const QVariant &value);
// Raises 13 when the value is not a date; numbers are day serials.
QDateTime CDate(const QVariant &value);

// Day 0 of the date system, 30-12-1899 00:00, and the desk's "no date".
QDateTime ZeroDate();
QDateTime EmptyDate();
// Compares the dates' civil date and time, whatever their time zones.
bool SameDateTime(const QDateTime &left, const QDateTime &right);

// Rounds to the given number of decimals, half to even, as the decimal text
// of the number shows it.
double Round(double number, int decimals);

// Formats with a date pattern ("dd-mm-yyyy Hh:Nn:Ss") or a number pattern
// ("#,##0.00;- #,##0.00", "0.00 %") in the locale's characters. Text that
// does not read as a date or a number is returned unchanged; Null gives "".
QString Format(const QVariant &value, const QString &pattern);

} // namespace platform
