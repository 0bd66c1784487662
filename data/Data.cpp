#include "data/Data.h"

#include "Deployment.h"
#include "data/RegisterIndex.h"
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

// A packaged desk is built with the embedded files as its strings; a site
// with a server points it there through the settings entries alone.
QString startingString(const char *builtIn, const QString &registryEntry)
{
    return modTestConnection::HasSettingsEntry(registryEntry) ? QString() : QString::fromUtf8(builtIn);
}

} // namespace

DataEnvironment::DataEnvironment()
{
    registers::installMemberIndex();
    setConnectionStrings(startingString(deployment::ConnectionSqlServer, QStringLiteral("SqlServer")),
                         startingString(deployment::ConnectionHaldor, QStringLiteral("HALDOR")),
                         startingString(deployment::ConnectionMirva, QStringLiteral("MIRVA")));
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
