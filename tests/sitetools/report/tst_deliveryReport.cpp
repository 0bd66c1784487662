// The organisers' report, CSV and PDF, on a delivery table made at the desk.
#include "tests/support/DeskFixture.h"

#include "sitetools/report/DeliveryReport.h"
#include "sitetools/report/ReportCommand.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using testsupport::DeskFixture;
using testsupport::member;

namespace {

struct Bar
{
    QDate day;
    int hour;
    qint64 count;
};

int runCommand(const QStringList &arguments)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = report::runReportCommand(arguments, outStream, errStream);
    if (status != 0)
        qWarning("%s", qPrintable(err));
    return status;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_deliveryReport : public QObject
{
    Q_OBJECT

public:
    explicit tst_deliveryReport(testsupport::Backend backend) : m_backend(backend) {}

private:
    testsupport::Backend m_backend;

    // Both registers number their members from 1: HALDOR's Ana and MIRVA's
    // Carla share id 1, and Eva is one person listed in both. Number 6 is
    // written by hand for nobody in the registers, so 4 and 5 are never
    // given; Rui's number 2 is undone.
    static void makeTable(DeskFixture &desk)
    {
        desk.addHaldor({member(1, QStringLiteral("7001"), QStringLiteral("H-1"), QStringLiteral("Ana Sousa"), 1,
                               QStringLiteral("=1+1"), QStringLiteral("Café; \"Central\"")),
                        member(2, QStringLiteral("7002"), QStringLiteral("H-2"), QStringLiteral("Rui Simões")),
                        member(4, QStringLiteral("7004"), QStringLiteral("H-4"), QStringLiteral("Eva Matos"))});
        desk.addMirva(
            {member(1, QStringLiteral("8001"), QStringLiteral("M-1"), QStringLiteral("Carla Dias")),
             member(3, QStringLiteral("8003"), QStringLiteral("M-3"), QStringLiteral("Duarte Lopes"), 1, QVariant()),
             member(4, QStringLiteral("7004"), QStringLiteral("M-4"), QStringLiteral("Eva Matos"))});
        for (const char *term : {"7001", "7002", "8001"}) {
            desk.search(QString::fromLatin1(term));
            desk.deliver();
        }
        desk.execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, nome) "
                                    "VALUES (99, 1, '2026-05-13 10:00:00', 6, 'Sem Registo')"));
        for (const char *term : {"8003", "7004"}) {
            desk.search(QString::fromLatin1(term));
            desk.deliver();
        }
        QCOMPARE(desk.box("FXConvite_No")->text(), QStringLiteral("8"));
        const QStringList times = {QStringLiteral("2026-05-12 09:10:00"),
                                   QStringLiteral("2026-05-12 09:40:00"),
                                   QStringLiteral("2026-05-12 11:05:00"),
                                   QString(),
                                   QString(),
                                   QString(),
                                   QStringLiteral("2026-05-13 10:30:00"),
                                   QStringLiteral("2026-05-13 10:45:00")};
        for (int number = 1; number <= times.size(); ++number)
            if (!times.at(number - 1).isEmpty())
                desk.execute(QStringLiteral("UPDATE tbVelunas SET data = '%1' WHERE convite_no = %2")
                                 .arg(times.at(number - 1))
                                 .arg(number));
        QCOMPARE(testsupport::undoOn(desk.strings.sqlServer, 2, QStringLiteral("Engano: outra pessoa")).outcome,
                 report::UndoOutcome::Undone);
    }

private slots:
    void csvOfEveryDelivery()
    {
        DeskFixture desk(m_backend);
        makeTable(desk);
        const QString spreadsheet = desk.dir.filePath(QStringLiteral("entregas.csv"));
        const QString plain = desk.dir.filePath(QStringLiteral("plain.csv"));
        QCOMPARE(runCommand({QStringLiteral("--csv"), spreadsheet}), 0);
        QCOMPARE(runCommand({QStringLiteral("--csv"), plain, QStringLiteral("--plain")}), 0);

        // The undone number 2 is no delivery; formula-like text stays text.
        QCOMPARE(contents(spreadsheet),
                 "\xEF\xBB\xBF" +
                     QStringLiteral("Convite nº;Data e hora;Associação;Nº empresa;Nome;Empresa;E-mail\r\n"
                                    "1;12-05-2026 09:10;HALDOR;7001;Ana Sousa;\"Café; \"\"Central\"\"\";'=1+1\r\n"
                                    "3;12-05-2026 11:05;MIRVA;8001;Carla Dias;Empresa;socio@exemplo.pt\r\n"
                                    "6;13-05-2026 10:00;desconhecida;;Sem Registo;;\r\n"
                                    "7;13-05-2026 10:30;MIRVA;8003;Duarte Lopes;Empresa;\r\n"
                                    "8;13-05-2026 10:45;HALDOR / MIRVA;7004;Eva Matos;Empresa;socio@exemplo.pt\r\n")
                         .toUtf8());
        const QList<QByteArray> lines = contents(plain).split('\n');
        QCOMPARE(lines.value(0), QByteArray("Convite nº,Data e hora,Associação,Nº empresa,Nome,Empresa,E-mail\r"));
        QCOMPARE(lines.value(1),
                 QByteArray("1,12-05-2026 09:10,HALDOR,7001,Ana Sousa,\"Café; \"\"Central\"\"\",=1+1\r"));
    }

    void pdfSummary()
    {
        DeskFixture desk(m_backend);
        makeTable(desk);
        platform::Connection deliveries, haldor, mirva;
        report::openNamed(deliveries, desk.strings.sqlServer, QStringLiteral("SqlServer"));
        report::openNamed(haldor, desk.strings.haldor, QStringLiteral("HALDOR"));
        report::openNamed(mirva, desk.strings.mirva, QStringLiteral("MIRVA"));
        QList<report::DrawnBar> drawn;
        report::summaryPdf(report::gatherReport(deliveries, haldor, mirva, nullptr), &drawn);

        // Every day over one span of hours, on one scale.
        const QDate first(2026, 5, 12), second(2026, 5, 13);
        const QList<Bar> expected = {{first, 9, 1},  {first, 10, 0},  {first, 11, 1},
                                     {second, 9, 0}, {second, 10, 3}, {second, 11, 0}};
        QCOMPARE(drawn.size(), expected.size());
        const qreal fullHeight = drawn.at(4).rect.height();
        QVERIFY(fullHeight > 20);
        for (int i = 0; i < expected.size(); ++i) {
            const report::DrawnBar &bar = drawn.at(i);
            QCOMPARE(bar.day, expected.at(i).day);
            QCOMPARE(bar.hour, expected.at(i).hour);
            QCOMPARE(bar.count, expected.at(i).count);
            QVERIFY2(qAbs(bar.rect.height() * 3 - fullHeight * qreal(bar.count)) < 0.01,
                     qPrintable(QString::number(i)));
            QVERIFY(QRectF(0, 0, 595, 842).contains(bar.rect.topLeft()) &&
                    QRectF(0, 0, 595, 842).contains(bar.rect.bottomRight()));
        }

        const QString path = desk.dir.filePath(QStringLiteral("resumo.pdf"));
        QCOMPARE(runCommand({QStringLiteral("--pdf"), path}), 0);
        QVERIFY(contents(path).startsWith("%PDF-"));
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess text;
        text.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const QString &expectedText :
             {QStringLiteral("Convites entregues"), QStringLiteral("números de 1 a 8"), QStringLiteral("HALDOR 1"),
              QStringLiteral("MIRVA 2"), QStringLiteral("Em ambas (HALDOR / MIRVA) 1"),
              QStringLiteral("Associação desconhecida 1"), QStringLiteral("Total de convites entregues 5"),
              QStringLiteral("terça-feira, 12-05-2026 — 2 entregas"),
              QStringLiteral("quarta-feira, 13-05-2026 — 3 entregas"), QStringLiteral("9h 10h 11h"),
              QStringLiteral("Números nunca atribuídos (2)"), QStringLiteral("4–5"),
              QStringLiteral("Entregas anuladas (1)"),
              QStringLiteral("nº 2 — Rui Simões, entregue 12-05-2026 09:40 anulada"),
              QStringLiteral("por organiser em desk-pc: Engano: outra pessoa")})
            QVERIFY2(page.contains(expectedText), qPrintable(expectedText + QStringLiteral(" not in: ") + page));
    }
};

VELUNAS_DESK_TEST_MAIN(tst_deliveryReport)
#include "tst_deliveryReport.moc"
