// Loads a member register of the embedded database from a spreadsheet's CSV
// export (installed as velunas-import-members).
// Usage: import_members <haldor|mirva|register file> <file.csv>
//        import_members --create-schema [folder]   (the registers, empty, where missing)
//        import_members --headers                  (the header names it accepts)

#include "Deployment.h"
#include "data/DemoDatabase.h"
#include "data/MemberImport.h"
#include "platform/runtime/RuntimeError.h"

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.value(0) == QLatin1String("--headers") && arguments.size() == 1) {
        for (const QStringList &names : memberimport::acceptedHeaderNames())
            out << names.join(QLatin1String(", ")) << "\n";
        return 0;
    }
    if (arguments.value(0) == QLatin1String("--create-schema") && arguments.size() <= 2)
        return createSchema(arguments.value(1, QString::fromUtf8(deployment::DemoDir)), out, err);
    if (arguments.size() != 2 || arguments.first().startsWith(QLatin1Char('-'))) {
        const QString name = QCoreApplication::applicationName();
        err << "usage: " << name << " <haldor|mirva|register file> <file.csv>\n"
            << "       " << name << " --create-schema [folder]\n"
            << "       " << name << " --headers\n";
        return 2;
    }
    const QString target = registerFile(arguments.at(0));
    const memberimport::Outcome outcome = memberimport::importMembersFromFile(target, arguments.at(1));
    for (const QString &name : outcome.ignoredColumns)
        err << "column \"" << name << "\" left out: it names no column of the register\n";
    for (const memberimport::Rejection &rejection : outcome.rejected)
        err << "line " << rejection.line << " rejected: " << rejection.reason << "\n";
    if (!outcome.loaded) {
        err << QCoreApplication::applicationName() << ": " << outcome.problem << "; " << target << " is unchanged\n";
        return 1;
    }
    out << "Loaded " << outcome.rowsLoaded << " members into " << target << "; " << outcome.rejected.size()
        << (outcome.rejected.size() == 1 ? " line" : " lines") << " rejected\n";
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
