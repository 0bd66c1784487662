#include "system/ErrorReporting.h"

#include "platform/os/LateBound.h"

namespace errorreporting {

bool ShouldReport(int number, const QString &description)
{
    return number != 0 && number != platform::ErrorNumber::ConnectionClosed && !description.trimmed().isEmpty();
}

QString ModuleMessage(const platform::RuntimeError &error)
{
    return QStringLiteral("Error Number = %1 | Description = %2").arg(error.number()).arg(error.description());
}

void Report(const ReportLabels &labels, const QString &message)
{
    try {
        auto component = platform::CreateObject(QLatin1String(ProgId));
        component->invoke(QStringLiteral("Report"),
                          {labels.company, labels.application, labels.object, labels.procedure, message});
    } catch (...) {
        // The report is lost, but the desk goes on.
    }
}

void ReportWindowError(const platform::RuntimeError &error, const ReportLabels &labels)
{
    if (ShouldReport(error.number(), error.description()))
        Report(labels, error.description());
}

void ReportModuleError(const platform::RuntimeError &error, const ReportLabels &labels)
{
    if (ShouldReport(error.number(), error.description()))
        Report(labels, ModuleMessage(error));
}

} // namespace errorreporting
