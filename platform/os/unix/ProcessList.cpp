#include "platform/os/ProcessList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdlib>
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

bool terminateProcess(qint64 id, const std::function<bool(const QString &imageName)> &stillMatches)
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
    // is reaped, and the signal fails if it was reaped after the name was read.
    const bool ended =
        stillMatches(imageNameOf(pidText)) && ::syscall(SYS_pidfd_send_signal, handle, SIGKILL, nullptr, 0) == 0;
    ::close(handle);
    return ended;
}

void terminateCurrentProcess()
{
    std::_Exit(0);
}

} // namespace platform
