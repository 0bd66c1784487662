// Renders the program's icon in the sizes of the desktop's icon theme, from
// the banner art compiled into the program: a square of the banner's ribbons
// with an invitation card on it.
// Usage: QT_QPA_PLATFORM=offscreen render_icon <folder> <size>...
//        (writes <folder>/<size>x<size>/apps/velunas.png)
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QImage icon(const QImage &banner, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF square(0, 0, size, size);
    QPainterPath rounded;
    rounded.addRoundedRect(square.adjusted(0.5, 0.5, -0.5, -0.5), size * 0.18, size * 0.18);
    painter.setClipPath(rounded);
    // Where the banner's two ribbons cross.
    const int side = banner.height();
    painter.drawImage(square, banner, QRectF(banner.width() * 0.42, 0, side, side));
    painter.setClipping(false);

    const QColor paper(250, 246, 232);
    const QColor gold(226, 182, 74);
    const QRectF card(size * 0.2, size * 0.3, size * 0.6, size * 0.42);
    painter.setPen(QPen(gold, qMax(1.0, size / 32.0)));
    painter.setBrush(paper);
    painter.drawRoundedRect(card, size * 0.04, size * 0.04);
    // The envelope's flap.
    QPainterPath flap;
    flap.moveTo(card.topLeft());
    flap.lineTo(card.center().x(), card.top() + card.height() * 0.55);
    flap.lineTo(card.topRight());
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(flap);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    Q_INIT_RESOURCE(resources); // the banner lives in a static library
    const QStringList arguments = application.arguments();
    const QImage banner(QStringLiteral(":/velunas/banner.png"));
    if (arguments.size() < 3 || banner.isNull()) {
        std::fprintf(stderr, "usage: render_icon <folder> <size>...\n");
        return 2;
    }
    for (const QString &text : arguments.mid(2)) {
        const int size = text.toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments.at(1)).arg(size);
        if (size <= 0 || !QDir().mkpath(folder) || !icon(banner, size).save(folder + QStringLiteral("/velunas.png"))) {
            std::fprintf(stderr, "cannot write the icon of size %s in %s\n", qPrintable(text), qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
