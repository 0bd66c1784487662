#pragma once

#include <QFile>
#include <QString>

namespace platform {

// Pushes what was written to an open file down to the disk, so that a power
// loss after this cannot leave the file shorter than written.
bool flushFileToDisk(QFile &file);

// Opens a new, empty file for writing: preferredPath when nothing is there,
// else preferredPath with a random suffix. The file is always created anew, so
// a link planted in its place or another writer's file is never followed,
// truncated or shared.
bool createNewFile(QFile &file, const QString &preferredPath);

// Gives an open file the mode of the file at modelPath and, where the system
// permits, its owner and group, so that the file can take the model's place
// and stay readable by those who read the model.
bool copyFileAccess(QFile &file, const QString &modelPath);

// Puts source in place of target in one step: target is afterwards either
// its old content or source's, never a mixture, even after a crash.
bool replaceFile(const QString &source, const QString &target);

} // namespace platform
