#include "controls/modControls.h"
#include "tests/controls/ControlFixtures.h"
#include "tests/support/TestLocale.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

using namespace controlfixtures;
using testsupport::TestLocale;

class tst_modControls : public QObject
{
    Q_OBJECT

private slots:
    void textAndLabelValue_data();
    void textAndLabelValue();
    void maskedValue_data();
    void maskedValue();
    void comboValue_data();
    void comboValue();
    void listBoxValue_data();
    void listBoxValue();
    void datePickerValue_data();
    void datePickerValue();
    void choiceValue_data();
    void choiceValue();
    void valueErrors_data();
    void valueErrors();
};

void tst_modControls::textAndLabelValue_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedTag");
    // Every row starts from the text "antes" and the Tag "7".
    auto row = [](const char *name, const char *control, const char *locale, const QVariant &value, int code,
                  const QString &text, const QString &tag) {
        QTest::newRow(name) << QString::fromLatin1(control) << QString::fromLatin1(locale) << value << code << text
                            << tag;
    };
    const QString unchanged = QStringLiteral("antes");
    const QString kept = QStringLiteral("7");
    for (const char *control : {"text box", "label"}) {
        const QByteArray prefix = QByteArray(control) + ": ";
        auto name = [&prefix](const char *caseName) { return QByteArray(prefix + caseName); };
        row(name("null empties both"), control, "comma", QVariant(), 0, QString(), QString());
        row(name("null with a format code"), control, "comma", QVariant(), 2, QString(), QString());
        row(name("text keeps the Tag"), control, "comma", QStringLiteral("Silva"), 0, QStringLiteral("Silva"), kept);
        row(name("number goes to the Tag"), control, "comma", 12345, 0, QStringLiteral("12345"),
            QStringLiteral("12345"));
        row(name("comma: decimal number"), control, "comma", 12.5, 0, QStringLiteral("12,5"), QStringLiteral("12,5"));
        row(name("date of a text"), control, "comma", QStringLiteral("31-05-2014 10:30"), 1,
            QStringLiteral("31-05-2014"), QString());
        row(name("text that is no date"), control, "comma", QStringLiteral("abc"), 1, QStringLiteral("abc"), QString());
        row(name("date and time"), control, "comma", at(2014, 5, 31, 10, 30), 9, QStringLiteral("31-05-2014 10:30:00"),
            QString());
        row(name("comma: amount"), control, "comma", 1234.5, 2, QStringLiteral("1.234,50"), QStringLiteral("1234,5"));
        row(name("point: amount"), control, "point", 1234.5, 2, QStringLiteral("1,234.50"), QStringLiteral("1234.5"));
        row(name("negative amount"), control, "comma", -1234.5, 2, QStringLiteral("- 1.234,50"),
            QStringLiteral("-1234,5"));
        row(name("euro"), control, "comma", 1234.5, 4, QStringLiteral("€ 1.234,50"), QStringLiteral("1234,5"));
        row(name("percent"), control, "comma", 0.125, 5, QStringLiteral("12,50 %"), QStringLiteral("0,125"));
        row(name("euro three decimals"), control, "comma", 1234.5, 7, QStringLiteral("€ 1.234,500"),
            QStringLiteral("1234,5"));
        row(name("amount three decimals"), control, "comma", 1.2345, 8, QStringLiteral("1,235"),
            QStringLiteral("1,2345"));
        row(name("plain text empties the Tag"), control, "comma", QStringLiteral("Silva"), 3, QStringLiteral("Silva"),
            QString());
        row(name("integer rounds half to even"), control, "comma", QStringLiteral("2,5"), 6, QStringLiteral("2"),
            QStringLiteral("2,5"));
        row(name("integer"), control, "comma", 12345.6, 6, QStringLiteral("12346"), QStringLiteral("12345,6"));
        row(name("amount of a text shows it"), control, "comma", QStringLiteral("abc"), 2, QStringLiteral("abc"),
            QStringLiteral("abc"));
        row(name("unknown code"), control, "comma", 5, 11, unchanged, kept);
    }
    row("text box: euro four decimals", "text box", "comma", 1.23456, 10, QStringLiteral("€ 1,2346"),
        QStringLiteral("1,23456"));
    row("label: euro four decimals changes nothing", "label", "comma", 1.23456, 10, unchanged, kept);
    row("label: integer of a text", "label", "comma", QStringLiteral("Silva"), 6, QStringLiteral("Silva"),
        QStringLiteral("Silva"));
}

void tst_modControls::textAndLabelValue()
{
    QFETCH(QString, control);
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(int, code);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedTag);
    const TestLocale scope(locale);
    const auto widget = makeControl(control);
    setShownText(widget.get(), QStringLiteral("antes"));
    widget->setProperty("Tag", QStringLiteral("7"));
    modControls::SetControlValue(widget.get(), value, modControls::FormatCode(code));
    QCOMPARE(shownText(widget.get()), expectedText);
    QCOMPARE(tagOf(widget.get()), expectedTag);
}

void tst_modControls::maskedValue_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedTag"); // the Tag starts as "7"
    const QString date = QStringLiteral("##-##-####");
    const QString dateFormat = QStringLiteral("dd-mm-yyyy");
    const QString kept = QStringLiteral("7");
    QTest::newRow("null shows the empty mask") << date << "_" << dateFormat << QVariant() << 0 << "__-__-____" << kept;
    QTest::newRow("own prompt character") << date << "*" << dateFormat << QVariant() << 1 << "**-**-****" << kept;
    QTest::newRow("date in the box's format")
        << date << "_" << dateFormat << QVariant(at(2014, 5, 31)) << 0 << "31-05-2014" << kept;
    QTest::newRow("date text with time") << QStringLiteral("##-##-#### ##:##") << "_"
                                         << QStringLiteral("dd-mm-yyyy Hh:Nn")
                                         << QVariant(QStringLiteral("31-05-2014 10:30")) << 9 << "31-05-2014 10:30"
                                         << kept;
    QTest::newRow("time mask") << QStringLiteral("##:##") << "_" << QStringLiteral("Hh:Nn")
                               << QVariant(QStringLiteral("10:30")) << 1 << "10:30" << kept;
    QTest::newRow("year first") << QStringLiteral("####-##-##") << "_" << QStringLiteral("yyyy-mm-dd")
                                << QVariant(at(2014, 5, 31)) << 0 << "2014-05-31" << kept;
    QTest::newRow("fitting text that is no date")
        << date << "_" << dateFormat << QVariant(QStringLiteral("12-34-5678")) << 0 << "12-34-5678" << kept;
    QTest::newRow("no mask: amount three decimals shows euro")
        << QString() << "_" << QString() << QVariant(1.2345) << 8 << "€ 1,235"
        << "1,2345";
    QTest::newRow("no mask: euro four decimals changes nothing")
        << QString() << "_" << QString() << QVariant(1.2345) << 10 << "" << kept;
    QTest::newRow("no mask: plain text") << QString() << "_" << QString() << QVariant(QStringLiteral("Silva")) << 3
                                         << "Silva"
                                         << "";
    QTest::newRow("date mask with an amount code: null") << date << "_" << dateFormat << QVariant() << 2 << "__-__-____"
                                                         << "";
}

void tst_modControls::maskedValue()
{
    QFETCH(QString, mask);
    QFETCH(QString, prompt);
    QFETCH(QString, format);
    QFETCH(QVariant, value);
    QFETCH(int, code);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedTag);
    const TestLocale scope(QStringLiteral("comma"));
    controls::MaskEdBox box;
    box.setPromptChar(prompt);
    box.setMask(mask);
    box.setFormat(format);
    box.setProperty("Tag", QStringLiteral("7"));
    modControls::SetControlValue(&box, value, modControls::FormatCode(code));
    QCOMPARE(box.Text(), expectedText);
    QCOMPARE(tagOf(&box), expectedTag);
}

void tst_modControls::comboValue_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("expectedIndex"); // every row starts on "Lisboa"
    QTest::addColumn<QString>("expectedText");
    QTest::newRow("list: null selects nothing") << "combo 2" << QVariant() << 0 << -1 << "";
    QTest::newRow("list: number by ItemData") << "combo 2" << QVariant(20) << 0 << 1 << "Porto";
    QTest::newRow("list: numeric text by ItemData")
        << "combo 2" << QVariant(QStringLiteral("30,0")) << 0 << 2 << "Faro";
    QTest::newRow("list: text by list text") << "combo 2" << QVariant(QStringLiteral("Faro")) << 0 << 2 << "Faro";
    QTest::newRow("list: no ItemData match keeps it") << "combo 2" << QVariant(99) << 0 << 0 << "Lisboa";
    QTest::newRow("list: no text match keeps it")
        << "combo 2" << QVariant(QStringLiteral("Braga")) << 0 << 0 << "Lisboa";
    QTest::newRow("list: text match is exact") << "combo 2" << QVariant(QStringLiteral("porto")) << 0 << 0 << "Lisboa";
    QTest::newRow("simple: null empties the text") << "combo 1" << QVariant() << 0 << 0 << "";
    QTest::newRow("simple: text selects its item")
        << "combo 1" << QVariant(QStringLiteral("Porto")) << 0 << 1 << "Porto";
    QTest::newRow("simple: other text is shown") << "combo 1" << QVariant(QStringLiteral("Braga")) << 0 << 0 << "Braga";
    QTest::newRow("simple: number is text") << "combo 1" << QVariant(20) << 0 << 0 << "20";
    QTest::newRow("drop-down: plain text as simple")
        << "combo 0" << QVariant(QStringLiteral("Braga")) << 3 << 0 << "Braga";
    QTest::newRow("drop-down: number by ItemData") << "combo 0" << QVariant(30) << 0 << 2 << "Faro";
    QTest::newRow("drop-down: text by list text")
        << "combo 0" << QVariant(QStringLiteral("Porto")) << 2 << 1 << "Porto";
    QTest::newRow("drop-down: null changes nothing") << "combo 0" << QVariant() << 0 << 0 << "Lisboa";
}

void tst_modControls::comboValue()
{
    QFETCH(QString, control);
    QFETCH(QVariant, value);
    QFETCH(int, code);
    QFETCH(int, expectedIndex);
    QFETCH(QString, expectedText);
    const TestLocale scope(QStringLiteral("comma"));
    const auto widget = makeControl(control);
    auto *combo = qobject_cast<QComboBox *>(widget.get());
    combo->setCurrentIndex(0);
    modControls::SetControlValue(combo, value, modControls::FormatCode(code));
    QCOMPARE(combo->currentIndex(), expectedIndex);
    QCOMPARE(combo->currentText(), expectedText);
}

void tst_modControls::listBoxValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expectedRow"); // every row starts on "Lisboa"
    QTest::newRow("number by ItemData") << QVariant(20) << 1;
    QTest::newRow("no match keeps it") << QVariant(99) << 0;
    QTest::newRow("null selects nothing") << QVariant() << -1;
    QTest::newRow("text selects nothing") << QVariant(QStringLiteral("Porto")) << -1;
}

void tst_modControls::listBoxValue()
{
    QFETCH(QVariant, value);
    QFETCH(int, expectedRow);
    const auto widget = makeControl(QStringLiteral("list"));
    auto *list = qobject_cast<QListWidget *>(widget.get());
    list->setCurrentRow(0);
    modControls::SetControlValue(list, value, modControls::FormatCode::General);
    QCOMPARE(list->selectedItems().isEmpty() ? -1 : list->row(list->selectedItems().first()), expectedRow);
}

void tst_modControls::datePickerValue_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime empty = at(1900, 1, 1);
    for (const char *control : {"date", "datetime"}) {
        const QByteArray prefix = QByteArray(control) + ": ";
        QTest::newRow(prefix + "null is the empty date") << control << QVariant() << empty;
        QTest::newRow(prefix + "text that is no date") << control << QVariant(QStringLiteral("abc")) << empty;
        QTest::newRow(prefix + "date") << control << QVariant(at(2014, 5, 31)) << at(2014, 5, 31);
    }
    QTest::newRow("datetime: date text with time")
        << "datetime" << QVariant(QStringLiteral("31-05-2014 10:30")) << at(2014, 5, 31, 10, 30);
    QTest::newRow("date: date text with time")
        << "date" << QVariant(QStringLiteral("31-05-2014 10:30")) << at(2014, 5, 31);
}

void tst_modControls::datePickerValue()
{
    QFETCH(QString, control);
    QFETCH(QVariant, value);
    QFETCH(QDateTime, expected);
    const TestLocale scope(QStringLiteral("comma"));
    const auto widget = makeControl(control);
    auto *picker = qobject_cast<QDateTimeEdit *>(widget.get());
    picker->setDateTime(QDateTime(QDate(2020, 2, 2), QTime(8, 8)));
    modControls::SetControlValue(picker, value, modControls::FormatCode::General);
    QCOMPARE(picker->date(), expected.date());
    if (control == QLatin1String("datetime"))
        QCOMPARE(picker->time(), expected.time());
}

void tst_modControls::choiceValue_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("initiallyOn");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("expectedOn");
    for (const char *control : {"check", "option"}) {
        const QByteArray prefix = QByteArray(control) + ": ";
        QTest::newRow(prefix + "one") << control << false << QVariant(1) << true;
        QTest::newRow(prefix + "zero turns it off") << control << true << QVariant(0) << false;
        QTest::newRow(prefix + "null turns it off") << control << true << QVariant() << false;
        QTest::newRow(prefix + "text turns it off") << control << true << QVariant(QStringLiteral("abc")) << false;
        QTest::newRow(prefix + "half rounds to zero") << control << true << QVariant(0.5) << false;
        QTest::newRow(prefix + "more than half") << control << false << QVariant(0.6) << true;
        QTest::newRow(prefix + "true") << control << false << QVariant(true) << true;
        QTest::newRow(prefix + "beyond 32 bits") << control << false << QVariant(3e9) << true;
    }
}

void tst_modControls::choiceValue()
{
    QFETCH(QString, control);
    QFETCH(bool, initiallyOn);
    QFETCH(QVariant, value);
    QFETCH(bool, expectedOn);
    const auto widget = makeControl(control);
    auto *button = qobject_cast<QAbstractButton *>(widget.get());
    button->setChecked(initiallyOn);
    modControls::SetControlValue(button, value, modControls::FormatCode::General);
    QCOMPARE(button->isChecked(), expectedOn);
}

void tst_modControls::valueErrors_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("error");
    QTest::newRow("integer too large") << "text box" << QString() << QVariant(3e9) << 6 << 6;
    QTest::newRow("integer of a text") << "text box" << QString() << QVariant(QStringLiteral("abc")) << 6 << 13;
    QTest::newRow("label integer too large") << "label" << QString() << QVariant(3e9) << 6 << 6;
    QTest::newRow("masked text not fitting")
        << "masked" << QStringLiteral("##-##-####") << QVariant(QStringLiteral("abc")) << 0 << 380;
    QTest::newRow("masked amount not fitting") << "masked" << QStringLiteral("#####") << QVariant(12345) << 2 << 380;
    QTest::newRow("other control untouched") << "button" << QString() << QVariant(QStringLiteral("x")) << 3 << 0;
}

void tst_modControls::valueErrors()
{
    QFETCH(QString, control);
    QFETCH(QString, mask);
    QFETCH(QVariant, value);
    QFETCH(int, code);
    QFETCH(int, error);
    const TestLocale scope(QStringLiteral("comma"));
    const auto widget = makeControl(control);
    if (auto *box = qobject_cast<controls::MaskEdBox *>(widget.get()))
        box->setMask(mask);
    const QString before = shownText(widget.get());
    QCOMPARE(errorOf([&] { modControls::SetControlValue(widget.get(), value, modControls::FormatCode(code)); }), error);
    if (error == 0 || control == QLatin1String("masked"))
        QCOMPARE(shownText(widget.get()), before);
}

QTEST_MAIN(tst_modControls)
#include "tst_modControls.moc"
