#include "platform/os/SpecialFolders.h"

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
    // The wide form: a folder named outside the ANSI code page keeps its name.
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
        return QString();
    return QString::fromWCharArray(buffer).trimmed();
}

void overrideCommonAppData(const QString &path)
{
    commonAppDataOverride() = path;
}

} // namespace platform
