#pragma once

#include <QString>

namespace platform {

// Enciphers a secret so that only this computer can read it back: an
// authenticated secret box under a key derived from the machine's identity.
// The text is "v1:" and the base64 of nonce and box. Empty when the machine
// has no identity.
QString sealForMachine(const QString &plain);

// The plain text of a sealed value; empty for a value sealed elsewhere,
// altered, or never sealed.
QString openForMachine(const QString &sealed);

} // namespace platform
