#pragma once

#include "app/frmMain.h"
#include "data/DemoDatabase.h"
#include "tests/support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace testsupport {

// A desk on real embedded databases made for one test: the two registers,
// the delivery table, the window, and the recorders of boxes and reports.
class DeskFixture
{
public:
    DeskFixture();
    ~DeskFixture();

    void addHaldor(const QList<demo::Member> &members);
    void addMirva(const QList<demo::Member> &members);
    // MIRVA read through HALDOR's own string: stage B never runs.
    void useOneDatabaseForBoth();
    // MIRVA's connection sees a delivery table of its own, apart from HALDOR's.
    void giveMirvaItsOwnDeliveryTable();
    void pointAt(const QString &sqlServer, const QString &haldor, const QString &mirva);

    // Statements run straight on a file, for setting up and reading back.
    void execute(const QString &file, const QString &statement);
    QList<QList<QVariant>> rows(const QString &file, const QString &statement);

    void search(const QString &text); // types the text and clicks "Verificar"
    void deliver();                   // clicks "Processar Entrega"

    QLineEdit *box(const char *name) const;
    QPushButton *button(const char *name) const;

    QTemporaryDir dir;
    demo::Files files;
    demo::ConnectionStrings strings;
    MessageBoxRecorder boxes;
    ReportCapture reports;
    std::unique_ptr<frmMain> window;
};

demo::Member member(qint64 id, const QString &company, const QString &number, const QString &name,
                    const QVariant &activo = 1, const QVariant &email = QStringLiteral("socio@exemplo.pt"),
                    const QString &empresa = QStringLiteral("Empresa"));

} // namespace testsupport
