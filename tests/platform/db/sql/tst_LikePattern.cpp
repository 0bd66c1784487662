#include "platform/db/sql/LikePattern.h"
#include "platform/db/sql/TextFolding.h"

#include <QTest>

// The server's LIKE rules, ignoring case and accents, as the name search needs.
class tst_LikePattern : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void equalityIgnoresCaseAccentsAndTrailingBlanks_data();
    void equalityIgnoresCaseAccentsAndTrailingBlanks();
};

void tst_LikePattern::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("escape");
    QTest::addColumn<bool>("expected");

    QTest::newRow("plain accentless finds accented") << u"José Magalhães"_qs << u"%jose%"_qs << QString() << true;
    QTest::newRow("upper with tilde finds mixed") << u"João Sá"_qs << u"%JOÃO%"_qs << QString() << true;
    QTest::newRow("cedilla ignored") << u"Conceição Simões"_qs << u"%conceicao%simoes%"_qs << QString() << true;
    QTest::newRow("accent in pattern, none in text") << u"Jose Silva"_qs << u"%josé%"_qs << QString() << true;
    QTest::newRow("typed words in order") << u"Maria da Silva"_qs << u"%maria%%silva%"_qs << QString() << true;
    QTest::newRow("typed words out of order") << u"Maria da Silva"_qs << u"%silva%maria%"_qs << QString() << false;
    QTest::newRow("apostrophe in name") << u"João O'Neil"_qs << u"%o'neil%"_qs << QString() << true;
    QTest::newRow("match everything") << u"Rui"_qs << u"%%"_qs << QString() << true;
    QTest::newRow("empty text, all pattern") << QString() << u"%"_qs << QString() << true;
    QTest::newRow("no wildcard must be whole") << u"Ana Costa"_qs << u"ana"_qs << QString() << false;
    QTest::newRow("underscore is one character") << u"Ana"_qs << u"A_a"_qs << QString() << true;
    QTest::newRow("underscore is not zero characters") << u"Aa"_qs << u"A_a"_qs << QString() << false;
    QTest::newRow("underscore takes an accented letter") << u"Sá"_qs << u"S_"_qs << QString() << true;
    QTest::newRow("set matches one of") << u"Sousa"_qs << u"[rst]ousa"_qs << QString() << true;
    QTest::newRow("set misses") << u"Lousa"_qs << u"[rst]ousa"_qs << QString() << false;
    QTest::newRow("range") << u"Costa"_qs << u"[a-f]osta"_qs << QString() << true;
    QTest::newRow("range misses") << u"Rosta"_qs << u"[a-f]osta"_qs << QString() << false;
    QTest::newRow("range ignores case and accent") << u"Élia"_qs << u"[a-f]lia"_qs << QString() << true;
    QTest::newRow("negated set") << u"Bia"_qs << u"[^x]ia"_qs << QString() << true;
    QTest::newRow("negated set misses") << u"Xia"_qs << u"[^x]ia"_qs << QString() << false;
    QTest::newRow("bracketed percent is literal") << u"50%"_qs << u"50[%]"_qs << QString() << true;
    QTest::newRow("bracketed percent not a wildcard") << u"500"_qs << u"50[%]"_qs << QString() << false;
    QTest::newRow("bracketed underscore is literal") << u"a_b"_qs << u"a[_]b"_qs << QString() << true;
    QTest::newRow("unclosed bracket is literal") << u"a[b"_qs << u"a[b"_qs << QString() << true;
    QTest::newRow("escape makes percent literal") << u"10%"_qs << u"10!%"_qs << u"!"_qs << true;
    QTest::newRow("escaped percent is not a run") << u"100"_qs << u"10!%"_qs << u"!"_qs << false;
    QTest::newRow("pattern needs every character of the text") << u"Ana"_qs << u"%a%n%a%"_qs << QString() << true;
    QTest::newRow("pattern needs more than the text has") << u"Ana"_qs << u"%a%n%a%_%"_qs << QString() << false;
    QTest::newRow("backtracking across many runs")
        << u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab"_qs << u"%a%a%a%a%a%a%a%a%a%c"_qs << QString() << false;
}

void tst_LikePattern::matches()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, escape);
    QFETCH(bool, expected);
    QCOMPARE(platform::sql::matchesLike(text, pattern, escape.isEmpty() ? QChar() : escape.at(0)), expected);
}

void tst_LikePattern::equalityIgnoresCaseAccentsAndTrailingBlanks_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("equal");
    QTest::newRow("case") << u"SILVA"_qs << u"silva"_qs << true;
    QTest::newRow("accents") << u"Estêvão"_qs << u"estevao"_qs << true;
    QTest::newRow("trailing blanks") << u"1234  "_qs << u"1234"_qs << true;
    QTest::newRow("leading blanks count") << u" 1234"_qs << u"1234"_qs << false;
    QTest::newRow("different letters") << u"Sousa"_qs << u"Souza"_qs << false;
    QTest::newRow("longer text is not equal") << u"1234"_qs << u"1234'"_qs << false;
    QTest::newRow("long upper run, signs beside A and Z kept")
        << u"ZACARIAS@[`{QUINTELA"_qs << u"zacarias@[`{quintela"_qs << true;
    QTest::newRow("at sign is not a grave accent") << u"ABCDEFG@"_qs << u"abcdefg`"_qs << false;
    QTest::newRow("bracket is not a brace") << u"ABCDEFG[Z"_qs << u"abcdefg{z"_qs << false;
    QTest::newRow("precomposed and decomposed") << u"Jos\u00e9"_qs << u"Jose\u0301"_qs << true;
}

void tst_LikePattern::equalityIgnoresCaseAccentsAndTrailingBlanks()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, equal);
    QCOMPARE(platform::sql::compareIgnoringCaseAndAccents(left, right) == 0, equal);
}

QTEST_APPLESS_MAIN(tst_LikePattern)
#include "tst_LikePattern.moc"
