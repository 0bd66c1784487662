#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>

namespace platform {

// An object created by its ProgID and driven by method name, as automation
// components are: the caller knows no type, only names.
class AutomationObject
{
public:
    virtual ~AutomationObject() = default;
    // Raises RuntimeError 438 for a method the object does not have.
    virtual QVariant invoke(const QString &method, const QVariantList &arguments) = 0;
};

using AutomationFactory = std::function<std::unique_ptr<AutomationObject>()>;

// Registers (or replaces) the component behind a ProgID; an empty factory removes it.
void registerProgId(const QString &progId, AutomationFactory factory);

// Creates a new instance; RuntimeError 429 when no component answers to the ProgID.
std::unique_ptr<AutomationObject> CreateObject(const QString &progId);

} // namespace platform
