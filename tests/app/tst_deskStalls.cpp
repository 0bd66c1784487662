// The desk against databases that stop answering: a server that stalls after
// the login, a PostgreSQL server whose processes behind the desk's
// connections stop, a file whose write lock another program holds. Every
// search and delivery ends within its bound on its usual path, nothing is
// recorded, and no thread or socket is left behind.
#include "tests/platform/db/odbc/TdsResponder.h"
#include "tests/support/DeskFixture.h"

#include "platform/ui/MousePointer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

#ifndef Q_OS_WIN
#include <csignal>
#include <unistd.h>
#endif

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

// What a stall must not leave behind: the process's threads and sockets.
QPair<int, int> threadsAndSockets()
{
#ifdef Q_OS_WIN
    return {}; // the stall tests run on the build machine only
#else
    const int threads =
        int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
    int sockets = 0;
    for (const QString &fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System | QDir::NoDotAndDotDot)) {
        char target[64] = {};
        const QByteArray link = QFile::encodeName(QStringLiteral("/proc/self/fd/") + fd);
        if (::readlink(link.constData(), target, sizeof target - 1) > 0 && qstrncmp(target, "socket:", 7) == 0)
            ++sockets;
    }
    return {threads, sockets};
#endif
}

#ifndef Q_OS_WIN
// The processes serving a test database's connections, but those given.
QList<qint64> backends(const testsupport::PostgresTestDatabase &database, const QList<qint64> &except = {})
{
    QList<qint64> found;
    for (const auto &row : testsupport::rowsOn(
             testsupport::PostgresTestDatabase::databaseString(QStringLiteral("postgres")),
             QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = '%1'").arg(database.name())))
        if (!except.contains(row.at(0).toLongLong()))
            found << row.at(0).toLongLong();
    return found;
}

// Server processes stopped, as a stalled server or a broken network leaves
// them. A shell lets them go again when this goes, or when the test ends
// however it ends: a server with stopped processes could not even be stopped.
class StoppedBackends
{
public:
    explicit StoppedBackends(const QList<qint64> &pids)
    {
        QString release = QStringLiteral("read _; kill -CONT");
        for (qint64 pid : pids)
            release += QLatin1Char(' ') + QString::number(pid);
        m_release.start(QStringLiteral("sh"), {QStringLiteral("-c"), release});
        if (m_release.waitForStarted())
            for (qint64 pid : pids)
                ::kill(pid_t(pid), SIGSTOP);
    }
    ~StoppedBackends()
    {
        m_release.closeWriteChannel();
        m_release.waitForFinished(10000);
    }

private:
    QProcess m_release;
};
#endif

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

        const auto before = threadsAndSockets();
        QVERIFY(endsInTime([&] { desk.search(QStringLiteral("1234")); }));
        QVERIFY(desk.button("Command4")->isEnabled());
        QCOMPARE(platform::MousePointer(desk.window.get()), platform::Pointer::Default);
        QCOMPARE(desk.button("Command2")->isEnabled(), searchFinds);
        if (!searchFinds) {
            QCOMPARE(desk.reports.reports().size(), 1);
            QCOMPARE(desk.reports.reports().at(0).at(3), QStringLiteral("Command4_Click"));
            QTRY_COMPARE(threadsAndSockets(), before);
        } else {
            QVERIFY(desk.reports.reports().isEmpty());
            const auto searched = threadsAndSockets();
            deliverIntoTheError(desk);
            if (QTest::currentTestFailed())
                return;
            // The next search lets the stalled connections go, in time as well.
            QVERIFY(endsInTime([&] { desk.search(QStringLiteral("1234")); }));
            QVERIFY(desk.button("Command2")->isEnabled());
            QTRY_COMPARE(threadsAndSockets(), searched);
        }
        QVERIFY(!responder.records(QStringLiteral("stall")).isEmpty());
        QCOMPARE(deliveries(desk, database), 0);
    }

    void stoppedPostgresServer_data()
    {
        QTest::addColumn<bool>("keptOnly");
        QTest::newRow("processes of the kept connections stopped") << true;
        QTest::newRow("every process stopped, then a delivery") << false;
    }

    // A kept connection whose server stopped is found out by a check of a few
    // seconds and replaced by a fresh login: the search finds the member
    // within the login bound. A statement on a stopped server ends at its
    // bound on the error path.
    void stoppedPostgresServer()
    {
#ifdef Q_OS_WIN
        QSKIP("PostgreSQL is tested on the build machine only.");
#else
        QFETCH(bool, keptOnly);
        if (!testsupport::PostgresTestDatabase::available())
            QSKIP("No PostgreSQL test server: make test starts one.");
        DeskFixture desk(testsupport::Backend::Postgres);
        desk.addHaldor({testsupport::member(17, QStringLiteral("1234"), QStringLiteral("501"), QStringLiteral("Ana"))});
        const QString bound = QStringLiteral("Command Timeout=1;");
        desk.pointAt(desk.strings.sqlServer + bound, desk.strings.haldor + bound, desk.strings.mirva + bound);
        const QList<qint64> others = backends(*desk.postgres); // the fixture's own
        desk.search(QStringLiteral("1234"));
        const QList<qint64> first = backends(*desk.postgres, others);
        desk.search(QStringLiteral("1234")); // the first search's connections now wait for the next one
        QVERIFY(desk.button("Command2")->isEnabled());
        const auto settled = threadsAndSockets();
        const QList<qint64> stopped = keptOnly ? first : backends(*desk.postgres, others);
        {
            const StoppedBackends stop(stopped);
            QElapsedTimer clock;
            clock.start();
            if (keptOnly) {
                desk.search(QStringLiteral("1234"));
                QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
                QVERIFY(desk.reports.reports().isEmpty());
                QCOMPARE(desk.box("FXNome")->text(), QStringLiteral("Ana"));
            } else {
                deliverIntoTheError(desk);
                if (QTest::currentTestFailed())
                    return;
                desk.search(QStringLiteral("1234"));
                QVERIFY(desk.button("Command2")->isEnabled());
            }
            QTRY_COMPARE(threadsAndSockets(), settled);
        }
        // Their sockets were closed: once going again, the stopped processes end.
        QTRY_VERIFY_WITH_TIMEOUT(backends(*desk.postgres, stopped).size() == backends(*desk.postgres).size(), 10000);
        QCOMPARE(desk.rows(QStringLiteral("SELECT COUNT(*) FROM tbVelunas")).at(0).at(0).toInt(), 0);
#endif
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
