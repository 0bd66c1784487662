#include "platform/os/SiteAccount.h"

#include <windows.h>

namespace platform {

QString accountName()
{
    wchar_t name[257] = {};
    DWORD length = 257;
    if (!GetUserNameW(name, &length) || length == 0)
        return QStringLiteral("?");
    // The length counts the closing NUL.
    return QString::fromWCharArray(name, static_cast<qsizetype>(length) - 1);
}

bool mayChangeDeskFiles(QString *)
{
    return true;
}

} // namespace platform
