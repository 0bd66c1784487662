#include "platform/runtime/Conversions.h"
#include "platform/runtime/DateText.h"
#include "platform/runtime/FormatPatterns.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RuntimeError.h"

namespace platform {

namespace formatpatterns {

namespace {
bool isDatePlace(QChar c)
{
    return QStringLiteral("dmyhnsDMYHNS").contains(c);
}

QString padded(int number, qsizetype places)
{
    return places == 2 ? QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')) : QString::number(number);
}
} // namespace

bool isDatePattern(const QString &pattern)
{
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        const QChar c = pattern.at(at);
        if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), at + 1);
            at = close < 0 ? pattern.size() : close;
        } else if (c == QLatin1Char('\\')) {
            ++at;
        } else if (isDatePlace(c)) {
            return true;
        }
    }
    return false;
}

QStringList sections(const QString &pattern)
{
    QStringList result{QString()};
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        const QChar c = pattern.at(at);
        if (c == QLatin1Char(';')) {
            result.append(QString());
            continue;
        }
        result.last() += c;
        if (c == QLatin1Char('\\') && at + 1 < pattern.size()) {
            result.last() += pattern.at(++at);
        } else if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), at + 1);
            const qsizetype end = close < 0 ? pattern.size() - 1 : close;
            result.last() += pattern.mid(at + 1, end - at);
            at = end;
        }
    }
    return result;
}

QString formatDate(const QDateTime &value, const QString &pattern, const QString &timeSeparator)
{
    const QDate date = value.date();
    const QTime time = value.time();
    QString text;
    bool afterHour = false; // "mm" after an hour place is the minute
    for (qsizetype at = 0; at < pattern.size();) {
        const QChar c = pattern.at(at);
        if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), at + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            text += pattern.mid(at + 1, end - at - 1);
            at = end + 1;
            continue;
        }
        if (c == QLatin1Char('\\')) {
            text += pattern.mid(at + 1, 1);
            at += 2;
            continue;
        }
        if (c == QLatin1Char(':')) {
            text += timeSeparator;
            ++at;
            continue;
        }
        if (!isDatePlace(c)) {
            text += c;
            ++at;
            continue;
        }
        const QChar place = c.toLower();
        qsizetype run = 1;
        while (at + run < pattern.size() && pattern.at(at + run).toLower() == place)
            ++run;
        const QString written = pattern.mid(at, run);
        at += run;
        if (place == QLatin1Char('y')) {
            text += run == 4   ? QString::number(date.year()).rightJustified(4, QLatin1Char('0'))
                    : run == 2 ? padded(date.year() % 100, 2)
                               : written;
            continue;
        }
        if (run > 2) {
            text += written;
            continue;
        }
        if (place == QLatin1Char('d'))
            text += padded(date.day(), run);
        else if (place == QLatin1Char('m'))
            text += afterHour ? padded(time.minute(), run) : padded(date.month(), run);
        else if (place == QLatin1Char('h'))
            text += padded(time.hour(), run);
        else if (place == QLatin1Char('n'))
            text += padded(time.minute(), run);
        else
            text += padded(time.second(), run);
        afterHour = place == QLatin1Char('h');
    }
    return text;
}

} // namespace formatpatterns

namespace {
QString formatAsDate(const QVariant &value, const QString &pattern)
{
    if (value.typeId() == QMetaType::QString && !IsDate(value))
        return value.toString();
    if (!IsDate(value) && !IsNumeric(value))
        return CStr(value);
    return formatpatterns::formatDate(CDate(value), pattern, LocaleTimeSeparator());
}

QString formatAsNumber(const QVariant &value, const QString &pattern)
{
    if (!IsNumeric(value) && value.typeId() != QMetaType::QDateTime && value.typeId() != QMetaType::QDate)
        return CStr(value);
    quint64 magnitude = 0;
    const quint64 *exact = nullptr;
    if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::UInt) {
        magnitude = value.toULongLong();
        exact = &magnitude;
    } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        const qint64 number = value.toLongLong();
        magnitude = number < 0 ? 0 - static_cast<quint64>(number) : static_cast<quint64>(number);
        exact = &magnitude;
    }
    // A single is formatted as the seven digits it shows.
    const double number = value.typeId() == QMetaType::Float
                              ? QString::number(static_cast<double>(value.toFloat()), 'g', 7).toDouble()
                              : CDbl(value);
    return formatpatterns::formatNumber(number, exact, pattern, LocaleDecimalSeparator(), LocaleThousandSeparator());
}
} // namespace

QString Format(const QVariant &value, const QString &pattern)
{
    if (IsNull(value))
        return QString();
    if (pattern.isEmpty())
        return CStr(value);
    if (formatpatterns::isDatePattern(pattern))
        return formatAsDate(value, pattern);
    return formatAsNumber(value, pattern);
}

} // namespace platform
