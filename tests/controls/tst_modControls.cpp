#include "controls/MaskEdBox.h"
#include "controls/SimpleComboBox.h"
#include "controls/modControls.h"
#include "platform/Conversions.h"
#include "platform/RuntimeError.h"
#include "tests/support/TestLocale.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using testsupport::TestLocale;

namespace {
const QStringList Towns = {QStringLiteral("Lisboa"), QStringLiteral("Porto"), QStringLiteral("Faro")};
const QList<int> TownCodes = {10, 20, 30};

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

// A control of the named kind, as a window holds it: with an empty Tag and,
// for lists, the three towns with their codes as ItemData.
std::unique_ptr<QWidget> makeControl(const QString &kind)
{
    std::unique_ptr<QWidget> control;
    if (kind == QLatin1String("text box")) {
        control = std::make_unique<QLineEdit>();
    } else if (kind == QLatin1String("masked")) {
        control = std::make_unique<controls::MaskEdBox>();
    } else if (kind.startsWith(QLatin1String("combo"))) {
        std::unique_ptr<QComboBox> combo;
        if (kind == QLatin1String("combo 1"))
            combo = std::make_unique<controls::SimpleComboBox>();
        else
            combo = std::make_unique<QComboBox>();
        combo->setEditable(kind != QLatin1String("combo 2"));
        for (int index = 0; index < Towns.size(); ++index)
            combo->addItem(Towns[index], TownCodes[index]);
        control = std::move(combo);
    } else if (kind == QLatin1String("list")) {
        auto list = std::make_unique<QListWidget>();
        for (int index = 0; index < Towns.size(); ++index) {
            auto *item = new QListWidgetItem(Towns[index], list.get());
            item->setData(Qt::UserRole, TownCodes[index]);
        }
        control = std::move(list);
    } else if (kind == QLatin1String("date")) {
        control = std::make_unique<QDateEdit>();
    } else if (kind == QLatin1String("datetime")) {
        control = std::make_unique<QDateTimeEdit>();
    } else if (kind == QLatin1String("check")) {
        control = std::make_unique<QCheckBox>();
    } else if (kind == QLatin1String("option")) {
        control = std::make_unique<QRadioButton>();
    } else if (kind == QLatin1String("label")) {
        control = std::make_unique<QLabel>();
    } else {
        control = std::make_unique<QPushButton>();
    }
    control->setProperty("Tag", QString());
    return control;
}

QString shownText(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    return QString();
}

void setShownText(QWidget *control, const QString &text)
{
    if (auto *box = qobject_cast<QLineEdit *>(control))
        box->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        combo->setEditText(text);
}

QString tagOf(const QWidget *control)
{
    return control->property("Tag").toString();
}

QString selectedText(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->selectedText();
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->lineEdit() ? combo->lineEdit()->selectedText() : QString();
    return QString();
}

int errorOf(const std::function<void()> &call)
{
    try {
        call();
        return 0;
    } catch (const platform::RuntimeError &error) {
        return error.number();
    }
}
} // namespace

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
    void maskTyping_data();
    void maskTyping();
    void simpleComboShowsItsList();
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
    modControls::SetControlValue(widget.get(), value, code);
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
    modControls::SetControlValue(&box, value, code);
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
    modControls::SetControlValue(combo, value, code);
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
    modControls::SetControlValue(list, value, 0);
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
    modControls::SetControlValue(picker, value, 0);
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
    modControls::SetControlValue(button, value, 0);
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
    QCOMPARE(errorOf([&] { modControls::SetControlValue(widget.get(), value, code); }), error);
    if (error == 0 || control == QLatin1String("masked"))
        QCOMPARE(shownText(widget.get()), before);
}

void tst_modControls::applyFormat_data()
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

void tst_modControls::applyFormat()
{
    QFETCH(QString, tag);
    QFETCH(int, code);
    QFETCH(QString, expectedText);
    const TestLocale scope(QStringLiteral("comma"));
    QLineEdit box(QStringLiteral("antes"));
    box.setProperty("Tag", tag);
    modControls::ApplyFormat(&box, code);
    QCOMPARE(box.text(), expectedText);
    QCOMPARE(tagOf(&box), tag);
}

void tst_modControls::selectOnFocus_data()
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

void tst_modControls::selectOnFocus()
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
    modControls::SelectOnFocus(widget.get(), code);
    QCOMPARE(shownText(widget.get()), expectedText);
    QCOMPARE(tagOf(widget.get()), expectedTag);
    QCOMPARE(selectedText(widget.get()), expectedSelection);
}

void tst_modControls::formatOnLostFocus_data()
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

void tst_modControls::formatOnLostFocus()
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
    modControls::FormatOnLostFocus(widget.get(), code);
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

void tst_modControls::lostFocusPicksComboItem_data()
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

void tst_modControls::lostFocusPicksComboItem()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(int, expectedIndex);
    const auto widget = makeControl(control);
    auto *combo = qobject_cast<QComboBox *>(widget.get());
    combo->setCurrentIndex(0);
    combo->setEditText(text);
    combo->setProperty("Tag", QStringLiteral("x"));
    modControls::FormatOnLostFocus(combo, 3);
    QCOMPARE(combo->currentIndex(), expectedIndex);
    QCOMPARE(tagOf(combo), QStringLiteral("x"));
}

void tst_modControls::replaceChar_data()
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

void tst_modControls::replaceChar()
{
    QFETCH(QVariant, value);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    const TestLocale scope(QStringLiteral("comma"));
    QCOMPARE(modControls::ReplaceChar(value, find, replacement), expected);
}

void tst_modControls::decimalChar_data()
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

void tst_modControls::decimalChar()
{
    QFETCH(QString, decimal);
    QFETCH(QString, expected);
    const platform::ScopedLocaleOverride scope(decimal, QString());
    QCOMPARE(modControls::DecimalChar(), expected);
}

void tst_modControls::maskTyping_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits fill the places") << "31052014" << 0 << "31-05-2014";
    QTest::newRow("letters are refused") << "3a1b" << 0 << "31-__-____";
    QTest::newRow("backspace gives the prompt back") << "3105" << 1 << "31-0_-____";
    QTest::newRow("typing past the end is lost") << "3105201499" << 0 << "31-05-2014";
}

void tst_modControls::maskTyping()
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

void tst_modControls::simpleComboShowsItsList()
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
    modControls::SetControlValue(combo, QStringLiteral("Porto"), 0);
    QCOMPARE(list->currentIndex().row(), 1);
}

QTEST_MAIN(tst_modControls)
#include "tst_modControls.moc"
