#include "platform/ui/DeskFont.h"

namespace platform {

QFont DeskFont(bool bold, qreal pointSize)
{
    QFont face(QStringLiteral("DejaVu Sans Condensed"));
    face.setPointSizeF(pointSize);
    face.setBold(bold);
    return face;
}

} // namespace platform
