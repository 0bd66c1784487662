#pragma once

#include "platform/os/MachineIdentity.h"

#include <optional>

namespace platform {

// The identity a test set, shared by the per-system implementations; none
// set means the computer's own.
std::optional<QByteArray> &machineIdentityOverride();

} // namespace platform
