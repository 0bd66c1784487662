#include "controls/modControls.h"
#include "tests/controls/ControlFixtures.h"

#include <QListView>
#include <QtTest>

using namespace controlfixtures;

class tst_maskAndSimpleCombo : public QObject
{
    Q_OBJECT

private slots:
    void maskTyping_data();
    void maskTyping();
    void simpleComboShowsItsList();
};

void tst_maskAndSimpleCombo::maskTyping_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits fill the places") << "31052014" << 0 << "31-05-2014";
    QTest::newRow("letters are refused") << "3a1b" << 0 << "31-__-____";
    QTest::newRow("backspace gives the prompt back") << "3105" << 1 << "31-0_-____";
    QTest::newRow("typing past the end is lost") << "3105201499" << 0 << "31-05-2014";
}

void tst_maskAndSimpleCombo::maskTyping()
{
    QFETCH(QString, keys);
    QFETCH(int, backspaces);
    QFETCH(QString, expected);
    controls::MaskEdBox box;
    box.setMask(QStringLiteral("##-##-####"));
    box.setCursorPosition(0);
    QTest::keyClicks(&box, keys);
    for (int press = 0; press < backspaces; ++press)
        QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.Text(), expected);
    QVERIFY(box.fitsMask(box.Text()));
}

void tst_maskAndSimpleCombo::simpleComboShowsItsList()
{
    QWidget window;
    auto *combo = qobject_cast<controls::SimpleComboBox *>(makeControl(QStringLiteral("combo 1")).release());
    combo->setParent(&window);
    combo->setGeometry(0, 0, 200, 140);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QListView *list = combo->alwaysShownList();
    QVERIFY(list->isVisible());
    QVERIFY(list->geometry().top() >= combo->lineEdit()->geometry().bottom());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(2, 0)).center());
    QCOMPARE(combo->currentIndex(), 2);
    QCOMPARE(combo->currentText(), QStringLiteral("Faro"));
    modControls::SetControlValue(combo, QStringLiteral("Porto"), modControls::FormatCode::General);
    QCOMPARE(list->currentIndex().row(), 1);
}

QTEST_MAIN(tst_maskAndSimpleCombo)
#include "tst_maskAndSimpleCombo.moc"
