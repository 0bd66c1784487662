#include "platform/os/DeskKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sodium.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qsizetype KeySize = 32;
constexpr char OperatorsGroup[] = "velunas";
// A key copied in by hand may be caught half-written: a fresh short file is
// read again for this long before it counts as no key.
constexpr int FreshKeySeconds = 2;
constexpr int WriteWaitMs = 500;

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

QString accountName(uid_t id)
{
    const passwd *entry = ::getpwuid(id);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(id);
}

QString groupName(gid_t id)
{
    const group *entry = ::getgrgid(id);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(id);
}

// Why a key opened as `status` must not be used, or empty when it may: only
// root may have written it and only root and the operators' group read it,
// or anyone could have chosen the key or could decipher the passwords.
QString unsafeKey(const QString &path, const struct stat &status)
{
    const QString fix =
        QStringLiteral(" (it must be a file of root's, mode 0640, group %1)").arg(QLatin1String(OperatorsGroup));
    if (status.st_uid != 0)
        return QStringLiteral("the key %1 belongs to the account %2, not root%3")
            .arg(path, accountName(status.st_uid), fix);
    const mode_t mode = status.st_mode & 07777;
    if ((mode & ~mode_t(0640)) != 0)
        return QStringLiteral("the key %1 has mode %2, wider than 0640%3")
            .arg(path, QStringLiteral("%1").arg(mode, 4, 8, QLatin1Char('0')), fix);
    if (status.st_gid != 0 && status.st_gid != operatorsGroup())
        return QStringLiteral("the key %1 is readable by the group %2%3").arg(path, groupName(status.st_gid), fix);
    return QString();
}

struct KeyFile
{
    DeskKey key;
    bool missing = false; // nothing at the path: the one case a key may be made
};

// Everything is checked on the descriptor opened, never on the name again,
// so nothing swapped in between the check and the read is used.
KeyFile readKeyFile(const QString &path)
{
    const QString notAKey = QStringLiteral("the key %1 is not a file of %2 bytes").arg(path).arg(KeySize);
    // Not blocking, so a pipe put in the key's place is refused, never waited on.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        const int error = errno;
        if (error == ELOOP)
            return {{{}, QStringLiteral("the key %1 is a link; the key must be the file itself").arg(path)}};
        const QString hint =
            error == EACCES
                ? QStringLiteral(" (the account must be in the group %1)").arg(QLatin1String(OperatorsGroup))
                : QString();
        return {{{}, QStringLiteral("cannot read the key %1: %2%3").arg(path, systemError(error), hint)},
                error == ENOENT};
    }
    KeyFile result;
    struct stat status = {};
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
        result.key.problem = notAKey;
    } else if (const QString unsafe = unsafeKey(path, status); !unsafe.isEmpty()) {
        result.key.problem = unsafe;
    } else {
        QByteArray bytes(KeySize + 1, Qt::Uninitialized);
        ssize_t got = 0;
        const bool fresh = std::time(nullptr) - status.st_mtime <= FreshKeySeconds;
        for (int waited = 0;; waited += 20) {
            got = ::pread(handle, bytes.data(), size_t(bytes.size()), 0);
            if (got == KeySize || !fresh || got > KeySize || waited >= WriteWaitMs)
                break;
            QThread::msleep(20);
        }
        if (got == KeySize) {
            bytes.resize(KeySize);
            result.key.bytes = bytes;
        } else {
            result.key.problem = notAKey;
        }
        sodium_memzero(bytes.data(), size_t(bytes.size()));
    }
    ::close(handle);
    return result;
}

// Writes fresh random bytes to a file of its own in the key's folder, made
// exclusively, so a reader never meets a half-written key.
QString writeNewKeyFile(const QString &folder)
{
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/.dtpassword.key.XXXXXX"));
    const int handle = ::mkstemp(pattern.data());
    if (handle < 0)
        return QString();
    unsigned char key[KeySize];
    randombytes_buf(key, sizeof key);
    const gid_t group = operatorsGroup();
    const bool written = ::fchown(handle, 0, group == gid_t(-1) ? 0 : group) == 0 &&
                         ::fchmod(handle, group == gid_t(-1) ? 0600 : 0640) == 0 &&
                         ::write(handle, key, sizeof key) == ssize_t(sizeof key) && ::fsync(handle) == 0;
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
    return readKeyFile(deskKeyPath()).key;
}

DeskKey createDeskKey()
{
    const QString path = deskKeyPath();
    KeyFile existing = readKeyFile(path);
    // A key there, usable or not, is never replaced.
    if (!existing.missing)
        return existing.key;
    if (::geteuid() != 0)
        return {{}, QStringLiteral("%1; only root can create it").arg(existing.key.problem)};
    if (sodium_init() < 0)
        return {{}, QStringLiteral("the random source is not available")};
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return {{}, QStringLiteral("cannot create the folder of the key %1").arg(path)};
    const QString made = writeNewKeyFile(folder);
    if (made.isEmpty())
        return {{}, QStringLiteral("cannot write a key in %1: %2").arg(folder, systemError(errno))};
    // link() never replaces: of many creators at once, the first one's key
    // stands and every other one reads it.
    const bool linked = ::link(QFile::encodeName(made).constData(), QFile::encodeName(path).constData()) == 0;
    const int linkError = errno;
    ::unlink(QFile::encodeName(made).constData());
    if (!linked && linkError != EEXIST)
        return {{}, QStringLiteral("cannot create the key %1: %2").arg(path, systemError(linkError))};
    DeskKey created = readKeyFile(path).key;
    if (!created.bytes.isEmpty() && operatorsGroup() == gid_t(-1))
        created.problem = QStringLiteral("the group %1 does not exist, so only root can read %2")
                              .arg(QLatin1String(OperatorsGroup), path);
    return created;
}

} // namespace platform
