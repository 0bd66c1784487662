#include "platform/db/Provider.h"

#include "platform/db/SqliteProvider.h"

#include <QHash>

namespace platform {

namespace {
QHash<QString, ProviderFactory> &extraProviders()
{
    static QHash<QString, ProviderFactory> providers;
    return providers;
}
} // namespace

void registerProvider(const QString &name, ProviderFactory factory)
{
    if (factory)
        extraProviders().insert(name.toLower(), std::move(factory));
    else
        extraProviders().remove(name.toLower());
}

std::unique_ptr<Provider> createProvider(const QString &name)
{
    const auto extra = extraProviders().constFind(name.toLower());
    if (extra != extraProviders().constEnd())
        return (*extra)();
    if (name.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0)
        return std::make_unique<sqlite::SqliteProvider>();
    // "SQLOLEDB.1" has no engine here yet: the open fails with 3706.
    return nullptr;
}

} // namespace platform
