#pragma once

#include <QString>

namespace platform {

// Enciphers a secret so that only this computer can read it back: an
// authenticated secret box under the desk's key (platform/os/DeskKey.h). The
// text is "v2:" and the base64 of nonce and box. Empty when the key cannot
// be had.
QString sealForMachine(const QString &plain);

// The plain text of a sealed value; empty for a value sealed elsewhere,
// altered, never sealed, or whose key cannot be had. Values of the earlier
// "v1:" form, keyed by the machine's identity, still open where it is.
QString openForMachine(const QString &sealed);

} // namespace platform
