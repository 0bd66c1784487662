#include "platform/ui/DeskFont.h"

#include <QFontDatabase>
#include <QStringList>

static void initDeskFontResource()
{
    Q_INIT_RESOURCE(DeskFont);
}

namespace platform {

namespace {

struct Face
{
    QString family;
    QString regularStyle; // empty: the family alone names the face
    QString boldStyle;
};

// The face comes with the program, so a system without it (Windows) draws the
// same letters as one with it. Font databases name it differently: fontconfig
// and Windows' own know the family "DejaVu Sans Condensed", FreeType's alone
// (Qt's offscreen platform on Windows) only the styles "Condensed" and
// "Condensed Bold" of "DejaVu Sans".
const Face &deskFace()
{
    static const Face face = [] {
        initDeskFontResource();
        for (const char *file :
             {":/velunas/fonts/DejaVuSansCondensed.ttf", ":/velunas/fonts/DejaVuSansCondensed-Bold.ttf"})
            QFontDatabase::addApplicationFont(QLatin1String(file));
        const QString condensed = QStringLiteral("DejaVu Sans Condensed");
        if (QFontDatabase::families().contains(condensed))
            return Face{condensed, QString(), QString()};
        return Face{QStringLiteral("DejaVu Sans"), QStringLiteral("Condensed"), QStringLiteral("Condensed Bold")};
    }();
    return face;
}

} // namespace

QFont DeskFont(bool bold, qreal pointSize)
{
    const Face &face = deskFace();
    QFont font(face.family);
    if (!face.regularStyle.isEmpty())
        font.setStyleName(bold ? face.boldStyle : face.regularStyle);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace platform
