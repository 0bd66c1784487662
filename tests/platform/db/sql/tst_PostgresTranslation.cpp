#include "platform/db/sql/PostgresTranslation.h"

#include <QtTest>

using platform::translateForPostgres;

class PostgresTranslationTest : public QObject
{
    Q_OBJECT

private slots:
    void translates_data();
    void translates();
};

void PostgresTranslationTest::translates_data()
{
    QTest::addColumn<QString>("tsql");
    QTest::addColumn<QString>("postgres");

    QTest::newRow("connection probe") << QStringLiteral("SELECT @@TRANCOUNT as flTrans")
                                      << QStringLiteral("SELECT 0 as flTrans");
    QTest::newRow("number search untouched")
        << QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE no_empresa = '1234'")
        << QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE no_empresa = '1234'");
    QTest::newRow("name search blind to case and accents")
        << QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE nome_union like '%maria%%silva%'")
        << QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE velunas_fold(nome_union) LIKE "
                          "'%maria%silva%'");
    QTest::newRow("pattern with an apostrophe")
        << QStringLiteral("SELECT * FROM v WHERE nome_union like '%O' + CHAR(39) + 'Neil%Silva%' ORDER BY nome")
        << QStringLiteral("SELECT * FROM v WHERE velunas_fold(nome_union) LIKE '%o''neil%silva%' ORDER BY nome");
    QTest::newRow("fifteen escaped quotes make one literal")
        << QStringLiteral("SELECT 1 FROM v WHERE a like '%") + QStringLiteral("' + CHAR(39) + '").repeated(15) +
               QStringLiteral("%'")
        << QStringLiteral("SELECT 1 FROM v WHERE velunas_fold(a) LIKE '%") + QString(30, u'\'') + QStringLiteral("%'");
    QTest::newRow("text joined to a column")
        << QStringLiteral("SELECT nome + CHAR(39) + 'x' as t") << QStringLiteral("SELECT nome || CHR(39) || 'x' as t");
    QTest::newRow("NUL, which a text cannot hold, replaced")
        << QStringLiteral("SELECT 'a") + QChar(0) + QStringLiteral("b' as t")
        << QStringLiteral("SELECT 'a") + QChar(QChar::ReplacementCharacter) + QStringLiteral("b' as t");
    QTest::newRow("qualified subject, NOT LIKE, inside parentheses")
        << QStringLiteral("SELECT 1 FROM v a WHERE (a.nome NOT LIKE 'x%') AND b = 2")
        << QStringLiteral("SELECT 1 FROM v a WHERE (velunas_fold(a.nome) NOT LIKE 'x%') AND b = 2");
    QTest::newRow("delivery insert")
        << QStringLiteral(
               "INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, empresa, email) "
               "VALUES (17,1, GETDATE(), 5,'1234','O' + CHAR(39) + 'Neil',null,'')")
        << QStringLiteral(
               "INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, empresa, email) "
               "VALUES (17,1, LOCALTIMESTAMP, 5,'1234','O''Neil',null,'')");
    QTest::newRow("own escape read here")
        << QStringLiteral("SELECT 1 FROM t WHERE a LIKE '5!%' ESCAPE '!' AND b = 1")
        << QStringLiteral("SELECT 1 FROM t WHERE velunas_fold(a) LIKE '5\\%' AND b = 1");
    QTest::newRow("set sent as SIMILAR TO, its signs escaped")
        << QStringLiteral("SELECT 1 FROM t WHERE a LIKE '[JG]os_ (x)%'")
        << QStringLiteral("SELECT 1 FROM t WHERE velunas_fold(a) SIMILAR TO '[jg]os_ \\(x\\)%'");
    QTest::newRow("bracketed wildcards and backslash")
        << QStringLiteral("SELECT 1 FROM t WHERE a LIKE '50[%]\\x[_]'")
        << QStringLiteral("SELECT 1 FROM t WHERE velunas_fold(a) LIKE '50\\%\\\\x\\_'");
    QTest::newRow("pattern from a column folded on the server")
        << QStringLiteral("SELECT 1 FROM t WHERE a LIKE b")
        << QStringLiteral("SELECT 1 FROM t WHERE velunas_fold(a) LIKE like_escape(velunas_fold(b), '')");
    QTest::newRow("numbers still add") << QStringLiteral("SELECT MAX(convite_no) + 1 as n FROM t WHERE a = b + 2")
                                       << QStringLiteral("SELECT MAX(convite_no) + 1 as n FROM t WHERE a = b + 2");
    QTest::newRow("dates") << QStringLiteral(
                                  "SELECT * FROM t WHERE data >= CONVERT(DATETIME,'2014-05-31 14:05:09',102)")
                           << QStringLiteral("SELECT * FROM t WHERE data >= CAST('2014-05-31 14:05:09' AS TIMESTAMP)");
    QTest::newRow("literals are not rewritten")
        << QStringLiteral("SELECT 'GETDATE() + CHAR(39) like @@TRANCOUNT [x]' as t")
        << QStringLiteral("SELECT 'GETDATE() + CHAR(39) like @@TRANCOUNT [x]' as t");
    QTest::newRow("doubled quote inside a literal") << QStringLiteral("SELECT 'it''s + GETDATE()' + 'x' as t")
                                                    << QStringLiteral("SELECT 'it''s + GETDATE()x' as t");
    QTest::newRow("comment with an apostrophe")
        << QStringLiteral("SELECT 1 + 2 -- the desk's own\nFROM t WHERE a like 'b'")
        << QStringLiteral("SELECT 1 + 2 -- the desk's own\nFROM t WHERE velunas_fold(a) LIKE 'b'");
    QTest::newRow("bracketed names") << QStringLiteral("SELECT [nome], [Data de Entrega] FROM [tbVelunas]")
                                     << QStringLiteral("SELECT nome, \"Data de Entrega\" FROM tbVelunas");
    QTest::newRow("unicode literal prefix")
        << QStringLiteral("SELECT N'João' as n") << QStringLiteral("SELECT 'João' as n");
}

void PostgresTranslationTest::translates()
{
    QFETCH(QString, tsql);
    QFETCH(QString, postgres);
    QCOMPARE(translateForPostgres(tsql), postgres);
}

QTEST_GUILESS_MAIN(PostgresTranslationTest)
#include "tst_PostgresTranslation.moc"
