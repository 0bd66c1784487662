// The whole desk on a real PostgreSQL server: the two registers as schemas,
// the delivery table shared by every connection, as several desks on
// several machines would use it.
#include "app/frmMain.h"
#include "data/Data.h"
#include "tests/support/DeskFixture.h"
#include "tests/support/PostgresTestDatabase.h"
#include "tests/support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <memory>

using testsupport::member;

class tst_deskOnPostgres : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::PostgresTestDatabase> m_database;
    std::unique_ptr<testsupport::MessageBoxRecorder> m_boxes;
    std::unique_ptr<testsupport::ReportCapture> m_reports;
    std::unique_ptr<frmMain> m_window;

    QLineEdit *box(const char *name) const { return m_window->findChild<QLineEdit *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return m_window->findChild<QPushButton *>(QLatin1String(name)); }

    void search(const QString &text)
    {
        box("FXNo_TAP")->setText(text);
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
    }

    void deliver() { QTest::mouseClick(button("Command2"), Qt::LeftButton); }

    void pointAt(const QString &mirva)
    {
        Data().setConnectionStrings(m_database->connectionString(QStringLiteral("public")),
                                    m_database->connectionString(QStringLiteral("haldor")), mirva);
    }

private slots:
    void initTestCase()
    {
        if (!testsupport::PostgresTestDatabase::available())
            QSKIP("No PostgreSQL test server: make test starts one.");
        m_database = std::make_unique<testsupport::PostgresTestDatabase>(QStringLiteral("velunas_desk"));
        m_database->insertMembers(
            QStringLiteral("haldor"),
            {member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana D'Ávila"), 1,
                    QStringLiteral("ana@exemplo.pt"), QStringLiteral("Sá & Filhos, Lda.")),
             member(2, QStringLiteral("2002"), QStringLiteral("S-2"), QStringLiteral("Bruno Antunes"), 1, QVariant()),
             member(3, QStringLiteral("3003"), QStringLiteral("S-3"), QStringLiteral("Carla Reis")),
             member(4, QStringLiteral("4004"), QStringLiteral("S-4"), QStringLiteral("João Gonçalves")),
             member(9, QStringLiteral("9009"), QStringLiteral("S-9"), QStringLiteral("Inês Fonseca"), 0),
             member(21, QStringLiteral("2101"), QStringLiteral("S-21"), QStringLiteral("Maria José Silva")),
             member(22, QStringLiteral("2202"), QStringLiteral("S-22"), QStringLiteral("MARIA Silva Pereira"))});
        m_database->insertMembers(
            QStringLiteral("mirva"),
            {member(50, QStringLiteral("3003"), QStringLiteral("M-3"), QStringLiteral("Carla Reis M")),
             member(70, QStringLiteral("7007"), QStringLiteral("M-7"), QStringLiteral("Duarte Mota")),
             member(71, QStringLiteral("7100"), QStringLiteral("M-71"), QStringLiteral("Zeferino Bastos"))});
        m_boxes = std::make_unique<testsupport::MessageBoxRecorder>();
        m_reports = std::make_unique<testsupport::ReportCapture>();
        pointAt(m_database->connectionString(QStringLiteral("mirva")));
        m_window = std::make_unique<frmMain>();
        m_window->show();
    }

    void init()
    {
        if (m_database)
            m_database->execute(QStringLiteral("DELETE FROM tbVelunas"));
        if (m_boxes) {
            m_boxes->clear();
            m_reports->clear();
        }
    }

    void cleanupTestCase()
    {
        m_window.reset();
        Data().setConnectionStrings(QString(), QString(), QString());
        m_database.reset();
    }

    void cascade_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("socio");
        QTest::addColumn<int>("code");
        QTest::newRow("A1 company number") << "1001"
                                           << "Ana D'Ávila"
                                           << "HALDOR" << 1 << 1;
        QTest::newRow("A2 member number, taken again by B2") << "S-2"
                                                             << "Bruno Antunes"
                                                             << "HALDOR" << 2 << 2;
        QTest::newRow("A1 company also in MIRVA") << "3003"
                                                  << "Carla Reis"
                                                  << "HALDOR / MIRVA" << 3 << 1;
        QTest::newRow("B1 company only in MIRVA") << "7007"
                                                  << "Duarte Mota"
                                                  << "MIRVA" << 70 << 2;
        QTest::newRow("A3 name blind to case and accents") << "JOAO gonc"
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
        search(typed);
        QCOMPARE(box("FXNome")->text(), name);
        QCOMPARE(box("FXMIRVA_HALDOR")->text(), where);
        QCOMPARE(m_window->SocioID, socio);
        QCOMPARE(m_window->BaseDados, code);
        QVERIFY(button("Command2")->isEnabled());
        QVERIFY(m_boxes->calls().isEmpty());
        QVERIFY(m_reports->reports().isEmpty());
    }

    void inactiveMemberIsWarnedAbout()
    {
        search(QStringLiteral("S-9"));
        QCOMPARE(box("FXNome")->text(), QStringLiteral("Inês Fonseca"));
        QCOMPARE(m_boxes->calls().size(), 1);
        QVERIFY(
            m_boxes->calls().at(0).text.startsWith(QStringLiteral("Atenção: este associado está INACTIVO na HALDOR!")));
    }

    void pickerChoosesAmongNames()
    {
        int rows = 0;
        testsupport::whenModal([&](QWidget *modal) {
            auto *view = modal->findChild<QTreeView *>(QStringLiteral("ListView1"));
            rows = view->model()->rowCount();
            QTest::keyClick(view, Qt::Key_Down);
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
        });
        search(QStringLiteral("maria silva"));
        QCOMPARE(rows, 2);
        QCOMPARE(box("FXNome")->text(), QStringLiteral("MARIA Silva Pereira"));
        QCOMPARE(m_window->SocioID, 22);
    }

    // Numbers follow the highest one; the texts are stored as typed, a blank
    // box as null, the date by the server's clock.
    void deliveriesAreNumberedAndStored()
    {
        m_database->execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) "
                                           "VALUES (99, 1, now(), 6)"));
        search(QStringLiteral("1001"));
        deliver();
        QCOMPARE(box("FXConvite_No")->text(), QStringLiteral("7"));
        search(QStringLiteral("2002"));
        box("FXEmpresa")->clear();
        deliver();
        QCOMPARE(box("FXConvite_No")->text(), QStringLiteral("8"));
        QVERIFY(m_reports->reports().isEmpty());
        const auto rows = m_database->rows(QStringLiteral("SELECT socio_id, base_dados, nome, empresa, email, "
                                                          "data > now() - interval '1 minute' FROM tbVelunas "
                                                          "WHERE convite_no > 6 ORDER BY convite_no"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).mid(0, 5),
                 (QList<QVariant>{qlonglong(1), qlonglong(1), QStringLiteral("Ana D'Ávila"),
                                  QStringLiteral("Sá & Filhos, Lda."), QStringLiteral("ana@exemplo.pt")}));
        QVERIFY(rows.at(0).at(5).toBool());
        QVERIFY(!rows.at(1).at(3).isValid());
        QVERIFY(!rows.at(1).at(4).isValid());
    }

    void refusalThroughMirva()
    {
        m_database->execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) "
                                           "VALUES (70, 2, '2014-05-03 14:07:00', 12)"));
        search(QStringLiteral("7007"));
        deliver();
        QCOMPARE(m_boxes->calls().size(), 1);
        QCOMPARE(m_boxes->calls().at(0).text,
                 QStringLiteral("Já foi entregue o convite nº 12 a este associado no dia 03-05-2014 14:07 na MIRVA."));
        QVERIFY(!button("Command2")->isEnabled());
    }

    // MIRVA's schema with a delivery table of its own hides the shared one,
    // so only HALDOR's connection finds the earlier delivery.
    void refusalThroughHaldor()
    {
        m_database->execute(
            QStringLiteral("CREATE TABLE mirva.tbVelunas AS SELECT * FROM public.tbVelunas WHERE false"));
        m_database->execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no) "
                                           "VALUES (1, 1, '2026-12-07 09:05:00', 3)"));
        search(QStringLiteral("1001"));
        deliver();
        m_database->execute(QStringLiteral("DROP TABLE mirva.tbVelunas"));
        QCOMPARE(m_boxes->calls().size(), 1);
        QCOMPARE(m_boxes->calls().at(0).text,
                 QStringLiteral("Já foi entregue o convite nº 3 a este associado no dia 07-12-2026 09:05 no HALDOR."));
    }

    // A server that reads a backslash in a literal as an escape still gets
    // the typed text as one literal: nobody is found, and a name stored
    // with backslashes comes back as typed.
    void backslashesOnAServerWithEscapes()
    {
        m_database->execute(
            QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off").arg(m_database->name()));
        search(QStringLiteral("\\' OR 1=1 --"));
        const QString foundName = box("FXNome")->text();
        const bool deliverable = button("Command2")->isEnabled();
        search(QStringLiteral("1001"));
        box("FXNome")->setText(QStringLiteral("Ana \\' D\\\\Ávila? {fn x}\\"));
        deliver();
        const auto rows = m_database->rows(QStringLiteral("SELECT nome FROM tbVelunas"));
        m_database->execute(
            QStringLiteral("ALTER DATABASE %1 RESET standard_conforming_strings").arg(m_database->name()));
        QCOMPARE(foundName, QString());
        QVERIFY(!deliverable);
        QVERIFY(m_reports->reports().isEmpty());
        QCOMPARE(rows, (QList<QList<QVariant>>{{QStringLiteral("Ana \\' D\\\\Ávila? {fn x}\\")}}));
    }
};

QTEST_MAIN(tst_deskOnPostgres)
#include "tst_deskOnPostgres.moc"
