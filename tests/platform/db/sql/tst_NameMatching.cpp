#include "tests/support/PostgresTestDatabase.h"

#include "data/DemoDatabase.h"
#include "platform/db/access/Connection.h"
#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "platform/db/sqlite/SqliteNameIndex.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sqlite3.h>

using platform::Connection;

namespace {

// Names as registered, patterns as the desk sends them, and whether each
// engine must find the name: the embedded files and PostgreSQL alike.
struct Case
{
    const char *what;
    const char16_t *name;
    const char16_t *pattern;
    bool found;
};

const Case cases[] = {
    {"dotless i and cedilla", u"Işık Yılmaz", u"%isik%", true},
    {"full-width letters", u"ＡＮＡ Lopes", u"%ana%", true},
    {"curly apostrophe in the name", u"Seán O’Neil", u"%o'neil%", true},
    {"curly apostrophe typed", u"Seán O'Neil", u"%o’neil%", true},
    {"stroked l", u"Łukasz Wróbel", u"%lukasz%wrobel%", true},
    {"slashed o", u"Søren Kierkegaard", u"%soren%", true},
    {"sharp s as ss", u"Günter Strauß", u"%strauss%", true},
    {"ligatures and thorn", u"Æsa Þórsdóttir", u"%aesa%thorsdottir%", true},
    {"stroked d", u"Đorđe Petrović", u"%dorde%petrovic%", true},
    {"compatibility digraph", u"ǅemal Ćosić", u"%dzemal%cosic%", true},
    {"en dash read as hyphen", u"Ana–Maria Costa", u"%ana-maria%", true},
    {"decomposed accent", u"Jose\u0301 Sá", u"%jose sa%", true},
    {"final sigma", u"Νικόλαος Παππάς", u"%νικολαοσ%", true},
    {"dotted capital I, whole name", u"İlkay", u"ilkay", true},
    {"words out of order", u"Maria Silva", u"%silva%maria%", false},
    {"whole name, text left over", u"Ana Rita", u"ana", false},
    {"set matches", u"José Silva", u"[J]ose%", true},
    {"set misses", u"Mose Silva", u"[J]ose%", false},
    {"range over a folded letter", u"Élia Cruz", u"[a-f]lia%", true},
    {"negated set", u"Élia Cruz", u"[^e]lia%", false},
    {"bracketed underscore", u"Ana_Rita", u"%ana[_]rita%", true},
    {"bracketed underscore is no wildcard", u"AnaXRita", u"%ana[_]rita%", false},
    {"bracketed percent", u"50% Lda", u"%50[%]%", true},
    {"bracketed percent is no wildcard", u"500 Lda", u"%50[%]%", false},
    {"backslash is plain", u"C:\\Silva", u"%c:\\silva%", true},
    {"signs beside a set", u"(Rui) Costa+", u"[(x]rui) costa+%", true},
    {"underscore takes one folded letter", u"Sá", u"s_", true},
};

} // namespace

class tst_NameMatching : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameMatchesOnEveryEngine_data();
    void sameMatchesOnEveryEngine();
    void postgresIndexServesTheNameSearch();
    void embeddedIndexNarrowsOnlyTheNameCondition_data();
    void embeddedIndexNarrowsOnlyTheNameCondition();
    void embeddedIndexFollowsTheRegister();

private:
    QList<qint64> embeddedIds(const QString &pattern);

    QTemporaryDir m_dir;
    Connection m_embedded;
    std::unique_ptr<testsupport::PostgresTestDatabase> m_postgres;
    std::unique_ptr<Connection> m_server;
};

void tst_NameMatching::initTestCase()
{
    QList<demo::Member> members;
    for (size_t i = 0; i < std::size(cases); ++i) {
        demo::Member m;
        m.contactoId = qint64(i) + 1;
        m.noSocio = QString::number(i + 1);
        m.nome = QString::fromUtf16(cases[i].name);
        m.activo = 1;
        members.append(m);
    }
    demo::createSchemaOnly(m_dir.path());
    demo::insertMembers(demo::demoFiles(m_dir.path()).haldor, members);
    // One name more members hold than the index may narrow to.
    QList<demo::Member> crowd;
    for (int i = 0; i <= platform::sqlite::NarrowingLimit; ++i)
        crowd.append({1000 + i, QString(), QStringLiteral("X%1").arg(i), QStringLiteral("Sócio %1 Multidão").arg(i),
                      QString(), QVariant(), 1});
    demo::insertMembers(demo::demoFiles(m_dir.path()).mirva, crowd);
    m_embedded.setConnectionString(demo::connectionStrings(m_dir.path()).haldor);
    m_embedded.Open();
    if (!testsupport::PostgresTestDatabase::available())
        return;
    m_postgres = std::make_unique<testsupport::PostgresTestDatabase>(QStringLiteral("velunas_names"));
    m_postgres->insertMembers(QStringLiteral("haldor"), members);
    m_server = std::make_unique<Connection>();
    m_server->setConnectionString(m_postgres->connectionString(QStringLiteral("haldor")));
    m_server->Open();
}

void tst_NameMatching::sameMatchesOnEveryEngine_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("found");
    for (size_t i = 0; i < std::size(cases); ++i)
        QTest::newRow(cases[i].what) << int(i + 1) << QString::fromUtf16(cases[i].pattern) << cases[i].found;
}

void tst_NameMatching::sameMatchesOnEveryEngine()
{
    QFETCH(int, id);
    QFETCH(QString, pattern);
    QFETCH(bool, found);
    const QString statement = QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE contacto_id = %1 AND "
                                             "nome_union like %2")
                                  .arg(id)
                                  .arg(platform::sql::quoted(pattern));
    QCOMPARE(m_embedded.query(statement).rows.size(), found ? 1 : 0);
    // In parentheses the condition is not narrowed: the scan must agree with the index.
    QCOMPARE(
        m_embedded
            .query(QString(statement).replace(QStringLiteral("nome_union like "), QStringLiteral("(nome_union like ")) +
                   QLatin1Char(')'))
            .rows.size(),
        found ? 1 : 0);
    if (m_server)
        QCOMPARE(m_server->query(statement).rows.size(), found ? 1 : 0);
}

void tst_NameMatching::postgresIndexServesTheNameSearch()
{
    if (!m_server)
        QSKIP("no PostgreSQL test server");
    // A register large enough, and counted, for the planner to prefer the index
    // of its own accord, reached through the view from the pattern as the desk sends it.
    m_server->Execute(QStringLiteral("INSERT INTO haldor.tbSocios (contacto_id, no_socio, nome, activo) "
                                     "SELECT 1000000 + i, 'X' || i, 'Sócio ' || i || ' Ribeiro', 1 "
                                     "FROM generate_series(1, 50000) i"));
    m_server->Execute(QStringLiteral("ANALYZE haldor.tbSocios, haldor.tbEmpresas"));
    const auto plan = m_server->query(QStringLiteral("EXPLAIN SELECT * FROM vwAssociados_Completos_Activos "
                                                     "WHERE nome_union like '%Łukasz%[w]robel%'"));
    QString text;
    for (const auto &row : plan.rows)
        text += row.value(0).toString() + QLatin1Char('\n');
    QVERIFY2(text.contains(QLatin1String("ix_tbsocios_nome_trgm")), qPrintable(text));
}

void tst_NameMatching::embeddedIndexNarrowsOnlyTheNameCondition_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("narrowed");
    const QString view = QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE ");
    QTest::newRow("the desk's search") << view + QStringLiteral("nome_union like '%Łukasz%wrobel%'") << true;
    QTest::newRow("beside another condition")
        << view + QStringLiteral("activo = 1 AND nome_union like '%isik%'") << true;
    QTest::newRow("runs of two") << view + QStringLiteral("nome_union like '%an%ri%'") << false;
    QTest::newRow("more members than the limit") << view + QStringLiteral("nome_union like '%multidao%'") << false;
    QTest::newRow("negated") << view + QStringLiteral("nome_union not like '%lukasz%'") << false;
    QTest::newRow("compared further") << view + QStringLiteral("nome_union like '%lukasz%' = 0") << false;
    QTest::newRow("with an escape") << view + QStringLiteral("nome_union like '%lukasz%' escape '!'") << false;
    QTest::newRow("a join") << QStringLiteral("SELECT * FROM vwAssociados_Completos a, tbVelunas b WHERE nome_union "
                                              "like '%lukasz%'")
                            << false;
    QTest::newRow("another register") << QStringLiteral("SELECT * FROM mirva.tbAssociados WHERE nome_union like "
                                                        "'%lukasz%'")
                                      << false;
    QTest::newRow("an unclosed literal") << view + QStringLiteral("nome_union like '%lukasz%''") << false;
}

void tst_NameMatching::embeddedIndexNarrowsOnlyTheNameCondition()
{
    QFETCH(QString, statement);
    QFETCH(bool, narrowed);
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(demo::demoFiles(m_dir.path()).mirva.toUtf8().constData(), &db), SQLITE_OK);
    platform::sqlite::installDeskFunctions(db);
    QVERIFY(platform::sqlite::ensureNameIndex(db));
    const QString text = platform::sqlite::narrowNameSearch(db, statement);
    sqlite3_close(db);
    QCOMPARE(text != statement, narrowed);
}

QList<qint64> tst_NameMatching::embeddedIds(const QString &pattern)
{
    QList<qint64> ids;
    const auto result =
        m_embedded.query(QStringLiteral("SELECT contacto_id FROM tbAssociados WHERE nome_union like %1 ORDER BY 1")
                             .arg(platform::sql::quoted(pattern)));
    for (qsizetype row = 0; row < result.rows.size(); ++row)
        ids << result.rows.value(row, 0).toLongLong();
    return ids;
}

void tst_NameMatching::embeddedIndexFollowsTheRegister()
{
    // A file indexed under an earlier folding, with a member its index never saw.
    const QString file = demo::demoFiles(m_dir.path()).haldor;
    m_embedded.Close();
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    platform::sqlite::installDeskFunctions(db);
    const QByteArray older = "DROP TABLE ixAssociados_nome_v1; DROP TRIGGER ixAssociados_nome_v1_insert;"
                             "DROP TRIGGER ixAssociados_nome_v1_update; DROP TRIGGER ixAssociados_nome_v1_delete;"
                             "CREATE VIRTUAL TABLE ixAssociados_nome_v0 USING fts5(nome);"
                             "CREATE TRIGGER ixAssociados_nome_v0_insert AFTER INSERT ON tbAssociados BEGIN "
                             "INSERT INTO ixAssociados_nome_v0 (nome) VALUES (new.nome_union); END;"
                             "INSERT INTO tbAssociados (contacto_id, nome_union) VALUES (500, 'Zélia Quintela');";
    QCOMPARE(sqlite3_exec(db, older.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    m_embedded.Open();
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quin%")), QList<qint64>{500});
    QCOMPARE(m_embedded.query(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name GLOB '*_v0*'"))
                 .rows.value(0, 0)
                 .toInt(),
             0);
    m_embedded.Execute(QStringLiteral("UPDATE tbAssociados SET nome_union = 'Zélia Quaresma' WHERE contacto_id = 500"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quin%")), QList<qint64>{});
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quar%")), QList<qint64>{500});
    m_embedded.Execute(QStringLiteral("INSERT OR REPLACE INTO tbAssociados (contacto_id, nome_union) "
                                      "VALUES (500, 'Zélia Quintas')"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quar%")), QList<qint64>{});
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quin%")), QList<qint64>{500});
    m_embedded.Execute(QStringLiteral("DELETE FROM tbAssociados WHERE contacto_id = 500"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%")), QList<qint64>{});
    m_embedded.Execute(QStringLiteral("INSERT INTO tbAssociados (contacto_id, nome_union) VALUES (500, 'Zélia')"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%")), QList<qint64>{500});
}

QTEST_GUILESS_MAIN(tst_NameMatching)
#include "tst_NameMatching.moc"
