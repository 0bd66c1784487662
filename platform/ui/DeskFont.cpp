#include "platform/ui/DeskFont.h"

#include <QFontDatabase>
#include <QStringList>

static void initDeskFontResource()
{
    Q_INIT_RESOURCE(DeskFont);
}

namespace platform {

namespace {

// The face comes with the program, so a system without it (Windows) draws the
// same letters as one with it.
QString deskFamily()
{
    static const QString family = [] {
        initDeskFontResource();
        QString name = QStringLiteral("DejaVu Sans Condensed");
        for (const char *file :
             {":/velunas/fonts/DejaVuSansCondensed.ttf", ":/velunas/fonts/DejaVuSansCondensed-Bold.ttf"}) {
            const QStringList families =
                QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(QLatin1String(file)));
            if (!families.isEmpty())
                name = families.first();
        }
        return name;
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
