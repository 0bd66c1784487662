// The desk starts with its main window; there is no other start-up work.
#include "app/frmMain.h"
#include "platform/ui/DeskFont.h"
#include "system/ErrorReportLog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velunas"));
    // The face the program carries, for every window it shows.
    QApplication::setFont(platform::DeskFont());
    errorreporting::registerLogComponent();
    frmMain window;
    window.show();
    return application.exec();
}
