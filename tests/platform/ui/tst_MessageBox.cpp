// The real message box: the lines it draws and the face it draws them in.
#include "platform/ui/MessageBox.h"
#include "tests/support/TestSupport.h"

#include <QFontInfo>
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
        QString face;
        testsupport::whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            shown = box->text();
            face = QFontInfo(box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->font()).family();
            box->accept();
        });
        QCOMPARE(platform::MsgBox(text, platform::MessageBoxStyle::Information), 1);
        QCOMPARE(shown, drawn);
        QCOMPARE(face, QStringLiteral("DejaVu Sans Condensed"));
    }
};

QTEST_MAIN(tst_MessageBox)
#include "tst_MessageBox.moc"
