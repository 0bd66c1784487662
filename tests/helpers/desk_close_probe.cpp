// A desk window in a process of its own, for the tests of "&Fechar".
// Usage: desk_close_probe <image name> wait|close [folder]
// With a folder of embedded registers, the desk first delivers to the member
// whose company number is 1001 there.
#include "app/frmMain.h"
#include "data/Data.h"
#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 3)
        return 2;
    testsupport::MessageBoxRecorder boxes; // a box would hold the desk
    frmMain window;
    window.setProgramImageName(QString::fromLocal8Bit(argv[1]));
    window.show();
    if (argc > 3) {
        const demo::ConnectionStrings strings = demo::connectionStrings(QString::fromLocal8Bit(argv[3]));
        Data().setConnectionStrings(strings.sqlServer, strings.haldor, strings.mirva);
        window.findChild<QLineEdit *>(QStringLiteral("FXNo_TAP"))->setText(QStringLiteral("1001"));
        window.Command4_Click();
        window.Command2_Click();
        const QString number = window.findChild<QLineEdit *>(QStringLiteral("FXConvite_No"))->text();
        if (number.isEmpty() || !boxes.calls().isEmpty())
            return 5; // nothing delivered
    }
    std::printf("ready\n");
    std::fflush(stdout);
    if (qstrcmp(argv[2], "close") == 0)
        QTimer::singleShot(0, [&window] { window.findChild<QPushButton *>(QStringLiteral("Command1"))->click(); });
    return application.exec() == 0 ? 3 : 4; // reaching here means the desk did not end itself
}
