// Several real desk processes on one delivery table, each delivering to
// members drawn from one shared pool: no number is given twice, no member
// gets two invitations, the numbers have no gaps, and every delivery a desk
// reported is in the table. The same while deliveries are undone and the
// report reads meanwhile: an undone number is never given again, its row is
// in the record, and the report sees every number once. And while a register
// of a million members is imported into HALDOR's file: every delivery and
// search still works, on the old register or the new one.
#include "tests/support/DeskFixture.h"

#include "sitetools/report/DeliveryReport.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTextStream>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int Desks = 4;
constexpr int AttemptsPerDesk = 250;
constexpr int MembersPerRegister = 150;

using Strings = demo::ConnectionStrings;

// HALDOR's members have company numbers 1000..., MIRVA's 2000...; both use
// the same member ids, so a pair differs only by its register code.
QString companyNumber(int reg, int i)
{
    return QString::number(reg * 1000 + i);
}

QStringList pool()
{
    QStringList numbers;
    for (int reg = 1; reg <= 2; ++reg)
        for (int i = 0; i < MembersPerRegister; ++i)
            numbers << companyNumber(reg, i);
    return numbers;
}

QList<demo::Member> registerMembers(int reg)
{
    QList<demo::Member> members;
    for (int i = 0; i < MembersPerRegister; ++i) {
        demo::Member m;
        m.contactoId = i + 1;
        m.noEmpresa = companyNumber(reg, i);
        m.noSocio = QStringLiteral("S%1-%2").arg(reg).arg(i);
        m.nome = QStringLiteral("Sócio %1 D'Ávila").arg(i);
        m.empresa = QStringLiteral("Empresa %1").arg(i);
        m.email = QStringLiteral("socio%1@exemplo.pt").arg(i);
        m.activo = 1;
        members << m;
    }
    return members;
}

// Members imported while the desks deliver: HALDOR's pool as it is, and as
// many more as a large association has (fewer where the tests run emulated
// or instrumented, ten times slower, within the test function's time limit).
#if defined(Q_OS_WIN) || defined(__SANITIZE_ADDRESS__)
constexpr int ImportedMembers = 100000;
#else
constexpr int ImportedMembers = 1000000;
#endif

// A name of letters only: a pool's number typed at a desk finds no imported name.
QString importedName(int i)
{
    QString letters = QString::number(i);
    for (QChar &c : letters)
        c = QLatin1Char(char('a' + c.digitValue()));
    return QStringLiteral("Associado Novo ") + letters;
}

void writeImportFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QTextStream out(&file);
    out << "contacto_id;no_empresa;no_socio;nome;empresa;email;activo\n";
    for (const demo::Member &m : registerMembers(1))
        out << m.contactoId << ';' << m.noEmpresa << ';' << m.noSocio << ';' << m.nome << ';' << m.empresa << ';'
            << m.email.toString() << ";1\n";
    for (int i = MembersPerRegister + 1; i <= ImportedMembers; ++i)
        out << i << ';' << 10000000 + i << ";N" << i << ';' << importedName(i) << ";Empresa;;1\n";
}

struct Outcome
{
    QString kind; // recorded, refused, notfound, error
    QString line;
    qint64 socio = 0, code = 0, number = 0;
};

// `meanwhile` runs again and again while the desks deliver; with `until` the
// desks go on until that file is there.
QList<Outcome> runDesks(const Strings &strings, const std::function<void()> &meanwhile = {}, const QString &until = {})
{
    std::vector<std::unique_ptr<QProcess>> desks;
    for (int i = 0; i < Desks; ++i) {
        auto desk = std::make_unique<QProcess>();
        desk->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{strings.sqlServer,
                              strings.haldor,
                              strings.mirva,
                              QString::number(7919 * (i + 1)),
                              QString::number(AttemptsPerDesk),
                              pool().join(QLatin1Char(','))};
        if (!until.isEmpty())
            arguments = QStringList{QStringLiteral("--until"), until} + arguments;
        desk->start(testsupport::binaryDir() + QStringLiteral("/desk_worker"), arguments);
        desks.push_back(std::move(desk));
    }
    // Released together once every window is up, so that they really race.
    for (auto &desk : desks)
        if (!desk->waitForReadyRead(60000) || desk->readLine().trimmed() != "ready")
            return {Outcome{QStringLiteral("error"), QStringLiteral("a desk did not start")}};
    for (auto &desk : desks)
        desk->write("go\n");
    for (auto &desk : desks)
        desk->waitForBytesWritten(10000);
    const auto running = [&] {
        return std::any_of(desks.begin(), desks.end(),
                           [](const auto &desk) { return desk->state() != QProcess::NotRunning; });
    };
    while (meanwhile && running()) {
        meanwhile();
        QTest::qWait(20);
    }
    QList<Outcome> outcomes;
    for (auto &desk : desks) {
        // A desk that ended meanwhile has nothing more to wait for.
        const bool ended = desk->state() == QProcess::NotRunning || desk->waitForFinished(300000);
        if (!ended || desk->exitStatus() != QProcess::NormalExit || desk->exitCode() != 0) {
            desk->kill();
            desk->waitForFinished();
            outcomes << Outcome{QStringLiteral("error"), QStringLiteral("a desk did not finish cleanly")};
            continue;
        }
        for (const QByteArray &raw : desk->readAllStandardOutput().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty())
                continue;
            const QStringList f = line.split(QLatin1Char(' '));
            Outcome outcome{f.at(0), line};
            if ((outcome.kind == QLatin1String("recorded") || outcome.kind == QLatin1String("refused")) &&
                f.size() == 5) {
                outcome.socio = f.at(2).toLongLong();
                outcome.code = f.at(3).toLongLong();
                outcome.number = f.at(4).toLongLong();
            }
            outcomes << outcome;
        }
    }
    return outcomes;
}

// The table after the race, read back through the delivery connection. An
// undone delivery is the record's row; its number stays in the table.
void checkTable(const Strings &strings, const QList<Outcome> &outcomes, bool undoing = false)
{
    QVERIFY(outcomes.size() >= Desks * AttemptsPerDesk);
    for (const Outcome &o : outcomes)
        QVERIFY2(o.kind == QLatin1String("recorded") || o.kind == QLatin1String("refused"), qPrintable(o.line));

    const auto rows = testsupport::rowsOn(strings.sqlServer,
                                          QStringLiteral("SELECT socio_id, base_dados, convite_no FROM tbVelunas"));

    QMap<QPair<qint64, qint64>, qint64> numberOf;
    std::vector<qint64> numbers;
    for (const auto &row : rows) {
        const auto pair = qMakePair(row.at(0).toLongLong(), row.at(1).toLongLong());
        QVERIFY2(!numberOf.contains(pair),
                 qPrintable(QStringLiteral("two rows for %1/%2").arg(pair.first).arg(pair.second)));
        numberOf.insert(pair, row.at(2).toLongLong());
        numbers.push_back(row.at(2).toLongLong());
    }
    std::sort(numbers.begin(), numbers.end());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        QCOMPARE(numbers[i], qint64(i + 1));
    QSet<QPair<qint64, qint64>> undone; // (number, socio_id * 10 + base_dados) as it was given
    if (undoing) {
        for (const auto &row : testsupport::rowsOn(
                 strings.sqlServer, QStringLiteral("SELECT convite_no, socio_id, base_dados FROM tbAnulacoes"))) {
            const qint64 number = row.at(0).toLongLong();
            QCOMPARE(numberOf.value(qMakePair(-number, qint64(0)), -1), number);
            undone.insert(qMakePair(number, row.at(1).toLongLong() * 10 + row.at(2).toLongLong()));
        }
        qInfo("%d deliveries undone meanwhile", int(undone.size()));
        QVERIFY(!undone.isEmpty());
    }

    int recorded = 0;
    QSet<QPair<qint64, qint64>> refusedPairs;
    for (const Outcome &o : outcomes) {
        const auto pair = qMakePair(o.socio, o.code);
        const bool standing = numberOf.value(pair, -1) == o.number;
        QVERIFY2(standing || undone.contains(qMakePair(o.number, o.socio * 10 + o.code)), qPrintable(o.line));
        if (o.kind == QLatin1String("recorded"))
            ++recorded;
        else
            refusedPairs.insert(pair);
    }
    qInfo("%d deliveries recorded, %d refused", recorded, int(outcomes.size()) - recorded);
    // Each row was handed out by exactly one desk, and the pool overlapped.
    QCOMPARE(recorded, int(rows.size()));
    QVERIFY2(!refusedPairs.isEmpty(), "no desk ever met a member another desk had served");
}

// Undoes one of the deliveries given so far, and reads the report meanwhile:
// every number up to where it began, each once.
void undoOneAndReport(const Strings &strings, QRandomGenerator &random)
{
    const auto given = testsupport::rowsOn(strings.sqlServer,
                                           QStringLiteral("SELECT convite_no FROM tbVelunas WHERE base_dados <> 0"));
    if (given.isEmpty())
        return;
    const qint32 number = given.at(random.bounded(int(given.size()))).at(0).toInt();
    const report::UndoResult result = testsupport::undoOn(strings.sqlServer, number, QStringLiteral("r"));
    QVERIFY2(result.outcome == report::UndoOutcome::Undone, qPrintable(result.message));
    platform::Connection deliveries, haldor, mirva;
    report::openNamed(deliveries, strings.sqlServer, QStringLiteral("SqlServer"));
    report::openNamed(haldor, strings.haldor, QStringLiteral("HALDOR"));
    report::openNamed(mirva, strings.mirva, QStringLiteral("MIRVA"));
    const report::DeliverySummary summary = report::gatherReport(deliveries, haldor, mirva, nullptr).summary;
    QCOMPARE(summary.missingNumbers(), 0);
    QCOMPARE(summary.delivered() + summary.undone(), summary.highestNumber());
}

} // namespace

class tst_concurrentDesks : public QObject
{
    Q_OBJECT

public:
    explicit tst_concurrentDesks(testsupport::Backend backend) : m_backend(backend) {}

private:
    testsupport::Backend m_backend;

private slots:
    void racingDesks()
    {
        testsupport::DeskFixture desk(m_backend);
        desk.addHaldor(registerMembers(1));
        desk.addMirva(registerMembers(2));
        checkTable(desk.strings, runDesks(desk.strings));
    }

    void undoingWhileDesksDeliver()
    {
        testsupport::DeskFixture desk(m_backend);
        desk.addHaldor(registerMembers(1));
        desk.addMirva(registerMembers(2));
        QRandomGenerator random(17);
        checkTable(desk.strings, runDesks(desk.strings, [&] { undoOneAndReport(desk.strings, random); }), true);
    }

    void importingWhileDesksDeliver()
    {
        if (m_backend != testsupport::Backend::Embedded)
            QSKIP("the import writes the embedded registers");
        testsupport::DeskFixture desk(m_backend);
        desk.addHaldor(registerMembers(1));
        desk.addMirva(registerMembers(2));
        const QString csv = desk.dir.filePath(QStringLiteral("socios.csv"));
        writeImportFile(csv);
        const QString imported = desk.dir.filePath(QStringLiteral("imported"));
        QProcess import;
        import.setProcessChannelMode(QProcess::ForwardedChannels);
        // Started once the desks deliver; they go on until it has ended, and
        // deliveries undone meanwhile keep them recording.
        QRandomGenerator random(29);
        bool started = false;
        const auto importing = [&] {
            undoOneAndReport(desk.strings, random);
            if (!std::exchange(started, true))
                import.start(testsupport::binaryDir() + QStringLiteral("/import_members"), {desk.files.haldor, csv});
            else if (import.state() == QProcess::NotRunning && !QFile::exists(imported))
                QFile(imported).open(QIODevice::WriteOnly);
        };
        checkTable(desk.strings, runDesks(desk.strings, importing, imported), true);
        QCOMPARE(import.exitStatus(), QProcess::NormalExit);
        QCOMPARE(import.exitCode(), 0);
        QCOMPARE(desk.rows(desk.files.haldor, QStringLiteral("SELECT count(*) FROM tbAssociados")).value(0).value(0),
                 QVariant(qint64(ImportedMembers)));
        // The new register's members are found by number and by name.
        const QString company = QString::number(10000000 + ImportedMembers);
        desk.search(company);
        QCOMPARE(desk.box("FXNome")->text(), importedName(ImportedMembers));
        desk.search(importedName(ImportedMembers).mid(10));
        QCOMPARE(desk.box("FXNo_Empresa")->text(), company);
    }
};

VELUNAS_DESK_TEST_MAIN(tst_concurrentDesks)
#include "tst_concurrentDesks.moc"
