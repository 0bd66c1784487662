#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3;

namespace platform::sqlite {

// What a layer above the engine adds to every connection the embedded
// provider opens: a step once the files are open and attached, a look at each
// statement before it runs, and a step before a transaction commits. Each
// connection has hooks of its own, so they may keep what they learned at open.
class ConnectionHooks
{
public:
    virtual ~ConnectionHooks() = default;
    // Runs once the connection is open and its files attached, before its first
    // statement, without the command timeout (a lock wait is still bounded).
    // The provider's busy and progress handlers are put back after it, so a
    // step may set its own.
    virtual void opened(sqlite3 *db) = 0;
    // The statement text to run in place of a translated one.
    virtual QString rewrite(sqlite3 *db, const QString &translated) = 0;
    // Runs inside an open transaction, just before the COMMIT that ends it,
    // without the command timeout.
    virtual void beforeCommit(sqlite3 *db) = 0;
};

using ConnectionHooksFactory = std::function<std::unique_ptr<ConnectionHooks>()>;

// Gives every connection opened from now on hooks made by the factory, after
// those registered earlier; a name registered again replaces its factory, an
// empty factory removes it.
void registerConnectionHooks(const QString &name, ConnectionHooksFactory factory);

// Hooks for one new connection, in the order they were registered.
std::vector<std::unique_ptr<ConnectionHooks>> makeConnectionHooks();

} // namespace platform::sqlite
