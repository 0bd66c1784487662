#include "controls/modControls.h"
#include "tests/controls/ControlFixtures.h"
#include "tests/support/TestLocale.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

using namespace controlfixtures;
using testsupport::TestLocale;

class tst_focusFormatting : public QObject
{
    Q_OBJECT

private slots:
    void applyFormat_data();
    void applyFormat();
    void selectOnFocus_data();
    void selectOnFocus();
    void formatOnLostFocus_data();
    void formatOnLostFocus();
    void lostFocusPicksComboItem_data();
    void lostFocusPicksComboItem();
    void replaceChar_data();
    void replaceChar();
    void decimalChar_data();
    void decimalChar();
};

void tst_focusFormatting::applyFormat_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expectedText"); // the text starts as "antes"
    QTest::newRow("empty Tag changes nothing") << "" << 2 << "antes";
    QTest::newRow("amount") << "1234,5" << 2 << "1.234,50";
    QTest::newRow("integer copies the Tag") << "1234,5" << 6 << "1234,5";
    QTest::newRow("plain text changes nothing") << "1234,5" << 3 << "antes";
    QTest::newRow("date changes nothing") << "1234,5" << 1 << "antes";
    QTest::newRow("euro four decimals") << "1234,5" << 10 << QStringLiteral("€ 1.234,5000");
    QTest::newRow("percent") << "0,5" << 5 << "50,00 %";
}

void tst_focusFormatting::applyFormat()
{
    QFETCH(QString, tag);
    QFETCH(int, code);
    QFETCH(QString, expectedText);
    const TestLocale scope(QStringLiteral("comma"));
    QLineEdit box(QStringLiteral("antes"));
    box.setProperty("Tag", tag);
    modControls::ApplyFormat(&box, modControls::FormatCode(code));
    QCOMPARE(box.text(), expectedText);
    QCOMPARE(tagOf(&box), tag);
}

void tst_focusFormatting::selectOnFocus_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedTag");
    QTest::addColumn<QString>("expectedSelection");
    QTest::newRow("plain text selects all only") << "text box" << 3 << "98765"
                                                 << "x"
                                                 << "98765"
                                                 << "x"
                                                 << "98765";
    QTest::newRow("plain text in a drop-down combo") << "combo 0" << 3 << "Braga"
                                                     << ""
                                                     << "Braga"
                                                     << ""
                                                     << "Braga";
    QTest::newRow("date selects a text box") << "text box" << 1 << "31-05-2014"
                                             << ""
                                             << "31-05-2014"
                                             << ""
                                             << "31-05-2014";
    QTest::newRow("date leaves a label") << "label" << 1 << "31-05-2014"
                                         << ""
                                         << "31-05-2014"
                                         << ""
                                         << "";
    QTest::newRow("amount shows the Tag") << "text box" << 2 << "1.234,50"
                                          << "1234,5"
                                          << "1234,5"
                                          << "1234,5"
                                          << "1234,5";
    QTest::newRow("euro shows the Tag") << "text box" << 4 << QStringLiteral("€ 1,00") << "1"
                                        << "1"
                                        << "1"
                                        << "1";
    QTest::newRow("amount without a Tag clears") << "text box" << 2 << "antes"
                                                 << ""
                                                 << ""
                                                 << ""
                                                 << "";
    QTest::newRow("percent times 100") << "text box" << 5 << "12,50 %"
                                       << "0,125"
                                       << "12,5"
                                       << "0,125"
                                       << "12,5";
    QTest::newRow("percent in single precision") << "text box" << 5 << "x"
                                                 << "0,123456789"
                                                 << "12,34568"
                                                 << "0,123456789"
                                                 << "12,34568";
    QTest::newRow("integer rounds the Tag") << "text box" << 6 << "x"
                                            << "2,5"
                                            << "2"
                                            << "2"
                                            << "2";
    QTest::newRow("three decimals") << "text box" << 7 << "x"
                                    << "1,23456"
                                    << "1,235"
                                    << "1,23456"
                                    << "1,235";
    QTest::newRow("three decimals half to even") << "text box" << 8 << "x"
                                                 << "1,2345"
                                                 << "1,234"
                                                 << "1,2345"
                                                 << "1,234";
    QTest::newRow("four decimals") << "text box" << 10 << "x"
                                   << "1,23456"
                                   << "1,2346"
                                   << "1,23456"
                                   << "1,2346";
    QTest::newRow("general does nothing") << "text box" << 0 << "x"
                                          << "5"
                                          << "x"
                                          << "5"
                                          << "";
    QTest::newRow("date and time does nothing") << "text box" << 9 << "x"
                                                << "5"
                                                << "x"
                                                << "5"
                                                << "";
}

void tst_focusFormatting::selectOnFocus()
{
    QFETCH(QString, control);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, tag);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedTag);
    QFETCH(QString, expectedSelection);
    const TestLocale scope(QStringLiteral("comma"));
    const auto widget = makeControl(control);
    setShownText(widget.get(), text);
    widget->setProperty("Tag", tag);
    modControls::SelectOnFocus(widget.get(), modControls::FormatCode(code));
    QCOMPARE(shownText(widget.get()), expectedText);
    QCOMPARE(tagOf(widget.get()), expectedTag);
    QCOMPARE(selectedText(widget.get()), expectedSelection);
}

void tst_focusFormatting::formatOnLostFocus_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedTag"); // the Tag starts as "x"
    QTest::addColumn<QString>("message");     // the box shown, if any
    auto row = [](const char *name, const char *control, const char *locale, int code, const QString &text,
                  const QString &expectedText, const QString &expectedTag, const QString &message = QString()) {
        QTest::newRow(name) << QString::fromLatin1(control) << QString::fromLatin1(locale) << code << text
                            << expectedText << expectedTag << message;
    };
    row("plain text empties the Tag", "text box", "comma", 3, QStringLiteral("98765"), QStringLiteral("98765"),
        QString());
    row("plain text on a label", "label", "comma", 3, QStringLiteral("98765"), QStringLiteral("98765"), QString());
    row("plain text keeps a list box's Tag", "list", "comma", 3, QString(), QString(), QStringLiteral("x"));
    row("comma: point typed as decimal", "text box", "comma", 2, QStringLiteral("1234.5"), QStringLiteral("1.234,50"),
        QStringLiteral("1234,5"));
    row("comma: grouping typed too", "text box", "comma", 2, QStringLiteral("1.234,5"), QStringLiteral("1.234,50"),
        QStringLiteral("1234,5"));
    row("point: comma typed as decimal", "text box", "point", 2, QStringLiteral("1234,5"), QStringLiteral("1,234.50"),
        QStringLiteral("1234.5"));
    row("point: grouping typed too", "text box", "point", 2, QStringLiteral("1,234.5"), QStringLiteral("1,234.50"),
        QStringLiteral("1234.5"));
    row("comma: negative amount", "text box", "comma", 2, QStringLiteral("-1234,5"), QStringLiteral("-1.234,50"),
        QStringLiteral("-1234,5"));
    row("comma: text becomes zero", "text box", "comma", 2, QStringLiteral("abc"), QStringLiteral("0,00"),
        QStringLiteral("0"));
    row("comma: empty changes nothing", "text box", "comma", 2, QString(), QString(), QStringLiteral("x"));
    row("comma: euro", "text box", "comma", 4, QStringLiteral("1234,5"), QStringLiteral("€ 1.234,50"),
        QStringLiteral("1234,5"));
    row("comma: euro three decimals", "text box", "comma", 7, QStringLiteral("-1,2345"), QStringLiteral("€ -1,235"),
        QStringLiteral("-1,2345"));
    row("comma: amount three decimals", "text box", "comma", 8, QStringLiteral("1,2345"), QStringLiteral("1,235"),
        QStringLiteral("1,2345"));
    row("comma: euro four decimals shows three", "text box", "comma", 10, QStringLiteral("1,23456"),
        QStringLiteral("€ 1,235"), QStringLiteral("1,23456"));
    row("comma: percent", "text box", "comma", 5, QStringLiteral("12,5"), QStringLiteral("12,50 %"),
        QStringLiteral("0,125"));
    row("point: percent", "text box", "point", 5, QStringLiteral("12.5"), QStringLiteral("12.50 %"),
        QStringLiteral("0.125"));
    row("comma: percent of a text", "text box", "comma", 5, QStringLiteral("abc"), QStringLiteral("0,00 %"),
        QStringLiteral("0"));
    row("comma: integer half to even", "text box", "comma", 6, QStringLiteral("12,5"), QStringLiteral("12"),
        QStringLiteral("12"));
    row("comma: integer point typed", "text box", "comma", 6, QStringLiteral("13.5"), QStringLiteral("14"),
        QStringLiteral("14"));
    row("comma: integer of a text", "text box", "comma", 6, QStringLiteral("abc"), QStringLiteral("0"),
        QStringLiteral("0"));
    row("comma: integer too large", "text box", "comma", 6, QStringLiteral("99999999999"),
        QStringLiteral("99999999999"), QStringLiteral("x"), QStringLiteral("Overflow"));
    row("amount on a label", "label", "comma", 2, QStringLiteral("5"), QStringLiteral("5"), QStringLiteral("x"),
        QStringLiteral("Object doesn't support this property or method"));
    row("date does nothing", "text box", "comma", 1, QStringLiteral("31-05"), QStringLiteral("31-05"),
        QStringLiteral("x"));
    row("general does nothing", "text box", "comma", 0, QStringLiteral("abc"), QStringLiteral("abc"),
        QStringLiteral("x"));
}

void tst_focusFormatting::formatOnLostFocus()
{
    QFETCH(QString, control);
    QFETCH(QString, locale);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedTag);
    QFETCH(QString, message);
    const TestLocale scope(locale);
    testsupport::MessageBoxRecorder boxes;
    const auto widget = makeControl(control);
    setShownText(widget.get(), text);
    widget->setProperty("Tag", QStringLiteral("x"));
    modControls::FormatOnLostFocus(widget.get(), modControls::FormatCode(code));
    QCOMPARE(shownText(widget.get()), expectedText);
    QCOMPARE(tagOf(widget.get()), expectedTag);
    if (message.isEmpty()) {
        QVERIFY(boxes.calls().isEmpty());
    } else {
        QCOMPARE(boxes.calls().size(), 1);
        QCOMPARE(boxes.calls().first().text, message);
        QCOMPARE(boxes.calls().first().title, platform::applicationTitle());
    }
}

void tst_focusFormatting::lostFocusPicksComboItem_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expectedIndex"); // every row starts on "Lisboa"
    QTest::newRow("drop-down: typed item") << "combo 0"
                                           << "Porto" << 1;
    QTest::newRow("drop-down: blanks select nothing") << "combo 0"
                                                      << "   " << -1;
    QTest::newRow("drop-down: other text keeps it") << "combo 0"
                                                    << "Braga" << 0;
    QTest::newRow("simple: typed item") << "combo 1"
                                        << "Faro" << 2;
}

void tst_focusFormatting::lostFocusPicksComboItem()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(int, expectedIndex);
    const auto widget = makeControl(control);
    auto *combo = qobject_cast<QComboBox *>(widget.get());
    combo->setCurrentIndex(0);
    combo->setEditText(text);
    combo->setProperty("Tag", QStringLiteral("x"));
    modControls::FormatOnLostFocus(combo, modControls::FormatCode::PlainText);
    QCOMPARE(combo->currentIndex(), expectedIndex);
    QCOMPARE(tagOf(combo), QStringLiteral("x"));
}

void tst_focusFormatting::replaceChar_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every occurrence") << QVariant(QStringLiteral("1.234.5")) << "."
                                      << ","
                                      << "1,234,5";
    QTest::newRow("number's text") << QVariant(12.5) << ","
                                   << "."
                                   << "12.5";
    QTest::newRow("empty find") << QVariant(QStringLiteral("1.2")) << ""
                                << ","
                                << "";
    QTest::newRow("two-character find") << QVariant(QStringLiteral("1.2")) << ".."
                                        << ","
                                        << "";
    QTest::newRow("empty replacement") << QVariant(QStringLiteral("1.2")) << "."
                                       << ""
                                       << "";
    QTest::newRow("null") << QVariant() << "."
                          << ","
                          << "";
}

void tst_focusFormatting::replaceChar()
{
    QFETCH(QVariant, value);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    const TestLocale scope(QStringLiteral("comma"));
    QCOMPARE(modControls::ReplaceChar(value, find, replacement), expected);
}

void tst_focusFormatting::decimalChar_data()
{
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comma") << ","
                           << ",";
    QTest::newRow("trimmed first") << " ."
                                   << ".";
    QTest::newRow("first character") << ",."
                                     << ",";
    QTest::newRow("none") << ""
                          << "";
}

void tst_focusFormatting::decimalChar()
{
    QFETCH(QString, decimal);
    QFETCH(QString, expected);
    const platform::ScopedLocaleOverride scope(decimal, QString());
    QCOMPARE(modControls::DecimalChar(), expected);
}

QTEST_MAIN(tst_focusFormatting)
#include "tst_focusFormatting.moc"
