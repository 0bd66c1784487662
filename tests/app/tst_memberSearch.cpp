// The member search end to end: real registers, the real window, every box
// the operator would see recorded.
#include "tests/support/DeskFixture.h"

#include "app/frmMainResults.h"
#include "platform/ui/MousePointer.h"

#include <QLabel>
#include <QTest>
#include <QTreeView>

using testsupport::DeskFixture;
using testsupport::member;

namespace {
const QString Rest = QStringLiteral("\n\r\n\rVerifique a  ficha de associado antes de fazer a entrega do convite.");
}

class tst_memberSearch : public QObject
{
    Q_OBJECT

public:
    explicit tst_memberSearch(testsupport::Backend backend) : m_backend(backend) {}

private:
    testsupport::Backend m_backend;

private slots:
    // One member found by the cascade, and what the window shows of it.
    void cascade_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("socio");
        QTest::addColumn<int>("code");
        QTest::newRow("A1 company number, HALDOR only") << " 1001 "
                                                        << "Ana Sá"
                                                        << "HALDOR" << 1 << 1;
        // B2 reads the same member again by number and gives it code 2.
        QTest::newRow("A2 member number, taken again by B2") << "S-2"
                                                             << "Bruno Antunes"
                                                             << "HALDOR" << 2 << 2;
        QTest::newRow("A1 company also in MIRVA keeps stage A") << "3003"
                                                                << "Carla Reis"
                                                                << "HALDOR / MIRVA" << 3 << 1;
        QTest::newRow("B1 company only in MIRVA") << "7007"
                                                  << "Duarte Mota"
                                                  << "MIRVA" << 70 << 2;
        QTest::newRow("B2 inactive HALDOR member by number") << "S-9"
                                                             << "Inês Fonseca"
                                                             << "HALDOR" << 9 << 2;
        QTest::newRow("B2 replaces an inactive MIRVA member") << "8008"
                                                              << "Rui Lopes"
                                                              << "HALDOR / MIRVA" << 11 << 2;
        QTest::newRow("A3 unique name ignoring case and accents") << "joao"
                                                                  << "João Gonçalves"
                                                                  << "HALDOR" << 4 << 1;
        QTest::newRow("A3 capitals and a word begun") << "JOAO gonc"
                                                      << "João Gonçalves"
                                                      << "HALDOR" << 4 << 1;
        QTest::newRow("B3 unique name in MIRVA") << "zeferino"
                                                 << "Zeferino Bastos"
                                                 << "MIRVA" << 71 << 1;
    }

    void cascade()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(QString, where);
        QFETCH(int, socio);
        QFETCH(int, code);
        DeskFixture desk(m_backend);
        desk.addHaldor({member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana Sá"), 1,
                               QStringLiteral("ana@exemplo.pt"),
                               QStringLiteral("Serra & Irmãos, Comércio de Têxteis e Confecções do Norte, Lda.")),
                        member(2, QStringLiteral("2002"), QStringLiteral("S-2"), QStringLiteral("Bruno Antunes")),
                        member(3, QStringLiteral("3003"), QStringLiteral("S-3"), QStringLiteral("Carla Reis")),
                        member(4, QStringLiteral("4004"), QStringLiteral("S-4"), QStringLiteral("João Gonçalves")),
                        member(9, QStringLiteral("9009"), QStringLiteral("S-9"), QStringLiteral("Inês Fonseca"), 0),
                        member(11, QStringLiteral("1111"), QStringLiteral("8008"), QStringLiteral("Rui Lopes"), 0)});
        desk.addMirva({member(50, QStringLiteral("3003"), QStringLiteral("M-3"), QStringLiteral("Carla Reis M")),
                       member(70, QStringLiteral("7007"), QStringLiteral("M-7"), QStringLiteral("Duarte Mota")),
                       member(71, QStringLiteral("7100"), QStringLiteral("M-71"), QStringLiteral("Zeferino Bastos")),
                       member(80, QStringLiteral("8008"), QStringLiteral("M-8"), QStringLiteral("Paula Inactiva"), 0)});
        desk.search(typed);
        QCOMPARE(desk.box("FXNome")->text(), name);
        QCOMPARE(desk.box("FXMIRVA_HALDOR")->text(), where);
        QCOMPARE(desk.window->SocioID, socio);
        QCOMPARE(desk.window->BaseDados, code);
        // Each box from its first character: a long company name shows its start.
        for (const char *name : {"FXNo_Empresa", "FXNome", "FXEmpresa", "FXEmail"}) {
            QCOMPARE(desk.box(name)->cursorPosition(), 0);
            QVERIFY(!desk.box(name)->hasSelectedText());
        }
        QVERIFY(desk.button("Command2")->isEnabled());
        QVERIFY(desk.button("Command4")->isEnabled());
        QVERIFY(desk.box("FXEmail")->isEnabled() && !desk.box("FXEmail")->isReadOnly());
        QCOMPARE(platform::MousePointer(desk.window.get()), platform::Pointer::Default);
        QVERIFY(desk.reports.reports().isEmpty());
    }

    void inactivityWarnings_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("MIRVA only") << "7007"
                                    << "Atenção: este associado está INACTIVO na MIRVA!";
        QTest::newRow("HALDOR only") << "S-9"
                                     << "Atenção: este associado está INACTIVO na HALDOR!";
        QTest::newRow("both") << "8008"
                              << "Atenção: este associado está INACTIVO na MIRVA e/ou no HALDOR!";
    }

    void inactivityWarnings()
    {
        QFETCH(QString, typed);
        QFETCH(QString, firstLine);
        DeskFixture desk(m_backend);
        desk.addHaldor({member(9, QStringLiteral("9009"), QStringLiteral("S-9"), QStringLiteral("Inês"), 0),
                        member(11, QStringLiteral("1111"), QStringLiteral("8008"), QStringLiteral("Rui"), 0)});
        desk.addMirva({member(70, QStringLiteral("7007"), QStringLiteral("M-7"), QStringLiteral("Duarte"), 0),
                       member(80, QStringLiteral("8008"), QStringLiteral("M-8"), QStringLiteral("Paula"), 0)});
        desk.search(typed);
        QCOMPARE(desk.boxes.calls().size(), 1);
        QCOMPARE(desk.boxes.calls().at(0).text, firstLine + Rest);
        QCOMPARE(desk.boxes.calls().at(0).title, QStringLiteral("Associado Inactivo"));
        QCOMPARE(desk.boxes.calls().at(0).style, 64);
        QVERIFY(desk.button("Command2")->isEnabled()); // the outcome came first
    }

    void activoNullIsActive()
    {
        DeskFixture desk(m_backend);
        desk.addMirva(
            {member(70, QStringLiteral("7007"), QStringLiteral("M-7"), QStringLiteral("Duarte"), QVariant())});
        desk.search(QStringLiteral("7007"));
        QCOMPARE(desk.box("FXMIRVA_HALDOR")->text(), QStringLiteral("MIRVA"));
        QVERIFY(desk.boxes.calls().isEmpty());
    }

    void notFound()
    {
        DeskFixture desk(m_backend);
        desk.addHaldor({member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana"))});
        desk.search(QStringLiteral("O'Neil"));
        QCOMPARE(desk.boxes.calls().size(), 1);
        QCOMPARE(desk.boxes.calls().at(0).text,
                 QStringLiteral("O associado não foi encontrado em nenhum dos servidores."));
        QCOMPARE(desk.boxes.calls().at(0).style, 64);
        QCOMPARE(desk.boxes.calls().at(0).title, QStringLiteral("Velunas"));
        QVERIFY(!desk.button("Command2")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), desk.box("FXNo_TAP"));
        QVERIFY(desk.reports.reports().isEmpty()); // the quote reached the database escaped
    }

    void equalStringsSkipStageB()
    {
        DeskFixture desk(m_backend);
        desk.addHaldor({member(9, QStringLiteral("9009"), QStringLiteral("S-9"), QStringLiteral("Inês"), 0)});
        desk.useOneDatabaseForBoth();
        desk.search(QStringLiteral("S-9")); // only in the full view, which stage A never reads
        QCOMPARE(desk.boxes.calls().size(), 1);
        QCOMPARE(desk.boxes.calls().at(0).text,
                 QStringLiteral("O associado não foi encontrado em nenhum dos servidores."));
    }

    void numberSearchTakesTheFirstRow()
    {
        DeskFixture desk(m_backend);
        desk.addHaldor({member(5, QStringLiteral("5005"), QStringLiteral("S-5"), QStringLiteral("Primeiro")),
                        member(6, QStringLiteral("5005"), QStringLiteral("S-6"), QStringLiteral("Segundo"))});
        desk.search(QStringLiteral("5005"));
        QCOMPARE(desk.box("FXNome")->text(), QStringLiteral("Primeiro"));
        QVERIFY(desk.boxes.calls().isEmpty());
    }

    void pickerChoices_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("socio");
        QTest::newRow("OK takes the first row") << "ok"
                                                << "Maria José Silva" << 21;
        QTest::newRow("Down and OK") << "down"
                                     << "Maria Silva Pereira" << 22;
        QTest::newRow("close box confirms") << "close"
                                            << "Maria José Silva" << 21;
    }

    void pickerChoices()
    {
        QFETCH(QString, action);
        QFETCH(QString, name);
        QFETCH(int, socio);
        DeskFixture desk(m_backend);
        desk.addHaldor(
            {member(21, QStringLiteral("2101"), QStringLiteral("S-21"), QStringLiteral("Maria José Silva"), 1,
                    QVariant()),
             member(22, QStringLiteral("2202"), QStringLiteral("S-22"), QStringLiteral("Maria Silva Pereira"))});
        int rows = 0;
        testsupport::whenModal([&](QWidget *modal) {
            auto *view = modal->findChild<QTreeView *>(QStringLiteral("ListView1"));
            rows = view->model()->rowCount();
            if (action == QLatin1String("down"))
                QTest::keyClick(view, Qt::Key_Down);
            if (action == QLatin1String("close"))
                modal->close();
            else
                QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
        });
        desk.search(QStringLiteral("maria  silva"));
        QCOMPARE(rows, 2);
        QCOMPARE(desk.box("FXNome")->text(), name);
        QCOMPARE(desk.window->SocioID, socio);
        QCOMPARE(desk.window->BaseDados, 1);
        QCOMPARE(desk.box("FXMIRVA_HALDOR")->text(), QStringLiteral("HALDOR"));
        QVERIFY(desk.button("Command2")->isEnabled());
    }

    void cancelledPickerForgetsTheMember()
    {
        DeskFixture desk(m_backend);
        desk.addHaldor({member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana Sá")),
                        member(21, QStringLiteral("2101"), QStringLiteral("S-21"), QStringLiteral("Maria Silva")),
                        member(22, QStringLiteral("2202"), QStringLiteral("S-22"), QStringLiteral("Maria Sousa"))});
        desk.search(QStringLiteral("1001"));
        QVERIFY(desk.button("Command2")->isEnabled());
        desk.box("FXNo_TAP")->setText(QStringLiteral("maria"));
        desk.button("Command2")->setEnabled(true); // as if the earlier member were still on show
        testsupport::whenModal([](QWidget *modal) {
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        QTest::mouseClick(desk.button("Command4"), Qt::LeftButton);
        QVERIFY(desk.box("FXNome")->text().isEmpty());
        QVERIFY(desk.box("FXNo_Empresa")->text().isEmpty());
        QVERIFY(!desk.button("Command2")->isEnabled());
        QVERIFY(desk.button("Command4")->isEnabled());
        QCOMPARE(desk.window->SocioID, 1); // kept, but no longer deliverable
        QVERIFY(desk.boxes.calls().isEmpty());
        QCOMPARE(platform::MousePointer(desk.window.get()), platform::Pointer::Default);
    }

    void unreachableDatabase()
    {
        DeskFixture desk(m_backend);
        desk.pointAt(desk.strings.sqlServer, desk.strings.haldor, desk.unreachable());
        desk.search(QStringLiteral("1001"));
        QCOMPARE(desk.window->findChild<QLabel *>(QStringLiteral("Label_HALDOR"))->text(),
                 QStringLiteral("Conectado ao servidor do HALDOR"));
        QCOMPARE(desk.window->findChild<QLabel *>(QStringLiteral("Label_MIRVA"))->text(),
                 QStringLiteral("ERRO: não foi possivel ligar ao servidor da MIRVA"));
        QCOMPARE(desk.boxes.calls().size(), 1);
        QCOMPARE(desk.boxes.calls().at(0).text,
                 QStringLiteral("Não foi possivel ligar a um dos servidores! Volte a tentar s.f.f."));
        QCOMPARE(desk.boxes.calls().at(0).style, 16);
        QCOMPARE(desk.boxes.calls().at(0).title, QStringLiteral("Velunas"));
        QVERIFY(desk.button("Command4")->isEnabled());
        QVERIFY(desk.box("FXEmail")->isEnabled());
    }

    void refusedStatementIsReported()
    {
        DeskFixture desk(m_backend);
        desk.execute(QStringLiteral("DROP VIEW vwAssociados_Completos_Activos"));
        desk.search(QStringLiteral("1001"));
        QCOMPARE(desk.reports.reports().size(), 1);
        const QStringList report = desk.reports.reports().at(0);
        QCOMPARE(report.mid(0, 4), (QStringList{QStringLiteral("Orvel Software"), QStringLiteral("Velunas"),
                                                QStringLiteral("frmMain"), QStringLiteral("Command4_Click")}));
        QCOMPARE(report.size(), 5);
        QVERIFY(!report.at(4).trimmed().isEmpty());
        QVERIFY(desk.button("Command4")->isEnabled());
        QCOMPARE(platform::MousePointer(desk.window.get()), platform::Pointer::Default);
        QVERIFY(!desk.box("FXEmail")->isEnabled()); // the finish step did not run
    }

    void enterRunsTheSearch_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Enter") << int(Qt::NoModifier);
        QTest::newRow("Shift+Enter") << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Enter") << int(Qt::ControlModifier);
    }

    void enterRunsTheSearch()
    {
        QFETCH(int, modifiers);
        DeskFixture desk(m_backend);
        desk.addHaldor({member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana Sá"))});
        desk.box("FXNo_TAP")->setText(QStringLiteral("1001"));
        desk.box("FXNo_TAP")->setFocus();
        QTest::keyClick(desk.box("FXNo_TAP"), Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(desk.box("FXNome")->text(), QStringLiteral("Ana Sá"));
        QCOMPARE(desk.box("FXNo_TAP")->text(), QStringLiteral("1001"));
    }
};

VELUNAS_DESK_TEST_MAIN(tst_memberSearch)
#include "tst_memberSearch.moc"
