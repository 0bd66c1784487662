#include "platform/db/ProviderRegistry.h"

#include "platform/db/odbc/PostgresProvider.h"
#include "platform/db/odbc/SqlServerProvider.h"
#include "platform/db/sqlite/SqliteProvider.h"
#include "platform/runtime/RuntimeError.h"

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

// Opening is where a connection's string picks its engine, so it lives beside
// the one list of engines rather than in the room every engine builds on.
void Connection::Open(const QString &user, const QString &password, int)
{
    if (m_provider)
        throw RuntimeError(3705, QStringLiteral("Operation is not allowed when the object is open."));
    const ConnectionProperties properties = ConnectionProperties::parse(m_connectionString);
    const QString name = properties.value(QStringLiteral("Provider"));
    std::unique_ptr<Provider> provider = createProvider(name);
    if (!provider) {
        const RuntimeError error(
            ErrorNumber::ProviderNotFound,
            QStringLiteral("Provider cannot be found. It may not be properly installed. (%1)").arg(name));
        m_errors.append({error.number(), error.description(), 0, QString()});
        throw error;
    }
    try {
        provider->open(properties, user, password, m_errors);
    } catch (const RuntimeError &error) {
        if (m_errors.isEmpty())
            m_errors.append({error.number(), error.description(), 0, QString()});
        throw;
    }
    m_provider = std::move(provider);
}

} // namespace platform
