#pragma once

#include "platform/db/access/Provider.h"

#include <functional>
#include <memory>

namespace platform {

// The provider named by a connection string's "Provider" key (any case), or none.
std::unique_ptr<Provider> createProvider(const QString &name);

// Adds a provider under a name, ahead of the built-in ones; an empty factory
// removes it again. Lets a test watch what a connection does while it opens.
using ProviderFactory = std::function<std::unique_ptr<Provider>()>;
void registerProvider(const QString &name, ProviderFactory factory);

} // namespace platform
