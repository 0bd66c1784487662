#include "Deployment.h"
#include "data/Data.h"
#include "data/modTestConnection.h"
#include "platform/os/MachineCipher.h"
#include "platform/os/Registry.h"
#include "platform/os/SpecialFolders.h"
#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/ObservedProvider.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using platform::Connection;

namespace {

const QString Entry = QStringLiteral("Balcao");
const QString KeyPath = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Balcao");
// The desk's computer in these tests, whatever identity files the host has.
const QByteArray DeskKey(32, '1');

} // namespace

// Connection strings built from a settings entry, and the data environment.
class tst_OpenConnection : public QObject
{
    Q_OBJECT

private slots:
    void dataStartsWithTheBuiltInStrings();
    void init();
    void cleanup();
    void buildsTheStringFromTheEntry();
    void stopsAtTheFirstMissingValue_data();
    void stopsAtTheFirstMissingValue();
    void passwordThatDoesNotDecipherIsEmpty_data();
    void passwordThatDoesNotDecipherIsEmpty();
    void settingsWithSeparatorsStayOneValue();
    void givenStringIsUsedUnchanged();
    void dataAssemblesAnEmptyStringFromItsEntry();
    void anEntryOutranksTheBuiltInString_data();
    void anEntryOutranksTheBuiltInString();

private:
    void writeShadow(const QStringList &valueNames);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<testsupport::MessageBoxRecorder> m_boxes;
    QList<platform::ConnectionProperties> m_opened;
    QString m_database;
    QString m_sealedPassword;
};

void tst_OpenConnection::dataStartsWithTheBuiltInStrings()
{
    QCOMPARE(Data().SqlServer().ConnectionString(), QString::fromUtf8(deployment::ConnectionSqlServer));
    QCOMPARE(Data().HALDOR().ConnectionString(), QString::fromUtf8(deployment::ConnectionHaldor));
    QCOMPARE(Data().MIRVA().ConnectionString(), QString::fromUtf8(deployment::ConnectionMirva));
    QCOMPARE(&Data(), &Data());
}

void tst_OpenConnection::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_boxes = std::make_unique<testsupport::MessageBoxRecorder>();
    platform::overrideCommonAppData(m_dir->path());
    platform::setRegistryFile(m_dir->filePath(QStringLiteral("sem-registo.reg")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ZEFA Software")));
    demo::createSchemaOnly(m_dir->path());
    m_database = demo::demoFiles(m_dir->path()).haldor;
    testsupport::useDeskKey(m_dir->path(), DeskKey);
    m_sealedPassword = platform::sealForMachine(QStringLiteral("s3gredo"));
    QVERIFY(m_sealedPassword.startsWith(u"v2:"_qs));
    m_opened.clear();
    platform::registerProvider(QStringLiteral("SQLOLEDB.1"), [this] {
        // The server provider of a built string, keeping what it was opened with.
        return std::make_unique<testsupport::ObservedProvider>(
            [this](const platform::ConnectionProperties &properties) { m_opened.append(properties); });
    });
}

void tst_OpenConnection::cleanup()
{
    platform::registerProvider(QStringLiteral("SQLOLEDB.1"), {});
    platform::overrideCommonAppData(QString());
    platform::setRegistryFile(QString());
    qunsetenv("VELUNAS_KEY_FILE");
    m_boxes.reset();
}

void tst_OpenConnection::writeShadow(const QStringList &valueNames)
{
    const QHash<QString, QString> values = {
        {QStringLiteral("dtSecurityInfo"), QStringLiteral("True")},
        {QStringLiteral("dtUser"), QStringLiteral("balcao")},
        {QStringLiteral("dtPassword"), m_sealedPassword},
        {QStringLiteral("dtInitialCatalog"), QStringLiteral("Velunas")},
        {QStringLiteral("dtDataSource"), m_database},
    };
    QFile file(m_dir->filePath(QStringLiteral("ZEFA Software/RegShadow.db")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const QString &name : valueNames)
        file.write((KeyPath + QLatin1Char(':') + name + QLatin1Char('=') + values.value(name)).toLocal8Bit() + "\r\n");
}

void tst_OpenConnection::buildsTheStringFromTheEntry()
{
    writeShadow({u"dtSecurityInfo"_qs, u"dtUser"_qs, u"dtPassword"_qs, u"dtInitialCatalog"_qs, u"dtDataSource"_qs});
    Connection connection;
    QString entry = Entry;
    QString text;
    QVERIFY(modTestConnection::OpenConnection(connection, entry, text));
    QCOMPARE(text, QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=balcao;Password=s3gredo;"
                                  "Initial Catalog=Velunas;Data Source=%1;Connect Timeout=15")
                       .arg(m_database));
    QCOMPARE(connection.ConnectionString(), text);
    QCOMPARE(connection.State(), 1);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().value(u"Password"_qs), u"s3gredo"_qs);
    QVERIFY(m_boxes->calls().isEmpty());
}

void tst_OpenConnection::stopsAtTheFirstMissingValue_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::newRow("no dtSecurityInfo") << QStringList{u"dtUser"_qs, u"dtPassword"_qs, u"dtInitialCatalog"_qs,
                                                      u"dtDataSource"_qs};
    QTest::newRow("no dtPassword") << QStringList{u"dtSecurityInfo"_qs, u"dtUser"_qs, u"dtInitialCatalog"_qs,
                                                  u"dtDataSource"_qs};
    QTest::newRow("no dtDataSource") << QStringList{u"dtSecurityInfo"_qs, u"dtUser"_qs, u"dtPassword"_qs,
                                                    u"dtInitialCatalog"_qs};
}

void tst_OpenConnection::stopsAtTheFirstMissingValue()
{
    QFETCH(QStringList, present);
    writeShadow(present);
    // A connection already open elsewhere must be left as it is.
    Connection connection;
    const QString before = QStringLiteral("Provider=SQLite;Data Source=") + m_database;
    connection.setConnectionString(before);
    connection.Open();
    QString entry = Entry;
    QString text;
    QVERIFY(!modTestConnection::OpenConnection(connection, entry, text));
    QVERIFY(text.isEmpty());
    QCOMPARE(connection.State(), 1);
    QCOMPARE(connection.ConnectionString(), before);
    QVERIFY(m_opened.isEmpty());

    // TestConnection on a closed connection: false, and the caller's string stays empty.
    Connection closed;
    QVERIFY(!modTestConnection::TestConnection(closed, entry, nullptr, text, false));
    QVERIFY(text.isEmpty());
    QVERIFY(closed.ConnectionString().isEmpty());
}

void tst_OpenConnection::passwordThatDoesNotDecipherIsEmpty_data()
{
    QTest::addColumn<bool>("enciphered");
    QTest::addColumn<QByteArray>("reader");
    QTest::newRow("stored in plain") << false << DeskKey;
    QTest::newRow("enciphered on another computer") << true << QByteArray(32, '2');
    QTest::newRow("computer without key") << true << QByteArray();
}

void tst_OpenConnection::passwordThatDoesNotDecipherIsEmpty()
{
    QFETCH(bool, enciphered);
    QFETCH(QByteArray, reader);
    if (!enciphered)
        m_sealedPassword = QStringLiteral("s3gredo");
    QTemporaryDir other;
    testsupport::useDeskKey(other.path(), reader);
    writeShadow({u"dtSecurityInfo"_qs, u"dtUser"_qs, u"dtPassword"_qs, u"dtInitialCatalog"_qs, u"dtDataSource"_qs});
    Connection connection;
    QString entry = Entry;
    QString text;
    modTestConnection::OpenConnection(connection, entry, text);
    QVERIFY2(text.contains(u";Password=;"_qs), qPrintable(text));
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().value(u"Password"_qs), QString());
}

// A password such as "a;Data Source=x" must not become a key of its own.
void tst_OpenConnection::settingsWithSeparatorsStayOneValue()
{
    m_sealedPassword = platform::sealForMachine(QStringLiteral("a;Data Source=outro \"b\""));
    writeShadow({u"dtSecurityInfo"_qs, u"dtUser"_qs, u"dtPassword"_qs, u"dtInitialCatalog"_qs, u"dtDataSource"_qs});
    Connection connection;
    QString entry = Entry;
    QString text;
    QVERIFY(modTestConnection::OpenConnection(connection, entry, text));
    QVERIFY2(text.contains(u";Password=\"a;Data Source=outro \"\"b\"\"\";"_qs), qPrintable(text));
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().value(u"Password"_qs), u"a;Data Source=outro \"b\""_qs);
    QCOMPARE(m_opened.first().value(u"Data Source"_qs), m_database);
}

void tst_OpenConnection::givenStringIsUsedUnchanged()
{
    writeShadow({u"dtSecurityInfo"_qs, u"dtUser"_qs, u"dtPassword"_qs, u"dtInitialCatalog"_qs, u"dtDataSource"_qs});
    Connection connection;
    QString entry = Entry;
    QString text = QStringLiteral("Provider=SQLite;Data Source=") + m_database;
    QVERIFY(modTestConnection::OpenConnection(connection, entry, text));
    QCOMPARE(text, QStringLiteral("Provider=SQLite;Data Source=") + m_database);
    QVERIFY(m_opened.isEmpty()); // the settings' provider was never asked
    // Open already: the given string cannot be set again, yet the result is true.
    QString other = QStringLiteral("Provider=SQLite;Data Source=") + m_dir->filePath(u"outro.db"_qs);
    QVERIFY(modTestConnection::OpenConnection(connection, entry, other));
    QCOMPARE(connection.ConnectionString(), text);
}

void tst_OpenConnection::dataAssemblesAnEmptyStringFromItsEntry()
{
    QFile file(m_dir->filePath(QStringLiteral("ZEFA Software/RegShadow.db")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const char *line : {"dtSecurityInfo=False", "dtUser=haldor", "dtPassword=x", "dtInitialCatalog=HALDOR",
                             "dtDataSource=servidor\\sql,1433"})
        file.write("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\HALDOR:" + QByteArray(line) + "\r\n");
    file.close();
    const QString sqlServer = QStringLiteral("Provider=SQLite;Data Source=") + m_database;
    Data().setConnectionStrings(sqlServer, QString(), sqlServer);
    QCOMPARE(Data().SqlServer().ConnectionString(), sqlServer);
    QCOMPARE(Data().HALDOR().ConnectionString(),
             u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=haldor;Password=;Initial Catalog=HALDOR;"
             "Data Source=servidor\\sql,1433;Connect Timeout=15"_qs);
    // No entry for MIRVA: its string stays empty, and a test of it fails.
    Data().setConnectionStrings(sqlServer, sqlServer, QString());
    QVERIFY(Data().MIRVA().ConnectionString().isEmpty());
}

void tst_OpenConnection::anEntryOutranksTheBuiltInString_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no entry: the built-in string") << QStringList() << QString::fromUtf8(deployment::ConnectionHaldor);
    QTest::newRow("another entry only") << QStringList{u"MIRVA:dtUser=m"_qs}
                                        << QString::fromUtf8(deployment::ConnectionHaldor);
    QTest::newRow("complete entry: assembled")
        << QStringList{u"HALDOR:dtSecurityInfo=False"_qs, u"HALDOR:dtUser=h"_qs, u"HALDOR:dtPassword=x"_qs,
                       u"HALDOR:dtInitialCatalog=H"_qs, u"HALDOR:dtDataSource=srv"_qs}
        << u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=h;Password=;Initial Catalog=H;"
           "Data Source=srv;Connect Timeout=15"_qs;
    // An incomplete entry is a site's mistake to be shown, not a reason to use the embedded files.
    QTest::newRow("incomplete entry: no string") << QStringList{u"HALDOR:dtUser=h"_qs} << QString();
}

void tst_OpenConnection::anEntryOutranksTheBuiltInString()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);
    QFile file(m_dir->filePath(QStringLiteral("ZEFA Software/RegShadow.db")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const QString &line : lines)
        file.write("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\" + line.toUtf8() + "\r\n");
    file.close();
    DataEnvironment environment;
    QCOMPARE(environment.HALDOR().ConnectionString(), expected);
}

QTEST_MAIN(tst_OpenConnection)
#include "tst_OpenConnection.moc"
