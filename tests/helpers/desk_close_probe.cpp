// A desk window in a process of its own, for the tests of "&Fechar".
// Usage: desk_close_probe <image name> wait|close
#include "app/frmMain.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 3)
        return 2;
    frmMain window;
    window.setProgramImageName(QString::fromLocal8Bit(argv[1]));
    window.show();
    std::printf("ready\n");
    std::fflush(stdout);
    if (qstrcmp(argv[2], "close") == 0)
        QTimer::singleShot(0, [&window] { window.findChild<QPushButton *>(QStringLiteral("Command1"))->click(); });
    return application.exec() == 0 ? 3 : 4; // reaching here means the desk did not end itself
}
