// Prints the user locale's decimal, thousand and time separators as the
// desk reads them from its environment, "|" between them.
#include "platform/runtime/Locale.h"

#include <cstdio>

int main()
{
    const QString answer = platform::LocaleDecimalSeparator() + QLatin1Char('|') + platform::LocaleThousandSeparator() +
                           QLatin1Char('|') + platform::LocaleTimeSeparator();
    std::fputs(answer.toUtf8().constData(), stdout);
    return 0;
}
