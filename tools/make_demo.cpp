// Creates the embedded demo databases of the desk when they are missing.
// Usage: make_demo [folder] [--members N]

#include "Deployment.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/demo/DemoDatabase.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    int members = 300;
    const qsizetype option = arguments.indexOf(QStringLiteral("--members"));
    if (option >= 0) {
        bool ok = false;
        members = arguments.value(option + 1).toInt(&ok);
        if (!ok || members < 0) {
            err << "usage: make_demo [folder] [--members N]\n";
            return 2;
        }
        arguments.remove(option, 2);
    }
    const QString folder = arguments.isEmpty() ? QString::fromUtf8(deployment::DemoDir) : arguments.first();
    try {
        const QStringList created = demo::createDemoDatabases(folder, members);
        if (created.isEmpty())
            out << "The demo databases are already in " << folder << "\n";
        for (const QString &file : created)
            out << "Created " << file << " (" << members << " members)\n";
    } catch (const platform::RuntimeError &error) {
        err << "make_demo: " << error.description() << "\n";
        return 1;
    }
    return 0;
}
