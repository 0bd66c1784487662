#include "tests/support/DeskFixture.h"

#include "data/Data.h"
#include "platform/db/access/Connection.h"
#include "platform/db/sql/LiteralFolding.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace testsupport {

namespace {

// A delivery table of its own, for a file that has none.
const char *const DeliveryTable = "CREATE TABLE tbVelunas (socio_id INTEGER, base_dados INTEGER, data DATETIME, "
                                  "convite_no INTEGER, no_tap TEXT, nome TEXT, empresa TEXT, email TEXT)";

QString responderScript()
{
    const QString script = QStringLiteral(VELUNAS_TESTS_SOURCE_DIR "/helpers/tds_responder.py");
    return QFile::exists(script) ? script : QString();
}

} // namespace

QList<Backend> reachableBackends()
{
    QList<Backend> backends{Backend::Embedded};
    if (PostgresTestDatabase::available())
        backends << Backend::Postgres;
#ifndef Q_OS_WIN
    if (!QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty() && !responderScript().isEmpty())
        backends << Backend::SqlServer;
#endif
    return backends;
}

const char *backendName(Backend backend)
{
    switch (backend) {
    case Backend::Postgres:
        return "PostgreSQL";
    case Backend::SqlServer:
        return "SQL Server (scripted TDS responder)";
    default:
        return "embedded";
    }
}

int onEveryBackend(const std::function<int(Backend)> &run)
{
    if (!PostgresTestDatabase::available())
        qInfo("No PostgreSQL test server (make test starts one): the embedded files only.");
    int failures = 0;
    for (Backend backend : reachableBackends()) {
        qInfo("On the %s databases:", backendName(backend));
        failures += run(backend);
    }
    return failures;
}

DeskFixture::DeskFixture(Backend backend) : backend(backend)
{
    if (backend == Backend::Postgres) {
        // A database of its own for each fixture, as each embedded one has its folder.
        static int made = 0;
        postgres = std::make_unique<PostgresTestDatabase>(QStringLiteral("velunas_desk%1").arg(++made));
        strings = {postgres->connectionString(QStringLiteral("public")),
                   postgres->connectionString(QStringLiteral("haldor")),
                   postgres->connectionString(QStringLiteral("mirva"))};
    } else {
        demo::createSchemaOnly(dir.path());
        files = demo::demoFiles(dir.path());
        strings = demo::connectionStrings(dir.path());
    }
    if (backend == Backend::SqlServer) {
        haldorServer = std::make_unique<TdsResponder>(responderScript(), files.haldor,
                                                      dir.filePath(QStringLiteral("haldor-server.log")));
        mirvaServer = std::make_unique<TdsResponder>(responderScript(), files.mirva,
                                                     dir.filePath(QStringLiteral("mirva-server.log")),
                                                     QStringList{QStringLiteral("--attach"), files.haldor});
        if (haldorServer->port() <= 0 || mirvaServer->port() <= 0)
            qWarning("the TDS responders did not start");
        strings = {TdsResponder::deskString(haldorServer->port()), TdsResponder::deskString(haldorServer->port()),
                   TdsResponder::deskString(mirvaServer->port())};
    }
    pointAt(strings.sqlServer, strings.haldor, strings.mirva);
    window = std::make_unique<frmMain>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("the desk window was not exposed");
}

DeskFixture::~DeskFixture()
{
    window.reset();
    // Later tests must not reach this folder's files through the process-wide environment.
    Data().setConnectionStrings(QString(), QString(), QString());
    postgres.reset();
    mirvaServer.reset();
    haldorServer.reset();
}

void DeskFixture::pointAt(const QString &sqlServer, const QString &haldor, const QString &mirva)
{
    strings = {sqlServer, haldor, mirva};
    Data().setConnectionStrings(sqlServer, haldor, mirva);
}

void DeskFixture::addHaldor(const QList<demo::Member> &members)
{
    if (postgres)
        postgres->insertMembers(QStringLiteral("haldor"), members);
    else
        demo::insertMembers(files.haldor, members);
}

void DeskFixture::addMirva(const QList<demo::Member> &members)
{
    if (postgres)
        postgres->insertMembers(QStringLiteral("mirva"), members);
    else
        demo::insertMembers(files.mirva, members);
}

void DeskFixture::useOneDatabaseForBoth()
{
    pointAt(strings.sqlServer, strings.haldor, strings.haldor);
}

void DeskFixture::giveMirvaItsOwnDeliveryTable()
{
    if (mirvaServer) {
        // In MIRVA's own file, it comes before the attached one.
        execute(files.mirva, QString::fromLatin1(DeliveryTable));
        return;
    }
    if (postgres) {
        // Found first on MIRVA's search path, it hides the shared one.
        execute(QStringLiteral("CREATE TABLE mirva.tbVelunas AS SELECT * FROM public.tbVelunas WHERE false"));
        return;
    }
    const QString own = dir.filePath(QStringLiteral("mirva-deliveries.db"));
    QFile file(own);
    file.open(QIODevice::WriteOnly); // an empty file is an empty database
    file.close();
    execute(own, QString::fromLatin1(DeliveryTable));
    pointAt(strings.sqlServer, strings.haldor,
            QStringLiteral("Provider=SQLite;Data Source=%1;Attach=%2").arg(files.mirva, own));
}

void DeskFixture::execute(const QString &statement)
{
    executeOn(postgres ? strings.haldor : demo::fileConnectionString(files.haldor), statement);
}

QList<QList<QVariant>> DeskFixture::rows(const QString &statement)
{
    return rowsOn(postgres ? strings.haldor : demo::fileConnectionString(files.haldor), statement);
}

void DeskFixture::execute(const QString &file, const QString &statement)
{
    executeOn(demo::fileConnectionString(file), statement);
}

QList<QList<QVariant>> DeskFixture::rows(const QString &file, const QString &statement)
{
    return rowsOn(demo::fileConnectionString(file), statement);
}

void DeskFixture::refuseDeliveries(const QString &message, const QString &event)
{
    const QString quoted = platform::sql::quoted(message);
    if (postgres) {
        execute(QStringLiteral("CREATE FUNCTION public.refuse() RETURNS trigger LANGUAGE plpgsql AS "
                               "$$BEGIN RAISE EXCEPTION %1; END$$")
                    .arg(quoted));
        execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON public.tbVelunas FOR EACH ROW "
                               "EXECUTE FUNCTION public.refuse()")
                    .arg(event));
    } else {
        execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON tbVelunas "
                               "BEGIN SELECT RAISE(ABORT, %2); END")
                    .arg(event, quoted));
    }
}

QString DeskFixture::unreachable() const
{
    if (postgres)
        return PostgresTestDatabase::databaseString(postgres->name() + QStringLiteral("_missing"));
    if (mirvaServer)
        return TdsResponder::deskString(1); // nothing listens there

    return demo::fileConnectionString(dir.filePath(QStringLiteral("missing.db")));
}

void DeskFixture::search(const QString &text)
{
    box("FXNo_TAP")->setText(text);
    QTest::mouseClick(button("Command4"), Qt::LeftButton);
}

void DeskFixture::deliver()
{
    QTest::mouseClick(button("Command2"), Qt::LeftButton);
}

QLineEdit *DeskFixture::box(const char *name) const
{
    return window->findChild<QLineEdit *>(QLatin1String(name));
}

QPushButton *DeskFixture::button(const char *name) const
{
    return window->findChild<QPushButton *>(QLatin1String(name));
}

report::UndoResult undoOn(const QString &deliveries, qint32 number, const QString &reason)
{
    platform::Connection connection;
    connection.setConnectionString(deliveries);
    connection.Open();
    return report::undoDelivery(connection, report::engineOf(deliveries),
                                {number, reason, QStringLiteral("organiser"), QStringLiteral("desk-pc")});
}

demo::Member member(qint64 id, const QString &company, const QString &number, const QString &name,
                    const QVariant &activo, const QVariant &email, const QString &empresa)
{
    demo::Member m;
    m.contactoId = id;
    m.noEmpresa = company;
    m.noSocio = number;
    m.nome = name;
    m.empresa = empresa;
    m.email = email;
    m.activo = activo;
    return m;
}

} // namespace testsupport
