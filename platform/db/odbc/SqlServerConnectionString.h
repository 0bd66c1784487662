#pragma once

#include "platform/db/access/ConnectionString.h"
#include "platform/db/odbc/OdbcSession.h"

#include <QStringList>

namespace platform {

// The ODBC drivers that speak to SQL Server: FreeTDS on Linux, Microsoft's own
// on Windows. Their connection keys differ.
enum class SqlServerDriverFamily { FreeTds, Microsoft };

struct SqlServerDriver
{
    QString name; // a registered driver name, or the path of the driver library
    SqlServerDriverFamily family = SqlServerDriverFamily::FreeTds;
};

// The login timeout when a string names none: the desk's usual 15 seconds,
// because FreeTDS would otherwise wait for ever on a server that never answers.
inline constexpr int DefaultLoginTimeoutSeconds = 15;

// Turns a "Provider=SQLOLEDB.1" string into the driver string of `driver`:
// "Data Source=host\instance,1433" becomes the server and port (with a port the
// instance is not used), "Initial Catalog" the database, "User ID" and
// "Password" the braced login, "Connect Timeout" the login timeout attribute,
// "Command Timeout" each statement's timeout attribute.
// "Persist Security Info" has no ODBC meaning and is dropped. A non-empty
// `user` or `password` (given to Open) takes the place of the string's own.
// Raises a RuntimeError for a value the driver cannot be given, a "Data
// Source" holding ";", "{", "}" or "=" among them.
OdbcTarget mapSqlServerConnection(const ConnectionProperties &properties, const QString &user, const QString &password,
                                  const SqlServerDriver &driver);

// The Microsoft driver to use among those installed: 18, then 17, then the
// one that comes with Windows; empty when none is there.
QString chooseMicrosoftSqlServerDriver(const QStringList &installed);

// "FreeTDS" when the driver manager knows that name, else the driver library
// found in `libraryCandidates`; empty when neither.
QString chooseFreeTdsDriver(const QStringList &installed, const QStringList &libraryCandidates);

// How a driver reads "}" inside a braced value: doubled, as ODBC has it, or
// (FreeTDS) as it stands, up to the first "};".
enum class BraceStyle { Doubled, FreeTds };

// A value in ODBC braces, so that ";" and "=" in it survive. Raises a
// RuntimeError for a value the driver cannot be given (FreeTDS and "};").
QString bracedOdbcValue(const QString &value, BraceStyle style = BraceStyle::Doubled);

// A server's address goes into a driver string bare: raises a RuntimeError
// naming `key` when `part` holds ";", "{", "}" or "=", which would add a key of its own.
void refuseAddressSeparators(const QString &part, const QString &key);

} // namespace platform
