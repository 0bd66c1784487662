#include "platform/db/sqlite/SqliteDeadline.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>

namespace platform::sqlite {

namespace {

// Virtual-machine steps between two looks at the clock: often enough to stop
// within milliseconds, rare enough to cost nothing measurable.
constexpr int ProgressSteps = 1000;

// The back-off between two tries for a lock, in milliseconds.
// Never more than 5 ms between tries: a writer that works in slices (an
// import) leaves the lock free between them for moments a longer sleep misses.
constexpr std::array<int, 3> BackOffMs = {1, 2, 5};

} // namespace

StatementDeadline::StatementDeadline(qint64 commandTimeoutMs, qint64 lockWaitMs)
    : m_commandTimeoutMs(commandTimeoutMs), m_lockWaitMs(lockWaitMs)
{
}

void StatementDeadline::install(sqlite3 *db)
{
    sqlite3_busy_handler(db, &StatementDeadline::onBusy, this);
    sqlite3_progress_handler(db, ProgressSteps, &StatementDeadline::onProgress, this);
}

void StatementDeadline::start()
{
    m_deadline = m_commandTimeoutMs > 0 ? QDeadlineTimer(m_commandTimeoutMs) : QDeadlineTimer(QDeadlineTimer::Forever);
}

qint64 StatementDeadline::lockWaitLeft() const
{
    qint64 left = m_deadline.remainingTime(); // -1: for ever
    if (m_lockWaitMs >= 0) {
        const qint64 lockLeft = std::max<qint64>(0, m_lockWaitMs - m_waitingSince.elapsed());
        left = left < 0 ? lockLeft : std::min(left, lockLeft);
    }
    return left;
}

int StatementDeadline::onBusy(void *context, int attempts)
{
    auto *self = static_cast<StatementDeadline *>(context);
    if (attempts == 0)
        self->m_waitingSince.start();
    const qint64 left = self->lockWaitLeft();
    if (left == 0)
        return 0; // gives up: the statement ends with SQLITE_BUSY
    const auto step = static_cast<size_t>(std::min<int>(attempts, static_cast<int>(BackOffMs.size()) - 1));
    const qint64 pause = left < 0 ? BackOffMs[step] : std::min<qint64>(BackOffMs[step], left);
    sqlite3_sleep(static_cast<int>(pause));
    return 1;
}

int StatementDeadline::onProgress(void *context)
{
    return static_cast<StatementDeadline *>(context)->m_deadline.hasExpired() ? 1 : 0;
}

} // namespace platform::sqlite
