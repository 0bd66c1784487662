#include "tests/support/DeskFixture.h"

#include "data/Data.h"
#include "platform/db/access/Connection.h"

#include <QFile>
#include <QTest>

namespace testsupport {

DeskFixture::DeskFixture()
{
    demo::createSchemaOnly(dir.path());
    files = demo::demoFiles(dir.path());
    strings = demo::connectionStrings(dir.path());
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
}

void DeskFixture::pointAt(const QString &sqlServer, const QString &haldor, const QString &mirva)
{
    strings = {sqlServer, haldor, mirva};
    Data().setConnectionStrings(sqlServer, haldor, mirva);
}

void DeskFixture::addHaldor(const QList<demo::Member> &members)
{
    demo::insertMembers(files.haldor, members);
}

void DeskFixture::addMirva(const QList<demo::Member> &members)
{
    demo::insertMembers(files.mirva, members);
}

void DeskFixture::useOneDatabaseForBoth()
{
    pointAt(strings.sqlServer, strings.haldor, strings.haldor);
}

void DeskFixture::giveMirvaItsOwnDeliveryTable()
{
    const QString own = dir.filePath(QStringLiteral("mirva-deliveries.db"));
    QFile file(own);
    file.open(QIODevice::WriteOnly); // an empty file is an empty database
    file.close();
    execute(own, QStringLiteral("CREATE TABLE tbVelunas (socio_id INTEGER, base_dados INTEGER, data DATETIME, "
                                "convite_no INTEGER, no_tap TEXT, nome TEXT, empresa TEXT, email TEXT)"));
    pointAt(strings.sqlServer, strings.haldor,
            QStringLiteral("Provider=SQLite;Data Source=%1;Attach=%2").arg(files.mirva, own));
}

void DeskFixture::execute(const QString &file, const QString &statement)
{
    platform::Connection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + file);
    connection.Open();
    connection.Execute(statement);
    connection.Close();
}

QList<QList<QVariant>> DeskFixture::rows(const QString &file, const QString &statement)
{
    platform::Connection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + file);
    connection.Open();
    const platform::ResultTable table = connection.query(statement);
    connection.Close();
    return table.rows.toList();
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
