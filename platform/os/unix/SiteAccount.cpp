#include "platform/os/SiteAccount.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace platform {

namespace {

constexpr char OperatorsGroup[] = "velunas";

QString userName(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

bool inGroup(gid_t group)
{
    if (::getegid() == group)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int read = ::getgroups(count, groups.data());
    for (int i = 0; i < read; ++i)
        if (groups[static_cast<size_t>(i)] == group)
            return true;
    return false;
}

} // namespace

QString accountName()
{
    QString name = userName(::geteuid());
    const QString caller = qEnvironmentVariable("SUDO_USER");
    if (::geteuid() == 0 && !caller.isEmpty() && caller != name)
        name += QStringLiteral(" (sudo: %1)").arg(caller);
    return name;
}

bool mayChangeDeskFiles(QString *why)
{
    if (::geteuid() == 0)
        return true;
    const group *entry = ::getgrnam(OperatorsGroup);
    if (entry && inGroup(entry->gr_gid))
        return true;
    if (why) {
        const QString name = userName(::geteuid());
        *why = entry ? QStringLiteral("the account %1 is not in the group %2 (as root: usermod -aG %2 %1, then log "
                                      "in again)")
                           .arg(name, QLatin1String(OperatorsGroup))
                     : QStringLiteral("the group %1 does not exist on this computer; install the desk's package")
                           .arg(QLatin1String(OperatorsGroup));
    }
    return false;
}

} // namespace platform
