// Enciphers a database password into the text stored as the dtPassword
// setting, under the desk's key (made here when run as root and none exists).
// Usage: encipher_password <password>     (or the password on standard input)
//        encipher_password --create-key   (the install step: only the key)

#include "platform/os/DeskKey.h"
#include "platform/os/MachineCipher.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const bool keyOnly = arguments.size() == 2 && arguments.at(1) == QLatin1String("--create-key");
    if (arguments.size() > 2) {
        err << "usage: encipher_password <password>   (or the password on standard input)\n"
               "       encipher_password --create-key\n";
        return 2;
    }
    const platform::DeskKey key = platform::createDeskKey();
    if (!key.problem.isEmpty())
        err << "encipher_password: " << key.problem << "\n";
    if (key.bytes.isEmpty())
        return 1;
    if (keyOnly) {
        out << platform::deskKeyPath() << "\n";
        return 0;
    }
    // Standard input keeps the password out of the shell's history.
    const QString password = arguments.size() == 2 ? arguments.at(1) : QTextStream(stdin).readLine();
    const QString sealed = platform::sealForMachine(password);
    if (sealed.isEmpty()) {
        err << "encipher_password: the key " << platform::deskKeyPath() << " could not be used\n";
        return 1;
    }
    out << sealed << "\n";
    return 0;
}
