#include "sqltext/modData.h"

#include "platform/db/access/Recordset.h"
#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"
#include "system/ErrorReporting.h"

namespace modData {

namespace {
const QString Blank = QStringLiteral(" ");

QString displayText(const QVariant &value, DisplayKind kind)
{
    switch (kind) {
    case DisplayKind::Date:
        return platform::Format(value, QStringLiteral("dd-mm-yyyy"));
    case DisplayKind::Amount:
        return platform::Format(value, QStringLiteral("#,##0.00;- #,##0.00"));
    case DisplayKind::Text:
        return platform::CStr(value);
    case DisplayKind::Euros:
        return platform::Format(value, QStringLiteral("€ #,##0.00;€ -#,##0.00"));
    case DisplayKind::Percent:
        return platform::Format(value, QStringLiteral("0.00 %"));
    case DisplayKind::WholeNumber:
        return platform::Format(platform::CLng(value), QStringLiteral("#,##0"));
    case DisplayKind::DateTime:
        return platform::Format(value, QStringLiteral("dd-mm-yyyy Hh:Nn:Ss"));
    case DisplayKind::IsoDate:
        return platform::Format(value, QStringLiteral("yyyy-mm-dd"));
    default:
        return QString();
    }
}
} // namespace

QString ListField(platform::Recordset &recordset, const QString &fieldName, DisplayKind kind)
{
    try {
        const int index = recordset.findField(fieldName);
        if (index < 0)
            return Blank;
        return ListText(recordset.value(index), kind);
    } catch (...) {
        errorreporting::ReportModuleError(platform::currentRuntimeError(),
                                          {QStringLiteral("ZEFA Tarn Software"), QStringLiteral("Pellow"),
                                           QStringLiteral("modData"), QStringLiteral("ListField")});
        return QString();
    }
}

QString ListText(const QVariant &value, DisplayKind kind)
{
    return platform::IsNull(value) ? Blank : displayText(value, kind);
}

} // namespace modData
