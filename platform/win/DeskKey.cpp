#include "platform/DeskKey.h"

#include "platform/MachineIdentity.h"
#include "platform/SpecialFolders.h"

namespace platform {

QString deskKeyPath()
{
    const QString chosen = qEnvironmentVariable("VELUNAS_KEY_FILE");
    return chosen.isEmpty() ? specialFolderPath(Csidl::CommonAppData) + QStringLiteral("/Quorvane/Velunas/machine.key")
                            : chosen;
}

// The DPAPI secret is the key here; the first reader on the computer makes it.
DeskKey readDeskKey()
{
    const QByteArray secret = machineIdentity();
    if (secret.isEmpty())
        return {{}, QStringLiteral("cannot read or create the protected key %1").arg(deskKeyPath())};
    return {secret, {}};
}

DeskKey createDeskKey()
{
    return readDeskKey();
}

} // namespace platform
