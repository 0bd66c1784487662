#pragma once

#include <QByteArrayView>
#include <QString>

namespace platform {

// Text stored by the desk's older tools: UTF-8 when the bytes are valid UTF-8,
// otherwise the Windows ANSI code page (Windows-1252), whose accents ("João")
// an UTF-8 reading would turn into replacement characters.
QString decodeAnsiText(QByteArrayView bytes);

// The character of one byte in Windows-1252.
QChar windows1252Character(unsigned char byte);

} // namespace platform
