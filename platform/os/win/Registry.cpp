#include "platform/os/Registry.h"

#include <windows.h>

namespace platform {

namespace {

// Predefined keys are 32-bit values sign-extended into a handle, as the
// Windows headers define them.
HKEY rootHandle(qint32 root)
{
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(root)));
}

HKEY keyHandle(RegistryHandle key)
{
    return reinterpret_cast<HKEY>(key);
}

} // namespace

long openRegistryKey(qint32 root, const QByteArray &subKey, quint32 options, quint32 access, RegistryHandle &key)
{
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(rootHandle(root), subKey.constData(), options, access, &opened);
    key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryHandle>(opened) : 0;
    return status;
}

long queryRegistryString(RegistryHandle key, const QByteArray &valueName, char *buffer, quint32 &length)
{
    DWORD type = REG_SZ;
    DWORD size = length;
    const LONG status = RegQueryValueExA(keyHandle(key), valueName.constData(), nullptr, &type,
                                         reinterpret_cast<LPBYTE>(buffer), &size);
    length = size;
    return status;
}

long closeRegistryKey(RegistryHandle key)
{
    return RegCloseKey(keyHandle(key));
}

// The real registry is always read on Windows.
void setRegistryFile(const QString &)
{
}

QString registryFile()
{
    return QString();
}

} // namespace platform
