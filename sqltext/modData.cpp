#include "sqltext/modData.h"

#include "platform/db/access/Recordset.h"
#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"
#include "system/ErrorReporting.h"

namespace modData {

namespace {
const QString Blank = QStringLiteral(" ");

QString displayText(const QVariant &value, int kind)
{
    switch (kind) {
    case 1:
        return platform::Format(value, QStringLiteral("dd-mm-yyyy"));
    case 2:
        return platform::Format(value, QStringLiteral("#,##0.00;- #,##0.00"));
    case 3:
        return platform::CStr(value);
    case 4:
        return platform::Format(value, QStringLiteral("€ #,##0.00;€ -#,##0.00"));
    case 5:
        return platform::Format(value, QStringLiteral("0.00 %"));
    case 6:
        return platform::Format(platform::CLng(value), QStringLiteral("#,##0"));
    case 7:
        return platform::Format(value, QStringLiteral("dd-mm-yyyy Hh:Nn:Ss"));
    case 8:
        return platform::Format(value, QStringLiteral("yyyy-mm-dd"));
    default:
        return QString();
    }
}
} // namespace

QString ListField(platform::Recordset &recordset, const QString &fieldName, int kind)
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

QString ListText(const QVariant &value, int kind)
{
    return platform::IsNull(value) ? Blank : displayText(value, kind);
}

} // namespace modData
