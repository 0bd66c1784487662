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

// Ends another process, only when the image name read again through a hold on
// the process still satisfies `stillMatches`: an id taken from an earlier
// snapshot may since belong to an unrelated program. With a grace period the
// process is first asked to end (Linux: SIGTERM; Windows: the request
// onEndRequest listens for) and given that long; then, or at once, it is ended
// by force (exit code 0 where the platform lets the caller choose). False when
// nothing was ended.
bool terminateProcess(qint64 id, const std::function<bool(const QString &imageName)> &stillMatches, int graceMs = 0);

// Ends the calling process at once with exit code 0.
[[noreturn]] void terminateCurrentProcess();

// When this process is asked to end (by terminateProcess of another copy, or
// on Linux by any SIGTERM), `beforeEnd` runs on the event loop's thread and the
// process then ends: on Linux as SIGTERM ends it, on Windows with exit code 0.
// Needs the application object; a later call replaces `beforeEnd`.
void onEndRequest(std::function<void()> beforeEnd);

} // namespace platform
