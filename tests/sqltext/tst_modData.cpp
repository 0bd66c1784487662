#include "platform/db/access/Recordset.h"
#include "sqltext/modData.h"
#include "tests/support/TestLocale.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

using testsupport::TestLocale;

namespace {
// One member row as the picker reads it, with a field of each kind.
platform::Recordset memberRow()
{
    platform::ResultTable table;
    table.columns = {QStringLiteral("no_empresa"), QStringLiteral("nome_union"),    QStringLiteral("email"),
                     QStringLiteral("valor"),      QStringLiteral("divida"),        QStringLiteral("taxa"),
                     QStringLiteral("entrega"),    QStringLiteral("entrega_texto"), QStringLiteral("grande")};
    table.rows.append({12345, QStringLiteral("Ana Silva"), QVariant(), 12345.6, -1234.5, 0.125,
                       QDateTime(QDate(2014, 5, 31), QTime(14, 5, 9), Qt::UTC), QStringLiteral("31-05-2014 14:05"),
                       3e9});
    table.rows.append({777, QStringLiteral("Rui Sousa"), QStringLiteral("rui@example.pt"), 1.0, 1.0, 1.0, QVariant(),
                       QVariant(), 1.0});
    return platform::Recordset(table);
}

const QStringList ListFieldLabels = {QStringLiteral("ZEFA Tarn Software"), QStringLiteral("Pellow"),
                                     QStringLiteral("modData"), QStringLiteral("ListField")};
} // namespace

class tst_modData : public QObject
{
    Q_OBJECT

private slots:
    void listField_data();
    void listField();
    void readsTheCurrentRowWithoutMoving();
    void closedRecordsetIsNotReported();
};

void tst_modData::listField_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("reported"); // the report's message, empty for none
    auto row = [](const char *name, const char *locale, const char *field, int kind, const QString &expected,
                  const QString &reported = QString()) {
        QTest::newRow(name) << QString::fromLatin1(locale) << QString::fromLatin1(field) << kind << expected
                            << reported;
    };
    row("name in other letter case", "comma", "NOME_UNION", 3, QStringLiteral("Ana Silva"));
    row("name as the recordset has it", "comma", "nome_union", 3, QStringLiteral("Ana Silva"));
    row("missing field is a blank", "comma", "telefone", 3, QStringLiteral(" "));
    row("null field is a blank", "comma", "email", 3, QStringLiteral(" "));
    row("null field of an unknown kind is a blank", "comma", "email", 9, QStringLiteral(" "));
    row("number as plain text", "comma", "no_empresa", 3, QStringLiteral("12345"));
    row("comma: grouped whole number", "comma", "valor", 6, QStringLiteral("12.346"));
    row("point: grouped whole number", "point", "valor", 6, QStringLiteral("12,346"));
    row("comma: amount", "comma", "valor", 2, QStringLiteral("12.345,60"));
    row("point: amount", "point", "valor", 2, QStringLiteral("12,345.60"));
    row("comma: negative amount", "comma", "divida", 2, QStringLiteral("- 1.234,50"));
    row("comma: euro", "comma", "valor", 4, QStringLiteral("€ 12.345,60"));
    row("comma: negative euro", "comma", "divida", 4, QStringLiteral("€ -1.234,50"));
    row("comma: percent", "comma", "taxa", 5, QStringLiteral("12,50 %"));
    row("date", "comma", "entrega", 1, QStringLiteral("31-05-2014"));
    row("date and time", "comma", "entrega", 7, QStringLiteral("31-05-2014 14:05:09"));
    row("year first", "comma", "entrega", 8, QStringLiteral("2014-05-31"));
    row("date text year first", "comma", "entrega_texto", 8, QStringLiteral("2014-05-31"));
    row("kind 9", "comma", "nome_union", 9, QString());
    row("kind 0", "comma", "nome_union", 0, QString());
    row("text as a whole number", "comma", "nome_union", 6, QString(),
        QStringLiteral("Error Number = 13 | Description = Type mismatch"));
    row("whole number too large", "comma", "grande", 6, QString(),
        QStringLiteral("Error Number = 6 | Description = Overflow"));
}

void tst_modData::listField()
{
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    QFETCH(QString, reported);
    const TestLocale scope(locale);
    testsupport::ReportCapture reports;
    platform::Recordset recordset = memberRow();
    QCOMPARE(modData::ListField(recordset, field, modData::DisplayKind(kind)), expected);
    if (reported.isEmpty())
        QVERIFY(reports.reports().isEmpty());
    else
        QCOMPARE(reports.reports(), QList<QStringList>{ListFieldLabels + QStringList{reported}});
}

void tst_modData::readsTheCurrentRowWithoutMoving()
{
    const TestLocale scope(QStringLiteral("comma"));
    platform::Recordset recordset = memberRow();
    recordset.MoveNext();
    QCOMPARE(modData::ListField(recordset, QStringLiteral("EMAIL"), modData::DisplayKind::Text),
             QStringLiteral("rui@example.pt"));
    QCOMPARE(modData::ListField(recordset, QStringLiteral("no_empresa"), modData::DisplayKind::Text),
             QStringLiteral("777"));
    recordset.MoveNext();
    QVERIFY(recordset.isEOF());
}

// The closed-connection error is one the desk never reports.
void tst_modData::closedRecordsetIsNotReported()
{
    testsupport::ReportCapture reports;
    platform::Recordset recordset = memberRow();
    recordset.Close();
    QCOMPARE(modData::ListField(recordset, QStringLiteral("nome_union"), modData::DisplayKind::Text), QString());
    QVERIFY(reports.reports().isEmpty());
}

QTEST_GUILESS_MAIN(tst_modData)
#include "tst_modData.moc"
