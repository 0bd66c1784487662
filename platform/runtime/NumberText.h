#pragma once

#include <QString>

// Reading and writing the decimal text of numbers, under given separators.
namespace platform::numbertext {

enum class Reading { Number, NotNumber, Overflow };

struct ReadNumber
{
    Reading reading = Reading::NotNumber;
    double value = 0;
};

// An optional sign, digits with grouping before the decimal mark, an
// optional exponent, surrounded by blanks. An empty thousand separator
// allows no grouping.
ReadNumber read(const QString &text, const QString &decimal, const QString &thousand);

// The decimal digits of a magnitude rounded to a number of decimals: the
// integer part without leading zeros ("" for none) and exactly `decimals`
// fraction digits. Doubles are taken at 15 significant digits, as they are
// shown.
struct FixedDigits
{
    QString integer;
    QString fraction;
};
enum class Rounding { HalfUp, HalfEven };
FixedDigits fixedDigits(double magnitude, int decimals, Rounding rounding);
FixedDigits fixedDigits(quint64 magnitude, int decimals);

// The shortest text of a double at 15 significant digits (7 for single
// precision), "E+15" style exponent when needed, with the given decimal mark.
QString shortestText(double number, int significantDigits, const QString &decimal);

} // namespace platform::numbertext
