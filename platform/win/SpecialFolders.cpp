#include "platform/SpecialFolders.h"

#include <windows.h>

#include <shlobj.h>

namespace platform {

namespace {
QString &commonAppDataOverride()
{
    static QString path;
    return path;
}
} // namespace

QString specialFolderPath(int csidl)
{
    if (csidl == Csidl::CommonAppData && !commonAppDataOverride().isEmpty())
        return commonAppDataOverride();
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl, &list) != S_OK)
        return QString();
    char buffer[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListA(list, buffer);
    CoTaskMemFree(list);
    return ok ? QString::fromLocal8Bit(buffer).trimmed() : QString();
}

void overrideCommonAppData(const QString &path)
{
    commonAppDataOverride() = path;
}

} // namespace platform
