#include "platform/db/Provider.h"

namespace platform {

std::unique_ptr<Provider> createProvider(const QString &)
{
    // No engine is linked in yet.
    return nullptr;
}

} // namespace platform
