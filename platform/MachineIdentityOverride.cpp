#include "platform/MachineIdentityOverride.h"

namespace platform {

QByteArray &machineIdentityOverride()
{
    static QByteArray identity;
    return identity;
}

void overrideMachineIdentity(const QByteArray &identity)
{
    machineIdentityOverride() = identity;
}

} // namespace platform
