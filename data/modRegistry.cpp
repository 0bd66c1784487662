#include "data/modRegistry.h"

#include "platform/os/Registry.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/TrimSpaces.h"
#include "platform/ui/MessageBox.h"
#include "system/ErrorReporting.h"

#include <QByteArray>
#include <QSet>

namespace modRegistry {

namespace {

void reportError(const char *operation)
{
    errorreporting::ReportModuleError(platform::currentRuntimeError(),
                                      {QStringLiteral("ZEFA Tarn Software"), QStringLiteral("Orvel Software Modules"),
                                       QStringLiteral("modRegistry"), QLatin1String(operation)});
}

QString referencePrefix()
{
    return QString::fromUtf16(ReferencePrefix);
}

bool isReference(const QVariant &value)
{
    return value.isValid() && value.toString().startsWith(referencePrefix());
}

// The text of a value read into the space-filled buffer: the returned length
// counts the terminating NUL, which is dropped after trimming the spaces.
QString bufferText(const QByteArray &buffer, quint32 length)
{
    // The text ends at its terminating NUL, found rather than assumed to be the
    // last byte: Windows' decoder drops a trailing NUL, which left every value
    // one character short. Leading blanks go, trailing ones stay, as the NUL
    // shielded them from the trim.
    QByteArray data = buffer.left(qMin<qsizetype>(length, buffer.size()));
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data.truncate(nul);
    const QString text = QString::fromLocal8Bit(data);
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == QLatin1Char(' '))
        ++start;
    return text.mid(start);
}

} // namespace

QVariant ObterValorString(const QString &keyPath, const QString &valueName, const QVariant &defaultValue,
                          bool skipShadow)
{
    QVariant answer;
    try {
        QString currentPath = keyPath;
        if (!skipShadow) {
            const QString shadowed = LerValorShadow(keyPath, valueName);
            if (!shadowed.isEmpty())
                answer = shadowed;
        }
        if (!answer.isValid()) {
            QString copy = keyPath;
            answer = ValorString(copy, valueName);
            QSet<QString> visited{keyPath};
            while (isReference(answer)) {
                const QString target = answer.toString().mid(referencePrefix().size());
                // A reference back to a key already read would never end: such
                // a setting counts as missing.
                if (visited.contains(target)) {
                    answer = QVariant();
                    break;
                }
                visited.insert(target);
                currentPath = target;
                copy = target;
                answer = ValorString(copy, valueName);
            }
        }
        if (!answer.isValid() && !defaultValue.isNull()) {
            answer = defaultValue.toString();
            GravarValorShadow(currentPath, valueName, answer.toString());
        }
    } catch (...) {
        reportError("ObterValorString");
    }
    return answer;
}

QVariant ValorString(QString &keyPath, const QString &valueName)
{
    QVariant result;
    try {
        qint32 root = 0;
        FormatarChave(keyPath, root);
        if (root == 0)
            return result;
        platform::RegistryHandle key = 0;
        if (platform::openRegistryKey(root, keyPath.toLocal8Bit(), 0, platform::RegistryKeyRead, key) !=
            platform::RegistryStatus::Success)
            return result;
        QByteArray buffer(ValueBufferSize, ' ');
        quint32 length = ValueBufferSize;
        const long status = platform::queryRegistryString(key, valueName.toLocal8Bit(), buffer.data(), length);
        platform::closeRegistryKey(key);
        if (status != platform::RegistryStatus::Success)
            return result;
        result = bufferText(buffer, length);
    } catch (...) {
        reportError("ValorString");
    }
    return result;
}

void FormatarChave(QString &keyPath, qint32 &root)
{
    root = 0;
    try {
        const bool wellFormed =
            keyPath.startsWith(QLatin1String("HKEY_"), Qt::CaseSensitive) && !keyPath.endsWith(QLatin1Char('\\'));
        if (!wellFormed) {
            platform::MsgBox(QStringLiteral("Formato Incorrecto:") + QStringLiteral("\n\n") + keyPath);
            return;
        }
        const qsizetype slash = keyPath.indexOf(QLatin1Char('\\'));
        if (slash >= 0) {
            root = ObterHandleChavePrincipal(keyPath.left(slash));
            keyPath = keyPath.mid(slash + 1);
        } else {
            root = ObterHandleChavePrincipal(keyPath);
            keyPath = QString();
        }
    } catch (...) {
        reportError("FormatarChave");
    }
}

qint32 ObterHandleChavePrincipal(const QString &rootName)
{
    try {
        static const struct
        {
            const char *name;
            qint32 handle;
        } roots[] = {
            {"HKEY_CLASSES_ROOT", platform::RegistryRoot::ClassesRoot},
            {"HKEY_CURRENT_USER", platform::RegistryRoot::CurrentUser},
            {"HKEY_LOCAL_MACHINE", platform::RegistryRoot::LocalMachine},
            {"HKEY_USERS", platform::RegistryRoot::Users},
            {"HKEY_PERFORMANCE_DATA", platform::RegistryRoot::PerformanceData},
            {"HKEY_CURRENT_CONFIG", platform::RegistryRoot::CurrentConfig},
            {"HKEY_DYN_DATA", platform::RegistryRoot::DynData},
        };
        for (const auto &root : roots) {
            if (rootName == QLatin1String(root.name))
                return root.handle;
        }
    } catch (...) {
        reportError("ObterHandleChavePrincipal");
    }
    return 0;
}

} // namespace modRegistry
