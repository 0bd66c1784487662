#pragma once

#include "platform/MachineIdentity.h"

namespace platform {

// The identity a test set, shared by the per-system implementations.
QByteArray &machineIdentityOverride();

} // namespace platform
