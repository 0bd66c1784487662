#include "platform/db/access/Connection.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using platform::Connection;

namespace {

std::unique_ptr<Connection> opened(const QString &connectionString)
{
    auto connection = std::make_unique<Connection>();
    connection->setConnectionString(connectionString);
    connection->Open();
    return connection;
}

int countOf(Connection &connection, const QString &statement)
{
    return connection.Execute(statement)->value(0).toInt();
}

const QString Insert = QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, "
                                      "empresa, email) VALUES (%1,%2, GETDATE(), %3,'1001','João O' + CHAR(39) + "
                                      "'Neil',null,null)");

} // namespace

// The demo databases: what the member search and the delivery read and write
// through the three connections.
class tst_DemoDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void registersHoldTheCasesTheDeskMustHandle_data();
    void registersHoldTheCasesTheDeskMustHandle();
    void activeViewLeavesOutInactiveMembers();
    void deliveryTableIsOneThroughAllConnections();
    void deliveryTableRefusesASecondInvitation_data();
    void deliveryTableRefusesASecondInvitation();
    void existingFilesAreKept();
    void twoDesksWriteOneFileAtOnce();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    demo::ConnectionStrings m_strings;
};

void tst_DemoDatabase::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QCOMPARE(demo::createDemoDatabases(m_dir->path(), 300).size(), 2);
    m_strings = demo::connectionStrings(m_dir->path());
}

void tst_DemoDatabase::registersHoldTheCasesTheDeskMustHandle_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("atLeast");
    QTest::newRow("inactive members") << u"SELECT count(*) FROM vwAssociados_Completos WHERE activo = 0"_qs << 1;
    QTest::newRow("members without activo")
        << u"SELECT count(*) FROM vwAssociados_Completos WHERE activo IS NULL"_qs << 1;
    QTest::newRow("apostrophes in names")
        << u"SELECT count(*) FROM vwAssociados_Completos WHERE nome_union like '%' + CHAR(39) + '%'"_qs << 1;
    QTest::newRow("accentless search finds accented names")
        << u"SELECT count(*) FROM vwAssociados_Completos WHERE nome_union like '%jose%'"_qs << 2;
    QTest::newRow("empty or null e-mails")
        << u"SELECT count(*) FROM vwAssociados_Completos WHERE email IS NULL OR email = ''"_qs << 1;
    QTest::newRow("company numbers shared by members")
        << u"SELECT count(*) FROM (SELECT no_empresa FROM vwAssociados_Completos GROUP BY no_empresa "
           "HAVING count(*) > 1)"_qs
        << 1;
}

void tst_DemoDatabase::registersHoldTheCasesTheDeskMustHandle()
{
    QFETCH(QString, statement);
    QFETCH(int, atLeast);
    for (const QString &connectionString : {m_strings.haldor, m_strings.mirva}) {
        auto connection = opened(connectionString);
        const int count = countOf(*connection, statement);
        QVERIFY2(count >= atLeast, qPrintable(QString::number(count)));
    }
}

void tst_DemoDatabase::activeViewLeavesOutInactiveMembers()
{
    auto haldor = opened(m_strings.haldor);
    const int all = countOf(*haldor, u"SELECT count(*) FROM vwAssociados_Completos"_qs);
    const int inactive = countOf(*haldor, u"SELECT count(*) FROM vwAssociados_Completos WHERE activo = 0"_qs);
    QCOMPARE(countOf(*haldor, u"SELECT count(*) FROM vwAssociados_Completos_Activos"_qs), all - inactive);

    // Both registers use the same company numbers.
    auto mirva = opened(m_strings.mirva);
    QVERIFY(countOf(*mirva, u"SELECT count(*) FROM vwAssociados_Completos a JOIN haldor.vwAssociados_Completos b "
                            "ON a.no_empresa = b.no_empresa"_qs) > 0);
}

void tst_DemoDatabase::deliveryTableIsOneThroughAllConnections()
{
    auto sqlServer = opened(m_strings.sqlServer);
    sqlServer->Execute(Insert.arg(12).arg(1).arg(1));
    auto mirva = opened(m_strings.mirva);
    auto rs = mirva->Execute(u"SELECT * FROM tbVelunas WHERE socio_id = 12 AND base_dados = 1"_qs);
    QVERIFY(!rs->isEOF());
    QCOMPARE(rs->value(u"nome"_qs).toString(), u"João O'Neil"_qs);
    QVERIFY(rs->value(u"data"_qs).toDateTime().isValid()); // the refusal message formats it
    QVERIFY(!rs->value(u"email"_qs).isValid());
    auto haldor = opened(m_strings.haldor);
    QCOMPARE(haldor->Execute(u"SELECT MAX(convite_no) as last FROM tbVelunas"_qs)->value(u"last"_qs).toInt(), 1);
}

void tst_DemoDatabase::deliveryTableRefusesASecondInvitation_data()
{
    QTest::addColumn<int>("socioId");
    QTest::addColumn<int>("baseDados");
    QTest::addColumn<int>("conviteNo");
    QTest::addColumn<bool>("refused");
    QTest::newRow("same member again") << 12 << 1 << 2 << true;
    QTest::newRow("same invitation number") << 13 << 1 << 1 << true;
    QTest::newRow("same id in the other database is another member") << 12 << 2 << 2 << false;
}

void tst_DemoDatabase::deliveryTableRefusesASecondInvitation()
{
    QFETCH(int, socioId);
    QFETCH(int, baseDados);
    QFETCH(int, conviteNo);
    QFETCH(bool, refused);
    auto sqlServer = opened(m_strings.sqlServer);
    sqlServer->Execute(Insert.arg(12).arg(1).arg(1));
    bool unique = false;
    try {
        sqlServer->Execute(Insert.arg(socioId).arg(baseDados).arg(conviteNo));
    } catch (const platform::RuntimeError &error) {
        unique = error.isUniqueViolation();
    }
    QCOMPARE(unique, refused);
    QCOMPARE(countOf(*sqlServer, u"SELECT count(*) FROM tbVelunas"_qs), refused ? 1 : 2);
}

void tst_DemoDatabase::existingFilesAreKept()
{
    auto sqlServer = opened(m_strings.sqlServer);
    sqlServer->Execute(Insert.arg(12).arg(1).arg(1));
    sqlServer->Close();
    QVERIFY(demo::createDemoDatabases(m_dir->path(), 300).isEmpty());
    auto again = opened(m_strings.sqlServer);
    QCOMPARE(countOf(*again, u"SELECT count(*) FROM tbVelunas"_qs), 1);
}

void tst_DemoDatabase::twoDesksWriteOneFileAtOnce()
{
    constexpr int perDesk = 1000; // enough for the two runs to overlap
    QProcess first, second;
    const QString program = testsupport::binaryDir() + QStringLiteral("/delivery_writer");
    first.start(program, {m_strings.sqlServer, QStringLiteral("1"), QString::number(perDesk)});
    second.start(program, {m_strings.mirva, QString::number(perDesk + 1), QString::number(perDesk)});
    QVERIFY(first.waitForFinished(120000));
    QVERIFY(second.waitForFinished(120000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(first.readAllStandardError().isEmpty(), "the first desk met an error");

    auto haldor = opened(m_strings.haldor);
    QCOMPARE(countOf(*haldor, u"SELECT count(DISTINCT convite_no) FROM tbVelunas"_qs), 2 * perDesk);
}

QTEST_GUILESS_MAIN(tst_DemoDatabase)
#include "tst_DemoDatabase.moc"
