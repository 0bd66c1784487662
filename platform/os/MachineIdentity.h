#pragma once

#include <QByteArray>

namespace platform {

// Bytes that identify this computer and stay the same across runs: the
// machine id on Linux; on Windows a random secret kept under DPAPI with
// machine scope. Empty when the machine has none.
QByteArray machineIdentity();

// Tests stand in for another computer: one with this identity, or one with
// none when it is empty.
void overrideMachineIdentity(const QByteArray &identity);

// Back to this computer's own identity.
void restoreMachineIdentity();

} // namespace platform
