#include "platform/os/MachineIdentityOverride.h"

namespace platform {

std::optional<QByteArray> &machineIdentityOverride()
{
    static std::optional<QByteArray> identity;
    return identity;
}

void overrideMachineIdentity(const QByteArray &identity)
{
    machineIdentityOverride() = identity;
}

void restoreMachineIdentity()
{
    machineIdentityOverride().reset();
}

} // namespace platform
