#include "data/Data.h"

#include "Deployment.h"
#include "data/modTestConnection.h"

namespace {

void point(platform::Connection &connection, const QString &connectionString, const QString &registryEntry)
{
    if (connection.State() != platform::ConnectionState::Closed)
        connection.Close();
    QString text = connectionString;
    if (text.isEmpty())
        text = modTestConnection::BuildConnectionString(registryEntry);
    connection.setConnectionString(text);
}

} // namespace

DataEnvironment::DataEnvironment()
{
    setConnectionStrings(QString::fromUtf8(deployment::ConnectionSqlServer),
                         QString::fromUtf8(deployment::ConnectionHaldor),
                         QString::fromUtf8(deployment::ConnectionMirva));
}

void DataEnvironment::setConnectionStrings(const QString &sqlServer, const QString &haldor, const QString &mirva)
{
    point(m_sqlServer, sqlServer, QStringLiteral("SqlServer"));
    point(m_haldor, haldor, QStringLiteral("HALDOR"));
    point(m_mirva, mirva, QStringLiteral("MIRVA"));
}

DataEnvironment &Data()
{
    static DataEnvironment environment;
    return environment;
}
