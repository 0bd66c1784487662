#include "platform/os/ProcessList.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

// The program file behind the process; another user's process hides it, and
// then its process name is the best there is.
QString imageNameOf(const QString &pid)
{
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (!exe.isEmpty()) {
        QString name = QFileInfo(exe).fileName();
        const QString deleted = QStringLiteral(" (deleted)");
        if (name.endsWith(deleted))
            name.chop(deleted.size());
        return name;
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

} // namespace

std::optional<std::vector<ProcessEntry>> processSnapshot()
{
    QDir proc(QStringLiteral("/proc"));
    if (!proc.exists())
        return std::nullopt;
    std::vector<ProcessEntry> entries;
    const QStringList names = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool isNumber = false;
        const qint64 id = name.toLongLong(&isNumber);
        if (!isNumber)
            continue;
        const QString image = imageNameOf(name);
        if (!image.isEmpty())
            entries.push_back({id, image});
    }
    return entries;
}

qint64 currentProcessId()
{
    return static_cast<qint64>(::getpid());
}

bool terminateProcess(qint64 id, const std::function<bool(const QString &imageName)> &stillMatches, int graceMs)
{
    const pid_t pid = static_cast<pid_t>(id);
    const QString pidText = QString::number(id);
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (handle < 0) {
        // Kernels before 5.3 have no process handles: the name is checked just
        // before the kill, which leaves only that short gap.
        return errno == ENOSYS && stillMatches(imageNameOf(pidText)) && ::kill(pid, SIGKILL) == 0;
    }
    // The handle keeps the id from passing to another process until this one
    // is reaped, and a signal fails if it was reaped after the name was read.
    if (!stillMatches(imageNameOf(pidText))) {
        ::close(handle);
        return false;
    }
    const bool asked = graceMs > 0 && ::syscall(SYS_pidfd_send_signal, handle, SIGTERM, nullptr, 0) == 0;
    bool ended = false;
    if (asked) {
        // The handle reads as ready once the process has ended.
        const QDeadlineTimer deadline(graceMs);
        pollfd ready{handle, POLLIN, 0};
        int rc = 0;
        do
            rc = ::poll(&ready, 1, static_cast<int>(deadline.remainingTime()));
        while (rc < 0 && errno == EINTR);
        ended = rc == 1;
    }
    if (!ended)
        ended = ::syscall(SYS_pidfd_send_signal, handle, SIGKILL, nullptr, 0) == 0 || (asked && errno == ESRCH);
    ::close(handle);
    return ended;
}

void terminateCurrentProcess()
{
    std::_Exit(0);
}

namespace {

// A signal may arrive on any thread at any moment: its handler only wakes the
// event loop, through a pipe, and the work is done there.
int endPipe[2] = {-1, -1};

std::function<void()> &beforeEndHandler()
{
    static std::function<void()> handler;
    return handler;
}

void onTerminateSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(endPipe[1], &byte, 1);
}

} // namespace

void onEndRequest(std::function<void()> beforeEnd)
{
    beforeEndHandler() = std::move(beforeEnd);
    if (endPipe[0] >= 0 || !QCoreApplication::instance() || ::pipe2(endPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(endPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        if (beforeEndHandler())
            beforeEndHandler()();
        // Ended as SIGTERM ends a process, so whoever waits for it sees why.
        ::signal(SIGTERM, SIG_DFL);
        ::raise(SIGTERM);
        std::_Exit(0);
    });
    // Without the event loop nobody would read the pipe.
    QObject::connect(notifier, &QObject::destroyed, [] { ::signal(SIGTERM, SIG_DFL); });
    struct sigaction action = {};
    action.sa_handler = onTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace platform
