#include "sqltext/modCode.h"

#include "platform/runtime/Conversions.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/TrimSpaces.h"
#include "platform/ui/ControlValue.h"
#include "system/ErrorReporting.h"

#include <QRegularExpression>

namespace modCode {

namespace {
// The locale's separators as first read; never refreshed during the run.
QString cachedThousandSeparator;
QString cachedDecimalSeparator;

const QString Apostrophe = QStringLiteral("'");
const QString ApostropheEscape = QStringLiteral("' + CHAR(39) + '");

void fillSeparatorCaches()
{
    if (cachedThousandSeparator.isEmpty())
        cachedThousandSeparator = ThousandSeparator();
    if (cachedDecimalSeparator.isEmpty())
        cachedDecimalSeparator = DecimalSeparator();
}

// The text with "," and "." read as the locale's separators: with both, the
// locale's grouping goes; with one, it is the decimal mark.
QString withLocaleSeparators(QString text)
{
    fillSeparatorCaches();
    if (text.contains(QLatin1Char(',')) && text.contains(QLatin1Char('.'))) {
        if (!cachedThousandSeparator.isEmpty())
            text.remove(cachedThousandSeparator);
    } else if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('.'))) {
        text.replace(QLatin1Char('.'), cachedDecimalSeparator);
        text.replace(QLatin1Char(','), cachedDecimalSeparator);
    }
    return text;
}

QString quotedText(const QString &trimmed)
{
    QString escaped = trimmed;
    return Apostrophe + Trtf(escaped) + Apostrophe;
}

QString likePattern(const QString &trimmed)
{
    QString pattern = QStringLiteral("'%");
    for (const QChar c : trimmed) {
        if (c == QLatin1Char('\''))
            pattern += ApostropheEscape;
        else if (c == QLatin1Char(' '))
            pattern += QLatin1Char('%');
        else
            pattern += c;
    }
    return pattern + QStringLiteral("%'");
}

// A sign, digits with at most one decimal point, an optional exponent: all a
// number pasted unquoted may hold, whatever the locale's separators let through.
bool isPlainNumber(const QString &written)
{
    static const QRegularExpression plain(
        QStringLiteral("\\A[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?\\z"));
    return plain.match(written).hasMatch();
}

// The number read as a double and written back with a point.
QString numberThroughDouble(const QString &text)
{
    QString written = platform::CStr(platform::CDbl(withLocaleSeparators(text)));
    return written.replace(QLatin1Char(','), QLatin1Char('.'));
}

QString numberLiteral(const QVariant &value, const QString &text)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (!IsLocaleNumeric(value))
        return QStringLiteral("null");
    QString written;
    if (text.contains(QLatin1Char('-'))) {
        // Read with its signs, so that an exponent's minus stays the
        // exponent's, and as a double, so that every digit typed survives.
        written = numberThroughDouble(text);
    } else {
        written = text.trimmed();
        if (text.contains(QLatin1Char(',')) && text.contains(QLatin1Char('.')) && !cachedThousandSeparator.isEmpty())
            written.remove(cachedThousandSeparator);
        written.replace(QLatin1Char(','), QLatin1Char('.'));
        // A grouping mark other than "." or "," (an apostrophe, a space) is
        // still in the typed text; the double's own writing has none.
        if (!isPlainNumber(written))
            written = numberThroughDouble(text);
    }
    return isPlainNumber(written) ? written : QStringLiteral("null");
}

QString dateLiteral(const QDateTime &date, LiteralKind kind)
{
    // The server reads style 102 with colons, whatever the desk's time separator.
    const QString pattern =
        kind == LiteralKind::Date ? QStringLiteral("yyyy-mm-dd") : QStringLiteral("yyyy-mm-dd Hh\\:Nn\\:Ss");
    return QStringLiteral("CONVERT(DATETIME,'") + platform::Format(date, pattern) + QStringLiteral("',102)");
}

QString dateLiteral(const QVariant &value, const QString &text, LiteralKind kind)
{
    if (platform::trimSpaces(text) == QLatin1String("- - -"))
        return QStringLiteral("null");
    if (platform::IsDate(value)) {
        const QDateTime date = platform::CDate(value);
        if (platform::SameDateTime(date, platform::EmptyDate()) || platform::SameDateTime(date, platform::ZeroDate()))
            return QStringLiteral("null");
        return dateLiteral(date, kind);
    }
    if (text.size() == 8) {
        // Day, month and year typed without separators.
        const QString separated = text.mid(0, 2) + QLatin1Char('-') + text.mid(2, 2) + QLatin1Char('-') + text.mid(4);
        if (platform::IsDate(separated))
            return dateLiteral(platform::CDate(separated), kind);
    }
    return QStringLiteral("null");
}
} // namespace

QString SqlLiteral(const QVariant &value, LiteralKind kind)
{
    const QString text = platform::CStr(value);
    const QString trimmed = platform::trimSpaces(text);
    const bool empty = platform::IsNull(value) || trimmed.isEmpty();
    switch (kind) {
    case LiteralKind::TextOrNull:
        return empty ? QStringLiteral("null") : quotedText(trimmed);
    case LiteralKind::TextOrEmpty:
        return empty ? QStringLiteral("''") : quotedText(trimmed);
    case LiteralKind::LikePattern:
        return empty ? QStringLiteral("'%%'") : likePattern(trimmed);
    case LiteralKind::Number:
    case LiteralKind::OtherNumber:
        return empty ? QStringLiteral("null") : numberLiteral(value, text);
    case LiteralKind::Date:
    case LiteralKind::DateTime:
        return empty ? QStringLiteral("null") : dateLiteral(value, text, kind);
    default:
        return QString();
    }
}

QString SqlLiteral(const QWidget *control, LiteralKind kind)
{
    return SqlLiteral(platform::ControlValue(control), kind);
}

QString Trtf(QString &text)
{
    try {
        if (text.contains(Apostrophe))
            text.replace(Apostrophe, ApostropheEscape);
        return text;
    } catch (...) {
        errorreporting::ReportModuleError(platform::currentRuntimeError(),
                                          {QStringLiteral("ZEFA Tarn Software"), QStringLiteral("Cardel"),
                                           QStringLiteral("modCode"), QStringLiteral("Trtf")});
        return QString();
    }
}

bool IsLocaleNumeric(const QVariant &value)
{
    return platform::IsNumeric(withLocaleSeparators(platform::CStr(value)));
}

QString ThousandSeparator()
{
    return platform::LocaleThousandSeparator();
}

QString DecimalSeparator()
{
    return platform::LocaleDecimalSeparator();
}

void resetSeparatorCaches()
{
    cachedThousandSeparator.clear();
    cachedDecimalSeparator.clear();
}

} // namespace modCode
