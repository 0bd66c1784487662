#pragma once

#include <QString>

namespace errorreporting {

// The component shipped with the desk: every report becomes one line, on
// standard error and appended to the log file.
QString DefaultLogPath();
void registerLogComponent(const QString &logPath = DefaultLogPath());

// One report line: time, then the five texts separated by " | ".
QString LogLine(const QStringList &texts);

} // namespace errorreporting
