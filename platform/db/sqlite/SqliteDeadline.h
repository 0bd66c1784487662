#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>

struct sqlite3;

namespace platform::sqlite {

// Keeps every statement of one connection within its command timeout: the wait
// for another connection's lock through the busy handler, the run itself
// through the progress handler. A statement that runs out ends with SQLITE_BUSY
// or SQLITE_INTERRUPT.
class StatementDeadline
{
public:
    // commandTimeoutMs 0: no limit. lockWaitMs below 0: the lock wait is bounded
    // by the command timeout alone; otherwise by the earlier of the two.
    StatementDeadline(qint64 commandTimeoutMs, qint64 lockWaitMs);
    StatementDeadline(const StatementDeadline &) = delete;
    StatementDeadline &operator=(const StatementDeadline &) = delete;

    // Hands both handlers to the connection; this object must outlive it.
    void install(sqlite3 *db);
    // Called before each statement text: its time starts now.
    void start();

private:
    // How long the lock may still be waited for, in milliseconds; -1: for ever.
    qint64 lockWaitLeft() const;
    static int onBusy(void *context, int attempts);
    static int onProgress(void *context);

    qint64 m_commandTimeoutMs;
    qint64 m_lockWaitMs;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    QElapsedTimer m_waitingSince;
};

} // namespace platform::sqlite
