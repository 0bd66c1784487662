// One desk of several working at once: the real window, offscreen, searches
// members by company number and clicks "Processar Entrega" for each, and
// prints every outcome on a line of its own for the test to check.
// It starts once a line arrives on its standard input.
// Usage: desk_worker [--log] [--until FILE] <delivery string> <HALDOR string> <MIRVA string> <seed> <attempts>
//                    <number,number,...>
// With --log the error reports go to the desk's own error log, as the program
// sends them, and an error shows as "notfound". With --until it goes on past
// its attempts until FILE is there.
// Lines: "recorded <term> <socio_id> <base_dados> <convite_no>",
//        "refused <term> <socio_id> <base_dados> <convite_no>", "notfound <term>",
//        "error <term> <number> <description>".
#include "app/frmMain.h"
#include "data/Data.h"
#include "system/ErrorReportLog.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextStream>

#include <optional>

namespace {

// The number in "Já foi entregue o convite nº N a este associado ...".
QString refusedNumber(const QString &message)
{
    static const QRegularExpression number(QStringLiteral("^Já foi entregue o convite nº (\\d+) "));
    const QRegularExpressionMatch match = number.match(message);
    return match.hasMatch() ? match.captured(1) : QStringLiteral("?");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStringList arguments = application.arguments();
    const bool log = arguments.size() > 1 && arguments.at(1) == QLatin1String("--log");
    if (log)
        arguments.removeAt(1);
    QString until;
    if (arguments.size() > 2 && arguments.at(1) == QLatin1String("--until")) {
        until = arguments.at(2);
        arguments.remove(1, 2);
    }
    if (arguments.size() != 7) {
        QTextStream(stderr) << "usage: desk_worker <delivery> <haldor> <mirva> <seed> <attempts> <numbers>\n";
        return 2;
    }
    Data().setConnectionStrings(arguments.at(1), arguments.at(2), arguments.at(3));
    QRandomGenerator random(arguments.at(4).toUInt());
    const int attempts = arguments.at(5).toInt();
    const QStringList pool = arguments.at(6).split(QLatin1Char(','), Qt::SkipEmptyParts);

    testsupport::MessageBoxRecorder boxes;
    std::optional<testsupport::ReportCapture> capture;
    if (log)
        errorreporting::registerLogComponent();
    else
        capture.emplace();
    const QList<QStringList> noReports;
    const auto reports = [&] { return capture ? capture->reports() : noReports; };
    frmMain window;
    window.show();
    auto *entry = window.findChild<QLineEdit *>(QStringLiteral("FXNo_TAP"));
    auto *number = window.findChild<QLineEdit *>(QStringLiteral("FXConvite_No"));
    auto *deliver = window.findChild<QPushButton *>(QStringLiteral("Command2"));

    // All desks begin at one moment: each says it is ready and waits for a line.
    QTextStream out(stdout);
    out << "ready\n";
    out.flush();
    QTextStream(stdin).readLine();
    for (int i = 0; i < attempts || (!until.isEmpty() && !QFile::exists(until)); ++i) {
        const QString term = pool.at(random.bounded(pool.size()));
        boxes.clear();
        if (capture)
            capture->clear();
        entry->setText(term);
        window.Command4_Click();
        if (!reports().isEmpty()) {
            out << "error " << term << ' ' << reports().first().join(QLatin1Char('|')) << '\n';
            continue;
        }
        if (!deliver->isEnabled()) {
            out << "notfound " << term << '\n';
            continue;
        }
        window.Command2_Click();
        const QString member = QStringLiteral("%1 %2").arg(window.SocioID).arg(window.BaseDados);
        if (!reports().isEmpty())
            out << "error " << term << ' ' << reports().first().join(QLatin1Char('|')) << '\n';
        else if (!boxes.calls().isEmpty())
            out << "refused " << term << ' ' << member << ' ' << refusedNumber(boxes.calls().last().text) << '\n';
        else
            out << "recorded " << term << ' ' << member << ' ' << number->text() << '\n';
        out.flush();
    }
    return 0;
}
