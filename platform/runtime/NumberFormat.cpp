#include "platform/runtime/FormatPatterns.h"
#include "platform/runtime/NumberText.h"

#include <cmath>

namespace platform::formatpatterns {

namespace {
// One section of a number pattern: literals around a block of digit places.
struct NumberSection
{
    QString prefix;
    QString suffix;
    int integerPlaces = 0;
    int integerZeros = 0; // places from the first "0" on always show a digit
    bool hasPoint = false;
    int decimalPlaces = 0;
    int decimalZeros = 0; // decimals up to the last "0" always show
    bool grouping = false;
    bool percent = false;
};

NumberSection parseSection(const QString &section)
{
    NumberSection parsed;
    bool inDigits = false;
    auto literal = [&](const QString &text) { (inDigits ? parsed.suffix : parsed.prefix) += text; };
    for (qsizetype at = 0; at < section.size(); ++at) {
        const QChar c = section.at(at);
        if (c == QLatin1Char('"')) {
            const qsizetype close = section.indexOf(QLatin1Char('"'), at + 1);
            const qsizetype end = close < 0 ? section.size() : close;
            literal(section.mid(at + 1, end - at - 1));
            at = end;
        } else if (c == QLatin1Char('\\')) {
            literal(section.mid(++at, 1));
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            inDigits = true;
            if (parsed.hasPoint) {
                ++parsed.decimalPlaces;
                if (c == QLatin1Char('0'))
                    parsed.decimalZeros = parsed.decimalPlaces;
            } else {
                ++parsed.integerPlaces;
                if (c == QLatin1Char('0') || parsed.integerZeros > 0)
                    ++parsed.integerZeros;
            }
        } else if (c == QLatin1Char('.') && !parsed.hasPoint) {
            parsed.hasPoint = true;
            inDigits = true;
        } else if (c == QLatin1Char(',') && inDigits && !parsed.hasPoint) {
            parsed.grouping = true;
        } else {
            if (c == QLatin1Char('%'))
                parsed.percent = true;
            literal(QString(c));
        }
    }
    return parsed;
}

QString grouped(const QString &digits, const QString &thousand)
{
    if (thousand.isEmpty())
        return digits;
    QString text = digits;
    for (qsizetype at = text.size() - 3; at > 0; at -= 3)
        text.insert(at, thousand);
    return text;
}

QString formatMagnitude(double magnitude, const quint64 *exactMagnitude, const NumberSection &section,
                        const QString &decimal, const QString &thousand)
{
    using namespace numbertext;
    const FixedDigits digits =
        section.percent || !exactMagnitude
            ? fixedDigits(section.percent ? magnitude * 100 : magnitude, section.decimalPlaces, Rounding::HalfUp)
            : fixedDigits(*exactMagnitude, section.decimalPlaces);
    QString integer = digits.integer.rightJustified(section.integerZeros, QLatin1Char('0'));
    if (section.grouping)
        integer = grouped(integer, thousand);
    QString fraction = digits.fraction;
    while (fraction.size() > section.decimalZeros && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return section.prefix + integer + (section.hasPoint ? decimal : QString()) + fraction + section.suffix;
}
} // namespace

QString formatNumber(double value, const quint64 *exactMagnitude, const QString &pattern, const QString &decimal,
                     const QString &thousand)
{
    const QStringList parts = sections(pattern);
    const double magnitude = std::fabs(value);
    if (value < 0) {
        // A negative section writes its own sign; without one the minus leads.
        if (parts.size() > 1 && !parts[1].isEmpty())
            return formatMagnitude(magnitude, exactMagnitude, parseSection(parts[1]), decimal, thousand);
        return QLatin1Char('-') + formatMagnitude(magnitude, exactMagnitude, parseSection(parts[0]), decimal, thousand);
    }
    if (value == 0 && parts.size() > 2 && !parts[2].isEmpty())
        return formatMagnitude(0, exactMagnitude, parseSection(parts[2]), decimal, thousand);
    return formatMagnitude(magnitude, exactMagnitude, parseSection(parts[0]), decimal, thousand);
}

} // namespace platform::formatpatterns
