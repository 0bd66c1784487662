#include "platform/db/odbc/PostgresProvider.h"

#include "platform/db/sql/PostgresTranslation.h"

namespace platform {

void PostgresProvider::open(const ConnectionProperties &properties, const QString &user, const QString &password,
                            QList<ErrorRecord> &errors)
{
    m_session.connect(mapPostgresConnection(properties, user, password), errors);
}

ResultTable PostgresProvider::execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors)
{
    return m_session.execute(translateForPostgres(statement), recordsAffected, errors);
}

} // namespace platform
