#include "platform/os/LateBound.h"

#include "platform/runtime/RuntimeError.h"

#include <QHash>

namespace platform {

namespace {
QHash<QString, AutomationFactory> &factories()
{
    static QHash<QString, AutomationFactory> table;
    return table;
}
} // namespace

void registerProgId(const QString &progId, AutomationFactory factory)
{
    const QString key = progId.toLower(); // ProgIDs are not case-sensitive
    if (factory)
        factories().insert(key, std::move(factory));
    else
        factories().remove(key);
}

std::unique_ptr<AutomationObject> CreateObject(const QString &progId)
{
    const auto found = factories().constFind(progId.toLower());
    std::unique_ptr<AutomationObject> object;
    if (found != factories().constEnd())
        object = (*found)();
    if (!object)
        throw RuntimeError(ErrorNumber::CannotCreateObject, QStringLiteral("ActiveX component can't create object"));
    return object;
}

} // namespace platform
