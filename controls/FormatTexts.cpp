#include "controls/FormatTexts.h"

#include "controls/modControls.h"

#include <QStringList>

namespace controls::formattexts {

using namespace modControls::FormatCode;

QString applyFormat(int code)
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

QString lostFocusFormat(int code)
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

QString trimmedOfSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace controls::formattexts
