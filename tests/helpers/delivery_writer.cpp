// Records deliveries into one database file as a second desk would, so that
// tests can run two writers on one file at the same time.
// Usage: delivery_writer <connection string> <first invitation number> <count>

#include "platform/db/access/Connection.h"
#include "platform/runtime/RuntimeError.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 4)
        return 2;
    const int first = arguments.at(2).toInt();
    const int count = arguments.at(3).toInt();
    QTextStream err(stderr);
    try {
        platform::Connection connection;
        connection.setConnectionString(arguments.at(1));
        connection.Open();
        for (int number = first; number < first + count; ++number)
            connection.Execute(QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, "
                                              "nome, empresa, email) VALUES (%1,1, GETDATE(), %1,'%1','Sócio ' + "
                                              "CHAR(39) + '%1',null,null)")
                                   .arg(number));
    } catch (const platform::RuntimeError &error) {
        err << error.number() << ' ' << error.description() << '\n';
        return 1;
    }
    return 0;
}
