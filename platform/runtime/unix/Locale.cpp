#include "platform/runtime/Locale.h"

#include "platform/runtime/RuntimeError.h"

#include <langinfo.h>
#include <locale.h>

namespace platform::detail {

namespace {
// The separator that follows the hour in the locale's time format ("%H:%M:%S").
QString timeSeparatorOf(const QString &timeFormat)
{
    const qsizetype hour = timeFormat.indexOf(QLatin1Char('H'));
    const qsizetype at = hour < 0 ? timeFormat.indexOf(QLatin1Char('I')) : hour;
    if (at < 0 || at + 1 >= timeFormat.size() || timeFormat.at(at + 1) == QLatin1Char('%'))
        return QStringLiteral(":");
    return timeFormat.mid(at + 1, 1);
}
} // namespace

// The environment's locale (LC_ALL, LC_NUMERIC, LC_TIME, LANG) as the C
// library resolves it, read without touching the process's own locale.
QString systemLocaleInfo(LocaleItem item)
{
    const int mask = LC_CTYPE_MASK | LC_NUMERIC_MASK | LC_TIME_MASK;
    locale_t userLocale = newlocale(mask, "", static_cast<locale_t>(nullptr));
    if (userLocale == static_cast<locale_t>(nullptr))
        userLocale = newlocale(mask, "C", static_cast<locale_t>(nullptr));
    if (userLocale == static_cast<locale_t>(nullptr))
        throw RuntimeError(5, QStringLiteral("Invalid procedure call or argument"));
    QString answer;
    switch (item) {
    case LocaleItem::DecimalSeparator:
        answer = QString::fromLocal8Bit(nl_langinfo_l(RADIXCHAR, userLocale));
        break;
    case LocaleItem::ThousandSeparator:
        answer = QString::fromLocal8Bit(nl_langinfo_l(THOUSEP, userLocale));
        break;
    case LocaleItem::TimeSeparator:
        answer = timeSeparatorOf(QString::fromLocal8Bit(nl_langinfo_l(T_FMT, userLocale)));
        break;
    }
    freelocale(userLocale);
    return answer;
}

} // namespace platform::detail
