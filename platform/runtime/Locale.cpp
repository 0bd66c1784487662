#include "platform/runtime/Locale.h"

#include <optional>

namespace platform {

namespace {
struct Separators
{
    QString decimal;
    QString thousand;
    QString time;
};

std::optional<Separators> &localeOverride()
{
    static std::optional<Separators> current;
    return current;
}
} // namespace

QString LocaleInfo(LocaleItem item)
{
    if (const auto &chosen = localeOverride()) {
        switch (item) {
        case LocaleItem::DecimalSeparator:
            return chosen->decimal;
        case LocaleItem::ThousandSeparator:
            return chosen->thousand;
        case LocaleItem::TimeSeparator:
            return chosen->time;
        }
    }
    return detail::systemLocaleInfo(item);
}

QString LocaleDecimalSeparator()
{
    return LocaleInfo(LocaleItem::DecimalSeparator);
}

QString LocaleThousandSeparator()
{
    return LocaleInfo(LocaleItem::ThousandSeparator);
}

QString LocaleTimeSeparator()
{
    return LocaleInfo(LocaleItem::TimeSeparator);
}

void setLocaleOverride(const QString &decimal, const QString &thousand, const QString &time)
{
    localeOverride() = Separators{decimal, thousand, time};
}

void clearLocaleOverride()
{
    localeOverride().reset();
}

} // namespace platform
