#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Read-only access to the machine's registry. On Windows this is the registry
// itself; elsewhere the registry is read from a regedit export file.
namespace platform {

using RegistryHandle = quintptr;

// Status codes as the registry API returns them.
namespace RegistryStatus {
inline constexpr long Success = 0;
inline constexpr long FileNotFound = 2;
inline constexpr long AccessDenied = 5;
inline constexpr long InvalidHandle = 6;
inline constexpr long MoreData = 234;
} // namespace RegistryStatus

// The predefined root keys, with the values Windows gives them.
namespace RegistryRoot {
inline constexpr qint32 ClassesRoot = qint32(0x80000000u);
inline constexpr qint32 CurrentUser = qint32(0x80000001u);
inline constexpr qint32 LocalMachine = qint32(0x80000002u);
inline constexpr qint32 Users = qint32(0x80000003u);
inline constexpr qint32 PerformanceData = qint32(0x80000004u);
inline constexpr qint32 CurrentConfig = qint32(0x80000005u);
inline constexpr qint32 DynData = qint32(0x80000006u);
} // namespace RegistryRoot

// Access mask for reading a key (KEY_READ).
inline constexpr quint32 RegistryKeyRead = 0x20019;

// Opens subKey (backslash-separated, in the ANSI code page; empty for the root
// itself) under a predefined root. On success key holds a handle to close.
long openRegistryKey(qint32 root, const QByteArray &subKey, quint32 options, quint32 access, RegistryHandle &key);

// Reads the value valueName (empty for the key's default value) as a string
// in the ANSI code page, with its terminating NUL, into buffer. length gives
// the buffer's size and receives the data's length; a value that does not
// fit gives MoreData.
long queryRegistryString(RegistryHandle key, const QByteArray &valueName, char *buffer, quint32 &length);

long closeRegistryKey(RegistryHandle key);

// Where the registry export is read from when there is no Windows registry;
// an empty path restores the machine-wide file. Tests hand their own file.
// Windows always reads its own registry and ignores this.
void setRegistryFile(const QString &path);
QString registryFile();

} // namespace platform
