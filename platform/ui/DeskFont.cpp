#include "platform/ui/DeskFont.h"

#include <QFontDatabase>

static void initDeskFontResource()
{
    Q_INIT_RESOURCE(DeskFont);
}

namespace platform {

namespace {

// The face comes with the program, so a system without it (Windows) draws the
// same letters as one with it. Each file names two families, "DejaVu Sans"
// (as one of its styles) and "DejaVu Sans Condensed"; the desk asks for the second.
QString deskFamily()
{
    static const QString family = [] {
        initDeskFontResource();
        for (const char *file :
             {":/velunas/fonts/DejaVuSansCondensed.ttf", ":/velunas/fonts/DejaVuSansCondensed-Bold.ttf"})
            QFontDatabase::addApplicationFont(QLatin1String(file));
        return QStringLiteral("DejaVu Sans Condensed");
    }();
    return family;
}

} // namespace

QFont DeskFont(bool bold, qreal pointSize)
{
    QFont face(deskFamily());
    face.setPointSizeF(pointSize);
    face.setBold(bold);
    return face;
}

} // namespace platform
