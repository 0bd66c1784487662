#include "platform/os/DeskKey.h"

#include "platform/os/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sodium.h>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qsizetype KeySize = 32;
constexpr char OperatorsGroup[] = "velunas";

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The group's id, or -1 when the site has not made the group.
gid_t operatorsGroup()
{
    const group *entry = ::getgrnam(OperatorsGroup);
    return entry ? entry->gr_gid : gid_t(-1);
}

// Writes fresh random bytes to a file of its own in the key's folder, so a
// reader never meets a half-written key.
QString writeNewKeyFile(const QString &folder)
{
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/.dtpassword.key.XXXXXX"));
    const int handle = ::mkstemp(pattern.data());
    if (handle < 0)
        return QString();
    unsigned char key[KeySize];
    randombytes_buf(key, sizeof key);
    const gid_t group = operatorsGroup();
    const bool written = ::write(handle, key, sizeof key) == ssize_t(sizeof key) &&
                         (group == gid_t(-1) || (::fchown(handle, 0, group) == 0 && ::fchmod(handle, 0640) == 0)) &&
                         ::fsync(handle) == 0;
    sodium_memzero(key, sizeof key);
    ::close(handle);
    if (!written) {
        ::unlink(pattern.constData());
        return QString();
    }
    return QFile::decodeName(pattern);
}

} // namespace

QString deskKeyPath()
{
    const QString chosen = qEnvironmentVariable("VELUNAS_KEY_FILE");
    return chosen.isEmpty() ? QStringLiteral("/etc/velunas/dtpassword.key") : chosen;
}

DeskKey readDeskKey()
{
    const QString path = deskKeyPath();
    const QString notAKey = QStringLiteral("the key %1 is not a file of %2 bytes").arg(path).arg(KeySize);
    // A pipe put in the key's place is refused, never waited on.
    QFile file;
    if (!openRegularFile(file, path)) {
        const int error = errno;
        const QFileInfo info(path);
        if (info.exists() && !info.isFile())
            return {{}, notAKey};
        const QString hint =
            error == EACCES
                ? QStringLiteral(" (the account must be in the group %1)").arg(QLatin1String(OperatorsGroup))
                : QString();
        return {{}, QStringLiteral("cannot read the key %1: %2%3").arg(path, systemError(error), hint)};
    }
    QByteArray bytes = file.read(KeySize + 1);
    if (bytes.size() != KeySize) {
        sodium_memzero(bytes.data(), size_t(bytes.size()));
        return {{}, notAKey};
    }
    return {bytes, {}};
}

DeskKey createDeskKey()
{
    DeskKey existing = readDeskKey();
    const QString path = deskKeyPath();
    if (!existing.bytes.isEmpty() || QFileInfo::exists(path))
        return existing;
    if (::geteuid() != 0)
        return {{}, QStringLiteral("%1; only root can create it").arg(existing.problem)};
    if (sodium_init() < 0)
        return {{}, QStringLiteral("the random source is not available")};
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return {{}, QStringLiteral("cannot create the folder of the key %1").arg(path)};
    const QString made = writeNewKeyFile(folder);
    if (made.isEmpty())
        return {{}, QStringLiteral("cannot write a key in %1: %2").arg(folder, systemError(errno))};
    // link() never replaces: a key another run made meanwhile is kept.
    (void)::link(QFile::encodeName(made).constData(), QFile::encodeName(path).constData());
    ::unlink(QFile::encodeName(made).constData());
    DeskKey created = readDeskKey();
    if (!created.bytes.isEmpty() && operatorsGroup() == gid_t(-1))
        created.problem = QStringLiteral("the group %1 does not exist, so only root can read %2")
                              .arg(QLatin1String(OperatorsGroup), path);
    return created;
}

} // namespace platform
