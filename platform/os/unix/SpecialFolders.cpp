#include "platform/os/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

namespace platform {

namespace {

QString &commonAppDataOverride()
{
    static QString path;
    return path;
}

QString homeDir()
{
    return QDir::homePath();
}

QString xdgBase(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? fallback : value;
}

// The user's named folders live in user-dirs.dirs as XDG_NAME_DIR="$HOME/...".
QString xdgUserDir(const QString &name, const QString &fallback)
{
    QFile file(xdgBase("XDG_CONFIG_HOME", homeDir() + QStringLiteral("/.config")) + QStringLiteral("/user-dirs.dirs"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        const QRegularExpression line(QStringLiteral("^XDG_%1_DIR=\"(.*)\"$").arg(name));
        while (!in.atEnd()) {
            const auto match = line.match(in.readLine().trimmed());
            if (match.hasMatch()) {
                QString path = match.captured(1);
                path.replace(QStringLiteral("$HOME"), homeDir());
                return path;
            }
        }
    }
    return homeDir() + QLatin1Char('/') + fallback;
}

} // namespace

QString specialFolderPath(int csidl)
{
    switch (csidl) {
    case Csidl::CommonAppData:
        return commonAppDataOverride().isEmpty() ? QStringLiteral("/var/lib") : commonAppDataOverride();
    case Csidl::AppData:
        return xdgBase("XDG_CONFIG_HOME", homeDir() + QStringLiteral("/.config"));
    case Csidl::LocalAppData:
        return xdgBase("XDG_DATA_HOME", homeDir() + QStringLiteral("/.local/share"));
    case Csidl::Personal:
        return xdgUserDir(QStringLiteral("DOCUMENTS"), QStringLiteral("Documents"));
    case Csidl::Desktop:
        return xdgUserDir(QStringLiteral("DESKTOP"), QStringLiteral("Desktop"));
    default:
        return QString();
    }
}

void overrideCommonAppData(const QString &path)
{
    commonAppDataOverride() = path;
}

} // namespace platform
