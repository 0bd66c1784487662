#include "system/modProcessos.h"

#include "platform/os/ProcessList.h"

namespace modProcessos {

QString ProgramImageName()
{
#ifdef _WIN32
    return QStringLiteral("Velunas.exe");
#else
    return QStringLiteral("velunas");
#endif
}

bool ImageNameMatches(const QString &imageName, const QString &name)
{
    // An empty name would match every process on the machine.
    if (name.isEmpty())
        return false;
    QString image = imageName.toLower();
    const qsizetype slash = image.lastIndexOf(QLatin1Char('\\'));
    if (slash >= 0)
        image = image.mid(slash + 1);
    const qsizetype forward = image.lastIndexOf(QLatin1Char('/'));
    if (forward >= 0)
        image = image.mid(forward + 1);
    return image.endsWith(name.toLower());
}

namespace {
// A copy asked to end first closes its connections (the embedded files are then
// left whole in their main file); one that has not ended by then is ended by force.
constexpr int EndGraceMs = 3000;
} // namespace

bool KillProcessByName(const QString &name)
{
    const auto snapshot = platform::processSnapshot();
    if (!snapshot)
        return false;
    const qint64 self = platform::currentProcessId();
    bool selfMatches = false;
    bool result = false;
    // The calling copy ends last: ending itself first would spare the others.
    for (const platform::ProcessEntry &entry : *snapshot) {
        if (!ImageNameMatches(entry.imageName, name))
            continue;
        if (entry.id == self)
            selfMatches = true;
        else
            result = platform::terminateProcess(
                entry.id, [&name](const QString &image) { return ImageNameMatches(image, name); }, EndGraceMs);
    }
    if (selfMatches)
        platform::terminateCurrentProcess();
    return result;
}

} // namespace modProcessos
