#pragma once

#include <QString>

namespace platform {

// Trims blanks only, as the desk's texts and settings expect: a tab or
// other white space is part of the text.
inline QString trimSpaces(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

} // namespace platform
