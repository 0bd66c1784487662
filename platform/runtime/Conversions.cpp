#include "platform/runtime/Conversions.h"

#include "platform/runtime/DateText.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/NumberText.h"
#include "platform/runtime/RuntimeError.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace platform {

namespace {
RuntimeError typeMismatch()
{
    return RuntimeError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}

RuntimeError overflow()
{
    return RuntimeError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
}

RuntimeError invalidUseOfNull()
{
    return RuntimeError(94, QStringLiteral("Invalid use of Null"));
}

bool isSignedInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char:
        return true;
    default:
        return false;
    }
}

bool isUnsignedInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isDateValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate;
}

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString;
}

numbertext::ReadNumber readUnderLocale(const QString &text)
{
    return numbertext::read(text, LocaleDecimalSeparator(), LocaleThousandSeparator());
}

double roundHalfEven(double number)
{
    const double floor = std::floor(number);
    const double difference = number - floor;
    if (difference > 0.5)
        return floor + 1;
    if (difference < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

QString dateText(const QDateTime &value)
{
    const QString date = value.date().toString(QStringLiteral("dd-MM-yyyy"));
    if (value.time().msecsSinceStartOfDay() == 0)
        return date;
    return date + QLatin1Char(' ') + value.time().toString(QStringLiteral("HH:mm:ss"));
}
} // namespace

bool IsNull(const QVariant &value)
{
    return !value.isValid() || value.typeId() == QMetaType::Nullptr;
}

QString CStr(const QVariant &value)
{
    if (IsNull(value))
        return QString();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return numbertext::shortestText(value.toDouble(), 15, LocaleDecimalSeparator());
    case QMetaType::Float:
        return numbertext::shortestText(value.toFloat(), 7, LocaleDecimalSeparator());
    case QMetaType::QDateTime:
        return dateText(value.toDateTime());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd-MM-yyyy"));
    default:
        return value.toString();
    }
}

bool IsNumeric(const QVariant &value)
{
    if (IsNull(value) || isDateValue(value))
        return false;
    if (isText(value))
        return readUnderLocale(value.toString()).reading == numbertext::Reading::Number;
    return value.typeId() == QMetaType::Bool || value.typeId() == QMetaType::Double ||
           value.typeId() == QMetaType::Float || isSignedInteger(value) || isUnsignedInteger(value);
}

double CDbl(const QVariant &value)
{
    if (IsNull(value))
        throw invalidUseOfNull();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1.0 : 0.0;
    if (value.typeId() == QMetaType::Float)
        return value.toFloat();
    if (value.typeId() == QMetaType::Double || isSignedInteger(value) || isUnsignedInteger(value))
        return value.toDouble();
    if (isDateValue(value))
        return datetext::toSerial(CDate(value));
    if (isText(value)) {
        const auto number = readUnderLocale(value.toString());
        if (number.reading == numbertext::Reading::Overflow)
            throw overflow();
        if (number.reading == numbertext::Reading::NotNumber)
            throw typeMismatch();
        return number.value;
    }
    throw typeMismatch();
}

float CSng(const QVariant &value)
{
    const double number = CDbl(value);
    if (std::fabs(number) > FLT_MAX)
        throw overflow();
    return static_cast<float>(number);
}

qint32 CLng(const QVariant &value)
{
    constexpr qint64 lowest = std::numeric_limits<qint32>::min();
    constexpr qint64 highest = std::numeric_limits<qint32>::max();
    if (isSignedInteger(value)) {
        const qint64 number = value.toLongLong();
        if (number < lowest || number > highest)
            throw overflow();
        return static_cast<qint32>(number);
    }
    if (isUnsignedInteger(value)) {
        if (value.toULongLong() > static_cast<quint64>(highest))
            throw overflow();
        return static_cast<qint32>(value.toULongLong());
    }
    const double number = roundHalfEven(CDbl(value));
    if (number < static_cast<double>(lowest) || number > static_cast<double>(highest))
        throw overflow();
    return static_cast<qint32>(number);
}

bool IsDate(const QVariant &value)
{
    if (isDateValue(value))
        return value.typeId() == QMetaType::QDate ? value.toDate().isValid() : value.toDateTime().isValid();
    if (isText(value))
        return datetext::read(value.toString(), LocaleTimeSeparator()).has_value();
    return false;
}

QDateTime CDate(const QVariant &value)
{
    if (IsNull(value))
        throw invalidUseOfNull();
    if (value.typeId() == QMetaType::QDate && value.toDate().isValid())
        return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    if (value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid())
        return value.toDateTime();
    if (isText(value)) {
        if (const auto date = datetext::read(value.toString(), LocaleTimeSeparator()))
            return *date;
        throw typeMismatch();
    }
    if (IsNumeric(value)) {
        if (const auto date = datetext::fromSerial(CDbl(value)))
            return *date;
        throw overflow();
    }
    throw typeMismatch();
}

QDateTime ZeroDate()
{
    return QDateTime(datetext::dayZero(), QTime(0, 0), Qt::UTC);
}

QDateTime EmptyDate()
{
    return QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC);
}

bool SameDateTime(const QDateTime &left, const QDateTime &right)
{
    return left.date() == right.date() && left.time() == right.time();
}

double Round(double number, int decimals)
{
    if (decimals < 0)
        throw RuntimeError(5, QStringLiteral("Invalid procedure call or argument"));
    const auto digits = numbertext::fixedDigits(std::fabs(number), decimals, numbertext::Rounding::HalfEven);
    const QString text = (digits.integer.isEmpty() ? QStringLiteral("0") : digits.integer) + QLatin1Char('.') +
                         digits.fraction + QLatin1Char('0');
    const double magnitude = text.toDouble();
    return number < 0 ? -magnitude : magnitude;
}

} // namespace platform
