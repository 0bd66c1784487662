#pragma once

#include <QString>

namespace platform {

// Locale items, numbered as the operating system numbers them.
enum class LocaleItem { DecimalSeparator = 14, ThousandSeparator = 15, TimeSeparator = 0x1E };

// The user's locale item as the operating system reports it (an override,
// when one is set, answers instead). Raises 5 when the system cannot tell.
QString LocaleInfo(LocaleItem item);

QString LocaleDecimalSeparator();
QString LocaleThousandSeparator();
QString LocaleTimeSeparator();

// Tests run the same cases under a comma-decimal and a point-decimal locale,
// whatever the machine's own setting is.
void setLocaleOverride(const QString &decimal, const QString &thousand, const QString &time = QStringLiteral(":"));
void clearLocaleOverride();

class ScopedLocaleOverride
{
public:
    ScopedLocaleOverride(const QString &decimal, const QString &thousand, const QString &time = QStringLiteral(":"))
    {
        setLocaleOverride(decimal, thousand, time);
    }
    ~ScopedLocaleOverride() { clearLocaleOverride(); }
    ScopedLocaleOverride(const ScopedLocaleOverride &) = delete;
    ScopedLocaleOverride &operator=(const ScopedLocaleOverride &) = delete;
};

namespace detail {
// The system's own answer, one implementation per operating system.
QString systemLocaleInfo(LocaleItem item);
} // namespace detail

} // namespace platform
