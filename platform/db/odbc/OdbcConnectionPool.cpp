#include "platform/db/odbc/OdbcConnectionPool.h"

#include "platform/db/odbc/OdbcApi.h"

#include <QDeadlineTimer>
#include <QList>

#include <mutex>

namespace platform::odbcpool {

namespace {

// Long enough to span the pause between two searches at the desk; short enough
// that a server restart or a changed password is met at a fresh login soon.
constexpr int IdleLimitMs = 60 * 1000;
// A desk holds three connections; more waiting would only hold server slots.
constexpr int MaxParked = 6;

struct Parked
{
    QString key;
    void *connection;
    QDeadlineTimer expiry;
};

struct Pool
{
    std::mutex mutex;
    QList<Parked> parked;

    ~Pool()
    {
        for (const Parked &entry : parked)
            drop(entry.connection);
    }

    // Takes out what waited too long; the caller drops it outside the lock.
    QList<void *> expired()
    {
        QList<void *> old;
        for (qsizetype i = parked.size() - 1; i >= 0; --i) {
            if (parked.at(i).expiry.hasExpired()) {
                old.append(parked.at(i).connection);
                parked.removeAt(i);
            }
        }
        return old;
    }
};

Pool &pool()
{
    static Pool instance;
    return instance;
}

} // namespace

void drop(void *connection)
{
    auto dbc = static_cast<SQLHDBC>(connection);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
}

void *take(const QString &key)
{
    void *found = nullptr;
    QList<void *> old;
    {
        std::lock_guard lock(pool().mutex);
        old = pool().expired();
        auto &parked = pool().parked;
        for (qsizetype i = parked.size() - 1; i >= 0 && !found; --i) {
            if (parked.at(i).key == key) {
                found = parked.at(i).connection;
                parked.removeAt(i);
            }
        }
    }
    for (void *connection : old)
        drop(connection);
    return found;
}

void park(const QString &key, void *connection)
{
    QList<void *> old;
    {
        std::lock_guard lock(pool().mutex);
        old = pool().expired();
        if (pool().parked.size() < MaxParked) {
            pool().parked.append({key, connection, QDeadlineTimer(IdleLimitMs)});
            connection = nullptr;
        }
    }
    if (connection)
        drop(connection);
    for (void *expiredConnection : old)
        drop(expiredConnection);
}

} // namespace platform::odbcpool
