#include "platform/runtime/NumberText.h"

namespace platform::numbertext {

namespace {
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype skipBlanks(const QString &text, qsizetype at)
{
    while (at < text.size() && isBlank(text.at(at)))
        ++at;
    return at;
}

// Adds one to the last digit of a digit string, carrying to the left.
QString incremented(QString digits)
{
    for (qsizetype at = digits.size() - 1; at >= 0; --at) {
        if (digits[at] != QLatin1Char('9')) {
            digits[at] = QChar(digits[at].unicode() + 1);
            return digits;
        }
        digits[at] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

QString withoutLeadingZeros(const QString &digits)
{
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == QLatin1Char('0'))
        ++first;
    return digits.mid(first);
}

FixedDigits rounded(const QString &integer, const QString &fraction, int decimals, Rounding rounding)
{
    if (fraction.size() <= decimals)
        return {withoutLeadingZeros(integer), fraction + QString(decimals - fraction.size(), QLatin1Char('0'))};
    const QString kept = integer + fraction.left(decimals);
    const QString rest = fraction.mid(decimals);
    bool up = rest.at(0) > QLatin1Char('5');
    if (rest.at(0) == QLatin1Char('5')) {
        const bool exactHalf = withoutLeadingZeros(rest.mid(1)).isEmpty();
        const bool lastOdd = !kept.isEmpty() && (kept.back().unicode() - '0') % 2 == 1;
        up = rounding == Rounding::HalfUp || !exactHalf || lastOdd;
    }
    const QString digits = up ? incremented(kept) : kept;
    const qsizetype integerLength = digits.size() - decimals;
    return {withoutLeadingZeros(digits.left(integerLength)), digits.mid(integerLength)};
}
} // namespace

ReadNumber read(const QString &text, const QString &decimal, const QString &thousand)
{
    qsizetype at = skipBlanks(text, 0);
    QString plain; // the number in C notation, for the conversion
    if (at < text.size() && (text.at(at) == QLatin1Char('-') || text.at(at) == QLatin1Char('+'))) {
        plain += text.at(at);
        at = skipBlanks(text, at + 1);
    }
    bool seenDigit = false;
    bool seenDecimal = false;
    while (at < text.size()) {
        const QChar c = text.at(at);
        if (isDigit(c)) {
            plain += c;
            seenDigit = true;
            ++at;
        } else if (!seenDecimal && !decimal.isEmpty() && QStringView(text).mid(at).startsWith(decimal)) {
            plain += QLatin1Char('.');
            seenDecimal = true;
            at += decimal.size();
        } else if (!seenDecimal && seenDigit && !thousand.isEmpty() && QStringView(text).mid(at).startsWith(thousand)) {
            at += thousand.size();
        } else {
            break;
        }
    }
    if (!seenDigit)
        return {};
    bool negativeExponent = false;
    if (at < text.size() && (text.at(at) == QLatin1Char('E') || text.at(at) == QLatin1Char('e'))) {
        plain += QLatin1Char('e');
        ++at;
        if (at < text.size() && (text.at(at) == QLatin1Char('-') || text.at(at) == QLatin1Char('+'))) {
            negativeExponent = text.at(at) == QLatin1Char('-');
            plain += text.at(at++);
        }
        const qsizetype exponentStart = at;
        while (at < text.size() && isDigit(text.at(at)))
            plain += text.at(at++);
        if (at == exponentStart)
            return {};
    }
    if (skipBlanks(text, at) != text.size())
        return {};
    bool converted = false;
    const double value = plain.toDouble(&converted);
    if (converted)
        return {Reading::Number, value};
    // The text is a number; only its size kept the conversion from it.
    if (negativeExponent)
        return {Reading::Number, 0.0};
    return {Reading::Overflow, 0.0};
}

FixedDigits fixedDigits(double magnitude, int decimals, Rounding rounding)
{
    // "d.dddddddddddddde+XX": fifteen significant digits and an exponent.
    const QString scientific = QString::number(magnitude, 'e', 14);
    const qsizetype exponentAt = scientific.indexOf(QLatin1Char('e'));
    const QString mantissa = scientific.left(1) + scientific.mid(2, exponentAt - 2);
    const int pointAt = scientific.mid(exponentAt + 1).toInt() + 1;
    if (pointAt <= 0)
        return rounded(QString(), QString(-pointAt, QLatin1Char('0')) + mantissa, decimals, rounding);
    if (pointAt >= mantissa.size())
        return rounded(mantissa + QString(pointAt - mantissa.size(), QLatin1Char('0')), QString(), decimals, rounding);
    return rounded(mantissa.left(pointAt), mantissa.mid(pointAt), decimals, rounding);
}

FixedDigits fixedDigits(quint64 magnitude, int decimals)
{
    return {withoutLeadingZeros(QString::number(magnitude)), QString(decimals, QLatin1Char('0'))};
}

QString shortestText(double number, int significantDigits, const QString &decimal)
{
    if (number == 0)
        return QStringLiteral("0");
    QString text = QString::number(number, 'g', significantDigits);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    text.replace(QLatin1Char('.'), decimal);
    return text;
}

} // namespace platform::numbertext
