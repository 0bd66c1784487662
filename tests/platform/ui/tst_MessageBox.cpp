// The real message box: the lines it draws and the face it draws them in.
#include "platform/ui/MessageBox.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>

class tst_MessageBox : public QObject
{
    Q_OBJECT

private slots:
    void drawnLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("drawn");
        QTest::newRow("10, 13 pairs") << QStringLiteral("Atenção!\n\r\n\rVerifique.")
                                      << QStringLiteral("Atenção!\n\nVerifique.");
        QTest::newRow("13, 10 pairs, and lone 10 and 13")
            << QStringLiteral("a\r\nb\r\n\r\nc\nd\re") << QStringLiteral("a\nb\n\nc\nd\ne");
    }

    void drawnLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, drawn);
        QString shown;
        bool inDeskFace = false;
        testsupport::whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            shown = box->text();
            inDeskFace =
                testsupport::drawnInDeskFace(box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->font());
            box->accept();
        });
        QCOMPARE(platform::MsgBox(text, platform::MessageBoxStyle::Information), 1);
        QCOMPARE(shown, drawn);
        QVERIFY(inDeskFace);
    }
};

QTEST_MAIN(tst_MessageBox)
#include "tst_MessageBox.moc"
