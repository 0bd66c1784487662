#pragma once

#include <QStringList>
#include <QTextStream>

namespace report {

// The organisers' tool (velunas-report): the CSV of every delivery, the
// one-page PDF summary, and undoing a delivery, on the desk's own
// connections. Returns the exit status: 0 done, 1 failed or refused (with a
// message on err), 2 a command line it does not take.
int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Whether the command draws a page, and so needs Qt's fonts.
bool drawsPage(const QStringList &arguments);

QString usage(const QString &program);

} // namespace report
