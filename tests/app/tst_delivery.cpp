// "Processar Entrega" end to end on real delivery tables.
#include "tests/support/DeskFixture.h"

#include "platform/runtime/RuntimeError.h"

#include <QDateTime>
#include <QFile>
#include <QTest>

using testsupport::DeskFixture;
using testsupport::member;

class tst_delivery : public QObject
{
    Q_OBJECT

public:
    explicit tst_delivery(testsupport::Backend backend) : m_backend(backend) {}

private:
    testsupport::Backend m_backend;

    static void addTwo(DeskFixture &desk)
    {
        desk.addHaldor(
            {member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana D'Ávila"), 1,
                    QStringLiteral("ana@exemplo.pt"), QStringLiteral("Sá & Filhos, Lda.")),
             member(2, QStringLiteral("2002"), QStringLiteral("S-2"), QStringLiteral("Bruno"), 1, QVariant())});
    }

    static void insertDelivery(DeskFixture &desk, int socio, int code, int number, const QString &when)
    {
        desk.execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, nome) "
                                    "VALUES (%1, %2, '%3', %4, 'antes')")
                         .arg(socio)
                         .arg(code)
                         .arg(when)
                         .arg(number));
    }

private slots:
    void numbering_data()
    {
        QTest::addColumn<QList<int>>("existing");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty table") << QList<int>{} << 1;
        QTest::newRow("one before") << QList<int>{1} << 2;
        QTest::newRow("gaps count from the highest") << QList<int>{1, 2, 7} << 8;
    }

    void numbering()
    {
        QFETCH(QList<int>, existing);
        QFETCH(int, expected);
        DeskFixture desk(m_backend);
        addTwo(desk);
        for (int i = 0; i < existing.size(); ++i)
            insertDelivery(desk, 100 + i, 1, existing.at(i), QStringLiteral("2026-12-01 10:00:00"));
        desk.search(QStringLiteral("1001"));
        desk.deliver();
        QCOMPARE(desk.box("FXConvite_No")->text(), QString::number(expected));
        QVERIFY(!desk.button("Command2")->isEnabled());
        const auto rows = desk.rows(QStringLiteral("SELECT socio_id, base_dados, no_tap, nome, empresa, email "
                                                   "FROM tbVelunas WHERE convite_no = %1")
                                        .arg(expected));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).at(0).toInt(), 1);
        QCOMPARE(rows.at(0).at(1).toInt(), 1);
        QCOMPARE(rows.at(0).at(2).toString(), QStringLiteral("1001"));
        QCOMPARE(rows.at(0).at(3).toString(), QStringLiteral("Ana D'Ávila")); // stored as typed
        QCOMPARE(rows.at(0).at(4).toString(), QStringLiteral("Sá & Filhos, Lda."));
        QCOMPARE(rows.at(0).at(5).toString(), QStringLiteral("ana@exemplo.pt"));
        QVERIFY(desk.boxes.calls().isEmpty());
        if (m_backend == testsupport::Backend::Embedded) {
            // Copied alone while the desk is open, as a site's backup might be.
            const QString copy = desk.dir.filePath(QStringLiteral("copy.db"));
            QVERIFY(QFile::copy(desk.files.haldor, copy));
            QCOMPARE(desk.rows(copy, QStringLiteral("SELECT COUNT(*) FROM tbVelunas")).at(0).at(0).toInt(),
                     existing.size() + 1);
        }
    }

    void correctedEmailAndBlanksAreStored()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        desk.search(QStringLiteral("2002"));
        desk.box("FXEmpresa")->setText(QStringLiteral("   ")); // only spaces: stored as null
        desk.box("FXEmail")->setText(QStringLiteral("  bruno@corrigido.pt "));
        desk.deliver();
        const auto rows = desk.rows(QStringLiteral("SELECT empresa, email, data FROM tbVelunas"));
        QCOMPARE(rows.size(), 1);
        QVERIFY(!rows.at(0).at(0).isValid());
        QCOMPARE(rows.at(0).at(1).toString(), QStringLiteral("bruno@corrigido.pt"));
        const QDateTime stored = rows.at(0).at(2).toDateTime();
        QVERIFY(stored.isValid());
        QVERIFY(qAbs(stored.secsTo(QDateTime::currentDateTime())) < 120);
    }

    void emptyEmailIsNull()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        desk.search(QStringLiteral("2002")); // e-mail Null in the register
        desk.deliver();
        const auto rows = desk.rows(QStringLiteral("SELECT email FROM tbVelunas"));
        QCOMPARE(rows.size(), 1);
        QVERIFY(!rows.at(0).at(0).isValid());
    }

    void refusalThroughMirva()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        insertDelivery(desk, 1, 1, 12, QStringLiteral("2014-05-03 14:07:00"));
        desk.search(QStringLiteral("1001"));
        desk.box("FXConvite_No")->setText(QStringLiteral("kept"));
        desk.deliver();
        QCOMPARE(desk.boxes.calls().size(), 1);
        QCOMPARE(desk.boxes.calls().at(0).text,
                 QStringLiteral("Já foi entregue o convite nº 12 a este associado no dia 03-05-2014 14:07 na MIRVA."));
        QCOMPARE(desk.boxes.calls().at(0).style, 64);
        QCOMPARE(desk.boxes.calls().at(0).title, QStringLiteral("Velunas"));
        QVERIFY(!desk.button("Command2")->isEnabled());
        QCOMPARE(desk.box("FXConvite_No")->text(), QStringLiteral("kept"));
        QCOMPARE(QApplication::focusWidget(), desk.box("FXNo_TAP"));
        QCOMPARE(desk.rows(QStringLiteral("SELECT COUNT(*) FROM tbVelunas")).at(0).at(0).toInt(), 1);
    }

    void refusalThroughHaldor()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        desk.giveMirvaItsOwnDeliveryTable();
        insertDelivery(desk, 1, 1, 3, QStringLiteral("2026-12-07 09:05:00"));
        desk.search(QStringLiteral("1001"));
        desk.deliver();
        QCOMPARE(desk.boxes.calls().size(), 1);
        QCOMPARE(desk.boxes.calls().at(0).text,
                 QStringLiteral("Já foi entregue o convite nº 3 a este associado no dia 07-12-2026 09:05 no HALDOR."));
    }

    void otherRegisterCodeIsAnotherMember()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        insertDelivery(desk, 1, 2, 5, QStringLiteral("2026-12-07 09:05:00"));
        desk.search(QStringLiteral("1001")); // socio 1 with code 1
        desk.deliver();
        QCOMPARE(desk.box("FXConvite_No")->text(), QStringLiteral("6"));
        QVERIFY(desk.boxes.calls().isEmpty());
    }

    // One person reached once one way and once another gets one invitation;
    // a member of the other register who only shares the id gets one too.
    void samePersonReachedTwoWays_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("HALDOR by name, then by member number") << "inês"
                                                               << "S-7" << true;
        QTest::newRow("HALDOR by company number, then by member number") << "1007"
                                                                         << "S-7" << true;
        QTest::newRow("MIRVA by company number, then by name") << "5005"
                                                               << "tavares" << true;
        QTest::newRow("MIRVA member sharing the id still receives") << "inês"
                                                                    << "7007" << false;
    }

    void samePersonReachedTwoWays()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, refused);
        DeskFixture desk(m_backend);
        desk.addHaldor({member(7, QStringLiteral("1007"), QStringLiteral("S-7"), QStringLiteral("Inês Marques"))});
        desk.addMirva({member(50, QStringLiteral("5005"), QStringLiteral("M-5"), QStringLiteral("Rui Tavares")),
                       member(7, QStringLiteral("7007"), QStringLiteral("M-7"), QStringLiteral("Paula Sousa"))});
        desk.search(first);
        desk.deliver();
        QCOMPARE(desk.box("FXConvite_No")->text(), QStringLiteral("1"));
        const qint32 firstCode = desk.window->BaseDados;
        desk.search(second);
        QVERIFY(desk.window->BaseDados != firstCode);
        desk.deliver();
        if (refused) {
            QCOMPARE(desk.boxes.calls().size(), 1);
            const QString text = desk.boxes.calls().at(0).text;
            QVERIFY2(text.startsWith(QStringLiteral("Já foi entregue o convite nº 1 a este associado no dia ")) &&
                         text.endsWith(QStringLiteral(" na MIRVA.")),
                     qPrintable(text));
        } else {
            QVERIFY(desk.boxes.calls().isEmpty());
            QCOMPARE(desk.box("FXConvite_No")->text(), QStringLiteral("2"));
        }
        QCOMPARE(desk.rows(QStringLiteral("SELECT COUNT(*) FROM tbVelunas")).at(0).at(0).toInt(), refused ? 1 : 2);
    }

    void closedConnectionRecordsNothing()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        desk.search(QStringLiteral("1001"));
        desk.button("Command4")->setEnabled(false);
        desk.window->ConnSqlServer->Close();
        desk.deliver();
        QVERIFY(desk.boxes.calls().isEmpty());
        QVERIFY(desk.reports.reports().isEmpty()); // 3709 is never reported
        QVERIFY(desk.button("Command4")->isEnabled());
        QVERIFY(desk.button("Command2")->isEnabled()); // left as it was: the operator may try again
        QVERIFY(desk.box("FXConvite_No")->text().isEmpty());
        QCOMPARE(desk.rows(QStringLiteral("SELECT COUNT(*) FROM tbVelunas")).at(0).at(0).toInt(), 0);
    }

    void failedInsertionIsReported()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        desk.search(QStringLiteral("1001"));
        desk.refuseDeliveries(QStringLiteral("recusado pelo servidor"));
        desk.deliver();
        QCOMPARE(desk.reports.reports().size(), 1);
        QCOMPARE(desk.reports.reports().at(0).at(3), QStringLiteral("Command2_Click"));
        QVERIFY(desk.reports.reports().at(0).at(4).contains(QStringLiteral("recusado pelo servidor")));
        QVERIFY(desk.box("FXConvite_No")->text().isEmpty());
    }

    // Two desks on one delivery table: the one that loses never gives a
    // number twice nor a member two invitations.
    void secondDeskOnTheSameMemberIsRefused()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        frmMain other;
        other.show();
        auto *otherEntry = other.findChild<QLineEdit *>(QStringLiteral("FXNo_TAP"));
        desk.search(QStringLiteral("1001"));
        otherEntry->setText(QStringLiteral("1001"));
        other.Command4_Click();
        desk.deliver();
        other.Command2_Click();
        QCOMPARE(desk.box("FXConvite_No")->text(), QStringLiteral("1"));
        QCOMPARE(desk.boxes.calls().size(), 1);
        QVERIFY(desk.boxes.calls().at(0).text.startsWith(QStringLiteral("Já foi entregue o convite nº 1 ")));
    }

    // A server that reads a backslash in a literal as an escape still gets
    // the typed text as one literal: nobody is found, and a name stored
    // with backslashes comes back as typed.
    void backslashesOnAServerWithEscapes()
    {
        if (m_backend != testsupport::Backend::Postgres)
            QSKIP("Only PostgreSQL can be told to read backslashes as escapes.");
        DeskFixture desk(m_backend);
        desk.postgres->execute(
            QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off").arg(desk.postgres->name()));
        addTwo(desk);
        // The database's own default; each desk connection sets its own.
        QVERIFY(desk.rows(QStringLiteral("SELECT array_to_string(setconfig, ',') FROM pg_db_role_setting s JOIN "
                                         "pg_database d ON d.oid = s.setdatabase WHERE datname = current_database()"))
                    .at(0)
                    .at(0)
                    .toString()
                    .contains(QLatin1String("standard_conforming_strings=off")));
        desk.search(QStringLiteral("\\' OR 1=1 --"));
        QCOMPARE(desk.box("FXNome")->text(), QString());
        QVERIFY(!desk.button("Command2")->isEnabled());
        desk.search(QStringLiteral("1001"));
        desk.box("FXNome")->setText(QStringLiteral("Ana \\' D\\\\Ávila? {fn x}\\"));
        desk.deliver();
        QVERIFY(desk.reports.reports().isEmpty());
        QCOMPARE(desk.rows(QStringLiteral("SELECT nome FROM tbVelunas")),
                 (QList<QList<QVariant>>{{QStringLiteral("Ana \\' D\\\\Ávila? {fn x}\\")}}));
    }
};

VELUNAS_DESK_TEST_MAIN(tst_delivery)
#include "tst_delivery.moc"
