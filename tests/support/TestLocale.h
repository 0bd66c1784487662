#pragma once

#include "platform/runtime/Locale.h"

namespace testsupport {

// The locales test rows run under, by name: "comma" is the deployment's
// ("," decimal, "." grouping), "point" the other way round, "plain-point"
// a point decimal without grouping, "apostrophe" a point decimal grouped
// by apostrophes, "dot-time" the deployment's with "." between hours and
// minutes.
class TestLocale : public platform::ScopedLocaleOverride
{
public:
    explicit TestLocale(const QString &name) : ScopedLocaleOverride(decimalOf(name), thousandOf(name), timeOf(name)) {}

private:
    static QString decimalOf(const QString &name)
    {
        return name == QLatin1String("point") || name == QLatin1String("plain-point") ||
                       name == QLatin1String("apostrophe")
                   ? QStringLiteral(".")
                   : QStringLiteral(",");
    }
    static QString thousandOf(const QString &name)
    {
        if (name == QLatin1String("plain-point"))
            return QString();
        if (name == QLatin1String("apostrophe"))
            return QStringLiteral("'");
        return name == QLatin1String("point") ? QStringLiteral(",") : QStringLiteral(".");
    }
    static QString timeOf(const QString &name)
    {
        return name == QLatin1String("dot-time") ? QStringLiteral(".") : QStringLiteral(":");
    }
};

} // namespace testsupport
