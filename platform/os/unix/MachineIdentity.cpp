#include "platform/os/MachineIdentityOverride.h"

#include <QFile>

namespace platform {

QByteArray machineIdentity()
{
    if (const auto &identity = machineIdentityOverride())
        return *identity;
    // systemd's id, or D-Bus's on systems without it.
    for (const char *path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile file{QString::fromLatin1(path)};
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray id = file.readAll().trimmed();
            if (!id.isEmpty())
                return id;
        }
    }
    return QByteArray();
}

} // namespace platform
