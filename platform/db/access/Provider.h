#pragma once

#include "platform/db/access/Connection.h"
#include "platform/db/access/ConnectionString.h"

#include <functional>
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

// The provider named by a connection string's "Provider" key (any case), or none.
std::unique_ptr<Provider> createProvider(const QString &name);

// Adds a provider under a name, ahead of the built-in ones; an empty factory
// removes it again. Lets a test watch what a connection does while it opens.
using ProviderFactory = std::function<std::unique_ptr<Provider>()>;
void registerProvider(const QString &name, ProviderFactory factory);

} // namespace platform
