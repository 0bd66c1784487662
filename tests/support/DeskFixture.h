#pragma once

#include "app/frmMain.h"
#include "sitetools/demo/DemoDatabase.h"
#include "sitetools/report/DeliveryUndo.h"
#include "tests/platform/db/odbc/TdsResponder.h"
#include "tests/support/PostgresTestDatabase.h"
#include "tests/support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace testsupport {

// The engines a desk test body runs on: the embedded files always,
// PostgreSQL when make test has started its server, and SQL Server's wire
// through the scripted TDS responder (on the build machine, which has Python),
// serving the embedded files.
enum class Backend { Embedded, Postgres, SqlServer };
QList<Backend> reachableBackends();
const char *backendName(Backend backend);

// Runs a body once per reachable backend; the failures of all the runs.
int onEveryBackend(const std::function<int(Backend)> &run);

// A desk on real databases made for one test: the two registers, the
// delivery table, the window, and the recorders of boxes and reports. On
// PostgreSQL the registers are the schemas haldor and mirva of a database of
// its own, the delivery table in public; on SQL Server, two responders serve
// the embedded files, MIRVA's attaching HALDOR's for the delivery table.
class DeskFixture
{
public:
    explicit DeskFixture(Backend backend = Backend::Embedded);
    ~DeskFixture();

    void addHaldor(const QList<demo::Member> &members);
    void addMirva(const QList<demo::Member> &members);
    // MIRVA read through HALDOR's own string: stage B never runs.
    void useOneDatabaseForBoth();
    // MIRVA's connection sees a delivery table of its own, apart from HALDOR's.
    void giveMirvaItsOwnDeliveryTable();
    void pointAt(const QString &sqlServer, const QString &haldor, const QString &mirva);

    // Statements on HALDOR's database (which holds or reaches the delivery
    // table on every backend), for setting up and reading back.
    void execute(const QString &statement);
    QList<QList<QVariant>> rows(const QString &statement);
    // The same straight on an embedded file.
    void execute(const QString &file, const QString &statement);
    QList<QList<QVariant>> rows(const QString &file, const QString &statement);
    // Makes the server refuse every new delivery (or, with "UPDATE", every
    // change of one) with this message.
    void refuseDeliveries(const QString &message, const QString &event = QStringLiteral("INSERT"));
    // A connection string of this backend that reaches no database.
    QString unreachable() const;

    void search(const QString &text); // types the text and clicks "Verificar"
    void deliver();                   // clicks "Processar Entrega"

    QLineEdit *box(const char *name) const;
    QPushButton *button(const char *name) const;

    Backend backend;
    QTemporaryDir dir;
    std::unique_ptr<PostgresTestDatabase> postgres;          // on PostgreSQL only
    std::unique_ptr<TdsResponder> haldorServer, mirvaServer; // on SQL Server only
    demo::Files files;
    demo::ConnectionStrings strings;
    MessageBoxRecorder boxes;
    ReportCapture reports;
    std::unique_ptr<frmMain> window;
};

// Undoes a delivery as velunas-report --undo does, on a connection of its own.
report::UndoResult undoOn(const QString &deliveries, qint32 number, const QString &reason);

demo::Member member(qint64 id, const QString &company, const QString &number, const QString &name,
                    const QVariant &activo = 1, const QVariant &email = QStringLiteral("socio@exemplo.pt"),
                    const QString &empresa = QStringLiteral("Empresa"));

} // namespace testsupport

// QTEST_MAIN for a desk test body that takes its backend: the body runs once
// per reachable backend.
#define VELUNAS_DESK_TEST_MAIN(TestObject)                                                                             \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return testsupport::onEveryBackend([&](testsupport::Backend backend) {                                         \
            TestObject test(backend);                                                                                  \
            return QTest::qExec(&test, argc, argv);                                                                    \
        });                                                                                                            \
    }
