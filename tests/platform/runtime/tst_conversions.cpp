#include "platform/runtime/Conversions.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RuntimeError.h"
#include "tests/support/TestLocale.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using platform::RuntimeError;
using testsupport::TestLocale;

namespace {
QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

// The error number a call raised, 0 when it raised none.
template <typename Call> int errorOf(Call call)
{
    try {
        call();
        return 0;
    } catch (const RuntimeError &error) {
        return error.number();
    }
}
} // namespace

class tst_conversions : public QObject
{
    Q_OBJECT

private slots:
    void isNumeric_data();
    void isNumeric();
    void cLng_data();
    void cLng();
    void cSng_data();
    void cSng();
    void cStr_data();
    void cStr();
    void readDate_data();
    void readDate();
    void cDateOfValue_data();
    void cDateOfValue();
    void round_data();
    void round();
    void format_data();
    void format();
    void systemLocale_data();
    void systemLocale();
};

void tst_conversions::isNumeric_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("expected");
    auto row = [](const char *name, const char *locale, const QVariant &value, bool expected) {
        QTest::newRow(name) << QString::fromLatin1(locale) << value << expected;
    };
    row("comma: decimal comma", "comma", QStringLiteral("12,5"), true);
    row("comma: grouping and decimal", "comma", QStringLiteral("1.234,5"), true);
    row("comma: surrounding blanks", "comma", QStringLiteral("  12,5 \t"), true);
    row("comma: leading minus", "comma", QStringLiteral("-12,5"), true);
    row("comma: leading plus", "comma", QStringLiteral("+12,5"), true);
    row("comma: blank after sign", "comma", QStringLiteral("- 12,5"), true);
    row("comma: exponent", "comma", QStringLiteral("1,5E3"), true);
    row("comma: negative exponent", "comma", QStringLiteral("1e-5"), true);
    row("comma: no integer digits", "comma", QStringLiteral(",5"), true);
    row("comma: two decimal marks", "comma", QStringLiteral("12,5,3"), false);
    row("comma: grouping after decimal", "comma", QStringLiteral("1,5.3"), false);
    row("comma: grouping alone", "comma", QStringLiteral("."), false);
    row("comma: letters", "comma", QStringLiteral("abc"), false);
    row("comma: trailing letter", "comma", QStringLiteral("12a"), false);
    row("comma: blank inside", "comma", QStringLiteral("1 2"), false);
    row("comma: two signs", "comma", QStringLiteral("--5"), false);
    row("comma: trailing minus", "comma", QStringLiteral("5-"), false);
    row("comma: exponent without digits", "comma", QStringLiteral("1E"), false);
    row("comma: exponent letter D", "comma", QStringLiteral("1D3"), false);
    row("comma: too large for a double", "comma", QStringLiteral("1E400"), false);
    row("comma: empty", "comma", QString(), false);
    row("comma: only blanks", "comma", QStringLiteral("   "), false);
    row("point: decimal point", "point", QStringLiteral("12.5"), true);
    row("point: grouping and decimal", "point", QStringLiteral("1,234.5"), true);
    row("point: two decimal marks", "point", QStringLiteral("12.5.3"), false);
    row("plain-point: no grouping allowed", "plain-point", QStringLiteral("1,234"), false);
    row("null", "comma", QVariant(), false);
    row("truth value", "comma", true, true);
    row("double", "comma", 3.5, true);
    row("date", "comma", at(2014, 5, 31), false);
}

void tst_conversions::isNumeric()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(bool, expected);
    const TestLocale scope(locale);
    QCOMPARE(platform::IsNumeric(value), expected);
}

void tst_conversions::cLng_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("error");
    auto row = [](const char *name, const char *locale, const QVariant &value, int expected, int error = 0) {
        QTest::newRow(name) << QString::fromLatin1(locale) << value << expected << error;
    };
    row("half rounds to even down", "comma", 2.5, 2);
    row("half rounds to even up", "comma", 3.5, 4);
    row("negative half to even", "comma", -2.5, -2);
    row("negative half to even away", "comma", -3.5, -4);
    row("just below half", "comma", 2.4999, 2);
    row("largest", "comma", 2147483647.4, 2147483647);
    row("above largest after rounding", "comma", 2147483647.5, 0, platform::ErrorNumber::Overflow);
    row("smallest by rounding to even", "comma", -2147483648.5, -2147483647 - 1);
    row("below smallest", "comma", -2147483649.0, 0, platform::ErrorNumber::Overflow);
    row("big integer", "comma", QVariant(qlonglong(3000000000LL)), 0, platform::ErrorNumber::Overflow);
    row("comma: decimal text", "comma", QStringLiteral("12,5"), 12);
    row("comma: grouped text", "comma", QStringLiteral("1.234,6"), 1235);
    row("point: decimal text", "point", QStringLiteral("13.5"), 14);
    row("text too large", "comma", QStringLiteral("1E400"), 0, platform::ErrorNumber::Overflow);
    row("not a number", "comma", QStringLiteral("abc"), 0, platform::ErrorNumber::TypeMismatch);
    row("empty text", "comma", QString(), 0, platform::ErrorNumber::TypeMismatch);
    row("null", "comma", QVariant(), 0, 94);
    row("true", "comma", true, -1);
    row("date as its day serial", "comma", at(2014, 5, 31, 12), 41790);
}

void tst_conversions::cLng()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QFETCH(int, error);
    const TestLocale scope(locale);
    qint32 result = 0;
    QCOMPARE(errorOf([&] { result = platform::CLng(value); }), error);
    if (error == 0)
        QCOMPARE(result, expected);
}

void tst_conversions::cSng_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<float>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("comma text") << QVariant(QStringLiteral("0,1")) << 0.1f << 0;
    QTest::newRow("beyond single range") << QVariant(QStringLiteral("1E39")) << 0.0f << 6;
    QTest::newRow("largest double") << QVariant(1e308) << 0.0f << 6;
}

void tst_conversions::cSng()
{
    QFETCH(QVariant, value);
    QFETCH(float, expected);
    QFETCH(int, error);
    const TestLocale scope(QStringLiteral("comma"));
    float result = 0;
    QCOMPARE(errorOf([&] { result = platform::CSng(value); }), error);
    if (error == 0)
        QCOMPARE(result, expected);
}

void tst_conversions::cStr_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    auto row = [](const char *name, const char *locale, const QVariant &value, const QString &expected) {
        QTest::newRow(name) << QString::fromLatin1(locale) << value << expected;
    };
    row("comma: decimal", "comma", 12.5, QStringLiteral("12,5"));
    row("point: decimal", "point", 12.5, QStringLiteral("12.5"));
    row("comma: never grouped", "comma", 1234567.5, QStringLiteral("1234567,5"));
    row("fifteen digits", "comma", 0.1 + 0.2, QStringLiteral("0,3"));
    row("a third", "point", 1.0 / 3.0, QStringLiteral("0.333333333333333"));
    row("large exponent", "comma", 1e20, QStringLiteral("1E+20"));
    row("small exponent", "comma", 1e-5, QStringLiteral("1E-05"));
    row("negative zero", "comma", -0.0, QStringLiteral("0"));
    row("single shows seven digits", "comma", QVariant(0.1f), QStringLiteral("0,1"));
    row("big integer keeps its digits", "comma", QVariant(qlonglong(9007199254740993LL)),
        QStringLiteral("9007199254740993"));
    row("true", "comma", true, QStringLiteral("True"));
    row("false", "comma", false, QStringLiteral("False"));
    row("date at midnight", "comma", at(2014, 5, 31), QStringLiteral("31-05-2014"));
    row("date with time", "comma", at(2014, 5, 31, 10, 30), QStringLiteral("31-05-2014 10:30:00"));
    row("date only", "comma", QDate(2014, 5, 31), QStringLiteral("31-05-2014"));
    row("null", "comma", QVariant(), QString());
    row("unicode text", "comma", QStringLiteral("D'Ávila 李"), QStringLiteral("D'Ávila 李"));
}

void tst_conversions::cStr()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    const TestLocale scope(locale);
    QCOMPARE(platform::CStr(value), expected);
}

void tst_conversions::readDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // invalid: not a date
    auto row = [](const char *name, const QString &text, const QDateTime &expected) {
        QTest::newRow(name) << text << expected;
    };
    row("hyphens", QStringLiteral("31-05-2014"), at(2014, 5, 31));
    row("slashes", QStringLiteral("31/05/2014"), at(2014, 5, 31));
    row("dots", QStringLiteral("31.05.2014"), at(2014, 5, 31));
    row("hours and minutes", QStringLiteral("31-05-2014 10:30"), at(2014, 5, 31, 10, 30));
    row("with seconds", QStringLiteral("31-05-2014 10:30:15"), at(2014, 5, 31, 10, 30, 15));
    row("blanks around and between", QStringLiteral("  31-05-2014   10:30 "), at(2014, 5, 31, 10, 30));
    row("single digits", QStringLiteral("1-1-1900"), at(1900, 1, 1));
    row("year first", QStringLiteral("2014-05-31"), at(2014, 5, 31));
    row("two-digit year of this century", QStringLiteral("31-05-14"), at(2014, 5, 31));
    row("two-digit year of the last", QStringLiteral("31-05-45"), at(1945, 5, 31));
    row("time alone is on day zero", QStringLiteral("10:30"), at(1899, 12, 30, 10, 30));
    row("day past month end", QStringLiteral("31-02-2014"), QDateTime());
    row("month thirteen", QStringLiteral("01-13-2014"), QDateTime());
    row("digits without separators", QStringLiteral("31052014"), QDateTime());
    row("a year alone", QStringLiteral("2014"), QDateTime());
    row("mixed separators", QStringLiteral("31-05/2014"), QDateTime());
    row("hour 25", QStringLiteral("31-05-2014 25:00"), QDateTime());
    row("empty date of a mask", QStringLiteral("__-__-____"), QDateTime());
    row("dashes only", QStringLiteral("- - -"), QDateTime());
    row("trailing word", QStringLiteral("31-05-2014 10:30 x"), QDateTime());
    row("decimal number", QStringLiteral("12.5"), QDateTime());
}

void tst_conversions::readDate()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const TestLocale scope(QStringLiteral("comma"));
    QCOMPARE(platform::IsDate(text), expected.isValid());
    QDateTime result;
    QCOMPARE(errorOf([&] { result = platform::CDate(text); }),
             expected.isValid() ? 0 : platform::ErrorNumber::TypeMismatch);
    if (expected.isValid())
        QVERIFY2(platform::SameDateTime(result, expected), qPrintable(result.toString(Qt::ISODate)));
}

void tst_conversions::cDateOfValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QDateTime>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("serial zero") << QVariant(0) << platform::ZeroDate() << 0;
    QTest::newRow("serial one") << QVariant(1) << at(1899, 12, 31) << 0;
    QTest::newRow("serial with noon") << QVariant(2.5) << at(1900, 1, 1, 12) << 0;
    QTest::newRow("before day zero") << QVariant(-1.25) << at(1899, 12, 29, 6) << 0;
    QTest::newRow("recent day") << QVariant(41790) << at(2014, 5, 31) << 0;
    QTest::newRow("past the year 9999") << QVariant(3e6) << QDateTime() << 6;
    QTest::newRow("null") << QVariant() << QDateTime() << 94;
    QTest::newRow("date only") << QVariant(QDate(2014, 5, 31)) << at(2014, 5, 31) << 0;
}

void tst_conversions::cDateOfValue()
{
    QFETCH(QVariant, value);
    QFETCH(QDateTime, expected);
    QFETCH(int, error);
    QDateTime result;
    QCOMPARE(errorOf([&] { result = platform::CDate(value); }), error);
    if (error == 0)
        QVERIFY2(platform::SameDateTime(result, expected), qPrintable(result.toString(Qt::ISODate)));
}

void tst_conversions::round_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("expected");
    QTest::newRow("half to even down") << 0.125 << 2 << 0.12;
    QTest::newRow("half to even up") << 0.135 << 2 << 0.14;
    QTest::newRow("three decimals even") << 1.2345 << 3 << 1.234;
    QTest::newRow("three decimals odd") << 1.2355 << 3 << 1.236;
    QTest::newRow("negative") << -1.2355 << 3 << -1.236;
    QTest::newRow("to a whole number") << 2.5 << 0 << 2.0;
    QTest::newRow("four decimals") << 1234.56789 << 4 << 1234.5679;
    QTest::newRow("carry through nines") << 9.9996 << 3 << 10.0;
}

void tst_conversions::round()
{
    QFETCH(double, number);
    QFETCH(int, decimals);
    QFETCH(double, expected);
    QCOMPARE(platform::Round(number, decimals), expected);
}

void tst_conversions::format_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    const QString amount = QStringLiteral("#,##0.00;- #,##0.00");
    const QString euro2 = QStringLiteral("€ #,##0.00;€ -#,##0.00");
    const QString euro3 = QStringLiteral("€ #,##0.000;€ -#,##0.000");
    const QString euro4 = QStringLiteral("€ #,##0.0000;€ -#,##0.0000");
    const QString percent = QStringLiteral("0.00 %");
    const QString whole = QStringLiteral("#,##0");
    const QDateTime moment = at(2014, 5, 31, 14, 5, 9);
    auto row = [](const char *name, const char *locale, const QVariant &value, const QString &pattern,
                  const QString &expected) {
        QTest::newRow(name) << QString::fromLatin1(locale) << value << pattern << expected;
    };
    row("comma: amount", "comma", 1234.5, amount, QStringLiteral("1.234,50"));
    row("point: amount", "point", 1234.5, amount, QStringLiteral("1,234.50"));
    row("plain-point: no grouping character", "plain-point", 1234.5, amount, QStringLiteral("1234.50"));
    row("comma: negative amount section", "comma", -1234.5, amount, QStringLiteral("- 1.234,50"));
    row("comma: zero amount", "comma", 0.0, amount, QStringLiteral("0,00"));
    row("comma: millions", "comma", 1234567.891, QStringLiteral("#,##0.00"), QStringLiteral("1.234.567,89"));
    row("comma: minus without negative section", "comma", -1234.5, QStringLiteral("#,##0.00"),
        QStringLiteral("-1.234,50"));
    row("comma: rounding carries into a group", "comma", 999.995, QStringLiteral("#,##0.00"),
        QStringLiteral("1.000,00"));
    row("comma: euro", "comma", 1234.5, euro2, QStringLiteral("€ 1.234,50"));
    row("comma: negative euro", "comma", -1234.5, euro2, QStringLiteral("€ -1.234,50"));
    row("comma: euro three decimals", "comma", 1.2345, euro3, QStringLiteral("€ 1,235"));
    row("comma: euro four decimals", "comma", 1.23456, euro4, QStringLiteral("€ 1,2346"));
    row("comma: three decimals", "comma", -0.5, QStringLiteral("#,##0.000;- #,##0.000"), QStringLiteral("- 0,500"));
    row("comma: percent", "comma", 0.125, percent, QStringLiteral("12,50 %"));
    row("point: percent", "point", 0.125, percent, QStringLiteral("12.50 %"));
    row("comma: grouped whole number", "comma", 12346, whole, QStringLiteral("12.346"));
    row("comma: whole number rounds half up", "comma", 2.5, whole, QStringLiteral("3"));
    row("comma: half rounds up to one", "comma", 0.5, whole, QStringLiteral("1"));
    row("comma: integer past double precision", "comma", QVariant(qlonglong(12345678901234567LL)), whole,
        QStringLiteral("12.345.678.901.234.567"));
    row("comma: numeric text", "comma", QStringLiteral("1234,5"), amount, QStringLiteral("1.234,50"));
    row("comma: other text unchanged", "comma", QStringLiteral("abc"), amount, QStringLiteral("abc"));
    row("comma: quoted and escaped literals", "comma", 5.0, QStringLiteral("\"n.\" 0\\%"), QStringLiteral("n. 5%"));
    row("date", "comma", moment, QStringLiteral("dd-mm-yyyy"), QStringLiteral("31-05-2014"));
    row("date and minutes", "comma", moment, QStringLiteral("dd-mm-yyyy Hh:Nn"), QStringLiteral("31-05-2014 14:05"));
    row("date and seconds", "comma", moment, QStringLiteral("dd-mm-yyyy Hh:Nn:Ss"),
        QStringLiteral("31-05-2014 14:05:09"));
    row("year first", "comma", moment, QStringLiteral("yyyy-mm-dd"), QStringLiteral("2014-05-31"));
    row("year first with time", "comma", moment, QStringLiteral("yyyy-mm-dd Hh:Nn:Ss"),
        QStringLiteral("2014-05-31 14:05:09"));
    row("mm after an hour is minutes", "comma", moment, QStringLiteral("hh:mm"), QStringLiteral("14:05"));
    row("single places", "comma", at(2014, 5, 3, 4, 5), QStringLiteral("d-m-yy h:n"), QStringLiteral("3-5-14 4:5"));
    row("date text", "comma", QStringLiteral("31-05-2014 10:30"), QStringLiteral("yyyy-mm-dd Hh:Nn:Ss"),
        QStringLiteral("2014-05-31 10:30:00"));
    row("text that is no date unchanged", "comma", QStringLiteral("abc"), QStringLiteral("dd-mm-yyyy"),
        QStringLiteral("abc"));
    row("number text is no date", "comma", QStringLiteral("12345"), QStringLiteral("dd-mm-yyyy"),
        QStringLiteral("12345"));
    row("number as a day serial", "comma", 41790, QStringLiteral("dd-mm-yyyy"), QStringLiteral("31-05-2014"));
    row("dot-time: system time separator", "dot-time", moment, QStringLiteral("dd-mm-yyyy Hh:Nn"),
        QStringLiteral("31-05-2014 14.05"));
    row("dot-time: escaped colon stays", "dot-time", moment, QStringLiteral("Hh\\:Nn"), QStringLiteral("14:05"));
    row("null", "comma", QVariant(), amount, QString());
}

void tst_conversions::format()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    const TestLocale scope(locale);
    QCOMPARE(platform::Format(value, pattern), expected);
}

// The separators of the user's locale, as the environment names it: the
// locales are built into a folder of their own, as none but C is installed.
void tst_conversions::systemLocale_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("lcNumeric");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("thousand");
    const QString german = QStringLiteral("de_DE.UTF-8");
    const QString american = QStringLiteral("en_US.UTF-8");
    QTest::newRow("LANG alone") << QString() << QString() << german << ","
                                << ".";
    QTest::newRow("LC_NUMERIC over LANG") << QString() << american << german << "."
                                          << ",";
    QTest::newRow("LC_ALL over LC_NUMERIC") << german << american << american << ","
                                            << ".";
    QTest::newRow("C locale") << QStringLiteral("C") << QString() << QString() << "."
                              << "";
}

void tst_conversions::systemLocale()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, lcNumeric);
    QFETCH(QString, lang);
    QFETCH(QString, decimal);
    QFETCH(QString, thousand);
    static QTemporaryDir locales;
    static bool built = false;
    if (!built) {
        for (const auto &[source, name] : {std::pair{"de_DE", "de_DE.UTF-8"}, std::pair{"en_US", "en_US.UTF-8"}}) {
            const int exitCode = QProcess::execute(QStringLiteral("localedef"),
                                                   {QStringLiteral("-i"), QLatin1String(source), QStringLiteral("-f"),
                                                    QStringLiteral("UTF-8"), locales.filePath(QLatin1String(name))});
            if (exitCode != 0)
                QSKIP("localedef cannot build the test locales here");
        }
        built = true;
    }
    // A helper process sees exactly this environment, as the desk would at start.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LOCPATH"), locales.path());
    // The C library keeps a few bytes of every LOCPATH lookup; the sanitizer
    // build must not count them as the desk's.
    QFile suppressions(locales.filePath(QStringLiteral("leaks.supp")));
    QVERIFY(suppressions.open(QIODevice::WriteOnly) && suppressions.write("leak:__argz_add_sep\n") > 0);
    suppressions.close();
    environment.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=") + suppressions.fileName());
    for (const auto &[name, value] :
         {std::pair{"LC_ALL", lcAll}, std::pair{"LC_NUMERIC", lcNumeric}, std::pair{"LANG", lang}}) {
        environment.remove(QLatin1String(name));
        if (!value.isEmpty())
            environment.insert(QLatin1String(name), value);
    }
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QCoreApplication::applicationDirPath() + QStringLiteral("/locale_probe"));
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitCode(), 0);
    const QStringList answer = QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('|'));
    QCOMPARE(answer.value(0), decimal);
    QCOMPARE(answer.value(1), thousand);
    QCOMPARE(answer.value(2), QStringLiteral(":"));
}

QTEST_GUILESS_MAIN(tst_conversions)
#include "tst_conversions.moc"
