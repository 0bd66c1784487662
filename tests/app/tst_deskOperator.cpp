// The desk as an operator at a real desktop meets it: where the keys land
// after every way out of a handler, Enter on a focused button, the pointer,
// and whether the member shown can be read.
#include "tests/support/DeskFixture.h"

#include "controls/TextContrast.h"
#include "platform/ui/MousePointer.h"

#include <QApplication>
#include <QCursor>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using testsupport::DeskFixture;
using testsupport::member;

namespace {

// What the operator sees over a window the busy desk opened: the whole
// application's pointer when one is set, else the window's own arrow.
bool hourglassOverOtherWindows()
{
    return QGuiApplication::overrideCursor() != nullptr;
}

// The strongest contrast between the box's text and its background, read off its picture.
double measuredContrast(QWidget *box)
{
    const QImage image = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect inside = image.rect().adjusted(3, 3, -3, -3); // the frame is not the text
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            std::tie(background, most) = std::pair(it.key(), it.value());
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, controls::contrastRatio(QColor(it.key()), QColor(background)));
    return best;
}

} // namespace

class tst_deskOperator : public QObject
{
    Q_OBJECT

private slots:
    void everyWayOutLeavesTheKeysInTheEntryBox_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("windows"); // message boxes and pickers the operator met
        const std::pair<const char *, int> ways[] = {
            {"member found", 0},      {"nobody found", 1},      {"picker confirmed", 1},
            {"picker cancelled", 1},  {"statement refused", 0}, {"server unreachable", 1},
            {"delivery recorded", 0}, {"delivery refused", 1},  {"delivery failed", 0}};
        for (const auto &[way, windows] : ways)
            QTest::newRow(way) << QString::fromLatin1(way) << windows;
    }

    void everyWayOutLeavesTheKeysInTheEntryBox()
    {
        QFETCH(QString, way);
        QFETCH(int, windows);
        DeskFixture desk;
        desk.addHaldor({member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana Sá")),
                        member(21, QStringLiteral("2101"), QStringLiteral("S-21"), QStringLiteral("Maria Silva")),
                        member(22, QStringLiteral("2202"), QStringLiteral("S-22"), QStringLiteral("Maria Sousa"))});
        QList<bool> hourglassOverWindows;
        platform::setMessageBoxHandler([&](const platform::MessageBoxCall &) {
            hourglassOverWindows << hourglassOverOtherWindows();
            return 1;
        });
        bool pickerSeen = false;
        if (way.startsWith(QLatin1String("picker")))
            testsupport::whenModal([&](QWidget *picker) {
                pickerSeen = true;
                hourglassOverWindows << hourglassOverOtherWindows();
                const char *button = way.endsWith(QLatin1String("cancelled")) ? "Command1" : "Command2";
                QTest::mouseClick(picker->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
            });
        if (way == QLatin1String("statement refused"))
            desk.execute(QStringLiteral("DROP VIEW vwAssociados_Completos_Activos"));
        if (way == QLatin1String("server unreachable"))
            desk.pointAt(desk.strings.sqlServer, desk.strings.haldor, desk.unreachable());
        if (way == QLatin1String("delivery failed"))
            desk.refuseDeliveries(QStringLiteral("recusado"));
        if (way == QLatin1String("delivery refused")) {
            desk.search(QStringLiteral("1001"));
            desk.deliver();
        }

        desk.search(way.startsWith(QLatin1String("picker")) ? QStringLiteral("maria")
                    : way == QLatin1String("nobody found")  ? QStringLiteral("ninguém")
                                                            : QStringLiteral("1001"));
        if (way.startsWith(QLatin1String("delivery")))
            desk.deliver();
        QCOMPARE(pickerSeen, way.startsWith(QLatin1String("picker")));

        // A box or window has closed: the desktop activates the desk again.
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(desk.window.get());
        QTest::keyClick(desk.window->windowHandle(), '7');
        QCOMPARE(QApplication::focusWidget(), desk.box("FXNo_TAP"));
        QCOMPARE(desk.box("FXNo_TAP")->text(), QStringLiteral("7"));
        QCOMPARE(platform::MousePointer(desk.window.get()), platform::Pointer::Default);
        QCOMPARE(hourglassOverWindows, QList<bool>(windows, false));
    }

    void enterOnAFocusedButtonClicksIt_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("&Fechar") << "Command1";
        QTest::newRow("Verificar") << "Command4";
        QTest::newRow("Processar Entrega") << "Command2";
    }

    void enterOnAFocusedButtonClicksIt()
    {
        QFETCH(QString, button);
        DeskFixture desk;
        desk.addHaldor({member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana Sá"))});
        desk.search(QStringLiteral("1001"));
        desk.window->setProgramImageName(QStringLiteral("velunas-no-such-program"));
        auto *target = desk.window->findChild<QPushButton *>(button);
        QSignalSpy clicked(target, &QPushButton::clicked);
        target->setFocus();
        QTest::keyClick(desk.window->windowHandle(), Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
    }

    void memberShownCanBeRead()
    {
        DeskFixture desk;
        desk.addHaldor({member(1, QStringLiteral("1001"), QStringLiteral("S-1"), QStringLiteral("Ana Sá"))});
        desk.search(QStringLiteral("1001"));
        desk.deliver();
        QCOMPARE(desk.box("FXConvite_No")->text(), QStringLiteral("1"));
        for (const char *name : {"FXNo_Empresa", "FXNome", "FXEmpresa", "FXMIRVA_HALDOR", "FXEmail", "FXConvite_No"}) {
            const double contrast = measuredContrast(desk.box(name));
            QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("%1: %2 to 1").arg(QLatin1String(name)).arg(contrast)));
        }
    }
};

QTEST_MAIN(tst_deskOperator)
#include "tst_deskOperator.moc"
