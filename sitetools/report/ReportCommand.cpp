#include "sitetools/report/ReportCommand.h"

#include "platform/os/SiteAccount.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/report/DeliveryReport.h"
#include "sitetools/report/DeliveryUndo.h"
#include "sitetools/report/DeskConnections.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSysInfo>

#include <memory>
#include <optional>

namespace report {

namespace {

// The record table's column holds this much on SQL Server.
constexpr qsizetype MaxReasonLength = 1000;

struct Options
{
    QString csv;
    QString pdf;
    bool plain = false;
    std::optional<qint64> undo;
    QString reason;
    bool help = false;
    QString problem; // what is wrong with the command line
};

Options parse(const QStringList &arguments)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size() && options.problem.isEmpty(); ++i) {
        const QString &argument = arguments.at(i);
        const auto value = [&](QString &into) {
            if (i + 1 >= arguments.size())
                options.problem = QStringLiteral("%1 needs a value").arg(argument);
            else
                into = arguments.at(++i);
        };
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--csv")) {
            value(options.csv);
        } else if (argument == QLatin1String("--pdf")) {
            value(options.pdf);
        } else if (argument == QLatin1String("--plain")) {
            options.plain = true;
        } else if (argument == QLatin1String("--reason")) {
            value(options.reason);
        } else if (argument == QLatin1String("--undo")) {
            QString number;
            value(number);
            bool ok = false;
            const qint64 parsed = number.toLongLong(&ok);
            if (options.problem.isEmpty() && (!ok || parsed < 1 || parsed > 2147483647))
                options.problem = QStringLiteral("--undo takes an invitation number, not \"%1\"").arg(number);
            options.undo = parsed;
        } else {
            options.problem = QStringLiteral("unknown argument \"%1\"").arg(argument);
        }
    }
    if (!options.problem.isEmpty() || options.help)
        return options;
    const bool reporting = !options.csv.isEmpty() || !options.pdf.isEmpty();
    if (options.undo && reporting)
        options.problem = QStringLiteral("--undo runs on its own, without --csv or --pdf");
    else if (options.undo && options.reason.trimmed().isEmpty())
        options.problem = QStringLiteral("--undo needs --reason \"<why>\"");
    else if (options.reason.trimmed().size() > MaxReasonLength)
        options.problem = QStringLiteral("--reason is longer than %1 characters").arg(MaxReasonLength);
    else if (!options.undo && !options.reason.isEmpty())
        options.problem = QStringLiteral("--reason goes with --undo");
    else if (!options.undo && !reporting)
        options.problem = QStringLiteral("nothing to do: give --csv, --pdf or --undo");
    else if (options.plain && options.csv.isEmpty())
        options.problem = QStringLiteral("--plain goes with --csv");
    else if (options.csv == QLatin1String("-") && options.pdf == QLatin1String("-"))
        options.problem = QStringLiteral("only one of --csv and --pdf can go to standard output");
    return options;
}

// A file is written whole or not at all; "-" is standard output.
class Output
{
public:
    explicit Output(const QString &path)
    {
        if (path == QLatin1String("-")) {
            auto out = std::make_unique<QFile>();
            if (!out->open(stdout, QIODevice::WriteOnly))
                fail(path, out->errorString());
            m_device = std::move(out);
            return;
        }
        auto file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly))
            fail(path, file->errorString());
        m_saved = file.get();
        m_device = std::move(file);
    }

    QIODevice &device() { return *m_device; }

    void write(const QByteArray &bytes)
    {
        if (m_device->write(bytes) != bytes.size())
            fail(m_device->errorString());
    }

    void finish()
    {
        if (m_saved && !m_saved->commit())
            fail(m_saved->fileName(), m_saved->errorString());
        if (!m_saved && !static_cast<QFile *>(m_device.get())->flush())
            fail(m_device->errorString());
    }

private:
    [[noreturn]] static void fail(const QString &path, const QString &why)
    {
        throw platform::RuntimeError(platform::ErrorNumber::InternalError,
                                     QStringLiteral("cannot write %1: %2").arg(path, why));
    }
    [[noreturn]] void fail(const QString &why) { fail(m_saved ? m_saved->fileName() : QStringLiteral("-"), why); }

    std::unique_ptr<QIODevice> m_device;
    QSaveFile *m_saved = nullptr;
};

// A line on standard error every two seconds of a long run, counting the rows read.
class Progress
{
public:
    explicit Progress(QTextStream &err) : m_err(err) { m_clock.start(); }

    void update(qint64 read, qint64 expected)
    {
        if (m_clock.elapsed() < m_next)
            return;
        m_next = m_clock.elapsed() + 2000;
        m_err << QCoreApplication::applicationName() << ": " << read << " of " << expected << " deliveries read\n";
        m_err.flush();
    }

private:
    QTextStream &m_err;
    QElapsedTimer m_clock;
    qint64 m_next = 1000;
};

int writeReport(const Options &options, QTextStream &err)
{
    const DeskStrings strings = deskStrings();
    platform::Connection deliveries, haldor, mirva;
    openNamed(deliveries, strings.deliveries, QStringLiteral("SqlServer"));
    openNamed(haldor, strings.haldor, QStringLiteral("HALDOR"));
    openNamed(mirva, strings.mirva, QStringLiteral("MIRVA"));

    std::optional<Output> csvFile;
    std::optional<DeliveryCsv> csv;
    if (!options.csv.isEmpty()) {
        csvFile.emplace(options.csv);
        csv.emplace(csvFile->device(), options.plain ? CsvForm::Plain : CsvForm::Spreadsheet);
    }
    Progress progress(err);
    const PageContent page = gatherReport(deliveries, haldor, mirva, csv ? &*csv : nullptr,
                                          [&](qint64 read, qint64 expected) { progress.update(read, expected); });
    if (csvFile)
        csvFile->finish();
    if (!options.pdf.isEmpty()) {
        Output pdf(options.pdf);
        pdf.write(summaryPdf(page));
        pdf.finish();
    }
    return 0;
}

// Only the operators' group changes the embedded files; and since root runs
// it too, no link an operator could put in the delivery file's place is followed.
bool mayUndoOn(const QString &connectionString, QString *why)
{
    if (engineOf(connectionString) != Engine::Embedded)
        return true; // a server's login has the rights it was granted
    QString reason;
    if (!platform::mayChangeDeskFiles(&reason)) {
        *why =
            QStringLiteral("only root or the group velunas may undo deliveries on the embedded files: %1").arg(reason);
        return false;
    }
    const QFileInfo file(embeddedFile(connectionString));
    if (file.isSymLink()) {
        *why = QStringLiteral("%1 is a link; the delivery file must be the file itself").arg(file.filePath());
        return false;
    }
    return true;
}

int undo(const Options &options, QTextStream &out, QTextStream &err)
{
    const DeskStrings strings = deskStrings();
    QString why;
    if (!mayUndoOn(strings.deliveries, &why)) {
        err << QCoreApplication::applicationName() << ": " << why << "\n";
        return 1;
    }
    platform::Connection deliveries;
    openNamed(deliveries, strings.deliveries, QStringLiteral("SqlServer"));
    const UndoRequest request{qint32(*options.undo), options.reason.trimmed(), platform::accountName(),
                              QSysInfo::machineHostName()};
    const UndoResult result = undoDelivery(deliveries, engineOf(strings.deliveries), request);
    if (result.outcome == UndoOutcome::Undone) {
        out << result.message << "\n";
        return 0;
    }
    err << QCoreApplication::applicationName() << ": " << result.message << "\n";
    return 1;
}

} // namespace

bool drawsPage(const QStringList &arguments)
{
    return arguments.contains(QLatin1String("--pdf"));
}

QString usage(const QString &program)
{
    return QStringLiteral("usage: %1 --csv FILE [--plain] [--pdf FILE]\n"
                          "       %1 --pdf FILE\n"
                          "       %1 --undo NUMBER --reason \"TEXT\"\n"
                          "\n"
                          "Reads the desk's delivery table (tbVelunas) through the desk's own connections:\n"
                          "the strings it was built with, or the settings entries SqlServer, HALDOR and\n"
                          "MIRVA that outrank them. It only reads, so the desks go on delivering meanwhile;\n"
                          "the rows given after it began are left for the next report.\n"
                          "\n"
                          "  --csv FILE    every delivery: number, date and time (dd-mm-yyyy hh:mm),\n"
                          "                association, company number, name, company, e-mail. UTF-8\n"
                          "                with a byte-order mark and \";\" between fields, as a\n"
                          "                Portuguese spreadsheet opens it; a field that begins with\n"
                          "                = + - @ gets a leading ' so the spreadsheet keeps it as text.\n"
                          "                Undone deliveries are left out. The association is read in\n"
                          "                the two registers (HALDOR, MIRVA, both, or desconhecida).\n"
                          "  --plain       the CSV as plain UTF-8 with \",\" between fields, as given.\n"
                          "  --pdf FILE    a one-page summary in Portuguese: deliveries per association\n"
                          "                and in all, a bar chart of deliveries per hour of each day,\n"
                          "                the numbers never given and the deliveries undone.\n"
                          "                FILE \"-\" is standard output, for one of the two.\n"
                          "  --undo NUMBER --reason \"TEXT\"\n"
                          "                undoes the delivery of invitation NUMBER: the member can be\n"
                          "                given an invitation again at any desk, and NUMBER is never\n"
                          "                given again. The delivery is kept, with when, by which\n"
                          "                account on which computer and why, in the table tbAnulacoes\n"
                          "                (made when missing; on SQL Server by schema/sqlserver.sql).\n"
                          "                On the embedded files only root and the group velunas may\n"
                          "                undo; on a server the login's rights decide. An unknown or\n"
                          "                already undone number, or one that changed while the tool\n"
                          "                ran, changes nothing.\n"
                          "  --help        this text.\n"
                          "\n"
                          "Exit status: 0 done, 1 failed or refused (the reason on standard error), 2 a\n"
                          "command line it does not take. A run longer than a second counts the rows\n"
                          "read on standard error.\n")
        .arg(program);
}

int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString program = QCoreApplication::applicationName();
    const Options options = parse(arguments);
    if (options.help) {
        out << usage(program);
        return 0;
    }
    if (!options.problem.isEmpty()) {
        err << program << ": " << options.problem << "\n" << usage(program);
        return 2;
    }
    try {
        return options.undo ? undo(options, out, err) : writeReport(options, err);
    } catch (const platform::RuntimeError &error) {
        err << program << ": " << error.description() << "\n";
        return 1;
    }
}

} // namespace report
