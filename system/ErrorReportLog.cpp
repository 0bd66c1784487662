#include "system/ErrorReportLog.h"

#include "system/ErrorReporting.h"

#include "platform/os/LateBound.h"
#include "platform/os/RegularFile.h"
#include "platform/os/SpecialFolders.h"
#include "platform/runtime/RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace errorreporting {

namespace {

class LogComponent final : public platform::AutomationObject
{
public:
    explicit LogComponent(QString path) : m_path(std::move(path)) {}

    QVariant invoke(const QString &method, const QVariantList &arguments) override
    {
        if (method.compare(QStringLiteral("Report"), Qt::CaseInsensitive) != 0 || arguments.size() != 5)
            throw platform::RuntimeError(platform::ErrorNumber::MethodNotSupported,
                                         QStringLiteral("Object doesn't support this property or method"));
        QStringList texts;
        for (const QVariant &argument : arguments)
            texts << argument.toString();
        const QByteArray line = LogLine(texts).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QFile file;
        if (platform::appendToRegularFile(file, m_path))
            file.write(line);
        return QVariant();
    }

private:
    QString m_path;
};

} // namespace

QString DefaultLogPath()
{
    return platform::specialFolderPath(platform::Csidl::CommonAppData) + QStringLiteral("/Velunas/errors.log");
}

QString LogLine(const QStringList &texts)
{
    QStringList fields;
    fields << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (QString text : texts)
        fields << text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return fields.join(QStringLiteral(" | "));
}

void registerLogComponent(const QString &logPath)
{
    platform::registerProgId(QLatin1String(ProgId), [logPath] { return std::make_unique<LogComponent>(logPath); });
}

} // namespace errorreporting
