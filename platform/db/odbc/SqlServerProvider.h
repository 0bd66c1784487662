#pragma once

#include "platform/db/access/Provider.h"
#include "platform/db/odbc/OdbcSession.h"

namespace platform {

// "Provider=SQLOLEDB.1": SQL Server through the platform's ODBC driver. The
// statements go to the server exactly as written.
class SqlServerProvider final : public Provider
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
