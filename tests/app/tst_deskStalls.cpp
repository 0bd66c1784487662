// The desk against databases that stop answering: a server that stalls after
// the login, a file whose write lock another program holds. Every search and
// delivery ends on the error path within its bound, and nothing is recorded.
#include "tests/platform/db/odbc/TdsResponder.h"
#include "tests/support/DeskFixture.h"

#include "platform/ui/MousePointer.h"

#include <QElapsedTimer>
#include <QTest>

#include <sqlite3.h>

using testsupport::DeskFixture;

namespace {

const char *const ServerTables = R"sql(
CREATE TABLE tbVelunas (socio_id INTEGER, base_dados INTEGER, data TEXT, convite_no INTEGER, no_tap TEXT,
    nome TEXT, empresa TEXT, email TEXT);
CREATE TABLE vwAssociados_Completos_Activos (no_empresa TEXT, no_socio TEXT, nome_union TEXT, empresa TEXT,
    email TEXT, contacto_id INTEGER, activo INTEGER);
INSERT INTO vwAssociados_Completos_Activos VALUES ('1234', '501', 'Ana Sousa', 'Empresa', NULL, 17, 1);
)sql";

// True when the click comes back within a bound far above the statements' own
// second or two: the proof that nothing hangs.
bool endsInTime(const std::function<void()> &click)
{
    QElapsedTimer clock;
    clock.start();
    click();
    return clock.elapsed() < 20000;
}

int deliveries(DeskFixture &desk, const QString &file)
{
    return desk.rows(file, QStringLiteral("SELECT COUNT(*) FROM tbVelunas")).at(0).at(0).toInt();
}

// Clicks "Processar Entrega" with "Verificar" disabled, so that the error path
// is seen enabling it, and checks that path was taken in time.
void deliverIntoTheError(DeskFixture &desk)
{
    desk.reports.clear();
    desk.button("Command4")->setEnabled(false);
    QVERIFY(endsInTime([&] { desk.deliver(); }));
    QCOMPARE(desk.reports.reports().size(), 1);
    QCOMPARE(desk.reports.reports().at(0).at(3), QStringLiteral("Command2_Click"));
    QVERIFY2(desk.reports.reports().at(0).at(4).contains(QLatin1String("timeout"), Qt::CaseInsensitive),
             qPrintable(desk.reports.reports().at(0).at(4)));
    QVERIFY(desk.button("Command4")->isEnabled());
    QVERIFY(desk.box("FXConvite_No")->text().isEmpty());
}

} // namespace

class tst_deskStalls : public QObject
{
    Q_OBJECT

private slots:
    void stalledServer_data()
    {
        QTest::addColumn<QString>("stallOn");
        QTest::addColumn<bool>("searchFinds");
        QTest::newRow("stalls after the login") << QString() << false;
        QTest::newRow("stalls at the delivery table") << QStringLiteral("tbVelunas") << true;
    }

    // The server takes the login, then never answers a batch nor the cancel.
    void stalledServer()
    {
#ifdef Q_OS_WIN
        QSKIP("The scripted TDS responder runs on the build machine only.");
#endif
        QFETCH(QString, stallOn);
        QFETCH(bool, searchFinds);
        DeskFixture desk;
        const QString database = desk.dir.filePath(QStringLiteral("server.db"));
        QVERIFY(TdsResponder::createDatabase(database, ServerTables));
        TdsResponder responder(QFINDTESTDATA("helpers/tds_responder.py"), database,
                               desk.dir.filePath(QStringLiteral("server.log")),
                               {QStringLiteral("--stall-on"), stallOn});
        QVERIFY(responder.port() > 0);
        const QString server = TdsResponder::deskString(responder.port()) + QStringLiteral(";Command Timeout=1");
        desk.pointAt(server, server, server);

        QVERIFY(endsInTime([&] { desk.search(QStringLiteral("1234")); }));
        QVERIFY(desk.button("Command4")->isEnabled());
        QCOMPARE(platform::MousePointer(desk.window.get()), platform::Pointer::Default);
        QCOMPARE(desk.button("Command2")->isEnabled(), searchFinds);
        if (!searchFinds) {
            QCOMPARE(desk.reports.reports().size(), 1);
            QCOMPARE(desk.reports.reports().at(0).at(3), QStringLiteral("Command4_Click"));
        } else {
            QVERIFY(desk.reports.reports().isEmpty());
            deliverIntoTheError(desk);
            if (QTest::currentTestFailed())
                return;
            // The next search lets the stalled connections go, in time as well.
            QVERIFY(endsInTime([&] { desk.search(QStringLiteral("1234")); }));
            QVERIFY(desk.button("Command2")->isEnabled());
        }
        QVERIFY(!responder.records(QStringLiteral("stall")).isEmpty());
        QCOMPARE(deliveries(desk, database), 0);
    }

    // Readers go on in WAL mode: the search finds the member, the insertion waits.
    void lockedDeliveryFile()
    {
        DeskFixture desk;
        desk.addHaldor({testsupport::member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana"))});
        const QString bound = QStringLiteral(";Command Timeout=1");
        desk.pointAt(desk.strings.sqlServer + bound, desk.strings.haldor + bound, desk.strings.mirva + bound);
        sqlite3 *holder = nullptr;
        QCOMPARE(sqlite3_open(desk.files.haldor.toUtf8().constData(), &holder), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        desk.search(QStringLiteral("1001"));
        QVERIFY(desk.button("Command2")->isEnabled());
        deliverIntoTheError(desk);
        sqlite3_close(holder);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(deliveries(desk, desk.files.haldor), 0);
    }
};

QTEST_MAIN(tst_deskStalls)
#include "tst_deskStalls.moc"
