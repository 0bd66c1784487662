#include "platform/db/access/Provider.h"
#include "platform/db/odbc/PostgresProvider.h"
#include "platform/db/odbc/SqlServerProvider.h"

#include "platform/db/sqlite/SqliteProvider.h"

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
    if (name.compare(QLatin1String("SQLOLEDB.1"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0)
        return std::make_unique<SqlServerProvider>();
    if (name.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0)
        return std::make_unique<PostgresProvider>();
    return nullptr;
}

} // namespace platform
