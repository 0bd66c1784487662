#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"
#include "sqltext/modCode.h"
#include "tests/support/TestLocale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using testsupport::TestLocale;

namespace {
const QString Escape = QStringLiteral("' + CHAR(39) + '");

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

// A control of the named kind holding a value, for the literal of a control.
std::unique_ptr<QWidget> controlHolding(const QString &kind)
{
    if (kind == QLatin1String("line edit")) {
        auto box = std::make_unique<QLineEdit>();
        box->setText(QStringLiteral(" O'Neil "));
        return box;
    }
    if (kind == QLatin1String("combo box")) {
        auto combo = std::make_unique<QComboBox>();
        combo->addItems({QStringLiteral("Lisboa"), QStringLiteral("Porto")});
        combo->setCurrentIndex(1);
        return combo;
    }
    if (kind == QLatin1String("date edit")) {
        auto picker = std::make_unique<QDateEdit>();
        picker->setDate(QDate(2014, 5, 31));
        return picker;
    }
    if (kind == QLatin1String("check box")) {
        auto check = std::make_unique<QCheckBox>();
        check->setChecked(true);
        return check;
    }
    if (kind == QLatin1String("option button")) {
        auto option = std::make_unique<QRadioButton>();
        option->setChecked(true);
        return option;
    }
    if (kind == QLatin1String("button"))
        return std::make_unique<QPushButton>();
    return nullptr;
}
} // namespace

class tst_modCode : public QObject
{
    Q_OBJECT

private slots:
    void init() { modCode::resetSeparatorCaches(); }
    void cleanup() { modCode::resetSeparatorCaches(); }

    void sqlLiteral_data();
    void sqlLiteral();
    void sqlLiteralOfControl_data();
    void sqlLiteralOfControl();
    void trtf_data();
    void trtf();
    void veryLongText();
    void isLocaleNumeric_data();
    void isLocaleNumeric();
    void cachesOutliveALocaleSwitch();
};

void tst_modCode::sqlLiteral_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    auto row = [](const char *name, const char *locale, const QVariant &value, int kind, const QString &expected) {
        QTest::newRow(name) << QString::fromLatin1(locale) << value << kind << expected;
    };
    const QString blanks = QStringLiteral("   ");
    row("text: plain", "comma", QStringLiteral("Silva"), 3, QStringLiteral("'Silva'"));
    row("text: only blanks is null", "comma", blanks, 3, QStringLiteral("null"));
    row("text: null", "comma", QVariant(), 3, QStringLiteral("null"));
    row("text: trimmed", "comma", QStringLiteral("  Ana  "), 3, QStringLiteral("'Ana'"));
    row("text: a tab is kept", "comma", QStringLiteral("\tAna"), 3, QStringLiteral("'\tAna'"));
    row("text: apostrophe", "comma", QStringLiteral("O'Neil"), 3,
        QLatin1Char('\'') + QStringLiteral("O") + Escape + QStringLiteral("Neil'"));
    row("text: accented after apostrophe", "comma", QStringLiteral("D'Ávila"), 3,
        QStringLiteral("'D") + Escape + QStringLiteral("Ávila'"));
    row("text: two apostrophes in a row", "comma", QStringLiteral("a''b"), 3,
        QStringLiteral("'a") + Escape + Escape + QStringLiteral("b'"));
    row("text: only quotes", "comma", QStringLiteral("'''"), 3,
        QStringLiteral("'") + Escape + Escape + Escape + QStringLiteral("'"));
    row("text: quote cannot end the literal", "comma", QStringLiteral("x'); DROP TABLE tbVelunas;--"), 3,
        QStringLiteral("'x") + Escape + QStringLiteral("); DROP TABLE tbVelunas;--'"));
    row("text: unicode", "comma", QStringLiteral("Zoë 李"), 3, QStringLiteral("'Zoë 李'"));
    row("text: number", "comma", 12345, 3, QStringLiteral("'12345'"));
    row("text: date", "comma", at(2014, 5, 31), 3, QStringLiteral("'31-05-2014'"));
    row("empty text: only blanks", "comma", blanks, 4, QStringLiteral("''"));
    row("empty text: null", "comma", QVariant(), 4, QStringLiteral("''"));
    row("empty text: trimmed number", "comma", QStringLiteral("  12345 "), 4, QStringLiteral("'12345'"));
    row("like: null matches all", "comma", QVariant(), 6, QStringLiteral("'%%'"));
    row("like: only blanks", "comma", blanks, 6, QStringLiteral("'%%'"));
    row("like: two words", "comma", QStringLiteral("Ana Silva"), 6, QStringLiteral("'%Ana%Silva%'"));
    row("like: two spaces", "comma", QStringLiteral("Maria  José"), 6, QStringLiteral("'%Maria%%José%'"));
    row("like: leading and trailing blanks", "comma", QStringLiteral("  Ana Silva  "), 6,
        QStringLiteral("'%Ana%Silva%'"));
    row("like: apostrophe", "comma", QStringLiteral("O'Neil Silva"), 6,
        QStringLiteral("'%O") + Escape + QStringLiteral("Neil%Silva%'"));
    row("like: apostrophe next to a space", "comma", QStringLiteral("O' Neil"), 6,
        QStringLiteral("'%O") + Escape + QStringLiteral("%Neil%'"));
    row("like: only a quote", "comma", QStringLiteral("'"), 6, QStringLiteral("'%") + Escape + QStringLiteral("%'"));
    row("comma number: decimal comma", "comma", QStringLiteral("12,5"), 2, QStringLiteral("12.5"));
    row("comma number: not a number", "comma", QStringLiteral("abc"), 2, QStringLiteral("null"));
    row("comma number: statement text", "comma", QStringLiteral("1; DROP TABLE tbVelunas"), 2, QStringLiteral("null"));
    row("comma number: true", "comma", true, 2, QStringLiteral("1"));
    row("comma number: false", "comma", false, 2, QStringLiteral("0"));
    row("comma number: null", "comma", QVariant(), 2, QStringLiteral("null"));
    row("comma number: blanks", "comma", blanks, 2, QStringLiteral("null"));
    row("comma number: negative", "comma", QStringLiteral("-3,25"), 2, QStringLiteral("-3.25"));
    row("comma number: negative keeps precision", "comma", QStringLiteral("-123456,78"), 2,
        QStringLiteral("-123456.78"));
    row("comma number: point read as decimal", "comma", QStringLiteral("12.5"), 2, QStringLiteral("12.5"));
    row("comma number: grouping removed", "comma", QStringLiteral("1.234,5"), 2, QStringLiteral("1234.5"));
    row("comma number: negative grouped", "comma", QStringLiteral("-1.234,5"), 2, QStringLiteral("-1234.5"));
    row("comma number: blanks around dropped", "comma", QStringLiteral(" 12,5 "), 2, QStringLiteral("12.5"));
    row("comma number: exponent", "comma", QStringLiteral("1,5E3"), 2, QStringLiteral("1.5E3"));
    row("comma number: negative exponent stays positive", "comma", QStringLiteral("1E-5"), 2, QStringLiteral("1E-05"));
    row("comma number: small double", "comma", 1e-5, 2, QStringLiteral("1E-05"));
    row("comma number: double", "comma", 12.5, 2, QStringLiteral("12.5"));
    row("comma number: kind 7", "comma", QStringLiteral("12,5"), 7, QStringLiteral("12.5"));
    row("point number: decimal point", "point", QStringLiteral("12.5"), 2, QStringLiteral("12.5"));
    row("point number: comma read as decimal", "point", QStringLiteral("12,5"), 2, QStringLiteral("12.5"));
    row("point number: negative", "point", QStringLiteral("-12.5"), 2, QStringLiteral("-12.5"));
    row("point number: grouping removed", "point", QStringLiteral("1,234.5"), 2, QStringLiteral("1234.5"));
    row("point number: negative grouped", "point", QStringLiteral("-1,234.5"), 7, QStringLiteral("-1234.5"));
    row("point number: double", "point", -12.5, 2, QStringLiteral("-12.5"));
    row("apostrophe number: grouping removed", "apostrophe", QStringLiteral("1'234.5"), 2, QStringLiteral("1234.5"));
    row("apostrophe number: no quote reaches the statement", "apostrophe", QStringLiteral("1'0'0"), 7,
        QStringLiteral("100"));
    row("apostrophe number: negative grouped", "apostrophe", QStringLiteral("-1'234"), 2, QStringLiteral("-1234"));
    const QString may31 = QStringLiteral("CONVERT(DATETIME,'2014-05-31',102)");
    row("date: empty date", "comma", at(1900, 1, 1), 1, QStringLiteral("null"));
    row("date: empty date as text", "comma", QStringLiteral("01-01-1900"), 1, QStringLiteral("null"));
    row("date: zero date", "comma", platform::ZeroDate(), 1, QStringLiteral("null"));
    row("date: dashes", "comma", QStringLiteral("- - -"), 1, QStringLiteral("null"));
    row("date: dashes with blanks", "comma", QStringLiteral("  - - -  "), 5, QStringLiteral("null"));
    row("date: time is dropped", "comma", QStringLiteral("31-05-2014 10:30"), 1, may31);
    row("date: slashes", "comma", QStringLiteral("31/05/2014"), 1, may31);
    row("date: eight digits", "comma", QStringLiteral("31052014"), 1, may31);
    row("date: eight digits of the empty date", "comma", QStringLiteral("01011900"), 1,
        QStringLiteral("CONVERT(DATETIME,'1900-01-01',102)"));
    row("date: eight digits no date", "comma", QStringLiteral("31022014"), 1, QStringLiteral("null"));
    row("date: eight letters", "comma", QStringLiteral("abcdefgh"), 1, QStringLiteral("null"));
    row("date: number of eight digits", "comma", 31052014, 1, may31);
    row("date: a year", "comma", QStringLiteral("2014"), 1, QStringLiteral("null"));
    row("date: empty mask", "comma", QStringLiteral("__-__-____"), 1, QStringLiteral("null"));
    row("date: null", "comma", QVariant(), 1, QStringLiteral("null"));
    row("date and time: from text", "comma", QStringLiteral("31-05-2014 10:30"), 5,
        QStringLiteral("CONVERT(DATETIME,'2014-05-31 10:30:00',102)"));
    row("date and time: empty date with a time", "comma", QStringLiteral("01-01-1900 10:30"), 5,
        QStringLiteral("CONVERT(DATETIME,'1900-01-01 10:30:00',102)"));
    row("date and time: date only", "comma", QDate(2014, 5, 31), 5,
        QStringLiteral("CONVERT(DATETIME,'2014-05-31 00:00:00',102)"));
    row("dot-time: server still gets colons", "dot-time", at(2014, 5, 31, 14, 5), 5,
        QStringLiteral("CONVERT(DATETIME,'2014-05-31 14:05:00',102)"));
    row("kind 8", "comma", QStringLiteral("Silva"), 8, QString());
    row("kind 0", "comma", QStringLiteral("Silva"), 0, QString());
    row("kind -1", "comma", QVariant(), -1, QString());
}

void tst_modCode::sqlLiteral()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    const TestLocale scope(locale);
    QCOMPARE(modCode::SqlLiteral(value, modCode::LiteralKind(kind)), expected);
}

void tst_modCode::sqlLiteralOfControl_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("line edit text") << "line edit" << 3
                                    << QString(QStringLiteral("'O") + Escape + QStringLiteral("Neil'")) << 0;
    QTest::newRow("combo box choice") << "combo box" << 4 << "'Porto'" << 0;
    QTest::newRow("date edit date") << "date edit" << 1 << "CONVERT(DATETIME,'2014-05-31',102)" << 0;
    QTest::newRow("check box value") << "check box" << 2 << "1" << 0;
    QTest::newRow("option button value") << "option button" << 2 << "1" << 0;
    QTest::newRow("no control") << "none" << 3 << "null" << 0;
    QTest::newRow("button has no value") << "button" << 3 << QString() << 438;
}

void tst_modCode::sqlLiteralOfControl()
{
    QFETCH(QString, control);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    QFETCH(int, error);
    const TestLocale scope(QStringLiteral("comma"));
    const std::unique_ptr<QWidget> widget = controlHolding(control);
    try {
        QCOMPARE(modCode::SqlLiteral(widget.get(), modCode::LiteralKind(kind)), expected);
        QCOMPARE(error, 0);
    } catch (const platform::RuntimeError &raised) {
        QCOMPARE(raised.number(), error);
    }
}

void tst_modCode::trtf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one apostrophe") << "O'Neil" << QString(QStringLiteral("O") + Escape + QStringLiteral("Neil"));
    QTest::newRow("none") << "Silva"
                          << "Silva";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("only quotes") << "''" << QString(Escape + Escape);
    QTest::newRow("at both ends") << "'x'" << QString(Escape + QStringLiteral("x") + Escape);
    QTest::newRow("unicode kept") << QStringLiteral("João d'Ávila")
                                  << QString(QStringLiteral("João d") + Escape + QStringLiteral("Ávila"));
}

void tst_modCode::trtf()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString argument = text;
    QCOMPARE(modCode::Trtf(argument), expected);
    QCOMPARE(argument, expected);
}

void tst_modCode::veryLongText()
{
    const TestLocale scope(QStringLiteral("comma"));
    const QString piece = QStringLiteral("d'Ávila ");
    const QString text = piece.repeated(20000);
    const QString literal = modCode::SqlLiteral(text, modCode::LiteralKind::TextOrNull);
    QCOMPARE(literal.count(Escape), 20000);
    QCOMPARE(literal.size(), text.trimmed().size() + 20000 * (Escape.size() - 1) + 2);
    QVERIFY(literal.startsWith(QStringLiteral("'d") + Escape));
    QVERIFY(literal.endsWith(QStringLiteral("Ávila'")));
}

void tst_modCode::isLocaleNumeric_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("comma: grouped") << "comma"
                                    << "1.234,5" << true;
    QTest::newRow("comma: point taken as decimal") << "comma"
                                                   << "12.5" << true;
    QTest::newRow("comma: two points") << "comma"
                                       << "1.2.3" << false;
    QTest::newRow("comma: letters") << "comma"
                                    << "abc" << false;
    QTest::newRow("point: grouped") << "point"
                                    << "1,234.5" << true;
    QTest::newRow("point: comma taken as decimal") << "point"
                                                   << "12,5" << true;
    QTest::newRow("plain-point: comma taken as decimal") << "plain-point"
                                                         << "12,5" << true;
}

void tst_modCode::isLocaleNumeric()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const TestLocale scope(locale);
    QCOMPARE(modCode::IsLocaleNumeric(text), expected);
}

// The separators are read once per run: a locale changed afterwards is not
// seen by the numeric test, while the separator queries see it at once.
void tst_modCode::cachesOutliveALocaleSwitch()
{
    {
        const TestLocale comma(QStringLiteral("comma"));
        QVERIFY(modCode::IsLocaleNumeric(QStringLiteral("12.5")));
    }
    const TestLocale plainPoint(QStringLiteral("plain-point"));
    QCOMPARE(modCode::DecimalSeparator(), QStringLiteral("."));
    QCOMPARE(modCode::ThousandSeparator(), QString());
    // "12.5" is made "12,5" with the cached comma, which a point locale without grouping cannot read.
    QVERIFY(!modCode::IsLocaleNumeric(QStringLiteral("12.5")));
    QCOMPARE(modCode::SqlLiteral(QStringLiteral("12.5"), modCode::LiteralKind::Number), QStringLiteral("null"));
    modCode::resetSeparatorCaches();
    QVERIFY(modCode::IsLocaleNumeric(QStringLiteral("12.5")));
    QCOMPARE(modCode::SqlLiteral(QStringLiteral("12.5"), modCode::LiteralKind::Number), QStringLiteral("12.5"));
}

QTEST_MAIN(tst_modCode)
#include "tst_modCode.moc"
