#include "tests/support/DeskFixture.h"

#include "data/RegisterIndex.h"
#include "platform/db/access/Connection.h"
#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sqlite/FoldedIndex.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "sitetools/demo/DemoDatabase.h"
#include "sitetools/import/MemberImport.h"
#include "sqltext/modCode.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include <sqlite3.h>

using platform::Connection;
using testsupport::Backend;

namespace {

// Names as registered, patterns as the desk sends them, and whether each
// engine must find the name; the letters the scripted TDS responder cannot
// fold, as it folds by Unicode decomposition alone.
struct Case
{
    const char *what;
    const char16_t *name;
    const char16_t *pattern;
    bool found;
    const char *responderCannotFold = nullptr;
};

const Case cases[] = {
    {"dotless i and cedilla", u"Işık Yılmaz", u"%isik%", true, "dotless i"},
    {"full-width letters", u"ＡＮＡ Lopes", u"%ana%", true},
    {"curly apostrophe in the name", u"Seán O’Neil", u"%o'neil%", true, "curly apostrophe"},
    {"curly apostrophe typed", u"Seán O'Neil", u"%o’neil%", true, "curly apostrophe"},
    {"stroked l", u"Łukasz Wróbel", u"%lukasz%wrobel%", true, "stroked l"},
    {"slashed o", u"Søren Kierkegaard", u"%soren%", true, "slashed o"},
    {"sharp s as ss", u"Günter Strauß", u"%strauss%", true},
    {"ligatures and thorn", u"Æsa Þórsdóttir", u"%aesa%thorsdottir%", true, "ligature and the thorn"},
    {"stroked d", u"Đorđe Petrović", u"%dorde%petrovic%", true, "stroked d"},
    {"compatibility digraph", u"ǅemal Ćosić", u"%dzemal%cosic%", true},
    {"en dash read as hyphen", u"Ana–Maria Costa", u"%ana-maria%", true, "en dash"},
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

// A register as an earlier build made it: text columns and number indexes
// under the desk's collation, its names indexed by triggers that call the
// desk's folding.
const char *const EarlierRegister = R"sql(
CREATE TABLE tbAssociados (
    contacto_id INTEGER PRIMARY KEY,
    no_empresa  TEXT COLLATE CI_AI,
    no_socio    TEXT COLLATE CI_AI,
    nome_union  TEXT COLLATE CI_AI NOT NULL,
    empresa     TEXT COLLATE CI_AI,
    email       TEXT COLLATE CI_AI,
    activo      INTEGER
);
CREATE INDEX ixAssociados_no_empresa ON tbAssociados (no_empresa);
CREATE INDEX ixAssociados_no_socio ON tbAssociados (no_socio);
CREATE VIEW vwAssociados_Completos AS
    SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id, activo
    FROM tbAssociados;
CREATE VIEW vwAssociados_Completos_Activos AS
    SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id, activo
    FROM tbAssociados
    WHERE activo IS NULL OR activo <> 0;
CREATE VIRTUAL TABLE ixAssociados_nome_v1 USING fts5(nome, tokenize = 'trigram');
CREATE TRIGGER ixAssociados_nome_v1_insert AFTER INSERT ON tbAssociados BEGIN
  INSERT OR REPLACE INTO ixAssociados_nome_v1 (rowid, nome) VALUES (new.contacto_id, velunas_fold(new.nome_union));
END;
CREATE TRIGGER ixAssociados_nome_v1_delete AFTER DELETE ON tbAssociados BEGIN
  DELETE FROM ixAssociados_nome_v1 WHERE rowid = old.contacto_id;
END;
INSERT INTO tbAssociados VALUES (1, '1001', 'S-1', 'Ana Sá', NULL, NULL, 1),
    (2, '2002', 'S-2', 'Zélia Quintela', NULL, NULL, 1), (3, '3003', 'S-3', 'Rui Quintela', NULL, NULL, 0);
)sql";

// The edits every outside writer makes: a member added, one renamed, one gone.
const char *const OutsideEdits = "INSERT INTO tbAssociados (contacto_id, no_empresa, no_socio, nome_union, activo) "
                                 "VALUES (900, '9000', 'S-900', 'Zacarias Novo', 1);"
                                 "UPDATE tbAssociados SET nome_union = 'Zélia Quaresma' WHERE contacto_id = 2;"
                                 "DELETE FROM tbAssociados WHERE contacto_id = 3;";

// The site's nightly sync: its own case-blind CI_AI, the member table made anew
// as an earlier build shipped it, the new list, then one member more.
const char *const NightlySync = R"py(
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.create_collation("CI_AI", lambda a, b: (a.casefold() > b.casefold()) - (a.casefold() < b.casefold()))
db.executescript("""DROP TABLE tbAssociados;
CREATE TABLE tbAssociados (contacto_id INTEGER PRIMARY KEY, no_empresa TEXT COLLATE CI_AI,
    no_socio TEXT COLLATE CI_AI, nome_union TEXT COLLATE CI_AI NOT NULL, empresa TEXT COLLATE CI_AI,
    email TEXT COLLATE CI_AI, activo INTEGER);
CREATE INDEX ixAssociados_no_empresa ON tbAssociados (no_empresa);
INSERT INTO tbAssociados (contacto_id, no_empresa, no_socio, nome_union, activo) VALUES
    (1, '1001', 'S-1', 'Ana Sá', 1), (2, '2002', 'S-2', 'Zélia Quaresma', 1);""")
db.commit()
db.execute("INSERT INTO tbAssociados (contacto_id, no_empresa, no_socio, nome_union, activo) "
           "VALUES (900, '9000', 'S-900', 'Zacarias Novo', 1)")
db.commit()
)py";

using testsupport::runTool;
using testsupport::ToolRun;

// Every statement the embedded connections run, as the register's index left it.
QStringList &recorded()
{
    static QStringList statements;
    return statements;
}

class StatementRecorder final : public platform::sqlite::ConnectionHooks
{
public:
    void opened(sqlite3 *) override {}
    QString rewrite(sqlite3 *, const QString &translated) override
    {
        recorded() << translated;
        return translated;
    }
    void beforeCommit(sqlite3 *) override {}
};

QList<qint64> idsOf(Connection &connection, const QString &statement)
{
    QList<qint64> ids;
    const auto result = connection.query(statement);
    const int column = int(result.columns.indexOf(QStringLiteral("contacto_id")));
    for (qsizetype row = 0; row < result.rows.size(); ++row)
        ids << result.rows.value(row, column).toLongLong();
    return ids;
}

std::unique_ptr<Connection> deskConnection(const QString &file)
{
    auto connection = std::make_unique<Connection>();
    connection->setConnectionString(demo::fileConnectionString(file));
    connection->Open();
    return connection;
}

void makeEarlierRegister(const QString &file)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    platform::sqlite::installDeskFunctions(db);
    const int rc = sqlite3_exec(db, EarlierRegister, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

} // namespace

class tst_NameMatching : public QObject
{
    Q_OBJECT

public:
    explicit tst_NameMatching(Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void sameMatchesOnEveryEngine_data();
    void sameMatchesOnEveryEngine();
    void postgresIndexServesTheNameSearch();
    void embeddedIndexNarrowsOnlyTheSearchConditions_data();
    void embeddedIndexNarrowsOnlyTheSearchConditions();
    void embeddedIndexAgreesWithTheScanAfterEveryWriter_data();
    void embeddedIndexAgreesWithTheScanAfterEveryWriter();
    void plainToolsKeepTheRegister_data();
    void plainToolsKeepTheRegister();
    void embeddedIndexFollowsTheDesksOwnWrites();

private:
    QList<qint64> embeddedIds(const QString &pattern);

    Backend m_backend;
    std::unique_ptr<testsupport::DeskFixture> m_desk;
    Connection m_haldor; // the cases' names, in m_desk's HALDOR
};

void tst_NameMatching::initTestCase()
{
    registers::installMemberIndex();
    platform::sqlite::registerConnectionHooks(QStringLiteral("recorder"),
                                              [] { return std::make_unique<StatementRecorder>(); });
    QList<demo::Member> members;
    for (size_t i = 0; i < std::size(cases); ++i)
        members << testsupport::member(qint64(i) + 1, QString(), QString::number(i + 1),
                                       QString::fromUtf16(cases[i].name));
    m_desk = std::make_unique<testsupport::DeskFixture>(m_backend);
    m_desk->addHaldor(members);
    if (m_backend == Backend::Embedded) {
        // One name more members hold than the index may narrow to.
        QList<demo::Member> crowd;
        for (int i = 0; i <= platform::sqlite::NarrowingLimit; ++i)
            crowd.append({1000 + i, QString(), QStringLiteral("X%1").arg(i), QStringLiteral("Sócio %1 Multidão").arg(i),
                          QString(), QVariant(), 1});
        m_desk->addMirva(crowd);
    }
    m_haldor.setConnectionString(m_desk->strings.haldor);
    m_haldor.Open();
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
    if (m_backend == Backend::SqlServer && cases[id - 1].responderCannotFold)
        QSKIP(qPrintable(QStringLiteral("the scripted responder folds by decomposition alone, which keeps the %1")
                             .arg(QLatin1String(cases[id - 1].responderCannotFold))));
    const QString statement = QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE contacto_id = %1 AND "
                                             "nome_union like %2")
                                  .arg(id)
                                  .arg(platform::sql::quoted(pattern));
    QCOMPARE(m_haldor.query(statement).rows.size(), found ? 1 : 0);
    // In parentheses the embedded index does not narrow the condition: the scan must agree with it.
    QCOMPARE(
        m_haldor
            .query(QString(statement).replace(QStringLiteral("nome_union like "), QStringLiteral("(nome_union like ")) +
                   QLatin1Char(')'))
            .rows.size(),
        found ? 1 : 0);
}

void tst_NameMatching::postgresIndexServesTheNameSearch()
{
    if (m_backend != Backend::Postgres)
        QSKIP("about PostgreSQL's own index");
    // A register large enough, and counted, for the planner to prefer the index
    // of its own accord, reached through the view from the pattern as the desk sends it.
    m_haldor.Execute(QStringLiteral("INSERT INTO haldor.tbSocios (contacto_id, no_socio, nome, activo) "
                                    "SELECT 1000000 + i, 'X' || i, 'Sócio ' || i || ' Ribeiro', 1 "
                                    "FROM generate_series(1, 50000) i"));
    m_haldor.Execute(QStringLiteral("ANALYZE haldor.tbSocios, haldor.tbEmpresas"));
    const auto plan = m_haldor.query(QStringLiteral("EXPLAIN SELECT * FROM vwAssociados_Completos_Activos "
                                                    "WHERE nome_union like '%Łukasz%[w]robel%'"));
    QString text;
    for (const auto &row : plan.rows)
        text += row.value(0).toString() + QLatin1Char('\n');
    QVERIFY2(text.contains(QLatin1String("ix_tbsocios_nome_trgm")), qPrintable(text));
}

void tst_NameMatching::embeddedIndexNarrowsOnlyTheSearchConditions_data()
{
    if (m_backend != Backend::Embedded)
        QSKIP("about the embedded index alone");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("narrowed");
    const QString view = QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE ");
    QTest::newRow("the desk's search") << view + QStringLiteral("nome_union like '%Łukasz%wrobel%'") << true;
    QTest::newRow("beside another condition")
        << view + QStringLiteral("activo = 1 AND nome_union like '%isik%'") << true;
    QTest::newRow("a company number") << view + QStringLiteral("no_empresa = '1001'") << true;
    QTest::newRow("a member number in parentheses") << view + QStringLiteral("(no_socio = 'X1')") << false;
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

void tst_NameMatching::embeddedIndexNarrowsOnlyTheSearchConditions()
{
    QFETCH(QString, statement);
    QFETCH(bool, narrowed);
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(m_desk->files.mirva.toUtf8().constData(), &db), SQLITE_OK);
    platform::sqlite::installDeskFunctions(db);
    platform::sqlite::FoldedIndex hooks(registers::memberIndex());
    hooks.opened(db);
    const QString text = hooks.rewrite(db, statement);
    sqlite3_close(db);
    QCOMPARE(text.contains(QLatin1String("ixAssociados_")), narrowed);
}

void tst_NameMatching::embeddedIndexAgreesWithTheScanAfterEveryWriter_data()
{
    if (m_backend != Backend::Embedded)
        QSKIP("about the embedded index alone");
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("narrowed");
    QTest::newRow("the desk's import") << u"import"_qs << true;
    QTest::newRow("the sqlite3 shell") << u"shell"_qs << true;
    QTest::newRow("Python's sqlite3") << u"python"_qs << true;
    QTest::newRow("member table dropped and made anew (Python)") << u"sync"_qs << true;
    QTest::newRow("triggers dropped, then written (shell)") << u"triggers"_qs << true;
    QTest::newRow("member table rebuilt by a migration, its triggers put back (shell)") << u"migration"_qs << true;
    QTest::newRow("an older copy of the file restored") << u"restore"_qs << true;
    QTest::newRow("the active view made to read another table (shell)") << u"view"_qs << false;
}

// Each writer changes a register made by the desk's import while a desk holds
// it open; then the desk's own statements, narrowed through the index, must
// find what the same statements find by scan, on that desk and on the next.
void tst_NameMatching::embeddedIndexAgreesWithTheScanAfterEveryWriter()
{
    QFETCH(QString, writer);
    QFETCH(bool, narrowed);
    const bool python = writer == u"python" || writer == u"sync";
    const QString tool = QStandardPaths::findExecutable(python ? u"python3"_qs : u"sqlite3"_qs);
    if (tool.isEmpty())
        QSKIP("the writer's program is not on this machine");
    QTemporaryDir dir;
    demo::createSchemaOnly(dir.path());
    const QString file = demo::demoFiles(dir.path()).haldor;
    demo::insertMembers(file, {{1, u"1001"_qs, u"S-1"_qs, u"Ana Sá"_qs, QString(), QVariant(), 1},
                               {2, u"2002"_qs, u"S-2"_qs, u"Zélia Quintela"_qs, QString(), QVariant(), 1},
                               {3, u"3003"_qs, u"S-3"_qs, u"Rui Quintela"_qs, QString(), QVariant(), 0}});
    const QString copy = dir.filePath(u"copia.db"_qs);
    auto searching = deskConnection(file);
    if (writer == u"restore") {
        searching->Execute(u"PRAGMA wal_checkpoint(TRUNCATE)"_qs);
        QVERIFY(QFile::copy(file, copy));
        searching->Execute(QString::fromUtf8(OutsideEdits));
        searching.reset();
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(file + QLatin1String(suffix));
        QVERIFY(QFile::copy(copy, file));
    } else if (writer == u"import") {
        QByteArray csv("contacto_id;no_empresa;no_socio;nome_union;activo\n"
                       "1;1001;S-1;Ana Sá;1\n2;2002;S-2;Zélia Quaresma;1\n900;9000;S-900;Zacarias Novo;1\n");
        QBuffer input(&csv);
        input.open(QIODevice::ReadOnly);
        QVERIFY(memberimport::importMembers(file, input, {}, {}).loaded);
    } else {
        QByteArray sql = OutsideEdits;
        if (writer == u"triggers")
            sql.prepend("DROP TRIGGER ixAssociados_pendentes_v3_insert; DROP TRIGGER ixAssociados_pendentes_v3_update;"
                        "DROP TRIGGER ixAssociados_pendentes_v3_delete;");
        // SQLite's own recipe for changing a table: made anew beside, copied,
        // renamed, its triggers put back as they were saved; written meanwhile.
        if (writer == u"migration")
            sql = "PRAGMA legacy_alter_table = ON; BEGIN;"
                  "CREATE TABLE novo (contacto_id INTEGER PRIMARY KEY, no_empresa TEXT, no_socio TEXT, "
                  "nome_union TEXT NOT NULL, empresa TEXT, email TEXT, activo INTEGER);"
                  "INSERT INTO novo SELECT * FROM tbAssociados; DROP TABLE tbAssociados;"
                  "ALTER TABLE novo RENAME TO tbAssociados;" +
                  sql +
                  searching->query(u"SELECT group_concat(sql, ';') || ';' FROM sqlite_schema WHERE type = 'trigger'"_qs)
                      .rows.value(0, 0)
                      .toString()
                      .toUtf8() +
                  "COMMIT;";
        if (writer == u"view")
            sql.append("CREATE TABLE tbOutros AS SELECT * FROM tbAssociados WHERE 0;"
                       "INSERT INTO tbOutros (contacto_id, nome_union, activo) VALUES (950, 'Zacarias Outro', 1);"
                       "DROP VIEW vwAssociados_Completos_Activos;"
                       "CREATE VIEW vwAssociados_Completos_Activos AS SELECT no_empresa, no_socio, nome_union, "
                       "empresa, email, contacto_id, activo FROM tbOutros;");
        const QByteArray script = writer == u"sync" ? QByteArray(NightlySync)
                                                    : "import sqlite3, sys\ndb = sqlite3.connect(sys.argv[1])\n"
                                                      "db.executescript(sys.stdin.read())\ndb.commit()\n";
        const ToolRun run = python ? runTool(tool, {u"-c"_qs, QString::fromUtf8(script), file}, sql)
                                   : runTool(tool, {u"-bail"_qs, file}, sql);
        QVERIFY2(run.exitCode == 0 && run.errors.isEmpty(), run.errors.constData());
    }

    // The desk that searched while the writer wrote, then the next one to open.
    auto agree = [](Connection &desk) {
        for (const char *typed : {"zacarias", "zelia quaresma", "quintela", "ANA SA", "9000", "s-2", "S-3"}) {
            const QVariant value = QString::fromUtf8(typed);
            for (const QString &condition :
                 {u"no_empresa = "_qs + modCode::SqlLiteral(value, modCode::LiteralKind::TextOrEmpty),
                  u"no_socio = "_qs + modCode::SqlLiteral(value, modCode::LiteralKind::TextOrEmpty),
                  u"nome_union like "_qs + modCode::SqlLiteral(value, modCode::LiteralKind::LikePattern)})
                for (const char *view : {"vwAssociados_Completos_Activos", "vwAssociados_Completos"}) {
                    const QString select = u"SELECT * FROM "_qs + QLatin1String(view) + u" WHERE "_qs;
                    QCOMPARE(idsOf(desk, select + condition),
                             idsOf(desk, select + QLatin1Char('(') + condition + QLatin1Char(')')));
                }
        }
    };
    if (searching)
        agree(*searching);
    auto next = deskConnection(file);
    agree(*next);
    if (QTest::currentTestFailed())
        return;
    // The next desk made the index current again: its triggers back, the log taken in.
    QCOMPARE(next->query(u"SELECT (SELECT count(*) FROM sqlite_schema WHERE type = 'trigger' AND name GLOB "
                         "'ixAssociados_pendentes_v3_*') || ' ' || (SELECT count(*) FROM ixAssociados_pendentes_v3)"_qs)
                 .rows.value(0, 0)
                 .toString(),
             u"3 0"_qs);
    recorded().clear();
    const QList<qint64> zacarias =
        idsOf(*next, u"SELECT * FROM vwAssociados_Completos_Activos WHERE nome_union like '%zacarias%'"_qs);
    const QList<qint64> expected = writer == u"view"      ? QList<qint64>{950}
                                   : writer == u"restore" ? QList<qint64>{}
                                                          : QList<qint64>{900};
    QCOMPARE(zacarias, expected);
    QCOMPARE(recorded().size(), 1);
    QCOMPARE(recorded().first().contains(QLatin1String("MATCH")), narrowed);
}

void tst_NameMatching::plainToolsKeepTheRegister_data()
{
    if (m_backend != Backend::Embedded)
        QSKIP("about the embedded files alone");
    QTest::addColumn<bool>("earlier");
    QTest::newRow("made by the import tool") << false;
    QTest::newRow("made by an earlier build, once the desk opened it") << true;
}

// The sqlite3 shell, with nothing of the desk loaded, adds, renames and
// deletes members; the desk then finds them by name as it finds the others.
void tst_NameMatching::plainToolsKeepTheRegister()
{
    QFETCH(bool, earlier);
    const QString shell = QStandardPaths::findExecutable(u"sqlite3"_qs);
    if (shell.isEmpty())
        QSKIP("no sqlite3 shell on this machine");
    QTemporaryDir dir;
    const QString file = dir.filePath(u"haldor.db"_qs);
    if (earlier) {
        makeEarlierRegister(file);
        // Every member kept, nothing of the desk's own left in the file.
        auto desk = deskConnection(file);
        QCOMPARE(idsOf(*desk, u"SELECT * FROM vwAssociados_Completos WHERE nome_union like '%quintela%'"_qs),
                 (QList<qint64>{2, 3}));
    } else {
        const QString import = testsupport::binaryDir() + u"/import_members"_qs;
        QFile csv(dir.filePath(u"socios.csv"_qs));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(
            "contacto_id;no_empresa;no_socio;nome_union;activo\n1;1001;S-1;Ana Sá;1\n2;2002;S-2;Zélia Quintela;1\n"
            "3;3003;S-3;Rui Quintela;0\n");
        csv.close();
        QCOMPARE(runTool(import, {u"--create-schema"_qs, dir.path()}).exitCode, 0);
        QCOMPARE(runTool(import, {file, csv.fileName()}).exitCode, 0);
    }
    const ToolRun run =
        runTool(shell, {u"-bail"_qs, file},
                QByteArray(OutsideEdits) + "SELECT count(*) FROM sqlite_schema WHERE sql LIKE '%CI_AI%' OR sql LIKE "
                                           "'%velunas_fold%';SELECT nome_union FROM vwAssociados_Completos WHERE "
                                           "no_socio = 'S-2';");
    QVERIFY2(run.exitCode == 0 && run.errors.isEmpty(), run.errors.constData());
    QCOMPARE(run.output, QByteArray("0\nZélia Quaresma\n"));
    auto desk = deskConnection(file);
    QCOMPARE(idsOf(*desk, u"SELECT * FROM vwAssociados_Completos WHERE nome_union like '%quintela%'"_qs),
             QList<qint64>{});
    QCOMPARE(idsOf(*desk, u"SELECT * FROM vwAssociados_Completos WHERE nome_union like '%quaresma%'"_qs),
             QList<qint64>{2});
    QCOMPARE(idsOf(*desk, u"SELECT * FROM vwAssociados_Completos WHERE no_socio = 's-900'"_qs), QList<qint64>{900});
}

QList<qint64> tst_NameMatching::embeddedIds(const QString &pattern)
{
    return idsOf(m_haldor, QStringLiteral("SELECT contacto_id FROM tbAssociados WHERE nome_union like %1 ORDER BY 1")
                               .arg(platform::sql::quoted(pattern)));
}

// The desk's own writes, outside any transaction of its own, are found at once
// through the index, before any COMMIT folds them in.
void tst_NameMatching::embeddedIndexFollowsTheDesksOwnWrites()
{
    if (m_backend != Backend::Embedded)
        QSKIP("about the embedded index alone");
    m_haldor.Execute(
        QStringLiteral("INSERT INTO tbAssociados (contacto_id, nome_union) VALUES (500, 'Zélia Quintela')"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quin%")), QList<qint64>{500});
    m_haldor.Execute(QStringLiteral("UPDATE tbAssociados SET nome_union = 'Zélia Quaresma' WHERE contacto_id = 500"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quin%")), QList<qint64>{});
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quar%")), QList<qint64>{500});
    m_haldor.Execute(QStringLiteral("INSERT OR REPLACE INTO tbAssociados (contacto_id, nome_union) "
                                    "VALUES (500, 'Zélia Quintas')"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quar%")), QList<qint64>{});
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quin%")), QList<qint64>{500});
    m_haldor.Execute(QStringLiteral("UPDATE tbAssociados SET rowid = 501 WHERE contacto_id = 500"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%quin%")), QList<qint64>{501});
    m_haldor.Execute(QStringLiteral("DELETE FROM tbAssociados WHERE contacto_id = 501"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%")), QList<qint64>{});
    m_haldor.Execute(QStringLiteral("BEGIN"));
    m_haldor.Execute(QStringLiteral("INSERT INTO tbAssociados (contacto_id, nome_union) VALUES (500, 'Zélia')"));
    m_haldor.Execute(QStringLiteral("COMMIT"));
    QCOMPARE(embeddedIds(QStringLiteral("%zelia%")), QList<qint64>{500});
    QCOMPARE(m_haldor.query(QStringLiteral("SELECT count(*) FROM ixAssociados_pendentes_v3")).rows.value(0, 0).toInt(),
             0);
}

VELUNAS_DESK_TEST_MAIN(tst_NameMatching)
#include "tst_NameMatching.moc"
