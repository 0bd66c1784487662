// Enciphers a database password into the text stored as the dtPassword
// setting; only the computer that enciphered it can read it back.
// Usage: encipher_password <password>     (or the password on standard input)

#include "platform/MachineCipher.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.size() > 2) {
        err << "usage: encipher_password <password>   (or the password on standard input)\n";
        return 2;
    }
    // Standard input keeps the password out of the shell's history.
    const QString password = arguments.size() == 2 ? arguments.at(1) : QTextStream(stdin).readLine();
    const QString sealed = platform::sealForMachine(password);
    if (sealed.isEmpty()) {
        err << "encipher_password: this computer has no machine identity to bind the password to\n";
        return 1;
    }
    out << sealed << "\n";
    return 0;
}
