#include "sitetools/report/Delivery.h"

namespace report {

QString associationName(Association association)
{
    switch (association) {
    case Association::Haldor:
        return QStringLiteral("HALDOR");
    case Association::Mirva:
        return QStringLiteral("MIRVA");
    case Association::Both:
        return QStringLiteral("HALDOR / MIRVA");
    case Association::Unknown:
        break;
    }
    return QStringLiteral("desconhecida");
}

} // namespace report
