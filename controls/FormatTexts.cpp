#include "controls/FormatTexts.h"

#include "controls/modControls.h"

#include <QStringList>

namespace controls::formattexts {

using enum modControls::FormatCode;

QString applyFormat(modControls::FormatCode code)
{
    switch (code) {
    case Amount2:
        return QStringLiteral("#,##0.00;- #,##0.00");
    case Euro2:
        return QStringLiteral("€ #,##0.00;€ -#,##0.00");
    case Percent:
        return QStringLiteral("0.00 %");
    case Euro3:
        return QStringLiteral("€ #,##0.000;€ -#,##0.000");
    case Amount3:
        return QStringLiteral("#,##0.000;- #,##0.000");
    case Euro4:
        return QStringLiteral("€ #,##0.0000;€ -#,##0.0000");
    default:
        return QString();
    }
}

QString lostFocusFormat(modControls::FormatCode code)
{
    switch (code) {
    case Amount2:
        return QStringLiteral("#,##0.00");
    case Amount3:
        return QStringLiteral("#,##0.000");
    case Euro4:
        return applyFormat(Euro3);
    default:
        return applyFormat(code);
    }
}

bool isDateMask(const QString &mask)
{
    static const QStringList dateMasks = {
        QStringLiteral("##:##"),
        QStringLiteral("##-##-####"),
        QStringLiteral("##-##-##"),
        QStringLiteral("####-##-##"),
        QStringLiteral("##-##-#### ##:##"),
        QStringLiteral("##-##-#### ##:##:##"),
        QStringLiteral("####-##-## ##:##"),
        QStringLiteral("####-##-## ##:##:##"),
    };
    return dateMasks.contains(mask);
}

} // namespace controls::formattexts
