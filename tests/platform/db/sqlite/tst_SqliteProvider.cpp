#include "platform/db/access/Connection.h"
#include "platform/db/access/ProviderErrors.h"
#include "platform/db/access/Recordset.h"
#include "platform/db/sqlite/SqliteProvider.h"
#include "platform/runtime/RuntimeError.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using platform::Connection;
using platform::RuntimeError;

namespace {

const char *const TestSchema = R"sql(
CREATE TABLE tbPessoas (id INTEGER PRIMARY KEY, nome TEXT COLLATE CI_AI, altura REAL, nascido DATETIME,
                        codigo INTEGER UNIQUE);
INSERT INTO tbPessoas VALUES (1, 'José Magalhães', 1.75, '1970-03-02 08:15:00', 10);
INSERT INTO tbPessoas VALUES (2, 'João O''Neil', NULL, NULL, 20);
INSERT INTO tbPessoas VALUES (3, 'Maria da Conceição', 1.6, '1985-12-31 23:59:59', 30);
CREATE VIEW vwPessoas AS SELECT id, nome, nascido FROM tbPessoas;
)sql";

QString sqliteString(const QString &path, const QString &extra = QString())
{
    return QStringLiteral("Provider=SQLite;Data Source=%1").arg(path) + extra;
}

RuntimeError errorOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const RuntimeError &error) {
        return error;
    }
    return RuntimeError(0, QString());
}

} // namespace

// The embedded provider on real files: opening, values, the T-SQL subset,
// errors and sharing a file between connections.
class tst_SqliteProvider : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void opensAnExistingFileOnly_data();
    void opensAnExistingFileOnly();
    void unknownProviderFailsToOpen();
    void pathsWithUriCharactersOpen();
    void readsValuesByTheirTypes();
    void datesReadAsTheParserReadsThem_data();
    void datesReadAsTheParserReadsThem();
    void evaluatesTheDesksExpressions_data();
    void evaluatesTheDesksExpressions();
    void refusesBadExpressions_data();
    void refusesBadExpressions();
    void likeOperatorIgnoresCaseAndAccents_data();
    void likeOperatorIgnoresCaseAndAccents();
    void equalityOnCollatedColumnIgnoresCase();
    void getDateIsTheHostClock();
    void tranCountFollowsTransactions();
    void uniqueViolationIsRecognised();
    void errorsCollectionKeepsEveryFailure();
    void closedConnectionRaises3709();
    void recordsetRaises3021And3265();
    void attachedFileIsReachable();
    void probeFailsOnAFileThatWasEmptied();
    void readOnlyFolderIsReadAsItIs_data();
    void readOnlyFolderIsReadAsItIs();
    void recordsAffected();
    void statementsEndAtTheirTimeout_data();
    void statementsEndAtTheirTimeout();

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_SqliteProvider::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("pessoas.db"));
    platform::sqlite::createDatabaseFile(m_path, QString::fromUtf8(TestSchema));
}

void tst_SqliteProvider::opensAnExistingFileOnly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << u"nenhum.db"_qs << QByteArray();
    QTest::newRow("not a database") << u"texto.db"_qs << QByteArray(8192, 'x');
    QTest::newRow("missing folder") << u"pasta/nenhum.db"_qs << QByteArray();
}

void tst_SqliteProvider::opensAnExistingFileOnly()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    const QString path = m_dir->filePath(file);
    if (!content.isEmpty()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    Connection connection;
    connection.setConnectionString(sqliteString(path));
    const RuntimeError error = errorOf([&] { connection.Open(); });
    QCOMPARE(error.number(), platform::ProviderError::OpenFailed);
    QCOMPARE(connection.State(), 0);
    QCOMPARE(connection.Errors().size(), 1);
    QCOMPARE(connection.Errors().first().description, error.description());
    QCOMPARE(QFile::exists(path), !content.isEmpty()); // never an empty database made
}

void tst_SqliteProvider::unknownProviderFailsToOpen()
{
    Connection connection;
    connection.setConnectionString(
        QStringLiteral("Provider=Nenhum.1;Password=x;User ID=u;Initial Catalog=c;Data Source=h\\i,1433;"));
    const RuntimeError error = errorOf([&] { connection.Open(); });
    QCOMPARE(error.number(), platform::ErrorNumber::ProviderNotFound);
    QCOMPARE(connection.State(), 0);
    QCOMPARE(connection.Errors().size(), 1);
}

void tst_SqliteProvider::pathsWithUriCharactersOpen()
{
#ifdef Q_OS_WIN
    const QString folder = u"pasta com espaço #1%20"_qs; // no file name on Windows holds '?'
#else
    const QString folder = u"pasta com espaço #1?%20"_qs;
#endif
    QVERIFY(QDir(m_dir->path()).mkpath(folder));
    const QString path = m_dir->filePath(folder + u"/ação.db"_qs);
    platform::sqlite::createDatabaseFile(path, QStringLiteral("CREATE TABLE t (x INTEGER);"));
    Connection connection;
    connection.setConnectionString(sqliteString(m_path, QStringLiteral(";Attach=") + path));
    connection.Open();
    QCOMPARE(connection.Execute(QStringLiteral("SELECT count(*) FROM t"))->value(0).toInt(), 0);
}

void tst_SqliteProvider::readsValuesByTheirTypes()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    auto rs = connection.Execute(QStringLiteral("SELECT * FROM vwPessoas v JOIN tbPessoas t ON t.id = v.id ORDER BY "
                                                "v.id"));
    QCOMPARE(rs->value(QStringLiteral("ID")).typeId(), QMetaType::LongLong);
    QCOMPARE(rs->value(QStringLiteral("nome")).toString(), u"José Magalhães"_qs);
    QCOMPARE(rs->value(QStringLiteral("altura")).typeId(), QMetaType::Double);
    // Dates stored as text come back as dates, through the view as well.
    QCOMPARE(rs->value(2).toDateTime(), QDateTime(QDate(1970, 3, 2), QTime(8, 15)));
    rs->MoveNext();
    QVERIFY(!rs->value(QStringLiteral("altura")).isValid());
    QVERIFY(!rs->value(QStringLiteral("nascido")).isValid());
    QCOMPARE(rs->value(QStringLiteral("nome")).toString(), u"João O'Neil"_qs);

    // Rows are kept packed: a blob, an empty text, a field past the row's end,
    // and a copy that takes a row of its own without touching the first.
    platform::ResultTable table = connection.query(QStringLiteral("SELECT x'00ff41', '', 1.5"));
    QCOMPARE(table.rows.value(0, 0).toByteArray(), QByteArray("\x00\xff"
                                                              "A",
                                                              3));
    QCOMPARE(table.rows.value(0, 1).typeId(), QMetaType::QString);
    QVERIFY(table.rows.value(0, 1).toString().isEmpty());
    QVERIFY(!table.rows.value(0, 3).isValid());
    platform::ResultTable copy = table;
    copy.rows.append({u"só na cópia"_qs});
    QCOMPARE(table.rows.size(), 1);
    QCOMPARE(copy.rows.at(0), table.rows.at(0));
    QCOMPARE(copy.rows.value(1, 0).toString(), u"só na cópia"_qs);
}

void tst_SqliteProvider::datesReadAsTheParserReadsThem_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("the desk's form") << u"2026-05-12 09:10:00"_qs;
    QTest::newRow("a day that does not exist") << u"2026-02-30 10:00:00"_qs;
    QTest::newRow("an hour past the day") << u"2026-05-12 24:00:00"_qs;
    QTest::newRow("a local time the clock skips") << u"2026-03-29 01:30:00"_qs;
    QTest::newRow("a local time the clock passes twice") << u"2026-10-25 01:30:00"_qs;
    QTest::newRow("with milliseconds") << u"2026-05-12 09:10:00.250"_qs;
    QTest::newRow("a blank before") << u" 2026-05-12 09:10:00"_qs;
}

// Dates in the desk's own form skip the format parser: the same answer.
void tst_SqliteProvider::datesReadAsTheParserReadsThem()
{
    QFETCH(QString, stored);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Lisbon"); // changes its clock twice a year
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    connection.Execute(QStringLiteral("UPDATE tbPessoas SET nascido = '%1' WHERE id = 1").arg(stored));
    const QVariant read = connection.Execute(QStringLiteral("SELECT nascido FROM tbPessoas WHERE id = 1"))->value(0);
    QVariant parsed = QVariant(stored);
    for (const QString &format : {u"yyyy-MM-dd HH:mm:ss"_qs, u"yyyy-MM-dd HH:mm:ss.zzz"_qs})
        if (const QDateTime when = QDateTime::fromString(stored, format);
            when.isValid() && parsed.typeId() == QMetaType::QString)
            parsed = when;
    QCOMPARE(read.typeId(), parsed.typeId());
    if (read.typeId() == QMetaType::QDateTime) {
        QCOMPARE(read.toDateTime().toMSecsSinceEpoch(), parsed.toDateTime().toMSecsSinceEpoch());
        QCOMPARE(read.toDateTime().offsetFromUtc(), parsed.toDateTime().offsetFromUtc());
    } else {
        QCOMPARE(read, parsed);
    }
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
}

void tst_SqliteProvider::evaluatesTheDesksExpressions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("quote escaped by CHAR") << u"'O' + CHAR(39) + 'Neil'"_qs << QVariant(u"O'Neil"_qs);
    QTest::newRow("numbers add") << u"1 + 2"_qs << QVariant(qlonglong(3));
    QTest::newRow("precedence kept") << u"2 + 3 * 4"_qs << QVariant(qlonglong(14));
    QTest::newRow("minus then plus, left to right") << u"10 - 4 + 1"_qs << QVariant(qlonglong(7));
    QTest::newRow("text number read as number") << u"'41' + 1"_qs << QVariant(qlonglong(42));
    QTest::newRow("reals add") << u"1.5 + 1"_qs << QVariant(2.5);
    QTest::newRow("null with text is null") << u"NULL + 'x'"_qs << QVariant();
    QTest::newRow("text column joined") << u"(SELECT nome FROM tbPessoas WHERE id = 2) + '!'"_qs
                                        << QVariant(u"João O'Neil!"_qs);
    QTest::newRow("char out of range is null") << u"CHAR(300)"_qs << QVariant();
    QTest::newRow("convert a date") << u"CONVERT(DATETIME,'2014-05-31',102)"_qs << QVariant(u"2014-05-31 00:00:00"_qs);
    QTest::newRow("convert a date and time")
        << u"CONVERT(DATETIME,'2014-05-31 14:05:09',102)"_qs << QVariant(u"2014-05-31 14:05:09"_qs);
    QTest::newRow("convert compares with stored dates")
        << u"(SELECT count(*) FROM tbPessoas WHERE nascido >= CONVERT(DATETIME,'1980-01-01',102))"_qs
        << QVariant(qlonglong(1));
    QTest::newRow("plus inside literal untouched") << u"'a + b -- @@x'"_qs << QVariant(u"a + b -- @@x"_qs);
}

void tst_SqliteProvider::evaluatesTheDesksExpressions()
{
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    auto rs = connection.Execute(QStringLiteral("SELECT ") + expression + QStringLiteral(" AS valor"));
    const QVariant value = rs->value(QStringLiteral("valor"));
    QCOMPARE(value.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(value.typeId(), expected.typeId());
        QCOMPARE(value, expected);
    }
}

void tst_SqliteProvider::refusesBadExpressions_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("inDescription");
    QTest::newRow("text that is no number") << u"SELECT 'abc' + 1"_qs << u"Conversion failed"_qs;
    QTest::newRow("text joined, then a number") << u"SELECT 'x' + 1 + 2"_qs << u"Conversion failed"_qs;
    QTest::newRow("date that is no date") << u"SELECT CONVERT(DATETIME,'31/31/2014',102)"_qs << u"Conversion failed"_qs;
    QTest::newRow("undeclared variable") << u"SELECT * FROM tbPessoas WHERE id = @id"_qs << u"@id"_qs;
    QTest::newRow("bare parameter") << u"SELECT * FROM tbPessoas WHERE id = ?"_qs << u"scalar variable"_qs;
    QTest::newRow("colon parameter") << u"SELECT * FROM tbPessoas WHERE id = :id"_qs << u":id"_qs;
    QTest::newRow("outside the subset, SQLite's own message")
        << u"SELECT TOP 1 * FROM tbPessoas"_qs << u"syntax error"_qs;
}

void tst_SqliteProvider::refusesBadExpressions()
{
    QFETCH(QString, statement);
    QFETCH(QString, inDescription);
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    const RuntimeError error = errorOf([&] { connection.Execute(statement); });
    QCOMPARE(error.number(), platform::ProviderError::StatementFailed);
    QVERIFY2(error.description().contains(inDescription), qPrintable(error.description()));
    QCOMPARE(connection.Errors().size(), 1);
}

void tst_SqliteProvider::likeOperatorIgnoresCaseAndAccents_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QList<qlonglong>>("ids");
    QTest::newRow("accentless") << u"'%jose%'"_qs << QList<qlonglong>{1};
    QTest::newRow("upper case with tilde") << u"'%JOÃO%'"_qs << QList<qlonglong>{2};
    QTest::newRow("escaped quote pattern") << u"'%O' + CHAR(39) + 'Neil%'"_qs << QList<qlonglong>{2};
    QTest::newRow("everything") << u"'%%'"_qs << QList<qlonglong>{1, 2, 3};
    QTest::newRow("set of first letters") << u"'[jm]%'"_qs << QList<qlonglong>{1, 2, 3};
    QTest::newRow("negated set") << u"'[^j]%'"_qs << QList<qlonglong>{3};
    QTest::newRow("cedilla") << u"'%conceicao'"_qs << QList<qlonglong>{3};
}

void tst_SqliteProvider::likeOperatorIgnoresCaseAndAccents()
{
    QFETCH(QString, pattern);
    QFETCH(QList<qlonglong>, ids);
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    // The built-in LIKE would be case-sensitive for "Ã" and blind to accents.
    auto rs = connection.Execute(QStringLiteral("SELECT id FROM vwPessoas WHERE nome like ") + pattern +
                                 QStringLiteral(" ORDER BY id"));
    QList<qlonglong> found;
    for (; !rs->isEOF(); rs->MoveNext())
        found << rs->value(0).toLongLong();
    QCOMPARE(found, ids);
}

void tst_SqliteProvider::equalityOnCollatedColumnIgnoresCase()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    auto rs = connection.Execute(QStringLiteral("SELECT id FROM vwPessoas WHERE nome = 'MARIA DA CONCEICAO  '"));
    QVERIFY(!rs->isEOF());
    QCOMPARE(rs->value(0).toLongLong(), 3);
}

void tst_SqliteProvider::getDateIsTheHostClock()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
    connection.Execute(QStringLiteral("UPDATE tbPessoas SET nascido = GETDATE() WHERE id = 2"));
    const QDateTime after = QDateTime::currentDateTime();
    auto rs = connection.Execute(QStringLiteral("SELECT nascido FROM tbPessoas WHERE id = 2"));
    const QDateTime stored = rs->value(0).toDateTime();
    QVERIFY2(stored >= before && stored <= after, qPrintable(stored.toString(Qt::ISODate)));
}

void tst_SqliteProvider::tranCountFollowsTransactions()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    QCOMPARE(connection.Execute(QStringLiteral("SELECT @@TRANCOUNT as flTrans"))->value(0).toInt(), 0);
    connection.Execute(QStringLiteral("BEGIN"));
    QCOMPARE(connection.Execute(QStringLiteral("SELECT @@TRANCOUNT as flTrans"))->value(0).toInt(), 1);
    connection.Execute(QStringLiteral("COMMIT"));
}

void tst_SqliteProvider::uniqueViolationIsRecognised()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    const RuntimeError unique =
        errorOf([&] { connection.Execute(QStringLiteral("INSERT INTO tbPessoas (id, codigo) VALUES (9, 10)")); });
    QCOMPARE(unique.number(), platform::ProviderError::IntegrityViolation);
    QVERIFY(unique.isUniqueViolation());
    const RuntimeError other = errorOf([&] { connection.Execute(QStringLiteral("SELECT * FROM tbNada")); });
    QVERIFY(other.number() != 0);
    QVERIFY(!other.isUniqueViolation());
    QCOMPARE(connection.Execute(QStringLiteral("SELECT count(*) FROM tbPessoas"))->value(0).toInt(), 3);
}

void tst_SqliteProvider::errorsCollectionKeepsEveryFailure()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    errorOf([&] { connection.Execute(QStringLiteral("SELECT * FROM tbNada")); });
    errorOf([&] { connection.Execute(QStringLiteral("INSERT INTO tbPessoas (id, codigo) VALUES (9, 10)")); });
    QCOMPARE(connection.Errors().size(), 2);
    QVERIFY(connection.Errors().at(0).description.contains(u"tbNada"_qs));
    QCOMPARE(connection.Errors().at(1).sqlState, u"23000"_qs);
    QVERIFY(connection.Errors().at(1).nativeError != 0);
    connection.Execute(QStringLiteral("SELECT 1"));
    QCOMPARE(connection.Errors().size(), 2); // a success adds nothing and clears nothing
    connection.clearErrors();
    QVERIFY(connection.Errors().isEmpty());
}

void tst_SqliteProvider::closedConnectionRaises3709()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    QCOMPARE(errorOf([&] { connection.Execute(QStringLiteral("SELECT 1")); }).number(),
             platform::ErrorNumber::ConnectionClosed);
    connection.Open();
    connection.Close();
    QCOMPARE(errorOf([&] { connection.Execute(QStringLiteral("SELECT 1")); }).number(),
             platform::ErrorNumber::ConnectionClosed);
    QCOMPARE(errorOf([&] { connection.Close(); }).number(), platform::ErrorNumber::ConnectionClosed);
}

void tst_SqliteProvider::recordsetRaises3021And3265()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tbPessoas WHERE id > 1 ORDER BY id"), connection,
            platform::CursorType::Dynamic, platform::LockType::Optimistic);
    int count = 0;
    for (; !rs.isEOF(); rs.MoveNext())
        ++count;
    QCOMPARE(count, 2);
    QCOMPARE(errorOf([&] { rs.MoveNext(); }).number(), platform::ErrorNumber::NoCurrentRecord);
    QCOMPARE(errorOf([&] { rs.value(QStringLiteral("nome")); }).number(), platform::ErrorNumber::NoCurrentRecord);
    rs.MoveFirst();
    QCOMPARE(rs.value(QStringLiteral("ID")).toLongLong(), 2);
    QCOMPARE(errorOf([&] { rs.value(QStringLiteral("apelido")); }).number(), platform::ErrorNumber::ItemNotFound);
    rs.Close();
    QCOMPARE(errorOf([&] { rs.isEOF(); }).number(), platform::ErrorNumber::ConnectionClosed);
}

void tst_SqliteProvider::attachedFileIsReachable()
{
    const QString other = m_dir->filePath(QStringLiteral("outro.db"));
    platform::sqlite::createDatabaseFile(other, QStringLiteral("CREATE TABLE tbOutra (x INTEGER);"));
    Connection writer;
    writer.setConnectionString(sqliteString(m_path));
    writer.Open();
    writer.Execute(QStringLiteral("INSERT INTO tbPessoas (id, nome, codigo) VALUES (7, 'Rui', 70)"));

    Connection connection;
    connection.setConnectionString(sqliteString(other, QStringLiteral(";Attach=") + m_path));
    connection.Open();
    auto rs = connection.Execute(QStringLiteral("SELECT nome FROM tbPessoas WHERE id = 7"));
    QCOMPARE(rs->value(0).toString(), u"Rui"_qs);
    QCOMPARE(connection.Execute(QStringLiteral("SELECT count(*) FROM pessoas.tbPessoas"))->value(0).toInt(), 4);

    Connection missing;
    missing.setConnectionString(sqliteString(other, QStringLiteral(";Attach=") + m_dir->filePath(u"nada.db"_qs)));
    QCOMPARE(errorOf([&] { missing.Open(); }).number(), platform::ProviderError::OpenFailed);
    QCOMPARE(missing.State(), 0);
    QVERIFY(!QFile::exists(m_dir->filePath(u"nada.db"_qs)));
}

void tst_SqliteProvider::probeFailsOnAFileThatWasEmptied()
{
    Connection prober;
    prober.setConnectionString(sqliteString(m_path));
    prober.Open();
    QFile file(m_path);
    QVERIFY(file.resize(0));

    // The probe must read the file, or an unusable database would pass it.
    const RuntimeError error = errorOf([&] { prober.Execute(QStringLiteral("SELECT @@TRANCOUNT as flTrans")); });
    QCOMPARE(error.number(), platform::ProviderError::OpenFailed);
    QCOMPARE(prober.State(), 1);
    QCOMPARE(prober.Errors().size(), 1);
}

void tst_SqliteProvider::readOnlyFolderIsReadAsItIs_data()
{
    QTest::addColumn<bool>("fileReadOnly");
    QTest::addColumn<bool>("attached");
    QTest::newRow("folder read-only") << false << false;
    QTest::newRow("file and folder read-only") << true << false;
    QTest::newRow("attached file in a read-only folder") << false << true;
}

// A register on a read-only share: searched in the journal mode it has; a
// write there fails as any failed statement does.
void tst_SqliteProvider::readOnlyFolderIsReadAsItIs()
{
#ifndef Q_OS_LINUX
    QSKIP("Folder modes are the Linux build's.");
#else
    QFETCH(bool, fileReadOnly);
    QFETCH(bool, attached);
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(m_path.toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const QString other = m_dir->filePath(QStringLiteral("escrita/outro.db"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("escrita")));
    platform::sqlite::createDatabaseFile(other, QStringLiteral("CREATE TABLE tbOutra (x INTEGER);"));
    if (fileReadOnly)
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QFile::Permissions open = QFile::permissions(m_dir->path());
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] { QFile::setPermissions(m_dir->path(), open); });

    const testsupport::FileModesObeyed operatorAccount;
    Connection connection;
    connection.setConnectionString(attached ? sqliteString(other, QStringLiteral(";Attach=") + m_path)
                                            : sqliteString(m_path));
    connection.Open();
    QCOMPARE(connection.Execute(QStringLiteral("SELECT count(*) FROM tbPessoas"))->value(0).toInt(), 3);
    const QString mode =
        attached ? QStringLiteral("PRAGMA pessoas.journal_mode") : QStringLiteral("PRAGMA journal_mode");
    QCOMPARE(connection.Execute(mode)->value(0).toString(), QStringLiteral("delete"));
    const RuntimeError error = errorOf(
        [&] { connection.Execute(QStringLiteral("INSERT INTO tbPessoas (id, nome, codigo) VALUES (9, 'Rui', 90)")); });
    QVERIFY(error.number() != 0);
    QVERIFY2(error.description().contains(QLatin1String("readonly")), qPrintable(error.description()));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("pessoas.db")});
#endif
}

void tst_SqliteProvider::recordsAffected()
{
    Connection connection;
    connection.setConnectionString(sqliteString(m_path));
    connection.Open();
    qint64 affected = 0;
    connection.Execute(QStringLiteral("UPDATE tbPessoas SET altura = 1 WHERE id >= 2"), &affected);
    QCOMPARE(affected, 2);
    connection.Execute(QStringLiteral("SELECT * FROM tbPessoas"), &affected);
    QCOMPARE(affected, -1);
}

void tst_SqliteProvider::statementsEndAtTheirTimeout_data()
{
    QTest::addColumn<QString>("extra");
    QTest::addColumn<bool>("lockHeld");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<int>("underMs");
    QString endless = QStringLiteral("SELECT count(*) FROM tbPessoas t0"); // 3^20 rows to count
    for (int i = 1; i < 20; ++i)
        endless += QStringLiteral(", tbPessoas t%1").arg(i);
    const QString update = QStringLiteral("UPDATE tbPessoas SET altura = 2 WHERE id = 1");
    // The upper bounds are generous, yet below the lock wait of five seconds
    // the provider had before and far below an endless statement's.
    QTest::newRow("lock held elsewhere: the command timeout")
        << QStringLiteral(";Command Timeout=1") << true << update << 900 << 4500;
    QTest::newRow("lock held elsewhere: a shorter busy timeout")
        << QStringLiteral(";Busy Timeout=300") << true << update << 250 << 4500;
    QTest::newRow("statement that never ends")
        << QStringLiteral(";Command Timeout=1") << false << endless << 900 << 4500;
}

void tst_SqliteProvider::statementsEndAtTheirTimeout()
{
    QFETCH(QString, extra);
    QFETCH(bool, lockHeld);
    QFETCH(QString, statement);
    QFETCH(int, atLeastMs);
    QFETCH(int, underMs);
    sqlite3 *holder = nullptr;
    QCOMPARE(sqlite3_open(m_path.toUtf8().constData(), &holder), SQLITE_OK);
    if (lockHeld)
        QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    Connection connection;
    connection.setConnectionString(sqliteString(m_path, extra));
    connection.Open();
    QElapsedTimer clock;
    clock.start();
    const RuntimeError error = errorOf([&] { connection.Execute(statement); });
    const qint64 elapsed = clock.elapsed();
    sqlite3_close(holder); // the lock goes with it
    QCOMPARE(error.number(), platform::ProviderError::TimeoutExpired);
    QVERIFY2(error.description().startsWith(QLatin1String("Query timeout expired")), qPrintable(error.description()));
    QVERIFY2(elapsed >= atLeastMs && elapsed < underMs, qPrintable(QString::number(elapsed)));
    // The next statement has its own time again.
    QCOMPARE(connection.Execute(QStringLiteral("SELECT count(*) FROM tbPessoas"))->value(0).toInt(), 3);
}

QTEST_APPLESS_MAIN(tst_SqliteProvider)
#include "tst_SqliteProvider.moc"
