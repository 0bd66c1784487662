#include "platform/db/odbc/OdbcConnectionPool.h"

#include "platform/db/odbc/OdbcApi.h"

#include <QList>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform::odbcpool {

namespace {

using Clock = std::chrono::steady_clock;

// A desk holds three connections; more waiting would only hold server slots.
constexpr int MaxParked = 6;

struct Parked
{
    QString key;
    Kept kept;
    Clock::time_point expiry;
};

struct Pool
{
    std::mutex mutex;
    std::condition_variable changed;
    QList<Parked> parked;
    // Long enough to span the pause between two searches at the desk; short
    // enough that a server restart or a changed password is met at a fresh
    // login soon, and that a desk left alone holds none of a server's slots.
    std::chrono::milliseconds idleLimit{60 * 1000};
    std::thread reaper; // runs while anything is parked
    bool reaping = false;
    bool closing = false;

    ~Pool()
    {
        {
            std::lock_guard lock(mutex);
            closing = true;
        }
        changed.notify_all();
        if (reaper.joinable())
            reaper.join();
        for (const Parked &entry : parked)
            drop(entry.kept.connection);
    }

    // Takes out what waited too long; the caller drops it outside the lock.
    QList<void *> expired()
    {
        QList<void *> old;
        const Clock::time_point now = Clock::now();
        for (qsizetype i = parked.size() - 1; i >= 0; --i) {
            if (parked.at(i).expiry <= now) {
                old.append(parked.at(i).kept.connection);
                parked.removeAt(i);
            }
        }
        return old;
    }

    // Sleeps until the next connection's time is up and lets it go, until
    // nothing is left; the next park starts it again.
    void reap()
    {
        std::unique_lock lock(mutex);
        while (!closing && !parked.isEmpty()) {
            Clock::time_point next = parked.first().expiry;
            for (const Parked &entry : parked)
                next = std::min(next, entry.expiry);
            changed.wait_until(lock, next);
            const QList<void *> old = expired();
            lock.unlock();
            for (void *connection : old)
                drop(connection);
            lock.lock();
        }
        reaping = false;
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

Kept take(const QString &key)
{
    Kept found;
    QList<void *> old;
    {
        std::lock_guard lock(pool().mutex);
        old = pool().expired();
        auto &parked = pool().parked;
        for (qsizetype i = parked.size() - 1; i >= 0 && !found.connection; --i) {
            if (parked.at(i).key == key) {
                found = parked.at(i).kept;
                parked.removeAt(i);
            }
        }
    }
    for (void *connection : old)
        drop(connection);
    return found;
}

void park(const QString &key, Kept kept)
{
    QList<void *> old;
    {
        Pool &p = pool();
        std::lock_guard lock(p.mutex);
        old = p.expired();
        if (p.parked.size() < MaxParked) {
            p.parked.append({key, kept, Clock::now() + p.idleLimit});
            kept.connection = nullptr;
            if (!p.reaping) {
                if (p.reaper.joinable())
                    p.reaper.join(); // one that found nothing left: it has ended or is ending
                p.reaping = true;
                p.reaper = std::thread([&p] { p.reap(); });
            }
        }
    }
    pool().changed.notify_all();
    if (kept.connection)
        drop(kept.connection);
    for (void *expiredConnection : old)
        drop(expiredConnection);
}

void setIdleLimit(std::chrono::milliseconds limit)
{
    std::lock_guard lock(pool().mutex);
    pool().idleLimit = limit;
}

} // namespace platform::odbcpool
