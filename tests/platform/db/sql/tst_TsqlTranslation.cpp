#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sql/TsqlTranslation.h"
#include "platform/runtime/RuntimeError.h"

#include <QTest>

using platform::sql::translateTsql;

// The text the desk's statements become on the embedded database.
class tst_TsqlTranslation : public QObject
{
    Q_OBJECT

private slots:
    void translates_data();
    void translates();
    void refusesUndeclaredVariables_data();
    void refusesUndeclaredVariables();
    void tokensGiveBackTheText_data();
    void tokensGiveBackTheText();
};

void tst_TsqlTranslation::translates_data()
{
    QTest::addColumn<QString>("tsql");
    QTest::addColumn<QString>("sqlite");

    QTest::newRow("statement without any construct")
        << u"SELECT * FROM vwAssociados_Completos WHERE no_empresa = '1234'"_qs
        << u"SELECT * FROM vwAssociados_Completos WHERE no_empresa = '1234'"_qs;
    QTest::newRow("quote escaped by CHAR") << u"SELECT 'O' + CHAR(39) + 'Neil'"_qs << u"SELECT 'O''Neil'"_qs;
    QTest::newRow("name pattern with an escaped quote")
        << u"SELECT * FROM v WHERE nome_union like '%O' + CHAR(39) + 'Neil%Silva%'"_qs
        << u"SELECT * FROM v WHERE nome_union like '%O''Neil%Silva%'"_qs;
    QTest::newRow("fifteen escaped quotes make one literal")
        << u"SELECT * FROM v WHERE nome_union like '%"_qs + QString(u"' + CHAR(39) + '"_qs).repeated(15) + u"%'"_qs
        << u"SELECT * FROM v WHERE nome_union like '%"_qs + QString(30, u'\'') + u"%'"_qs;
    QTest::newRow("texts after a number still add to it")
        << u"SELECT 1 + '2' + '3'"_qs << u"SELECT velunas_plus(velunas_plus(1, '2'), '3')"_qs;
    QTest::newRow("text bound to a product is not joined")
        << u"SELECT 'a' + 'b' * 2"_qs << u"SELECT velunas_plus('a', 'b' * 2)"_qs;
    QTest::newRow("CHAR of a code page is not joined")
        << u"SELECT 'a' + CHAR(200)"_qs << u"SELECT velunas_plus('a', CHAR(200))"_qs;
    QTest::newRow("NUL in a literal written as its bytes")
        << u"VALUES ('a' + CHAR(39) + '"_qs + QChar(0) + u"b')"_qs << u"VALUES (CAST(X'61270062' AS TEXT))"_qs;
    QTest::newRow("multiplication binds tighter") << u"SELECT a + b * c"_qs << u"SELECT velunas_plus(a, b * c)"_qs;
    QTest::newRow("left to right with minus") << u"SELECT a - b + c"_qs << u"SELECT velunas_plus(a - b, c)"_qs;
    QTest::newRow("minus after plus") << u"SELECT a + b - c"_qs << u"SELECT velunas_plus(a, b) - c"_qs;
    QTest::newRow("unary minus operand") << u"SELECT -a + 2"_qs << u"SELECT velunas_plus(-a, 2)"_qs;
    QTest::newRow("comparison ends the operand")
        << u"SELECT 1 WHERE x + 1 = y + 2"_qs << u"SELECT 1 WHERE velunas_plus(x, 1) = velunas_plus(y, 2)"_qs;
    QTest::newRow("inside parentheses") << u"SELECT (a + b) * 2"_qs << u"SELECT (velunas_plus(a, b)) * 2"_qs;
    QTest::newRow("function argument and dotted name")
        << u"SELECT UPPER(t.nome + ' x'), MAX(convite_no) + 1 AS n"_qs
        << u"SELECT UPPER(velunas_plus(t.nome, ' x')), velunas_plus(MAX(convite_no), 1) AS n"_qs;
    QTest::newRow("bracketed names are operands")
        << u"SELECT [no socio] + [a+b] FROM [tb]"_qs << u"SELECT velunas_plus([no socio], [a+b]) FROM [tb]"_qs;
    QTest::newRow("CASE is one operand") << u"SELECT CASE WHEN a = 1 THEN 'x' + 'y' END + 'z'"_qs
                                         << u"SELECT velunas_plus(CASE WHEN a = 1 THEN 'xy' END, 'z')"_qs;
    QTest::newRow("plus inside a literal") << u"SELECT 'a + b', \"c+d\""_qs << u"SELECT 'a + b', \"c+d\""_qs;
    QTest::newRow("dashes inside a literal")
        << u"SELECT '--not a comment' + x"_qs << u"SELECT velunas_plus('--not a comment', x)"_qs;
    QTest::newRow("at signs inside a literal") << u"SELECT '@@TRANCOUNT @x'"_qs << u"SELECT '@@TRANCOUNT @x'"_qs;
    QTest::newRow("doubled quote inside a literal")
        << u"SELECT 'D''Ávila + x' + y"_qs << u"SELECT velunas_plus('D''Ávila + x', y)"_qs;
    QTest::newRow("comment inside a sum dropped, its @ ignored")
        << u"SELECT 1 -- a + b @x\n+ 2"_qs << u"SELECT velunas_plus(1, 2)"_qs;
    QTest::newRow("block comment left alone") << u"SELECT /* @@x + y */ 1"_qs << u"SELECT /* @@x + y */ 1"_qs;
    QTest::newRow("transaction count probe")
        << u"SELECT @@TRANCOUNT as flTrans"_qs
        << u"SELECT velunas_trancount((SELECT count(*) FROM sqlite_master)) as flTrans"_qs;
    QTest::newRow("getdate passes as a call") << u"VALUES (1,2, GETDATE(), 3)"_qs << u"VALUES (1,2, GETDATE(), 3)"_qs;
    QTest::newRow("convert a date") << u"SELECT CONVERT(DATETIME,'2014-05-31',102)"_qs
                                    << u"SELECT velunas_convert('DATETIME','2014-05-31',102)"_qs;
    QTest::newRow("convert a date and time")
        << u"WHERE data >= CONVERT(DATETIME,'2014-05-31 14:05:09',102)"_qs
        << u"WHERE data >= velunas_convert('DATETIME','2014-05-31 14:05:09',102)"_qs;
    QTest::newRow("convert with a length")
        << u"SELECT CONVERT( varchar (10) , x)"_qs << u"SELECT velunas_convert('VARCHAR(10)', x)"_qs;
    QTest::newRow("convert without type passes") << u"SELECT CONVERT(x)"_qs << u"SELECT CONVERT(x)"_qs;
    QTest::newRow("subset outside passes unchanged")
        << u"SELECT TOP 1 * FROM t ORDER BY a DESC"_qs << u"SELECT TOP 1 * FROM t ORDER BY a DESC"_qs;
    QTest::newRow("unclosed parenthesis") << u"SELECT (a + b"_qs << u"SELECT (velunas_plus(a, b)"_qs;
    QTest::newRow("plus without right operand") << u"SELECT a +"_qs << u"SELECT a +"_qs;
}

void tst_TsqlTranslation::translates()
{
    QFETCH(QString, tsql);
    QFETCH(QString, sqlite);
    QCOMPARE(translateTsql(tsql), sqlite);
}

void tst_TsqlTranslation::refusesUndeclaredVariables_data()
{
    QTest::addColumn<QString>("tsql");
    QTest::addColumn<QString>("variable");
    QTest::newRow("named variable") << u"SELECT * FROM t WHERE a = @id"_qs << u"@id"_qs;
    QTest::newRow("other global variable") << u"SELECT @@IDENTITY"_qs << u"@@IDENTITY"_qs;
    QTest::newRow("variable in a call") << u"SELECT UPPER(@nome)"_qs << u"@nome"_qs;
}

void tst_TsqlTranslation::refusesUndeclaredVariables()
{
    QFETCH(QString, tsql);
    QFETCH(QString, variable);
    try {
        translateTsql(tsql);
        QFAIL("an undeclared variable was let through");
    } catch (const platform::RuntimeError &error) {
        QVERIFY2(error.description().contains(variable), qPrintable(error.description()));
    }
}

void tst_TsqlTranslation::tokensGiveBackTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("unterminated literal") << u"SELECT 'abc"_qs;
    QTest::newRow("unterminated bracket") << u"SELECT [abc"_qs;
    QTest::newRow("mixed") << u"SELECT [a]]b], 'c''d', 1.5e3, @@x -- e\n/* f */ N'g' <> 2"_qs;
}

void tst_TsqlTranslation::tokensGiveBackTheText()
{
    QFETCH(QString, text);
    QString joined;
    for (const auto &token : platform::sql::tokenize(text))
        joined += token.text;
    QCOMPARE(joined, text);
}

QTEST_APPLESS_MAIN(tst_TsqlTranslation)
#include "tst_TsqlTranslation.moc"
