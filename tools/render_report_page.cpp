// Renders the organisers' page on a made-up event, for the README's picture:
// two days of deliveries to the demo registers, two numbers never given and
// three deliveries undone, all through the report's own code.
// Usage: QT_QPA_PLATFORM=offscreen render_report_page <file.pdf>
#include "sitetools/demo/DemoDatabase.h"
#include "sitetools/report/DeliveryReport.h"
#include "sitetools/report/DeliveryUndo.h"
#include "sqltext/modCode.h"

#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Busy mid-morning and after lunch, as a front desk is.
int hourOfDelivery(QRandomGenerator &random)
{
    static const int weights[] = {4, 9, 14, 11, 5, 3, 8, 10, 6, 3};
    int pick = random.bounded(73);
    for (int hour = 0; hour < 10; ++hour) {
        pick -= weights[hour];
        if (pick < 0)
            return 9 + hour;
    }
    return 18;
}

void deliver(platform::Connection &connection, int reg, int number, const QList<QVariant> &member,
             const QDateTime &when)
{
    const auto literal = [](const QVariant &value) {
        return modCode::SqlLiteral(value, modCode::LiteralKind::TextOrNull);
    };
    connection.Execute(
        QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, empresa, email) "
                       "VALUES (%1,%2, '%3', %4,%5,%6,%7,%8)")
            .arg(member.at(0).toInt())
            .arg(reg)
            .arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .arg(number)
            .arg(literal(member.at(1)), literal(member.at(2)), literal(member.at(3)), literal(member.at(4))));
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("report-page.pdf");
    QTemporaryDir folder;
    demo::createDemoDatabases(folder.path(), 300);
    const demo::ConnectionStrings strings = demo::connectionStrings(folder.path());
    platform::Connection deliveries, haldor, mirva;
    deliveries.setConnectionString(strings.sqlServer);
    haldor.setConnectionString(strings.haldor);
    mirva.setConnectionString(strings.mirva);
    deliveries.Open();
    haldor.Open();
    mirva.Open();
    const QString members = QStringLiteral("SELECT contacto_id, no_empresa, nome_union, empresa, email "
                                           "FROM vwAssociados_Completos ORDER BY contacto_id");
    const QList<QList<QVariant>> registers[] = {haldor.Execute(members)->table().rows.toList(),
                                                mirva.Execute(members)->table().rows.toList()};
    QRandomGenerator random(2026);
    int number = 0;
    qsizetype taken[2] = {0, 0};
    for (const QDate day : {QDate(2026, 12, 12), QDate(2026, 12, 13)}) {
        const int count = day.dayOfWeek() == 6 ? 232 : 148;
        QList<QDateTime> moments;
        for (int i = 0; i < count; ++i)
            moments << QDateTime(day, QTime(hourOfDelivery(random), random.bounded(60), random.bounded(60)));
        std::sort(moments.begin(), moments.end());
        for (const QDateTime &when : moments) {
            number += (number == 56 || number == 203) ? 2 : 1; // two numbers a desk never gave
            const int reg = random.bounded(3) == 0 ? 2 : 1;
            const auto &from = registers[reg - 1];
            // Seven steps at a time through a register of 300: each member once.
            deliver(deliveries, reg, number, from.at((taken[reg - 1]++ * 7) % from.size()), when);
        }
    }
    const struct
    {
        int number;
        const char *reason;
    } undone[] = {{41, "Entregue à Maria Silva errada"},
                  {117, "Sócio repetido no registo da MIRVA"},
                  {266, "Convite anulado a pedido do sócio"}};
    for (const auto &undo : undone)
        report::undoDelivery(deliveries, report::Engine::Embedded,
                             {undo.number, QString::fromUtf8(undo.reason), QStringLiteral("ana.organizacao"),
                              QStringLiteral("balcao-1")});
    // The picture is the same at every run: undone twenty minutes after, reported at the end.
    deliveries.Execute(QStringLiteral("UPDATE tbAnulacoes SET anulado_em = datetime(data, '+20 minutes')"));
    report::PageContent page = report::gatherReport(deliveries, haldor, mirva, nullptr);
    page.eventTitle = QStringLiteral("Encontro Anual HALDOR · MIRVA 2026");
    page.madeAt = QDateTime(QDate(2026, 12, 13), QTime(19, 30));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(report::summaryPdf(page)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}
