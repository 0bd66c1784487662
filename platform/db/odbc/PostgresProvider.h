#pragma once

#include "platform/db/access/Provider.h"
#include "platform/db/odbc/OdbcSession.h"
#include "platform/db/odbc/PostgresConnectionString.h"

namespace platform {

// PostgreSQL through psqlODBC, each statement translated from the desk's T-SQL.
class PostgresProvider final : public Provider
{
public:
    void open(const ConnectionProperties &properties, const QString &user, const QString &password,
              QList<ErrorRecord> &errors) override;
    ResultTable execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors) override;
    void close() override { m_session.disconnect(); }

private:
    OdbcSession m_session;
};

} // namespace platform
