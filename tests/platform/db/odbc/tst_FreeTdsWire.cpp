// The "SQLOLEDB.1" provider through FreeTDS against a scripted TDS 7.4
// responder on loopback: what reaches the wire, what comes back.

#include "tests/platform/db/odbc/TdsResponder.h"

#include "platform/db/access/Connection.h"
#include "platform/runtime/RuntimeError.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

using platform::Connection;
using platform::RuntimeError;

namespace {

const char *const DatabaseScript = R"sql(
CREATE TABLE tbVelunas (socio_id INTEGER, base_dados INTEGER, data TEXT, convite_no INTEGER, no_tap TEXT,
    nome TEXT, empresa TEXT, email TEXT, UNIQUE (convite_no), UNIQUE (socio_id, base_dados));
CREATE TABLE vwAssociados_Completos_Activos (no_empresa TEXT, no_socio TEXT, nome_union TEXT, empresa TEXT,
    email TEXT, contacto_id INTEGER, activo INTEGER);
INSERT INTO vwAssociados_Completos_Activos VALUES
    ('1234', '501', 'José Conceição Araújo', 'Pão & Companhia, Lda.', NULL, 17, 1);
CREATE TABLE amostra (inteiro INTEGER, real REAL, quando TEXT, nada TEXT);
INSERT INTO amostra VALUES (42, 2.5, '2014-05-03 14:07:00', NULL);
)sql";

QString sqlServerString(const QString &port, const QString &user, const QString &password, const QString &catalog,
                        const QString &extra = QString())
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=\"%1\";Persist Security Info=True;User ID=%2;"
                          "Initial Catalog=%3;Data Source=127.0.0.1\\VELUNAS,%4;%5")
        .arg(password, user, catalog, port, extra);
}

QString sqlServerString(int port, const QString &user, const QString &password, const QString &catalog,
                        const QString &extra = QString())
{
    return sqlServerString(QString::number(port), user, password, catalog, extra);
}

} // namespace

class tst_FreeTdsWire : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loginReachesTheWireAsMapped_data();
    void loginReachesTheWireAsMapped();
    void statementsGoOutAsWritten();
    void portugueseTextSurvivesBothWays();
    void fieldValuesHaveTheDesksTypes();
    void duplicateKeyArrivesAsUniqueViolation_data();
    void duplicateKeyArrivesAsUniqueViolation();
    void failedLoginArrivesWith18456();
    void separatorsInTheAddressAreRefused_data();
    void separatorsInTheAddressAreRefused();
    void loginTimeoutFiresAgainstASilentServer_data();
    void loginTimeoutFiresAgainstASilentServer();

private:
    void openDesk(Connection &connection);

    QTemporaryDir m_folder;
    QString m_script;
    QString m_database;
    std::unique_ptr<TdsResponder> m_responder;
};

void tst_FreeTdsWire::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_script = QFINDTESTDATA("helpers/tds_responder.py");
    QVERIFY(!m_script.isEmpty());
    m_database = m_folder.filePath(QStringLiteral("tds.db"));
    QVERIFY(TdsResponder::createDatabase(m_database, DatabaseScript));
    m_responder = std::make_unique<TdsResponder>(m_script, m_database, m_folder.filePath(QStringLiteral("tds.log")),
                                                 QStringList{QStringLiteral("--password"), QStringLiteral("desk")});
    QVERIFY(m_responder->port() > 0);
}

void tst_FreeTdsWire::openDesk(Connection &connection)
{
    connection.setConnectionString(sqlServerString(m_responder->port(), QStringLiteral("velunas"),
                                                   QStringLiteral("desk"), QStringLiteral("Velunas")));
    connection.Open();
}

void tst_FreeTdsWire::loginReachesTheWireAsMapped_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("catalog");
    QTest::newRow("plain login") << "velunas"
                                 << "desk"
                                 << "Velunas_HALDOR";
    QTest::newRow("password with ; = and braces") << "recepcao"
                                                  << "a;b=c}d{e"
                                                  << "Velunas_MIRVA";
    QTest::newRow("password ending in a brace") << "recepcao"
                                                << "x;y}"
                                                << "Velunas";
    QTest::newRow("accented login and database") << "joão"
                                                 << "Conceição"
                                                 << "Associações";
}

void tst_FreeTdsWire::loginReachesTheWireAsMapped()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, catalog);
    // A responder per row, so that the password it expects is this row's.
    TdsResponder responder(
        m_script, m_database,
        m_folder.filePath(
            QStringLiteral("login-%1.log")
                .arg(QString::fromUtf8(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_')))),
        {QStringLiteral("--password"), password});
    QVERIFY(responder.port() > 0);
    Connection connection;
    connection.setConnectionString(sqlServerString(responder.port(), user, password, catalog));
    connection.Open();
    QCOMPARE(connection.State(), 1);
    QVERIFY(connection.Errors().isEmpty());

    const QList<QJsonObject> logins = responder.records(QStringLiteral("login"));
    QCOMPARE(logins.size(), 1);
    const QJsonObject login = logins.first();
    QCOMPARE(login.value(QStringLiteral("user")).toString(), user);
    QCOMPARE(login.value(QStringLiteral("password")).toString(), password);
    QCOMPARE(login.value(QStringLiteral("database")).toString(), catalog);
    QCOMPARE(login.value(QStringLiteral("app")).toString(), QStringLiteral("Velunas"));
    QCOMPARE(login.value(QStringLiteral("tds_version")).toString(), QStringLiteral("74000004"));
    // With a port the instance name is not used to find the server.
    QCOMPARE(login.value(QStringLiteral("server")).toString().section(QLatin1Char('\\'), 0, 0),
             QStringLiteral("127.0.0.1"));
}

void tst_FreeTdsWire::statementsGoOutAsWritten()
{
    Connection connection;
    openDesk(connection);
    const QString probe = QStringLiteral("SELECT @@TRANCOUNT as flTrans");
    auto result = connection.Execute(probe);
    QVERIFY(!result->isEOF());
    QCOMPARE(result->value(QStringLiteral("flTrans")).toLongLong(), 0);

    const QString search = QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE no_empresa = '1234'");
    result = connection.Execute(search);
    QVERIFY(!result->isEOF());
    QCOMPARE(result->value(QStringLiteral("contacto_id")).toLongLong(), 17);

    QStringList sent;
    for (const QJsonObject &batch : m_responder->records(QStringLiteral("batch")))
        sent << batch.value(QStringLiteral("sql")).toString();
    QVERIFY2(sent.contains(probe), qPrintable(sent.join(QLatin1Char('\n'))));
    QVERIFY(sent.contains(search));
}

void tst_FreeTdsWire::portugueseTextSurvivesBothWays()
{
    Connection connection;
    openDesk(connection);
    auto result =
        connection.Execute(QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE no_socio = '501'"));
    QVERIFY(!result->isEOF());
    QCOMPARE(result->value(QStringLiteral("nome_union")).toString(), QStringLiteral("José Conceição Araújo"));
    QCOMPARE(result->value(QStringLiteral("empresa")).toString(), QStringLiteral("Pão & Companhia, Lda."));
    QVERIFY(!result->value(QStringLiteral("email")).isValid());

    const QString insert = QStringLiteral(
        "INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, empresa, email) VALUES "
        "(900,1, GETDATE(), 900,'9001','Inês O' + CHAR(39) + 'Neill Gonçalves','Açores Têxteis',null)");
    connection.Execute(insert);
    // A NUL pasted into a box must not end the statement early on the wire.
    const QString pasted = QStringLiteral("ana") + QChar(0) + QStringLiteral("@exemplo.pt");
    connection.Execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, convite_no, email) VALUES "
                                      "(901,1,901,'%1')")
                           .arg(pasted));
    result = connection.Execute(QStringLiteral("SELECT email FROM tbVelunas WHERE socio_id = 901"));
    QVERIFY(!result->isEOF());
    QCOMPARE(result->value(QStringLiteral("email")).toString(), pasted);
    result = connection.Execute(QStringLiteral("SELECT * FROM tbVelunas WHERE socio_id = 900 AND base_dados = 1"));
    QVERIFY(!result->isEOF());
    QCOMPARE(result->value(QStringLiteral("nome")).toString(), QStringLiteral("Inês O'Neill Gonçalves"));
    QCOMPARE(result->value(QStringLiteral("empresa")).toString(), QStringLiteral("Açores Têxteis"));
    QVERIFY(result->value(QStringLiteral("data")).toDateTime().isValid());

    bool arrived = false;
    for (const QJsonObject &batch : m_responder->records(QStringLiteral("batch")))
        arrived = arrived || batch.value(QStringLiteral("sql")).toString() == insert;
    QVERIFY(arrived);
}

void tst_FreeTdsWire::fieldValuesHaveTheDesksTypes()
{
    Connection connection;
    openDesk(connection);
    auto result = connection.Execute(QStringLiteral("SELECT inteiro, real, quando, nada FROM amostra"));
    QVERIFY(!result->isEOF());
    QCOMPARE(result->value(0).typeId(), QMetaType::LongLong);
    QCOMPARE(result->value(0).toLongLong(), 42);
    QCOMPARE(result->value(1).typeId(), QMetaType::Double);
    QCOMPARE(result->value(1).toDouble(), 2.5);
    QCOMPARE(result->value(2).typeId(), QMetaType::QDateTime);
    QCOMPARE(result->value(2).toDateTime(), QDateTime(QDate(2014, 5, 3), QTime(14, 7)));
    QVERIFY(!result->value(3).isValid());
}

void tst_FreeTdsWire::duplicateKeyArrivesAsUniqueViolation_data()
{
    QTest::addColumn<QString>("values");
    QTest::newRow("same invitation number") << "(701,1, GETDATE(), 700,'1','A','B',null)";
    QTest::newRow("same member and register") << "(700,1, GETDATE(), 701,'1','A','B',null)";
}

void tst_FreeTdsWire::duplicateKeyArrivesAsUniqueViolation()
{
    QFETCH(QString, values);
    Connection connection;
    openDesk(connection);
    const QString insert = QStringLiteral(
        "INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, empresa, email) VALUES ");
    connection.Execute(QStringLiteral("DELETE FROM tbVelunas WHERE convite_no IN (700, 701)"));
    connection.Execute(insert + QStringLiteral("(700,1, GETDATE(), 700,'1','A','B',null)"));
    try {
        connection.Execute(insert + values);
        QFAIL("the duplicate was accepted");
    } catch (const RuntimeError &error) {
        QVERIFY(error.isUniqueViolation());
        QCOMPARE(error.number(), 2627);
        QVERIFY2(error.description().contains(QLatin1String("Violation of UNIQUE KEY constraint")),
                 qPrintable(error.description()));
    }
    QList<int> natives;
    for (const platform::ErrorRecord &record : connection.Errors())
        natives << record.nativeError;
    QCOMPARE(natives.value(0), 2627);
    QVERIFY(natives.contains(3621));
}

void tst_FreeTdsWire::failedLoginArrivesWith18456()
{
    Connection connection;
    connection.setConnectionString(sqlServerString(m_responder->port(), QStringLiteral("velunas"),
                                                   QStringLiteral("wrong"), QStringLiteral("Velunas")));
    try {
        connection.Open();
        QFAIL("a wrong password opened the connection");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), 18456);
        QVERIFY(error.description().contains(QLatin1String("Login failed for user 'velunas'")));
    }
    QCOMPARE(connection.State(), 0);
    QVERIFY(!connection.Errors().isEmpty());
    QCOMPARE(connection.Errors().first().nativeError, 18456);
}

void tst_FreeTdsWire::separatorsInTheAddressAreRefused_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::newRow("key after the host") << "127.0.0.1;Domain=X,{port}";
    QTest::newRow("key after the port") << "127.0.0.1,{port};Domain=X";
}

// Quoted in the desk's string, such a Data Source would reach the driver as keys of its own.
void tst_FreeTdsWire::separatorsInTheAddressAreRefused()
{
    QFETCH(QString, dataSource);
    dataSource.replace(QLatin1String("{port}"), QString::number(m_responder->port()));
    const qsizetype logins = m_responder->records(QStringLiteral("login")).size();
    Connection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Password=desk;User ID=velunas;"
                                                  "Initial Catalog=Velunas;Data Source=\"%1\"")
                                       .arg(dataSource));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, connection.Open());
    QCOMPARE(connection.State(), 0);
    QCOMPARE(m_responder->records(QStringLiteral("login")).size(), logins);
}

void tst_FreeTdsWire::loginTimeoutFiresAgainstASilentServer_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("sqlState");
    QTest::newRow("SQL Server through FreeTDS")
        << sqlServerString(QStringLiteral("{port}"), QStringLiteral("velunas"), QStringLiteral("desk"),
                           QStringLiteral("Velunas"), QStringLiteral("Connect Timeout=1"))
        << "HYT00";
    QTest::newRow("PostgreSQL through psqlODBC")
        << QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port={port};Database=velunas;User ID=velunas;Password=x;"
                          "Connect Timeout=1")
        << "08001";
}

// The server takes the connection and never answers: the open must give up.
void tst_FreeTdsWire::loginTimeoutFiresAgainstASilentServer()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, sqlState);
    TdsResponder silent(m_script, m_database, m_folder.filePath(QStringLiteral("silent.log")),
                        {QStringLiteral("--silent")});
    QVERIFY(silent.port() > 0);
    connectionString.replace(QLatin1String("{port}"), QString::number(silent.port()));
    Connection connection;
    connection.setConnectionString(connectionString);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, connection.Open());
    QCOMPARE(connection.State(), 0);
    QVERIFY(!connection.Errors().isEmpty());
    QStringList states;
    for (const platform::ErrorRecord &record : connection.Errors())
        states << record.sqlState + QLatin1Char(' ') + record.description;
    QVERIFY2(states.first().startsWith(sqlState), qPrintable(states.join(QLatin1Char('\n'))));
    QVERIFY2(states.join(QLatin1Char(' ')).contains(QLatin1String("time"), Qt::CaseInsensitive),
             qPrintable(states.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(tst_FreeTdsWire)
#include "tst_FreeTdsWire.moc"
