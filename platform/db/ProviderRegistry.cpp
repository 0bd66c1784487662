#include "platform/db/PostgresProvider.h"
#include "platform/db/Provider.h"
#include "platform/db/SqlServerProvider.h"

namespace platform {

std::unique_ptr<Provider> createProvider(const QString &name)
{
    if (name.compare(QLatin1String("SQLOLEDB.1"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0)
        return std::make_unique<SqlServerProvider>();
    if (name.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0)
        return std::make_unique<PostgresProvider>();
    return nullptr;
}

} // namespace platform
