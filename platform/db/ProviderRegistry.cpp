#include "platform/db/Provider.h"
#include "platform/db/SqlServerProvider.h"

namespace platform {

std::unique_ptr<Provider> createProvider(const QString &name)
{
    if (name.compare(QLatin1String("SQLOLEDB.1"), Qt::CaseInsensitive) == 0)
        return std::make_unique<SqlServerProvider>();
    return nullptr;
}

} // namespace platform
