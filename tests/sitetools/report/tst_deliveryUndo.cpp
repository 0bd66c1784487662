// Undoing a delivery: the member is given an invitation again at the desk,
// the undone number is never given again, and the record keeps the row.
#include "tests/support/DeskFixture.h"

#include "platform/db/ProviderRegistry.h"
#include "platform/runtime/RuntimeError.h"
#include "tests/support/ObservedProvider.h"

#include <QTest>

using report::UndoOutcome;
using testsupport::DeskFixture;
using testsupport::member;

Q_DECLARE_METATYPE(report::UndoOutcome)

class tst_deliveryUndo : public QObject
{
    Q_OBJECT

public:
    explicit tst_deliveryUndo(testsupport::Backend backend) : m_backend(backend) {}

private:
    testsupport::Backend m_backend;

    static void addTwo(DeskFixture &desk)
    {
        desk.addHaldor({member(1, QStringLiteral("7001"), QStringLiteral("H-1"), QStringLiteral("Ana Sousa")),
                        member(2, QStringLiteral("7002"), QStringLiteral("H-2"), QStringLiteral("Rui Simões"))});
    }

    static QString deliver(DeskFixture &desk, const QString &company)
    {
        desk.boxes.clear();
        desk.search(company);
        desk.deliver();
        return desk.boxes.calls().isEmpty() ? desk.box("FXConvite_No")->text() : desk.boxes.calls().last().text;
    }

    static report::UndoOutcome undo(DeskFixture &desk, qint32 number, const QString &reason = QStringLiteral("engano"))
    {
        return testsupport::undoOn(desk.strings.sqlServer, number, reason).outcome;
    }

    static QList<QList<QVariant>> everything(DeskFixture &desk)
    {
        return desk.rows(QStringLiteral("SELECT convite_no, socio_id, base_dados, no_tap, nome FROM tbVelunas "
                                        "ORDER BY convite_no")) +
               desk.rows(QStringLiteral("SELECT convite_no, socio_id, motivo FROM tbAnulacoes ORDER BY convite_no"));
    }

private slots:
    void undoThenDeliverAgain()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        // A table made before the record table: the first undo makes it (the
        // schema script does on SQL Server).
        if (m_backend != testsupport::Backend::SqlServer)
            desk.execute(QStringLiteral("DROP TABLE tbAnulacoes"));
        QCOMPARE(deliver(desk, QStringLiteral("7001")), QStringLiteral("1"));
        QCOMPARE(deliver(desk, QStringLiteral("7002")), QStringLiteral("2"));
        // The highest number undone still counts in the next one.
        QCOMPARE(undo(desk, 2, QStringLiteral("O'Neil's engano")), UndoOutcome::Undone);
        QCOMPARE(deliver(desk, QStringLiteral("7002")), QStringLiteral("3"));
        // The same member undone a second time.
        QCOMPARE(undo(desk, 3), UndoOutcome::Undone);
        QCOMPARE(deliver(desk, QStringLiteral("7002")), QStringLiteral("4"));
        // Another member keeps hers until it is undone.
        QVERIFY(deliver(desk, QStringLiteral("7001"))
                    .startsWith(QStringLiteral("Já foi entregue o convite nº 1 a este "
                                               "associado no dia ")));
        QCOMPARE(undo(desk, 1), UndoOutcome::Undone);
        QCOMPARE(deliver(desk, QStringLiteral("7001")), QStringLiteral("5"));

        const auto rows = desk.rows(
            QStringLiteral("SELECT convite_no, socio_id, base_dados, no_tap, nome FROM tbVelunas ORDER BY convite_no"));
        const QList<QList<int>> expected = {{1, -1, 0}, {2, -2, 0}, {3, -3, 0}, {4, 2, 1}, {5, 1, 1}};
        QCOMPARE(rows.size(), expected.size());
        for (int i = 0; i < rows.size(); ++i) {
            for (int c = 0; c < 3; ++c)
                QCOMPARE(rows.at(i).at(c).toInt(), expected.at(i).at(c));
            QCOMPARE(rows.at(i).at(3).isValid(), expected.at(i).at(2) != 0); // a placeholder matches no member
        }
        const auto records =
            desk.rows(QStringLiteral("SELECT convite_no, socio_id, base_dados, no_tap, nome, data, anulado_em, conta, "
                                     "computador, motivo FROM tbAnulacoes ORDER BY convite_no"));
        QCOMPARE(records.size(), 3);
        QCOMPARE(records.at(1).mid(0, 5),
                 (QList<QVariant>{2, 2, 1, QStringLiteral("7002"), QStringLiteral("Rui Simões")}));
        for (const auto &record : records) {
            QVERIFY(record.at(5).toDateTime().isValid());
            QVERIFY(qAbs(record.at(6).toDateTime().secsTo(QDateTime::currentDateTime())) < 120);
            QCOMPARE(record.at(7).toString(), QStringLiteral("organiser"));
            QCOMPARE(record.at(8).toString(), QStringLiteral("desk-pc"));
        }
        QCOMPARE(records.at(1).at(9).toString(), QStringLiteral("O'Neil's engano"));
    }

    void refusedUndoChangesNothing_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<UndoOutcome>("outcome");
        QTest::addColumn<QString>("message");
        QTest::newRow("a number never given")
            << 9 << UndoOutcome::Unknown
            << "invitation 9 was not given: no delivery holds that number; nothing was changed";
        QTest::newRow("a number undone before")
            << 1 << UndoOutcome::AlreadyUndone << "invitation 1 was already undone on ";
    }

    void refusedUndoChangesNothing()
    {
        QFETCH(int, number);
        QFETCH(UndoOutcome, outcome);
        QFETCH(QString, message);
        DeskFixture desk(m_backend);
        addTwo(desk);
        deliver(desk, QStringLiteral("7001"));
        deliver(desk, QStringLiteral("7002"));
        QCOMPARE(undo(desk, 1), UndoOutcome::Undone);
        const auto before = everything(desk);
        const report::UndoResult result = testsupport::undoOn(desk.strings.sqlServer, number, QStringLiteral("x"));
        QCOMPARE(result.outcome, outcome);
        QVERIFY2(result.message.startsWith(message), qPrintable(result.message));
        QCOMPARE(everything(desk), before);
    }

    // Two organisers undo one number at once: the one who comes second
    // changes nothing, and the record is the first one's.
    void undoneElsewhereMeanwhile()
    {
        if (m_backend != testsupport::Backend::Embedded)
            QSKIP("the statements are watched on the embedded provider");
        DeskFixture desk(m_backend);
        addTwo(desk);
        deliver(desk, QStringLiteral("7001"));
        bool raced = false;
        platform::registerProvider(QStringLiteral("WatchedSQLite"), [&] {
            return std::make_unique<testsupport::ObservedProvider>(
                [](const platform::ConnectionProperties &) {},
                [&](const QString &statement) {
                    if (!raced && statement.startsWith(QLatin1String("INSERT INTO tbAnulacoes"))) {
                        raced = true;
                        QCOMPARE(undo(desk, 1, QStringLiteral("elsewhere")), UndoOutcome::Undone);
                    }
                });
        });
        platform::Connection watched;
        watched.setConnectionString(
            QString(desk.strings.sqlServer)
                .replace(QLatin1String("Provider=SQLite"), QLatin1String("Provider=WatchedSQLite")));
        watched.Open();
        const report::UndoResult result =
            report::undoDelivery(watched, report::Engine::Embedded, {1, QStringLiteral("here"), {}, {}});
        platform::registerProvider(QStringLiteral("WatchedSQLite"), {});
        QVERIFY(raced);
        QCOMPARE(result.outcome, UndoOutcome::Changed);
        const auto records = desk.rows(QStringLiteral("SELECT motivo FROM tbAnulacoes"));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.at(0).at(0).toString(), QStringLiteral("elsewhere"));
    }

    // The record and the placeholder are one transaction: a refused change
    // of the row keeps no record either.
    void failedUndoKeepsNothing()
    {
        DeskFixture desk(m_backend);
        addTwo(desk);
        deliver(desk, QStringLiteral("7001"));
        const auto before = everything(desk);
        desk.refuseDeliveries(QStringLiteral("recusado"), QStringLiteral("UPDATE"));
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, undo(desk, 1));
        QCOMPARE(everything(desk), before);
    }
};

VELUNAS_DESK_TEST_MAIN(tst_deliveryUndo)
#include "tst_deliveryUndo.moc"
