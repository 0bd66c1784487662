#include "tests/support/PostgresTestDatabase.h"

#include "platform/db/access/Connection.h"
#include "platform/db/access/ProviderErrors.h"
#include "platform/db/odbc/OdbcConnectionPool.h"
#include "platform/db/odbc/PostgresProvider.h"
#include "platform/runtime/RuntimeError.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QtTest>

#include <memory>

using namespace platform;

namespace {
QList<QVariant> column(Recordset &rs, const QString &name)
{
    QList<QVariant> values;
    for (; !rs.isEOF(); rs.MoveNext())
        values.append(rs.value(name));
    return values;
}
} // namespace

// The desk's own statements against a real PostgreSQL server through psqlODBC.
class PostgresProviderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void mapsConnectionString_data();
    void mapsConnectionString();
    void probesTheConnection();
    void memberSearch_data();
    void memberSearch();
    void readsValueTypes();
    void deliversWithServerClockAndApostrophe();
    void uniqueViolationsAreRecognised_data();
    void uniqueViolationsAreRecognised();
    void otherErrorsAreNotUniqueViolations();
    void failedLoginLeavesConnectionClosed();
    void longStatementEndsAtTheCommandTimeout();
    void closedConnectionServesTheNextOpen_data();
    void closedConnectionServesTheNextOpen();
    void keptConnectionGoesWhenItsTimeIsUp();

private:
    std::unique_ptr<testsupport::PostgresTestDatabase> m_database;
    std::unique_ptr<Connection> m_connection;
};

void PostgresProviderTest::initTestCase()
{
    if (!testsupport::PostgresTestDatabase::available())
        return;
    try {
        m_database = std::make_unique<testsupport::PostgresTestDatabase>(QStringLiteral("velunas_provider"));
        m_connection = std::make_unique<Connection>();
        m_connection->setConnectionString(m_database->connectionString(QStringLiteral("haldor")));
        m_connection->Open();
    } catch (const RuntimeError &error) {
        QFAIL(qPrintable(error.description()));
    }
    m_connection->Execute(QStringLiteral("INSERT INTO haldor.tbEmpresas (no_empresa, empresa) VALUES "
                                         "('1234', 'Têxteis Lda'), ('2002', 'Coração SA')"));
    m_connection->Execute(
        QStringLiteral("INSERT INTO haldor.tbSocios (contacto_id, no_empresa, no_socio, nome, apelidos, email, activo) "
                       "VALUES (1, '1234', '501', 'Maria José', 'da Silva', 'mj@exemplo.pt', 1), "
                       "(2, NULL, '502', 'MARIA', 'SILVA', NULL, NULL), "
                       "(3, '2002', '503', 'Mária', 'Sílva', '', 0), "
                       "(4, NULL, '504', 'Seán', 'O''Neil', NULL, 1), "
                       "(5, NULL, '1234', 'João', 'Conceição', NULL, 1), "
                       "(6, NULL, '506', 'Ana', 'C:\\Silva', NULL, 1)"));
}

void PostgresProviderTest::cleanupTestCase()
{
    m_connection.reset();
    m_database.reset();
}

void PostgresProviderTest::init()
{
    const QByteArray test = QTest::currentTestFunction();
    if (!m_connection && test != "mapsConnectionString")
        QSKIP("No PostgreSQL test server: make test starts one.");
    if (m_connection) {
        m_connection->clearErrors();
        m_connection->Execute(QStringLiteral("DELETE FROM tbVelunas"));
    }
}

void PostgresProviderTest::mapsConnectionString_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("expected");
    const QString start = u"CommLog=0;Debug=0;KeepaliveTime=5;KeepaliveInterval=2;"
                          u"pqopt=keepalives_count=3 tcp_user_timeout=10000;"_qs;
    QTest::newRow("all keys")
        << QStringLiteral("Provider=PostgreSQL;Host=db1;Port=5433;Database=velunas;User ID=desk;"
                          "Password=p;w")
        << u"Driver={PostgreSQL Unicode};"_qs + start +
               u"Server=db1;Port=5433;Database=velunas;UID=desk;PWD=p;ConnSettings=SET standard_conforming_strings TO on;"_qs;
    QTest::newRow("other driver, braced password")
        << QStringLiteral("Provider=PostgreSQL;Driver=PostgreSQL ANSI;Host=h;Database=v;User ID=d;Password={a;b}")
        << u"Driver={PostgreSQL ANSI};"_qs + start +
               u"Server=h;Database=v;UID=d;PWD={a;b};ConnSettings=SET standard_conforming_strings TO on;"_qs;
    QTest::newRow("key after the host refused")
        << QStringLiteral("Provider=PostgreSQL;Host=\"db1;Server=other\"") << QString();
    QTest::newRow("brace in the port refused")
        << QStringLiteral("Provider=PostgreSQL;Host=db1;Port=5432}") << QString();
}

void PostgresProviderTest::mapsConnectionString()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, expected);
    if (expected.isEmpty()) { // refused: the driver would read a key of its own there
        QVERIFY_THROWS_EXCEPTION(
            platform::RuntimeError,
            mapPostgresConnection(ConnectionProperties::parse(connectionString), QString(), QString()));
        return;
    }
    QCOMPARE(
        mapPostgresConnection(ConnectionProperties::parse(connectionString), QString(), QString()).connectionString,
        expected);
}

void PostgresProviderTest::probesTheConnection()
{
    auto rs = m_connection->Execute(QStringLiteral("SELECT @@TRANCOUNT as flTrans"));
    QVERIFY(!rs->isEOF());
    QCOMPARE(rs->value(QStringLiteral("flTrans")), QVariant(qlonglong(0)));
}

void PostgresProviderTest::memberSearch_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QList<QVariant>>("contactIds");

    const QString active = QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE ");
    const QString all = QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE ");
    QTest::newRow("company number") << active + QStringLiteral("no_empresa = '1234'") << QList<QVariant>{qlonglong(1)};
    QTest::newRow("member number") << active + QStringLiteral("no_socio = '1234'") << QList<QVariant>{qlonglong(5)};
    QTest::newRow("number not there") << active + QStringLiteral("no_empresa = '9999'") << QList<QVariant>{};
    QTest::newRow("name blind to case and accents, inactive left out")
        << active + QStringLiteral("nome_union like '%maria%%silva%' ORDER BY contacto_id")
        << QList<QVariant>{qlonglong(1), qlonglong(2)};
    QTest::newRow("all members include the inactive one")
        << all + QStringLiteral("nome_union like '%MARIA%SILVA%' ORDER BY contacto_id")
        << QList<QVariant>{qlonglong(1), qlonglong(2), qlonglong(3)};
    QTest::newRow("accented pattern matches plain name")
        << all + QStringLiteral("nome_union like '%joao%conceicao%'") << QList<QVariant>{qlonglong(5)};
    QTest::newRow("apostrophe in the pattern")
        << active + QStringLiteral("nome_union like '%O' + CHAR(39) + 'Neil%'") << QList<QVariant>{qlonglong(4)};
    QTest::newRow("backslash is an ordinary character")
        << active + QStringLiteral("nome_union like '%c:\\silva%'") << QList<QVariant>{qlonglong(6)};
    QTest::newRow("blank pattern matches everyone active")
        << QStringLiteral(
               "SELECT * FROM vwAssociados_Completos_Activos WHERE nome_union like '%%' ORDER BY contacto_id")
        << QList<QVariant>{qlonglong(1), qlonglong(2), qlonglong(4), qlonglong(5), qlonglong(6)};
}

void PostgresProviderTest::memberSearch()
{
    QFETCH(QString, statement);
    QFETCH(QList<QVariant>, contactIds);
    auto rs = m_connection->Execute(statement);
    QCOMPARE(column(*rs, QStringLiteral("contacto_id")), contactIds);
}

void PostgresProviderTest::readsValueTypes()
{
    auto rs = m_connection->Execute(QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE no_empresa = '2002'"));
    QVERIFY(!rs->isEOF());
    QCOMPARE(rs->value(QStringLiteral("nome_union")), QVariant(QStringLiteral("Mária Sílva")));
    QCOMPARE(rs->value(QStringLiteral("empresa")), QVariant(QStringLiteral("Coração SA")));
    QCOMPARE(rs->value(QStringLiteral("email")), QVariant(QString()));
    QCOMPARE(rs->value(QStringLiteral("activo")), QVariant(qlonglong(0)));
    auto nulls = m_connection->Execute(QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE no_socio = '502'"));
    QVERIFY(!nulls->value(QStringLiteral("empresa")).isValid());
    QVERIFY(!nulls->value(QStringLiteral("activo")).isValid());
    auto numbers =
        m_connection->Execute(QStringLiteral("SELECT 2.5 as f, CAST(7 AS bigint) as b, MAX(convite_no) as last "
                                             "FROM tbVelunas"));
    QCOMPARE(numbers->value(QStringLiteral("f")), QVariant(2.5));
    QCOMPARE(numbers->value(QStringLiteral("b")), QVariant(qlonglong(7)));
    QVERIFY(!numbers->value(QStringLiteral("last")).isValid());
    auto date = m_connection->Execute(QStringLiteral("SELECT CONVERT(DATETIME,'2014-05-31 14:05:09',102) as d"));
    QCOMPARE(date->value(QStringLiteral("d")), QVariant(QDateTime(QDate(2014, 5, 31), QTime(14, 5, 9))));
}

void PostgresProviderTest::deliversWithServerClockAndApostrophe()
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
    qint64 affected = -1;
    m_connection->Execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, "
                                         "empresa, email) VALUES (4,1, GETDATE(), 1,'2003','Seán O' + CHAR(39) + "
                                         "'Neil','Têxteis ' + 'Lda','')"),
                          &affected);
    QCOMPARE(affected, qint64(1));
    auto last = m_connection->Execute(QStringLiteral("SELECT MAX(convite_no) as last FROM tbVelunas"));
    QCOMPARE(last->value(QStringLiteral("last")), QVariant(qlonglong(1)));
    auto row = m_connection->Execute(QStringLiteral("SELECT * FROM tbVelunas WHERE socio_id = 4 AND base_dados = 1"));
    QVERIFY(!row->isEOF());
    QCOMPARE(row->value(QStringLiteral("nome")), QVariant(QStringLiteral("Seán O'Neil")));
    QCOMPARE(row->value(QStringLiteral("empresa")), QVariant(QStringLiteral("Têxteis Lda")));
    const QDateTime stamped = row->value(QStringLiteral("data")).toDateTime();
    QVERIFY2(stamped >= before && stamped <= QDateTime::currentDateTime().addSecs(60), qPrintable(stamped.toString()));
}

void PostgresProviderTest::uniqueViolationsAreRecognised_data()
{
    QTest::addColumn<QString>("second");
    QTest::newRow("same invitation number")
        << QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) VALUES (2,1, GETDATE(), 1)");
    QTest::newRow("same member and database")
        << QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) VALUES (1,1, GETDATE(), 2)");
}

void PostgresProviderTest::uniqueViolationsAreRecognised()
{
    QFETCH(QString, second);
    m_connection->Execute(
        QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) VALUES (1,1, GETDATE(), 1)"));
    try {
        m_connection->Execute(second);
        QFAIL("the second delivery was accepted");
    } catch (const RuntimeError &error) {
        QVERIFY(error.isUniqueViolation());
        QVERIFY(error.number() != 0);
        QVERIFY(!error.description().isEmpty());
    }
    QVERIFY(!m_connection->Errors().isEmpty());
    QCOMPARE(m_connection->Errors().first().sqlState, QStringLiteral("23505"));
    auto count = m_connection->Execute(QStringLiteral("SELECT COUNT(*) as n FROM tbVelunas"));
    QCOMPARE(count->value(0), QVariant(qlonglong(1)));
}

void PostgresProviderTest::otherErrorsAreNotUniqueViolations()
{
    try {
        m_connection->Execute(QStringLiteral("SELECT * FROM tbNaoExiste"));
        QFAIL("a missing table was accepted");
    } catch (const RuntimeError &error) {
        QVERIFY(!error.isUniqueViolation());
        QVERIFY(error.number() != 0);
    }
    QVERIFY(!m_connection->Errors().isEmpty());
    QCOMPARE(m_connection->Errors().first().sqlState, QStringLiteral("42P01"));
    // The connection stays usable after a failed statement.
    QCOMPARE(m_connection->Execute(QStringLiteral("SELECT 1 as one"))->value(0), QVariant(qlonglong(1)));
}

void PostgresProviderTest::failedLoginLeavesConnectionClosed()
{
    Connection connection;
    connection.setConnectionString(m_database->connectionString(QStringLiteral("haldor")));
    // The password given to Open takes the place of the string's.
    QVERIFY_THROWS_EXCEPTION(RuntimeError, connection.Open(QString(), QStringLiteral("wrong")));
    QCOMPARE(connection.State(), ConnectionState::Closed);
    QVERIFY(!connection.Errors().isEmpty());
    QVERIFY(connection.Errors().first().number != 0);
}

void PostgresProviderTest::closedConnectionServesTheNextOpen_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<bool>("sameLogin");
    QTest::newRow("closed after good work") << QString() << true;
    QTest::newRow("closed inside a transaction") << u"BEGIN"_qs << true;
    QTest::newRow("closed after a failed statement") << u"SELECT * FROM nenhuma"_qs << false;
    QTest::newRow("dropped by the server while parked") << u"terminate"_qs << false;
}

// The next search reuses the last one's login, but never what it left behind.
void PostgresProviderTest::closedConnectionServesTheNextOpen()
{
    QFETCH(QString, meanwhile);
    QFETCH(bool, sameLogin);
    const QString text = m_database->connectionString(QStringLiteral("haldor")) + u"Connect Timeout=3;"_qs;
    const QString backend = u"SELECT pg_backend_pid() AS pid, (SELECT count(*) FROM tbVelunas) AS n"_qs;
    Connection first;
    first.setConnectionString(text);
    first.Open();
    const QVariant pid = first.Execute(backend)->value(u"pid"_qs);
    if (meanwhile == u"BEGIN"_qs) {
        first.Execute(meanwhile);
        first.Execute(u"INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) VALUES (1, 1, now(), 1)"_qs);
    } else if (!meanwhile.isEmpty() && meanwhile != u"terminate"_qs) {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, first.Execute(meanwhile));
    }
    first.Close();
    if (meanwhile == u"terminate"_qs)
        m_connection->Execute(u"SELECT pg_terminate_backend(%1)"_qs.arg(pid.toLongLong()));

    Connection next;
    next.setConnectionString(text);
    next.Open();
    const auto rs = next.Execute(backend);
    QCOMPARE(rs->value(u"pid"_qs) == pid, sameLogin);
    QCOMPARE(rs->value(u"n"_qs).toLongLong(), 0); // an open transaction was rolled back
}

// Closed by the pool itself, with no further open or close to prompt it.
void PostgresProviderTest::keptConnectionGoesWhenItsTimeIsUp()
{
    odbcpool::setIdleLimit(std::chrono::seconds(2));
    const auto restore = qScopeGuard([] { odbcpool::setIdleLimit(std::chrono::minutes(1)); });
    Connection kept;
    kept.setConnectionString(m_database->connectionString(QStringLiteral("haldor")) + u"Connect Timeout=4;"_qs);
    kept.Open();
    const qlonglong pid = kept.Execute(u"SELECT pg_backend_pid() AS pid"_qs)->value(0).toLongLong();
    kept.Close();
    const QString alive = u"SELECT count(*) FROM pg_stat_activity WHERE pid = %1"_qs.arg(pid);
    QCOMPARE(m_connection->Execute(alive)->value(0).toLongLong(), 1); // parked, not closed
    QTRY_COMPARE_WITH_TIMEOUT(m_connection->Execute(alive)->value(0).toLongLong(), 0, 10000);
}

// The server ends the statement (statement_timeout); the connection stays usable.
void PostgresProviderTest::longStatementEndsAtTheCommandTimeout()
{
    Connection connection;
    connection.setConnectionString(m_database->connectionString(QStringLiteral("haldor")) +
                                   QStringLiteral("Command Timeout=1"));
    connection.Open();
    QElapsedTimer clock;
    clock.start();
    try {
        connection.Execute(QStringLiteral("SELECT pg_sleep(60)"));
        QFAIL("the statement outlived its timeout");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), ProviderError::TimeoutExpired);
    }
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(connection.Errors().first().sqlState, QStringLiteral("57014"));
    QCOMPARE(connection.Execute(QStringLiteral("SELECT 1 as one"))->value(0), QVariant(qlonglong(1)));
}

QTEST_GUILESS_MAIN(PostgresProviderTest)
#include "tst_PostgresProvider.moc"
