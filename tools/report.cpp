// The organisers' tool, installed as velunas-report: the CSV of every
// delivery, the one-page PDF summary, and undoing a delivery.
// Usage: report --csv FILE [--plain] [--pdf FILE] | --undo NUMBER --reason TEXT | --help

#include "sitetools/report/ReportCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

int main(int argc, char **argv)
{
#ifndef Q_OS_WIN
    // Without TZ, the C library looks the zone file up again for every local
    // time it converts: a million deliveries, a million lookups. Naming the
    // same file keeps the same zone.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
#endif
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The page needs Qt's fonts, not a display.
    std::unique_ptr<QCoreApplication> application;
    if (report::drawsPage(arguments)) {
#ifndef Q_OS_WIN
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    return report::runReportCommand(application->arguments().mid(1), out, err);
}
