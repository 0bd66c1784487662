#pragma once

#include <QString>

#include <functional>

namespace modRegistry {

// "RegShadow.db" in the "ZEFA Software" folder of the common application-data
// folder, and the temporary file its rewrite goes through.
QString shadowFilePath();
QString shadowTempPath();

// Runs when the new shadow file is complete on the disk, just before it takes
// the old one's place; answering false stops the rewrite there, as a crash
// would. Tests use it to show that the old file survives; empty restores none.
using ShadowReplaceHook = std::function<bool(const QString &tempPath)>;
void setShadowReplaceHook(ShadowReplaceHook hook);

} // namespace modRegistry
