#pragma once

#include <QFile>
#include <QString>

namespace platform {

// Pushes what was written to an open file down to the disk, so that a power
// loss after this cannot leave the file shorter than written.
bool flushFileToDisk(QFile &file);

// Puts source in place of target in one step: target is afterwards either
// its old content or source's, never a mixture, even after a crash.
bool replaceFile(const QString &source, const QString &target);

} // namespace platform
