// Loads a member register of the embedded database from a spreadsheet's CSV
// export (installed as velunas-import-members).
// Usage: import_members [--skip-rejected] <haldor|mirva|register file> <file.csv|->
//        import_members --create-schema [folder]   (the registers, empty, where missing)
//        import_members --headers                  (the header names it accepts)

#include "Deployment.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/demo/DemoDatabase.h"
#include "sitetools/import/MemberImport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString registerFile(const QString &name)
{
    const demo::Files files = demo::demoFiles(QString::fromUtf8(deployment::DemoDir));
    if (name.compare(QLatin1String("haldor"), Qt::CaseInsensitive) == 0)
        return files.haldor;
    if (name.compare(QLatin1String("mirva"), Qt::CaseInsensitive) == 0)
        return files.mirva;
    return name;
}

int createSchema(const QString &folder, QTextStream &out, QTextStream &err)
{
    const demo::Files files = demo::demoFiles(folder);
    const bool missing = !QFileInfo::exists(files.haldor) || !QFileInfo::exists(files.mirva);
    try {
        demo::createSchemaOnly(folder);
    } catch (const platform::RuntimeError &error) {
        err << QCoreApplication::applicationName() << ": " << error.description() << "\n";
        return 1;
    }
    out << (missing ? "Registers ready in " : "The registers are already in ") << folder << "\n";
    return 0;
}

// What was read, for the closing line: "5 lines read, 3 loaded, 1 rejected; UTF-8, separator ';'".
QString tally(const memberimport::Outcome &outcome)
{
    QString text = QStringLiteral("%1 %2 read, %3 loaded, %4 rejected")
                       .arg(outcome.linesRead)
                       .arg(outcome.linesRead == 1 ? QStringLiteral("line") : QStringLiteral("lines"))
                       .arg(outcome.membersLoaded)
                       .arg(outcome.linesRejected);
    return text + QStringLiteral("; %1, separator '%2'").arg(outcome.encoding, outcome.separator);
}

int import(const QString &target, const QString &csv, const memberimport::Options &options, QTextStream &out,
           QTextStream &err)
{
    const auto rejected = [&err](const memberimport::Rejection &rejection) {
        err << "line " << rejection.line << " rejected: " << rejection.reason << "\n";
    };
    const memberimport::Outcome outcome = memberimport::importMembersFromFile(target, csv, options, rejected);
    for (const QString &name : outcome.ignoredColumns)
        err << "column \"" << name << "\" left out: it names no column of the register\n";
    if (!outcome.loaded) {
        err << QCoreApplication::applicationName() << ": " << outcome.problem << "; " << target << " is unchanged";
        if (!outcome.separator.isNull())
            err << " (" << tally(outcome) << ")";
        err << "\n";
        return 1;
    }
    out << "Loaded " << outcome.membersLoaded << " members into " << target << " (" << tally(outcome) << ")\n";
    if (!outcome.sharedIds.isEmpty()) {
        QStringList first;
        for (qint64 id : outcome.sharedIds.mid(0, 10))
            first << QString::number(id);
        err << "warning: " << outcome.sharedIds.size() << " contacto_id values are also in " << outcome.otherRegister
            << " (" << first.join(QLatin1String(", ")) << (outcome.sharedIds.size() > 10 ? ", ..." : "")
            << "): the ids of the two registers must not overlap, or a delivery to one member refuses the other\n";
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.value(0) == QLatin1String("--headers") && arguments.size() == 1) {
        for (const QStringList &names : memberimport::acceptedHeaderNames())
            out << names.join(QLatin1String(", ")) << "\n";
        return 0;
    }
    if (arguments.value(0) == QLatin1String("--create-schema") && arguments.size() <= 2)
        return createSchema(arguments.value(1, QString::fromUtf8(deployment::DemoDir)), out, err);
    memberimport::Options options;
    options.skipRejected = arguments.removeAll(QStringLiteral("--skip-rejected")) > 0;
    // "-" alone is standard input; any other dash is an option this tool lacks.
    if (arguments.size() != 2 || arguments.first().startsWith(QLatin1Char('-')) ||
        (arguments.at(1).startsWith(QLatin1Char('-')) && arguments.at(1) != QLatin1String("-"))) {
        const QString name = QCoreApplication::applicationName();
        err << "usage: " << name << " [--skip-rejected] <haldor|mirva|register file> <file.csv|->\n"
            << "       " << name << " --create-schema [folder]\n"
            << "       " << name << " --headers\n";
        return 2;
    }
    return import(registerFile(arguments.at(0)), arguments.at(1), options, out, err);
}
