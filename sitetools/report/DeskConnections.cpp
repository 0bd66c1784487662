#include "sitetools/report/DeskConnections.h"

#include "data/Data.h"
#include "platform/db/access/ConnectionString.h"
#include "platform/runtime/RuntimeError.h"

namespace report {

DeskStrings deskStrings()
{
    DataEnvironment &data = Data();
    return {data.SqlServer().ConnectionString(), data.HALDOR().ConnectionString(), data.MIRVA().ConnectionString()};
}

Engine engineOf(const QString &connectionString)
{
    const QString provider = platform::ConnectionProperties::parse(connectionString).value(QStringLiteral("Provider"));
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0)
        return Engine::Embedded;
    if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0)
        return Engine::PostgreSQL;
    if (provider.compare(QLatin1String("SQLOLEDB.1"), Qt::CaseInsensitive) == 0 ||
        provider.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0)
        return Engine::SqlServer;
    return Engine::Other;
}

QString embeddedFile(const QString &connectionString)
{
    return platform::ConnectionProperties::parse(connectionString).value(QStringLiteral("Data Source"));
}

void openNamed(platform::Connection &connection, const QString &connectionString, const QString &name)
{
    if (connectionString.isEmpty())
        throw platform::RuntimeError(
            platform::ErrorNumber::ConnectionClosed,
            QStringLiteral("the %1 connection has no string: its settings entry lacks a value").arg(name));
    connection.setConnectionString(connectionString);
    try {
        connection.Open();
    } catch (const platform::RuntimeError &error) {
        throw platform::RuntimeError(
            error.number(), QStringLiteral("the %1 connection did not open: %2").arg(name, error.description()));
    }
}

} // namespace report
