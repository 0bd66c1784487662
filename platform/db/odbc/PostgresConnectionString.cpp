#include "platform/db/odbc/PostgresConnectionString.h"

#include "platform/db/odbc/SqlServerConnectionString.h"
#include "platform/db/sql/LiteralFolding.h"

#include <QStringList>

namespace platform {

OdbcTarget mapPostgresConnection(const ConnectionProperties &properties, const QString &user, const QString &password)
{
    const QString driver = properties.contains(QStringLiteral("Driver")) ? properties.value(QStringLiteral("Driver"))
                                                                         : QLatin1String(DefaultPostgresDriver);
    QString text = QStringLiteral("Driver=") + bracedOdbcValue(driver) + QLatin1Char(';');
    // Debian registers the driver with its traffic log on, which would leave every
    // statement and member read in a world-readable file under /tmp.
    text += QStringLiteral("CommLog=0;Debug=0;");
    // A server host gone from the network is noticed within seconds, waiting
    // or parked: probes after 5 s of silence, 2 s apart, three unanswered;
    // data unacknowledged for 10 s. (A server process that stopped is the
    // session's own bound's to meet: its host still answers for it.)
    text += QStringLiteral("KeepaliveTime=5;KeepaliveInterval=2;pqopt=keepalives_count=3 tcp_user_timeout=10000;");
    // psqlODBC takes braces literally in most keys: only a value that needs them gets them.
    auto add = [&text](const char *key, const QString &value) {
        if (value.isEmpty())
            return;
        const bool plain =
            !value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('{')) && value.trimmed() == value;
        text += QLatin1String(key) + QLatin1Char('=') + (plain ? value : bracedOdbcValue(value)) + QLatin1Char(';');
    };
    // psqlODBC reads the port as a bare number, so neither it nor the host is
    // braced: a separator in them would add a key of its own, or a host dropped
    // would reach the driver's default server.
    for (const char *key : {"Host", "Port"}) {
        const QString value = properties.value(QLatin1String(key)).trimmed();
        refuseAddressSeparators(value, QLatin1String(key));
        if (!value.isEmpty())
            text += QLatin1String(key[0] == 'H' ? "Server" : "Port") + QLatin1Char('=') + value + QLatin1Char(';');
    }
    add("Database", properties.value(QStringLiteral("Database")));
    add("UID", user.isEmpty() ? properties.value(QStringLiteral("User ID")) : user);
    add("PWD", password.isEmpty() ? properties.value(QStringLiteral("Password")) : password);

    // "Search Path=mirva,public": the schema of one register, then the delivery table's.
    const QStringList schemas =
        properties.value(QStringLiteral("Search Path")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    QStringList quoted;
    for (const QString &schema : schemas)
        if (!schema.trimmed().isEmpty())
            quoted << sql::quoted(schema.trimmed(), QLatin1Char('"'));
    // The desk writes a backslash in a literal as the character itself; a
    // server set to read it as an escape would let typed text end the literal.
    QString settings = QStringLiteral("SET standard_conforming_strings TO on");
    if (!quoted.isEmpty())
        settings += QStringLiteral(";SET search_path TO ") + quoted.join(QStringLiteral(", "));
    add("ConnSettings", settings);

    int timeout = DefaultLoginTimeoutSeconds;
    if (properties.contains(QStringLiteral("Connect Timeout"))) {
        bool ok = false;
        const int seconds = properties.value(QStringLiteral("Connect Timeout")).trimmed().toInt(&ok);
        if (ok && seconds >= 0)
            timeout = seconds;
    }
    return {text, timeout, commandTimeoutSeconds(properties), true};
}

} // namespace platform
