#pragma once

#include "platform/db/access/Connection.h"
#include "platform/db/access/ConnectionString.h"

#include <memory>

namespace platform {

// What a database engine must offer a connection. Every failure is raised as
// a RuntimeError after its diagnostic records were appended to `errors`.
class Provider
{
public:
    virtual ~Provider() = default;
    virtual void open(const ConnectionProperties &properties, const QString &user, const QString &password,
                      QList<ErrorRecord> &errors) = 0;
    virtual ResultTable execute(const QString &statement, qint64 *recordsAffected, QList<ErrorRecord> &errors) = 0;
    virtual void close() = 0;
};

} // namespace platform
