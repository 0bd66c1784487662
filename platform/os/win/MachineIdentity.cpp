#include "platform/os/DeskKey.h"
#include "platform/os/MachineIdentityOverride.h"

namespace platform {

// The earlier cipher was keyed by the same DPAPI secret as the desk key.
QByteArray machineIdentity()
{
    if (const auto &identity = machineIdentityOverride())
        return *identity;
    return readDeskKey().bytes;
}

} // namespace platform
