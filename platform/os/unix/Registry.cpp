#include "platform/os/Registry.h"

#include "platform/os/RegularFile.h"

#include "platform/os/unix/RegistryExport.h"

#include <QFile>
#include <QHash>

#include <cstring>

namespace platform {

namespace {

// The machine-wide registry of a desk without a Windows registry.
const char *const MachineRegistryFile = "/etc/velunas/registry.reg";

QString &registryFileOverride()
{
    static QString path;
    return path;
}

// Each open key keeps the values it had when it was opened, as a snapshot.
QHash<RegistryHandle, registryexport::KeyValues> &openKeys()
{
    static QHash<RegistryHandle, registryexport::KeyValues> keys;
    return keys;
}

RegistryHandle nextHandle()
{
    static RegistryHandle last = 0;
    return ++last;
}

QString rootNameOf(qint32 root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case RegistryRoot::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case RegistryRoot::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RegistryRoot::Users:
        return QStringLiteral("HKEY_USERS");
    case RegistryRoot::PerformanceData:
        return QStringLiteral("HKEY_PERFORMANCE_DATA");
    case RegistryRoot::CurrentConfig:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    case RegistryRoot::DynData:
        return QStringLiteral("HKEY_DYN_DATA");
    default:
        return QString();
    }
}

// Far more than any site's settings; a file past it is no export of them.
constexpr qint64 MaxRegistryBytes = 16 * 1024 * 1024;

// A missing, unreadable or oversized file is an empty registry.
registryexport::RegistryTree readMachineRegistry()
{
    QFile file;
    if (!openRegularFile(file, registryFile()))
        return {};
    const QByteArray bytes = file.read(MaxRegistryBytes + 1);
    if (bytes.size() > MaxRegistryBytes || file.error() != QFileDevice::NoError)
        return {};
    return registryexport::parseRegistryExport(bytes);
}

} // namespace

long openRegistryKey(qint32 root, const QByteArray &subKey, quint32 /*options*/, quint32 access, RegistryHandle &key)
{
    key = 0;
    // The export is only ever read; asking for more than reading is refused.
    if ((access & ~RegistryKeyRead) != 0)
        return RegistryStatus::AccessDenied;
    const QString rootName = rootNameOf(root);
    if (rootName.isEmpty())
        return RegistryStatus::InvalidHandle;
    const QString treeKey = registryexport::treeKeyOf(rootName, QString::fromUtf8(subKey));
    if (treeKey.isEmpty())
        return RegistryStatus::FileNotFound;

    const registryexport::RegistryTree tree = readMachineRegistry();
    const auto found = tree.constFind(treeKey);
    // A root exists even when the export holds nothing under it.
    if (found == tree.constEnd() && !subKey.isEmpty())
        return RegistryStatus::FileNotFound;
    key = nextHandle();
    openKeys().insert(key, found == tree.constEnd() ? registryexport::KeyValues() : found.value());
    return RegistryStatus::Success;
}

long queryRegistryString(RegistryHandle key, const QByteArray &valueName, char *buffer, quint32 &length)
{
    const auto openKey = openKeys().constFind(key);
    if (openKey == openKeys().constEnd())
        return RegistryStatus::InvalidHandle;
    const auto value = openKey->constFind(QString::fromUtf8(valueName).toCaseFolded());
    if (value == openKey->constEnd())
        return RegistryStatus::FileNotFound;
    // The data a string query gives: the text in the ANSI code page (UTF-8
    // here) with its terminating NUL.
    QByteArray data = value->toUtf8();
    data.append('\0');
    const quint32 available = length;
    length = quint32(data.size());
    if (buffer == nullptr)
        return RegistryStatus::Success;
    if (quint32(data.size()) > available)
        return RegistryStatus::MoreData;
    std::memcpy(buffer, data.constData(), size_t(data.size()));
    return RegistryStatus::Success;
}

long closeRegistryKey(RegistryHandle key)
{
    return openKeys().remove(key) ? RegistryStatus::Success : RegistryStatus::InvalidHandle;
}

void setRegistryFile(const QString &path)
{
    registryFileOverride() = path;
}

QString registryFile()
{
    return registryFileOverride().isEmpty() ? QString::fromLatin1(MachineRegistryFile) : registryFileOverride();
}

} // namespace platform
