#pragma once

#include <QByteArray>

namespace platform {

// Bytes that identify this computer and stay the same across runs: the
// machine id on Linux; on Windows a random secret kept under DPAPI with
// machine scope. Empty when the machine has none.
QByteArray machineIdentity();

// Tests stand in for another computer; an empty value restores the real one.
void overrideMachineIdentity(const QByteArray &identity);

} // namespace platform
