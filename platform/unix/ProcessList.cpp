#include "platform/ProcessList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdlib>
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

bool terminateProcess(qint64 id)
{
    return ::kill(static_cast<pid_t>(id), SIGKILL) == 0;
}

void terminateCurrentProcess()
{
    std::_Exit(0);
}

} // namespace platform
