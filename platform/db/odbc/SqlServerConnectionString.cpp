#include "platform/db/odbc/SqlServerConnectionString.h"

#include "platform/db/odbc/OdbcDiagnostics.h"
#include "platform/runtime/RuntimeError.h"

#include <QFileInfo>

namespace platform {

namespace {

struct ServerAddress
{
    QString host;
    QString instance;
    QString port;
};

// "host\instance,port", "host,port", "host\instance" or "host"; "tcp:" and the
// local names "(local)" and "." that the desk's strings may use.
ServerAddress parseDataSource(QString dataSource)
{
    ServerAddress address;
    dataSource = dataSource.trimmed();
    if (dataSource.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        dataSource = dataSource.mid(4);
    const qsizetype comma = dataSource.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        address.port = dataSource.mid(comma + 1).trimmed();
        dataSource = dataSource.left(comma).trimmed();
    }
    const qsizetype backslash = dataSource.indexOf(QLatin1Char('\\'));
    if (backslash >= 0) {
        address.instance = dataSource.mid(backslash + 1).trimmed();
        dataSource = dataSource.left(backslash).trimmed();
    }
    if (dataSource == QLatin1String("(local)") || dataSource == QLatin1String("."))
        dataSource = QStringLiteral("localhost");
    address.host = dataSource;
    return address;
}

bool isTrue(const QString &value)
{
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("true") || v == QLatin1String("yes") || v == QLatin1String("sspi") ||
           v == QLatin1String("1");
}

int loginTimeout(const ConnectionProperties &properties)
{
    for (const char *key : {"Connect Timeout", "Connection Timeout"}) {
        if (!properties.contains(QLatin1String(key)))
            continue;
        bool ok = false;
        const int seconds = properties.value(QLatin1String(key)).trimmed().toInt(&ok);
        return ok && seconds >= 0 ? seconds : DefaultLoginTimeoutSeconds;
    }
    return DefaultLoginTimeoutSeconds;
}

QString driverKey(const QString &name)
{
    return QStringLiteral("Driver=") + bracedOdbcValue(name) + QLatin1Char(';');
}

} // namespace

QString bracedOdbcValue(const QString &value, BraceStyle style)
{
    QString escaped = value;
    if (style == BraceStyle::Doubled)
        escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    else if (value.contains(QLatin1String("};")))
        throw RuntimeError(odbc::GenericProviderError,
                           QStringLiteral("A value of the connection string holds \"};\", which the FreeTDS "
                                          "driver cannot take."));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

OdbcTarget mapSqlServerConnection(const ConnectionProperties &properties, const QString &user, const QString &password,
                                  const SqlServerDriver &driver)
{
    const ServerAddress address = parseDataSource(properties.value(QStringLiteral("Data Source")));
    // FreeTDS reads no braces in the server's name, instance and port.
    for (const QString *part : {&address.host, &address.instance, &address.port})
        refuseAddressSeparators(*part, QStringLiteral("Data Source"));
    const QString database = properties.value(QStringLiteral("Initial Catalog"));
    const QString login = user.isEmpty() ? properties.value(QStringLiteral("User ID")) : user;
    const QString secret = password.isEmpty() ? properties.value(QStringLiteral("Password")) : password;
    const bool hasLogin = properties.contains(QStringLiteral("User ID")) || !user.isEmpty();

    // FreeTDS reads a braced value up to the first "};" and takes "}}" as it stands.
    const BraceStyle braces =
        driver.family == SqlServerDriverFamily::FreeTds ? BraceStyle::FreeTds : BraceStyle::Doubled;
    auto braced = [braces](const QString &value) { return bracedOdbcValue(value, braces); };
    QString text = driverKey(driver.name);
    if (driver.family == SqlServerDriverFamily::FreeTds) {
        if (!address.port.isEmpty())
            text += QStringLiteral("Server=%1;Port=%2;").arg(address.host, address.port);
        else if (!address.instance.isEmpty())
            text += QStringLiteral("Server=%1\\%2;").arg(address.host, address.instance);
        else
            text += QStringLiteral("Server=%1;").arg(address.host);
    } else {
        if (!address.port.isEmpty())
            text += QStringLiteral("Server=tcp:%1,%2;").arg(address.host, address.port);
        else if (!address.instance.isEmpty())
            text += QStringLiteral("Server=%1\\%2;").arg(address.host, address.instance);
        else
            text += QStringLiteral("Server=%1;").arg(address.host);
    }
    if (!database.isEmpty())
        text += QStringLiteral("Database=") + braced(database) + QLatin1Char(';');
    if (hasLogin) {
        text += QStringLiteral("UID=") + braced(login) + QLatin1Char(';');
        text += QStringLiteral("PWD=") + braced(secret) + QLatin1Char(';');
    }
    if (driver.family == SqlServerDriverFamily::FreeTds) {
        text += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
    } else {
        if (!hasLogin && isTrue(properties.value(QStringLiteral("Integrated Security"))))
            text += QStringLiteral("Trusted_Connection=yes;");
        // Driver 18 encrypts unless told; the desk's strings ask for it only by key.
        const bool encrypt = isTrue(properties.value(QStringLiteral("Use Encryption for Data")));
        text += encrypt ? QStringLiteral("Encrypt=yes;") : QStringLiteral("Encrypt=no;");
        if (encrypt && isTrue(properties.value(QStringLiteral("Trust Server Certificate"))))
            text += QStringLiteral("TrustServerCertificate=yes;");
    }
    text += QStringLiteral("APP=Velunas;");
    return {text, loginTimeout(properties), commandTimeoutSeconds(properties)};
}

QString chooseMicrosoftSqlServerDriver(const QStringList &installed)
{
    for (const char *name : {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "SQL Server"})
        if (installed.contains(QLatin1String(name), Qt::CaseInsensitive))
            return QLatin1String(name);
    return QString();
}

QString chooseFreeTdsDriver(const QStringList &installed, const QStringList &libraryCandidates)
{
    if (installed.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive))
        return QStringLiteral("FreeTDS");
    for (const QString &path : libraryCandidates)
        if (QFileInfo::exists(path))
            return path;
    return QString();
}

void refuseAddressSeparators(const QString &part, const QString &key)
{
    for (const QChar c : part)
        if (c == QLatin1Char(';') || c == QLatin1Char('{') || c == QLatin1Char('}') || c == QLatin1Char('='))
            throw RuntimeError(odbc::GenericProviderError,
                               QStringLiteral("The %1 of the connection string holds \"%2\", which the server's "
                                              "address cannot take.")
                                   .arg(key, c));
}

} // namespace platform
