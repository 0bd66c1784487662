// How long the desk takes from Enter to the member shown, and from
// "Processar Entrega" to the number shown, on registers of growing size;
// beside each figure, the same statements run straight on the sqlite3 C API.
// Usage: QT_QPA_PLATFORM=offscreen desk_benchmark [largest register size]
#include "BenchFigures.h"
#include "BenchRegisters.h"

#include "app/frmMain.h"
#include "app/frmMainResults.h"
#include "data/Data.h"
#include "data/RegisterIndex.h"
#include "platform/db/access/Connection.h"
#include "platform/db/sql/TsqlTranslation.h"
#include "platform/db/sqlite/FoldedIndex.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/demo/DemoDatabase.h"
#include "sqltext/modCode.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

using bench::Figure;
using bench::median;
using bench::registerOf;
using bench::Repeats;

double residentMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Calls back once, when a window of the given name is first painted.
class FirstPaint : public QObject
{
public:
    FirstPaint(const QString &name, std::function<void(QWidget *)> callback)
        : m_name(name), m_callback(std::move(callback))
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_callback && event->type() == QEvent::Paint && watched->isWidgetType()) {
            QWidget *window = static_cast<QWidget *>(watched)->window();
            if (window->objectName() == m_name)
                std::exchange(m_callback, {})(window);
        }
        return false;
    }

private:
    QString m_name;
    std::function<void(QWidget *)> m_callback;
};

// The desk's statements on the C API: the same opens, probes, statements
// and rows read to the end, searches narrowed through the register's index as
// the desk's are. With builtinLike, LIKE is SQLite's own (ASCII, blind to case
// only) over every row: the floor of a scan.
class DirectDesk
{
public:
    explicit DirectDesk(const demo::Files &files, bool builtinLike = false) : m_files(files), m_builtinLike(builtinLike)
    {
    }

    double run(const QStringList &haldorStatements, const QStringList &mirvaStatements)
    {
        QElapsedTimer timer;
        timer.start();
        sqlite3 *haldor = open(m_files.haldor, QString());
        sqlite3 *mirva = open(m_files.mirva, m_files.haldor);
        sqlite3 *delivery = open(m_files.haldor, QString());
        for (sqlite3 *db : {haldor, mirva, delivery})
            readAll(db, QStringLiteral("SELECT @@TRANCOUNT as flTrans"));
        for (const QString &statement : haldorStatements)
            readAll(haldor, statement);
        for (const QString &statement : mirvaStatements)
            readAll(mirva, statement);
        for (sqlite3 *db : {haldor, mirva, delivery})
            close(db);
        return timer.nsecsElapsed() / 1e6;
    }

    double runOn(const QStringList &statements)
    {
        sqlite3 *db = open(m_files.haldor, QString());
        QElapsedTimer timer;
        timer.start();
        for (const QString &statement : statements)
            readAll(db, statement);
        const double ms = timer.nsecsElapsed() / 1e6;
        close(db);
        return ms;
    }

    // The register's file opened as the desk opens it, without the index's
    // check; and that check alone, on the open file.
    std::pair<double, double> openAndCheck()
    {
        QElapsedTimer timer;
        timer.start();
        sqlite3 *db = nullptr;
        sqlite3_open_v2(m_files.haldor.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        platform::sqlite::installDeskFunctions(db);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        const double opened = timer.nsecsElapsed() / 1e6;
        timer.restart();
        platform::sqlite::FoldedIndex(registers::memberIndex()).opened(db);
        const double checked = timer.nsecsElapsed() / 1e6;
        sqlite3_close(db);
        return {opened, checked};
    }

private:
    sqlite3 *open(const QString &file, const QString &attach)
    {
        sqlite3 *db = nullptr;
        // As the desk opens them: a connection of one thread takes no lock of its own.
        sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_busy_timeout(db, 5000);
        platform::sqlite::installDeskFunctions(db);
        if (m_builtinLike)
            sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqliteOwnLike,
                                       nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (!attach.isEmpty())
            sqlite3_exec(db, ("ATTACH DATABASE '" + attach.toUtf8() + "' AS attached1").constData(), nullptr, nullptr,
                         nullptr);
        auto &hooks = m_hooks[db] = std::make_unique<platform::sqlite::FoldedIndex>(registers::memberIndex());
        hooks->opened(db);
        return db;
    }

    void close(sqlite3 *db)
    {
        m_hooks.erase(db);
        sqlite3_close(db);
    }

    // SQLite's own LIKE matching (sqlite3_strlike is what its built-in like() runs),
    // in place of the desk's.
    static void sqliteOwnLike(sqlite3_context *context, int, sqlite3_value **arguments)
    {
        const auto *pattern = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[1]));
        if (!pattern || !text)
            return sqlite3_result_null(context);
        sqlite3_result_int(context, sqlite3_strlike(pattern, text, 0) == 0);
    }

    void readAll(sqlite3 *db, const QString &statement) const
    {
        QString translated = platform::sql::translateTsql(statement);
        // With the built-in LIKE the numbers are still found through the index, the names by scan.
        const auto hooks = m_hooks.find(db);
        if (hooks != m_hooks.end() &&
            !(m_builtinLike && translated.contains(QLatin1String("like"), Qt::CaseInsensitive)))
            translated = hooks->second->rewrite(db, translated);
        const QByteArray sql = translated.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "not prepared: %s\n", sqlite3_errmsg(db));
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                sqlite3_column_value(stmt, i);
        sqlite3_finalize(stmt);
    }

    demo::Files m_files;
    bool m_builtinLike;
    std::map<sqlite3 *, std::unique_ptr<platform::sqlite::FoldedIndex>> m_hooks; // as the desk's connections hold them
};

QString lit(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

void print(const std::vector<Figure> &figures)
{
    std::printf("\n| register | measure | desk (ms) | direct (ms) | ratio | built-in LIKE (ms) | desk / built-in |\n"
                "|---:|---|---:|---:|---:|---:|---:|\n");
    const auto cell = [](double value) { return value > 0 ? QString::number(value, 'f', 1) : QStringLiteral("–"); };
    const auto ratio = [](double a, double b) { return b > 0 ? QString::number(a / b, 'f', 2) : QStringLiteral("–"); };
    for (const Figure &f : figures)
        std::printf("| %d | %s | %s | %s | %s | %s | %s |\n", f.size, qPrintable(f.what), qPrintable(cell(f.desk)),
                    qPrintable(cell(f.direct)), qPrintable(ratio(f.desk, f.direct)), qPrintable(cell(f.builtin)),
                    qPrintable(ratio(f.desk, f.builtin)));
    std::fflush(stdout);
}

// The picker on its own: rows handed over to the window painted, without the
// statements that found them.
double pickerAlone(int rows)
{
    std::vector<frmMainResults::Row> items;
    items.reserve(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i)
        items.push_back({QStringLiteral("#%1").arg(i + 1), QString::number(100000 + i),
                         QStringLiteral("Sócio %1 Ribeiro Centena").arg(i), QStringLiteral("Empresa %1, Lda.").arg(i),
                         QStringLiteral("socio%1@exemplo.pt").arg(i)});
    QElapsedTimer timer;
    timer.start();
    frmMainResults picker;
    picker.addItems(items);
    picker.show();
    QApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    picker.hide();
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int largest = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    testsupport::MessageBoxRecorder boxes;
    std::vector<Figure> figures;
    double pickerPeak = 0;

    for (int size : {10000, 100000, 1000000}) {
        if (size > largest)
            break;
        const bench::EmptyRegisters registers;
        const demo::Files &files = registers.files;
        const demo::ConnectionStrings &strings = registers.strings;
        std::fprintf(stderr, "building registers of %d members...\n", size);
        demo::insertMembers(files.haldor, registerOf(size, 1, QStringLiteral("H")));
        demo::insertMembers(files.mirva, registerOf(size, 1, QStringLiteral("M")));
        Data().setConnectionStrings(strings.sqlServer, strings.haldor, strings.mirva);
        DirectDesk direct(files);
        DirectDesk builtin(files, true);

        frmMain window;
        window.show();
        auto *entry = window.findChild<QLineEdit *>(QStringLiteral("FXNo_TAP"));
        // Each search starts from a settled window, as the operator's next
        // keystroke does: what the last one left to paint is not its cost.
        auto search = [&](const QString &text) {
            entry->setText(text);
            entry->setFocus();
            QApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(entry, Qt::Key_Return);
            return timer.nsecsElapsed() / 1e6;
        };
        const QString active = QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE ");
        const QString full = QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE ");

        // One register opened, and the index's check of its file within that.
        std::vector<double> deskTimes, directTimes, checkTimes;
        for (int i = 0; i < Repeats; ++i) {
            platform::Connection connection;
            connection.setConnectionString(strings.haldor);
            QElapsedTimer timer;
            timer.start();
            connection.Open();
            deskTimes.push_back(timer.nsecsElapsed() / 1e6);
            connection.Close();
            const auto [opened, checked] = direct.openAndCheck();
            directTimes.push_back(opened);
            checkTimes.push_back(checked);
        }
        figures.push_back({QStringLiteral("one register opened"), size, median(deskTimes), median(directTimes)});
        figures.push_back({QStringLiteral("the register index's check at open, alone"), size, median(checkTimes), 0});

        // A company number: A1 hits, B1 finds it in MIRVA too.
        deskTimes.clear();
        directTimes.clear();
        for (int i = 0; i < Repeats; ++i) {
            const QString number = QString::number(100000 + size / 3 + i);
            deskTimes.push_back(search(number));
            directTimes.push_back(direct.run({active + QStringLiteral("no_empresa = ") + lit(number)},
                                             {full + QStringLiteral("no_empresa = ") + lit(number)}));
        }
        figures.push_back({QStringLiteral("company-number search"), size, median(deskTimes), median(directTimes)});

        // A unique name: A1, A2 miss, A3 finds one; B1 misses, B2 misses.
        deskTimes.clear();
        directTimes.clear();
        std::vector<double> builtinTimes;
        const QString unique = QStringLiteral("zacarias unico");
        const QStringList uniqueHaldor = {active + QStringLiteral("no_empresa = ") + lit(unique),
                                          active + QStringLiteral("no_socio = ") + lit(unique),
                                          active + QStringLiteral("nome_union like '%zacarias%unico%'"),
                                          full + QStringLiteral("no_socio = ") + lit(unique)};
        const QStringList uniqueMirva = {full + QStringLiteral("no_empresa = ") + lit(unique)};
        for (int i = 0; i < Repeats; ++i) {
            deskTimes.push_back(search(unique));
            directTimes.push_back(direct.run(uniqueHaldor, uniqueMirva));
            builtinTimes.push_back(builtin.run(uniqueHaldor, uniqueMirva));
        }
        figures.push_back(
            {QStringLiteral("unique name search"), size, median(deskTimes), median(directTimes), median(builtinTimes)});

        // A pasted page of 32,000 characters, an apostrophe in every seven,
        // that matches nobody: Enter to the "not found" message answered.
        deskTimes.clear();
        directTimes.clear();
        const QString page = QStringLiteral("O'Neil ").repeated(32000 / 7 + 1).left(32000);
        const QString number = modCode::SqlLiteral(page, modCode::LiteralKind::TextOrEmpty);
        const QString pattern = modCode::SqlLiteral(page, modCode::LiteralKind::LikePattern);
        builtinTimes.clear();
        const QStringList pasteHaldor = {
            active + QStringLiteral("no_empresa = ") + number, active + QStringLiteral("no_socio = ") + number,
            active + QStringLiteral("nome_union like ") + pattern, full + QStringLiteral("no_socio = ") + number};
        const QStringList pasteMirva = {full + QStringLiteral("no_empresa = ") + number,
                                        full + QStringLiteral("nome_union like ") + pattern};
        for (int i = 0; i < Repeats; ++i) {
            deskTimes.push_back(search(page));
            directTimes.push_back(direct.run(pasteHaldor, pasteMirva));
            builtinTimes.push_back(builtin.run(pasteHaldor, pasteMirva));
        }
        figures.push_back({QStringLiteral("32,000-character paste: Enter to outcome"), size, median(deskTimes),
                           median(directTimes), median(builtinTimes)});

        // Names that open the picker; the operator confirms the first row.
        for (const auto &[word, matches] :
             {std::pair{QStringLiteral("milhar"), 1000}, std::pair{QStringLiteral("centena"), 100000}}) {
            const int rows = matches; // the lambda below captures it: clang 14 cannot capture a binding
            if (rows > size)
                continue;
            deskTimes.clear();
            directTimes.clear();
            builtinTimes.clear();
            std::vector<double> openTimes;
            for (int i = 0; i < (rows > 1000 ? 2 : Repeats); ++i) {
                QElapsedTimer timer;
                double opened = 0;
                // Timed at the picker's first paint, and confirmed straight after,
                // rather than by polling for the modal window.
                FirstPaint painted(QStringLiteral("frmMainResults"), [&](QWidget *picker) {
                    opened = timer.nsecsElapsed() / 1e6;
                    if (rows == 100000 && size == 100000)
                        pickerPeak = std::max(pickerPeak, residentMemoryMiB());
                    QTimer::singleShot(0, picker, [picker] {
                        QTest::mouseClick(picker->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
                    });
                });
                entry->setText(word);
                entry->setFocus();
                QApplication::processEvents();
                timer.start();
                QTest::keyClick(entry, Qt::Key_Return);
                deskTimes.push_back(timer.nsecsElapsed() / 1e6);
                openTimes.push_back(opened);
                const QStringList haldorStatements = {active + QStringLiteral("no_empresa = ") + lit(word),
                                                      active + QStringLiteral("no_socio = ") + lit(word),
                                                      active + QStringLiteral("nome_union like '%") + word +
                                                          QStringLiteral("%'"),
                                                      full + QStringLiteral("no_socio = ") + lit(word)};
                const QStringList mirvaStatements = {full + QStringLiteral("no_empresa = ") + lit(word)};
                directTimes.push_back(direct.run(haldorStatements, mirvaStatements));
                builtinTimes.push_back(builtin.run(haldorStatements, mirvaStatements));
            }
            figures.push_back({QStringLiteral("name search, picker of %1 rows: Enter to picker open").arg(rows), size,
                               median(openTimes), median(directTimes), median(builtinTimes)});
            figures.push_back({QStringLiteral("name search, picker of %1 rows: Enter to member shown").arg(rows), size,
                               median(deskTimes), median(directTimes), median(builtinTimes)});
        }

        if (size == 100000) {
            std::vector<double> alone;
            for (int i = 0; i < Repeats; ++i)
                alone.push_back(pickerAlone(size));
            figures.push_back(
                {QStringLiteral("picker alone: 100000 rows handed over to window shown"), size, median(alone), 0});
        }

        // Deliveries: search a new member, then time the click alone.
        deskTimes.clear();
        directTimes.clear();
        auto *deliver = window.findChild<QPushButton *>(QStringLiteral("Command2"));
        for (int i = 0; i < Repeats; ++i) {
            search(QString::number(100000 + i));
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(deliver, Qt::LeftButton);
            deskTimes.push_back(timer.nsecsElapsed() / 1e6);
            const int socio = 900000 + i;
            directTimes.push_back(direct.runOn(
                {QStringLiteral("SELECT MAX(convite_no) as last FROM tbVelunas"),
                 QStringLiteral("SELECT * FROM tbVelunas WHERE socio_id = %1 AND base_dados = 1").arg(socio),
                 QStringLiteral("SELECT * FROM tbVelunas WHERE socio_id = %1 AND base_dados = 1").arg(socio),
                 QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, empresa, "
                                "email) VALUES (%1,1, GETDATE(), %2,'1','Nome','Empresa','e@x.pt')")
                     .arg(socio)
                     .arg(800000 + i)}));
        }
        figures.push_back(
            {QStringLiteral("delivery: click to number shown"), size, median(deskTimes), median(directTimes)});
        std::fprintf(stderr, "registers of %d members measured\n", size);
    }
    try {
        bench::measurePostgres(figures, largest);
    } catch (const platform::RuntimeError &error) {
        std::fprintf(stderr, "PostgreSQL rows stopped: %s\n", qPrintable(error.description()));
    }
    print(figures);
    Data().setConnectionStrings(QString(), QString(), QString());
    std::printf("\nResident memory of the desk with the 100,000-row picker open (register of 100,000): %.0f MiB\n",
                pickerPeak);
    std::printf("Targets: number search within 1.5x direct; unique name search within 1.5x the built-in scan, and "
                "under 20 ms at 100,000 members (on PostgreSQL at 1,000,000); picker of 100,000 rows open within 1.5x "
                "its statements; delivery within 20 ms.\n");
    return 0;
}
