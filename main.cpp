// The desk starts with its main window; there is no other start-up work.
#include "app/frmMain.h"
#include "system/ErrorReportLog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velunas"));
    errorreporting::registerLogComponent();
    frmMain window;
    window.show();
    return application.exec();
}
