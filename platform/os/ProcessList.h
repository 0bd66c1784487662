#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace platform {

struct ProcessEntry
{
    qint64 id = 0;
    QString imageName; // as the system lists it; may hold a path
};

// Every running process, or nothing when the list cannot be taken.
std::optional<std::vector<ProcessEntry>> processSnapshot();

qint64 currentProcessId();

// The platform's forced termination of another process (exit code 0 where the
// platform lets the caller choose), ended only when the image name read again
// through a hold on the process still satisfies `stillMatches`: an id taken
// from an earlier snapshot may since belong to an unrelated program. False
// when nothing was ended.
bool terminateProcess(qint64 id, const std::function<bool(const QString &imageName)> &stillMatches);

// Ends the calling process at once with exit code 0.
[[noreturn]] void terminateCurrentProcess();

} // namespace platform
