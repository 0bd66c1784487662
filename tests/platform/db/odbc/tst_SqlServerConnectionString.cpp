#include "platform/db/access/ConnectionString.h"
#include "platform/db/odbc/SqlServerConnectionString.h"
#include "platform/runtime/RuntimeError.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {
const SqlServerDriver freeTds{QStringLiteral("FreeTDS"), SqlServerDriverFamily::FreeTds};
const SqlServerDriver microsoft{QStringLiteral("ODBC Driver 18 for SQL Server"), SqlServerDriverFamily::Microsoft};

// The string the desk builds for every one of its connections.
QString deskString(const QString &dataSource, const QString &password = QStringLiteral("segredo"))
{
    return QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=velunas;Password=") + password +
           QStringLiteral(";Initial Catalog=Socios;Data Source=") + dataSource + QStringLiteral(";Connect Timeout=15");
}
} // namespace

class SqlServerConnectionStringTest : public QObject
{
    Q_OBJECT

private slots:
    void mapsForFreeTds_data();
    void mapsForFreeTds();
    void mapsForMicrosoftDriver_data();
    void mapsForMicrosoftDriver();
    void timeouts_data();
    void timeouts();
    void openArgumentsReplaceTheStringsLogin();
    void freeTdsRefusesWhatItCannotRead();
    void choosesMicrosoftDriver_data();
    void choosesMicrosoftDriver();
    void choosesFreeTdsDriver();
};

void SqlServerConnectionStringTest::mapsForFreeTds_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("expected");

    const QString tail = QStringLiteral("Database={Socios};UID={velunas};PWD={segredo};"
                                        "TDS_Version=7.4;ClientCharset=UTF-8;APP=Velunas;");
    QTest::newRow("instance and port: the port wins")
        << deskString(QStringLiteral("srv01\\VELUNAS,1433"))
        << QStringLiteral("Driver={FreeTDS};Server=srv01;Port=1433;") + tail;
    QTest::newRow("instance alone") << deskString(QStringLiteral("srv01\\VELUNAS"))
                                    << QStringLiteral("Driver={FreeTDS};Server=srv01\\VELUNAS;") + tail;
    QTest::newRow("host alone") << deskString(QStringLiteral("srv01"))
                                << QStringLiteral("Driver={FreeTDS};Server=srv01;") + tail;
    QTest::newRow("host and other port") << deskString(QStringLiteral("10.0.0.5,14330"))
                                         << QStringLiteral("Driver={FreeTDS};Server=10.0.0.5;Port=14330;") + tail;
    QTest::newRow("local name") << deskString(QStringLiteral("(local)\\SQLEXPRESS,1433"))
                                << QStringLiteral("Driver={FreeTDS};Server=localhost;Port=1433;") + tail;
    // FreeTDS reads up to the first "};" and takes "}}" literally: the brace stays single.
    QTest::newRow("password with separators is braced")
        << deskString(QStringLiteral("srv01,1433"), QStringLiteral("\"a;b=c}d}\""))
        << QStringLiteral("Driver={FreeTDS};Server=srv01;Port=1433;Database={Socios};UID={velunas};PWD={a;b=c}d}};"
                          "TDS_Version=7.4;ClientCharset=UTF-8;APP=Velunas;");
    QTest::newRow("Portuguese login")
        << QStringLiteral(
               "Provider=SQLOLEDB.1;User ID=joão;Password=coração;Initial Catalog=Sócios;Data Source=srv,1433")
        << QStringLiteral("Driver={FreeTDS};Server=srv;Port=1433;Database={Sócios};UID={joão};PWD={coração};"
                          "TDS_Version=7.4;ClientCharset=UTF-8;APP=Velunas;");
    QTest::newRow("no login given: none sent")
        << QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=Socios;Data Source=srv,1433")
        << QStringLiteral("Driver={FreeTDS};Server=srv;Port=1433;Database={Socios};"
                          "TDS_Version=7.4;ClientCharset=UTF-8;APP=Velunas;");
}

void SqlServerConnectionStringTest::mapsForFreeTds()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, expected);
    const OdbcTarget target =
        mapSqlServerConnection(ConnectionProperties::parse(connectionString), QString(), QString(), freeTds);
    QCOMPARE(target.connectionString, expected);
    QVERIFY(!target.connectionString.contains(QLatin1String("Persist"), Qt::CaseInsensitive));
    QVERIFY(!target.connectionString.contains(QLatin1String("Timeout"), Qt::CaseInsensitive));
}

void SqlServerConnectionStringTest::mapsForMicrosoftDriver_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("expected");

    const QString login = QStringLiteral("Database={Socios};UID={velunas};PWD={segredo};");
    QTest::newRow("port") << QStringLiteral("srv01\\VELUNAS,1433") << QString()
                          << QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server=tcp:srv01,1433;") + login +
                                 QStringLiteral("Encrypt=no;APP=Velunas;");
    QTest::newRow("instance") << QStringLiteral("srv01\\VELUNAS") << QString()
                              << QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server=srv01\\VELUNAS;") +
                                     login + QStringLiteral("Encrypt=no;APP=Velunas;");
    QTest::newRow("encryption asked") << QStringLiteral("srv01,1433")
                                      << QStringLiteral(";Use Encryption for Data=True;Trust Server Certificate=True")
                                      << QStringLiteral(
                                             "Driver={ODBC Driver 18 for SQL Server};Server=tcp:srv01,1433;") +
                                             login +
                                             QStringLiteral("Encrypt=yes;TrustServerCertificate=yes;APP=Velunas;");
}

void SqlServerConnectionStringTest::mapsForMicrosoftDriver()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, extra);
    QFETCH(QString, expected);
    const OdbcTarget target = mapSqlServerConnection(ConnectionProperties::parse(deskString(dataSource) + extra),
                                                     QString(), QString(), microsoft);
    QCOMPARE(target.connectionString, expected);
}

void SqlServerConnectionStringTest::timeouts_data()
{
    QTest::addColumn<QString>("timeoutKeys");
    QTest::addColumn<int>("login");
    QTest::addColumn<int>("command");
    const int login = DefaultLoginTimeoutSeconds;
    const int command = DefaultCommandTimeoutSeconds;
    QTest::newRow("desk's own") << QStringLiteral("Connect Timeout=15") << 15 << command;
    QTest::newRow("other spelling") << QStringLiteral("Connection Timeout=3") << 3 << command;
    QTest::newRow("none named: still bounded") << QString() << login << command;
    QTest::newRow("not a number: still bounded")
        << QStringLiteral("Connect Timeout=soon;Command Timeout=2s") << login << command;
    QTest::newRow("zero waits as the driver does") << QStringLiteral("Connect Timeout=0") << 0 << command;
    QTest::newRow("command named, any case") << QStringLiteral("command timeout= 2 ") << login << 2;
    QTest::newRow("command zero: no limit") << QStringLiteral("Command Timeout=0") << login << 0;
    QTest::newRow("command negative: still bounded") << QStringLiteral("Command Timeout=-1") << login << command;
}

void SqlServerConnectionStringTest::timeouts()
{
    QFETCH(QString, timeoutKeys);
    QFETCH(int, login);
    QFETCH(int, command);
    const QString text = QStringLiteral("Provider=SQLOLEDB.1;Data Source=srv,1433;") + timeoutKeys;
    const OdbcTarget target = mapSqlServerConnection(ConnectionProperties::parse(text), QString(), QString(), freeTds);
    QCOMPARE(target.loginTimeoutSeconds, login);
    QCOMPARE(target.commandTimeoutSeconds, command);
}

void SqlServerConnectionStringTest::openArgumentsReplaceTheStringsLogin()
{
    const OdbcTarget target =
        mapSqlServerConnection(ConnectionProperties::parse(deskString(QStringLiteral("srv,1433"))),
                               QStringLiteral("outro"), QStringLiteral("chave"), freeTds);
    QVERIFY(target.connectionString.contains(QLatin1String("UID={outro};PWD={chave};")));
}

// A password holding "};" would reach FreeTDS cut short: refused instead of sent wrong.
void SqlServerConnectionStringTest::freeTdsRefusesWhatItCannotRead()
{
    const ConnectionProperties properties = ConnectionProperties::parse(deskString(QStringLiteral("srv,1433")));
    QVERIFY_THROWS_EXCEPTION(RuntimeError,
                             mapSqlServerConnection(properties, QString(), QStringLiteral("x};y"), freeTds));
    QVERIFY(mapSqlServerConnection(properties, QString(), QStringLiteral("x};y"), microsoft)
                .connectionString.contains(QLatin1String("PWD={x}};y};")));
}

void SqlServerConnectionStringTest::choosesMicrosoftDriver_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("18 before 17") << QStringList{QStringLiteral("ODBC Driver 17 for SQL Server"),
                                                 QStringLiteral("ODBC Driver 18 for SQL Server")}
                                  << QStringLiteral("ODBC Driver 18 for SQL Server");
    QTest::newRow("17 before the old one")
        << QStringList{QStringLiteral("SQL Server"), QStringLiteral("ODBC Driver 17 for SQL Server")}
        << QStringLiteral("ODBC Driver 17 for SQL Server");
    QTest::newRow("old one alone") << QStringList{QStringLiteral("SQL Server")} << QStringLiteral("SQL Server");
    QTest::newRow("none") << QStringList{QStringLiteral("PostgreSQL Unicode")} << QString();
}

void SqlServerConnectionStringTest::choosesMicrosoftDriver()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    QCOMPARE(chooseMicrosoftSqlServerDriver(installed), chosen);
}

void SqlServerConnectionStringTest::choosesFreeTdsDriver()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString library = dir.filePath(QStringLiteral("libtdsodbc.so"));
    const QStringList candidates{dir.filePath(QStringLiteral("missing.so")), library};
    QCOMPARE(chooseFreeTdsDriver({QStringLiteral("FreeTDS")}, candidates), QStringLiteral("FreeTDS"));
    QCOMPARE(chooseFreeTdsDriver({}, candidates), QString());
    QFile file(library);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(chooseFreeTdsDriver({}, candidates), library);
}

QTEST_GUILESS_MAIN(SqlServerConnectionStringTest)
#include "tst_SqlServerConnectionString.moc"
