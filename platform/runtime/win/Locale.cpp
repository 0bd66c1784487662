#include "platform/runtime/Locale.h"

#include "platform/runtime/RuntimeError.h"

#include <windows.h>

namespace platform::detail {

// The user default locale's item: a 30-character buffer of which 10 are
// offered; the answer is what the call reports, less the terminating zero.
QString systemLocaleInfo(LocaleItem item)
{
    char buffer[30] = {};
    const int reported = GetLocaleInfoA(LOCALE_USER_DEFAULT, static_cast<LCTYPE>(item), buffer, 10);
    if (reported <= 0)
        throw RuntimeError(5, QStringLiteral("Invalid procedure call or argument"));
    return QString::fromLocal8Bit(buffer, reported - 1);
}

} // namespace platform::detail
