#pragma once

#include <QString>

namespace platform {

// Shell folder numbers the desk asks for.
namespace Csidl {
inline constexpr int Desktop = 0x10;
inline constexpr int Personal = 5;
inline constexpr int AppData = 26;
inline constexpr int LocalAppData = 28;
inline constexpr int CommonAppData = 35;
} // namespace Csidl

// The path of a special folder by its CSIDL number; empty when there is none.
QString specialFolderPath(int csidl);

// Tests point the common application-data folder elsewhere, so that they
// never touch the machine's own; an empty path restores the real one.
void overrideCommonAppData(const QString &path);

} // namespace platform
