#pragma once

#include "platform/runtime/RuntimeError.h"

#include <QString>

namespace errorreporting {

inline constexpr const char *ProgId = "ErrorReporting.General";

// Labels of one caller, as the report names it.
struct ReportLabels
{
    QString company;
    QString application;
    QString object; // the window's name, or the module's
    QString procedure;
};

// Nothing is worth reporting for error 0, for a closed connection (3709), or
// for an error without a description.
bool ShouldReport(int number, const QString &description);

// A window's procedure: the message is the error's description.
void ReportWindowError(const platform::RuntimeError &error, const ReportLabels &labels);

// A module's procedure: the message carries the number and the description.
void ReportModuleError(const platform::RuntimeError &error, const ReportLabels &labels);
QString ModuleMessage(const platform::RuntimeError &error);

// Hands five texts to the component; a component that is missing or fails
// drops the report, so an error path never raises again.
void Report(const ReportLabels &labels, const QString &message);

} // namespace errorreporting
