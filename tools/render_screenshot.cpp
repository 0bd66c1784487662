// Renders the main window to a PNG, so the README's picture is the real window.
// Usage: QT_QPA_PLATFORM=offscreen render_screenshot <file.png>
#include "app/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");
    QDir().mkpath(QFileInfo(path).absolutePath());
    frmMain window;
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}
