#include "platform/db/access/Connection.h"
#include "platform/db/access/Recordset.h"
#include "platform/db/sqlite/SqliteProvider.h"
#include "platform/runtime/Conversions.h"
#include "sqltext/modCode.h"
#include "tests/support/TestLocale.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using modCode::SqlLiteral;
using enum modCode::LiteralKind;

// Literals pasted into real statements and parsed by the embedded database:
// what the operator typed must come back exactly, however it is quoted.
class tst_sqlLiteralRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typedTextIsStoredAsTyped_data();
    void typedTextIsStoredAsTyped();
    void likePatternFindsTheTypedName_data();
    void likePatternFindsTheTypedName();
    void numbersAndDatesReachTheirColumns_data();
    void numbersAndDatesReachTheirColumns();

private:
    QVariant readBack(const QString &column);
    void insert(const QString &column, const QString &literal);

    std::unique_ptr<QTemporaryDir> m_dir;
    platform::Connection m_connection;
};

void tst_sqlLiteralRoundTrip::init()
{
    modCode::resetSeparatorCaches();
    m_dir = std::make_unique<QTemporaryDir>();
    const QString path = m_dir->filePath(QStringLiteral("literais.db"));
    platform::sqlite::createDatabaseFile(
        path, QStringLiteral("CREATE TABLE tbNomes (id INTEGER PRIMARY KEY, nome TEXT, valor REAL, data DATETIME);"));
    m_connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + path);
    m_connection.Open();
}

void tst_sqlLiteralRoundTrip::cleanup()
{
    m_connection.Close();
    modCode::resetSeparatorCaches();
}

void tst_sqlLiteralRoundTrip::insert(const QString &column, const QString &literal)
{
    m_connection.Execute(QStringLiteral("INSERT INTO tbNomes (id, %1) VALUES (1, ").arg(column) + literal +
                         QStringLiteral(")"));
}

QVariant tst_sqlLiteralRoundTrip::readBack(const QString &column)
{
    const auto rows = m_connection.Execute(QStringLiteral("SELECT %1 FROM tbNomes WHERE id = 1").arg(column));
    if (rows->isEOF())
        return QVariant();
    return rows->value(0);
}

void tst_sqlLiteralRoundTrip::typedTextIsStoredAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("apostrophe inside") << u"O'Neil"_qs << u"O'Neil"_qs;
    QTest::newRow("apostrophe and accent") << u"D'Ávila"_qs << u"D'Ávila"_qs;
    QTest::newRow("two apostrophes in a row") << u"a''b"_qs << u"a''b"_qs;
    QTest::newRow("only apostrophes") << u"'''"_qs << u"'''"_qs;
    QTest::newRow("apostrophes next to blanks") << u" ' a ' "_qs << u"' a '"_qs;
    QTest::newRow("statement breaker") << u"x'); DROP TABLE tbNomes; --"_qs << u"x'); DROP TABLE tbNomes; --"_qs;
    QTest::newRow("unicode beyond latin") << u"Łukasz 李 ☃"_qs << u"Łukasz 李 ☃"_qs;
    QTest::newRow("plus and char words") << u"' + CHAR(39) + '"_qs << u"' + CHAR(39) + '"_qs;
}

void tst_sqlLiteralRoundTrip::typedTextIsStoredAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    for (const modCode::LiteralKind kind : {TextOrNull, TextOrEmpty}) {
        m_connection.Execute(QStringLiteral("DELETE FROM tbNomes"));
        insert(QStringLiteral("nome"), SqlLiteral(QVariant(typed), kind));
        QCOMPARE(readBack(QStringLiteral("nome")).toString(), stored);
    }
}

void tst_sqlLiteralRoundTrip::likePatternFindsTheTypedName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("found");
    QTest::newRow("pieces of the name") << u"Neil Silva"_qs << true;
    QTest::newRow("apostrophe in the pattern") << u"O'Neil"_qs << true;
    QTest::newRow("blanks around the text") << u"  Silva  "_qs << true;
    QTest::newRow("pieces out of order") << u"Silva O'Neil"_qs << false;
    QTest::newRow("empty matches everyone") << u""_qs << true;
}

void tst_sqlLiteralRoundTrip::likePatternFindsTheTypedName()
{
    QFETCH(QString, typed);
    QFETCH(bool, found);
    insert(QStringLiteral("nome"), SqlLiteral(QVariant(u"João O'Neil da Silva"_qs), TextOrNull));
    const auto rows = m_connection.Execute(QStringLiteral("SELECT id FROM tbNomes WHERE nome LIKE ") +
                                           SqlLiteral(QVariant(typed), LikePattern));
    QCOMPARE(!rows->isEOF(), found);
}

void tst_sqlLiteralRoundTrip::numbersAndDatesReachTheirColumns_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("column");
    QTest::addColumn<modCode::LiteralKind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("comma decimal") << u"comma"_qs << u"valor"_qs << Number << u"12,5"_qs << QVariant(12.5);
    QTest::newRow("negative comma decimal") << u"comma"_qs << u"valor"_qs << Number << u"-3,25"_qs << QVariant(-3.25);
    QTest::newRow("grouped comma decimal")
        << u"comma"_qs << u"valor"_qs << OtherNumber << u"-1.234,5"_qs << QVariant(-1234.5);
    QTest::newRow("grouped point decimal") << u"point"_qs << u"valor"_qs << Number << u"1,234.5"_qs << QVariant(1234.5);
    QTest::newRow("not a number is null") << u"comma"_qs << u"valor"_qs << Number << u"abc"_qs << QVariant();
    QTest::newRow("date") << u"comma"_qs << u"data"_qs << Date << u"31-05-2014 10:30"_qs
                          << QVariant(QDateTime(QDate(2014, 5, 31), QTime(0, 0), Qt::UTC));
    QTest::newRow("date and time") << u"comma"_qs << u"data"_qs << DateTime << u"31/05/2014 10:30:15"_qs
                                   << QVariant(QDateTime(QDate(2014, 5, 31), QTime(10, 30, 15), Qt::UTC));
    QTest::newRow("empty date is null") << u"comma"_qs << u"data"_qs << Date << u"01-01-1900"_qs << QVariant();
}

void tst_sqlLiteralRoundTrip::numbersAndDatesReachTheirColumns()
{
    QFETCH(QString, locale);
    QFETCH(QString, column);
    QFETCH(modCode::LiteralKind, kind);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    const testsupport::TestLocale chosen(locale);
    insert(column, SqlLiteral(QVariant(typed), kind));
    const QVariant value = readBack(column);
    QCOMPARE(platform::IsNull(value), platform::IsNull(stored));
    if (stored.typeId() == QMetaType::Double)
        QCOMPARE(platform::CDbl(value), stored.toDouble());
    else if (!platform::IsNull(stored))
        QVERIFY2(platform::SameDateTime(platform::CDate(value), stored.toDateTime()),
                 qPrintable(platform::CStr(value)));
}

QTEST_GUILESS_MAIN(tst_sqlLiteralRoundTrip)
#include "tst_sqlLiteralRoundTrip.moc"
