#include "platform/db/odbc/SqlServerProvider.h"

#include "platform/db/odbc/OdbcDiagnostics.h"
#include "platform/db/odbc/SqlServerConnectionString.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/runtime/RuntimeError.h"

#include <QDir>

namespace platform {

namespace {

#ifndef _WIN32
// Where Debian and others put the FreeTDS driver, for a system whose
// odbcinst.ini does not name it.
QStringList freeTdsLibraries()
{
    QStringList paths;
    for (const QString &root :
         {QStringLiteral("/usr/lib"), QStringLiteral("/usr/lib64"), QStringLiteral("/usr/local/lib")}) {
        paths << root + QStringLiteral("/odbc/libtdsodbc.so") << root + QStringLiteral("/libtdsodbc.so");
        const QDir dir(root);
        for (const QString &multiarch : dir.entryList({QStringLiteral("*-linux-gnu")}, QDir::Dirs))
            paths << root + QLatin1Char('/') + multiarch + QStringLiteral("/odbc/libtdsodbc.so");
    }
    return paths;
}
#endif

// The driver takes the statement up to its first NUL, so a NUL the operator
// pasted inside a literal goes as CHAR(0) and one anywhere else is dropped.
QString withoutRawNul(const QString &statement)
{
    if (!statement.contains(QChar(0)))
        return statement;
    QString sent;
    for (const sql::Token &token : sql::tokenize(statement)) {
        if (token.kind == sql::TokenKind::StringLiteral)
            sent += QString(token.text).replace(QChar(0), QStringLiteral("' + CHAR(0) + '"));
        else
            sent += QString(token.text).remove(QChar(0));
    }
    return sent;
}

SqlServerDriver platformDriver()
{
    const QStringList installed = OdbcSession::installedDrivers();
#ifdef _WIN32
    return {chooseMicrosoftSqlServerDriver(installed), SqlServerDriverFamily::Microsoft};
#else
    return {chooseFreeTdsDriver(installed, freeTdsLibraries()), SqlServerDriverFamily::FreeTds};
#endif
}

} // namespace

void SqlServerProvider::open(const ConnectionProperties &properties, const QString &user, const QString &password,
                             QList<ErrorRecord> &errors)
{
    const SqlServerDriver driver = platformDriver();
    if (driver.name.isEmpty()) {
        const ErrorRecord record{ErrorNumber::ProviderNotFound,
                                 QStringLiteral("Provider cannot be found. It may not be properly installed. "
                                                "(no ODBC driver for SQL Server)"),
                                 0, QStringLiteral("IM002")};
        errors.append(record);
        throw RuntimeError(record.number, record.description);
    }
    m_session.connect(mapSqlServerConnection(properties, user, password, driver), errors);
}

ResultTable SqlServerProvider::execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors)
{
    return m_session.execute(withoutRawNul(statement), recordsAffected, errors);
}

} // namespace platform
