#include "platform/runtime/DateText.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace platform::datetext {

namespace {
constexpr double FirstSerial = -657434.0;     // 01-01-100
constexpr double LastSerial = 2958465.999999; // 31-12-9999 23:59:59
constexpr qint64 SecondsPerDay = 86400;

bool allDigits(const QString &part, int minimum, int maximum)
{
    if (part.size() < minimum || part.size() > maximum)
        return false;
    for (const QChar c : part)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Splits at one separator used throughout; empty when the parts differ in kind.
QStringList splitAtSeparator(const QString &token, const QString &separators)
{
    for (const QChar separator : separators)
        if (token.contains(separator))
            return token.split(separator);
    return {};
}

// Two-digit years 00-29 are this century's, 30-99 the last's.
int fullYear(const QString &part)
{
    const int year = part.toInt();
    if (part.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<QDate> readDate(const QString &token)
{
    const QStringList parts = splitAtSeparator(token, QStringLiteral("-/."));
    if (parts.size() != 3 || !allDigits(parts[0], 1, 4) || !allDigits(parts[1], 1, 2) || !allDigits(parts[2], 1, 4))
        return std::nullopt;
    const bool yearFirst = parts[0].size() > 2;
    if (yearFirst && parts[2].size() > 2)
        return std::nullopt;
    const int year = fullYear(yearFirst ? parts[0] : parts[2]);
    const int day = (yearFirst ? parts[2] : parts[0]).toInt();
    const QDate date(year, parts[1].toInt(), day);
    if (!date.isValid() || year < 100)
        return std::nullopt;
    return date;
}

std::optional<QTime> readTime(const QString &token, const QString &timeSeparator)
{
    QString separators = QStringLiteral(":");
    if (timeSeparator.size() == 1 && timeSeparator != separators)
        separators += timeSeparator;
    const QStringList parts = splitAtSeparator(token, separators);
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    for (const QString &part : parts)
        if (!allDigits(part, 1, 2))
            return std::nullopt;
    const QTime time(parts[0].toInt(), parts[1].toInt(), parts.size() == 3 ? parts[2].toInt() : 0);
    if (!time.isValid())
        return std::nullopt;
    return time;
}
} // namespace

QDate dayZero()
{
    return QDate(1899, 12, 30);
}

std::optional<QDateTime> read(const QString &text, const QString &timeSeparator)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    const QStringList tokens = text.split(blanks, Qt::SkipEmptyParts);
    if (tokens.isEmpty() || tokens.size() > 2)
        return std::nullopt;
    if (tokens.size() == 1) {
        if (const auto date = readDate(tokens[0]))
            return QDateTime(*date, QTime(0, 0), Qt::UTC);
        if (const auto time = readTime(tokens[0], timeSeparator))
            return QDateTime(dayZero(), *time, Qt::UTC);
        return std::nullopt;
    }
    const auto date = readDate(tokens[0]);
    const auto time = readTime(tokens[1], timeSeparator);
    if (!date || !time)
        return std::nullopt;
    return QDateTime(*date, *time, Qt::UTC);
}

double toSerial(const QDateTime &value)
{
    const double days = static_cast<double>(dayZero().daysTo(value.date()));
    const double fraction = value.time().msecsSinceStartOfDay() / (SecondsPerDay * 1000.0);
    // Before day 0 the whole days count down while the time still counts up.
    return days < 0 ? days - fraction : days + fraction;
}

std::optional<QDateTime> fromSerial(double serial)
{
    if (!std::isfinite(serial) || serial < FirstSerial || serial > LastSerial)
        return std::nullopt;
    const double days = std::trunc(serial);
    const qint64 seconds = std::min<qint64>(std::llround(std::fabs(serial - days) * SecondsPerDay), SecondsPerDay - 1);
    return QDateTime(dayZero().addDays(static_cast<qint64>(days)), QTime(0, 0).addSecs(static_cast<int>(seconds)),
                     Qt::UTC);
}

} // namespace platform::datetext
