#pragma once

#include "data/ShadowFile.h"
#include "platform/os/Registry.h"
#include "platform/os/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// A private machine for one test: the common application-data folder and the
// registry export both live in a temporary folder, never the machine's own.
// On Windows the export goes into the real registry, and out again at the end.
class SettingsSandbox
{
public:
    SettingsSandbox()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("ZEFA Software")));
        platform::overrideCommonAppData(m_dir.path());
        platform::setRegistryFile(m_dir.filePath(QStringLiteral("registry.reg")));
    }
    ~SettingsSandbox()
    {
#ifdef Q_OS_WIN
        removeImported();
#endif
        modRegistry::setShadowReplaceHook({});
        platform::setRegistryFile(QString());
        platform::overrideCommonAppData(QString());
    }

    // The machine's registry: the lines of a regedit export after its header.
    void setRegistry(const QString &body)
    {
#ifdef Q_OS_WIN
        const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n") + body;
        const QString path = m_dir.filePath(QStringLiteral("registry.reg"));
        write(path, QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
        m_imported += body + QLatin1Char('\n');
        QProcess reg;
        reg.start(QStringLiteral("reg"), {QStringLiteral("import"), QDir::toNativeSeparators(path)});
        QVERIFY(reg.waitForFinished(60000));
        QCOMPARE(reg.exitCode(), 0);
#else
        write(platform::registryFile(), "Windows Registry Editor Version 5.00\r\n\r\n" + body.toUtf8());
#endif
    }

    void setShadow(const QByteArray &content)
    {
        write(modRegistry::shadowFilePath(), content);
    }
    QByteArray shadow() const
    {
        return read(modRegistry::shadowFilePath());
    }
    bool shadowExists() const
    {
        return QFile::exists(modRegistry::shadowFilePath());
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), content.size());
    }

private:
#ifdef Q_OS_WIN
    // Every key imported under HKEY_LOCAL_MACHINE goes whole; at the root
    // itself only the values imported there.
    void removeImported()
    {
        const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
        bool atRoot = false;
        for (const QString &raw : m_imported.split(QLatin1Char('\n'))) {
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                const QString key = line.mid(1, line.size() - 2);
                atRoot = key == root;
                if (key.startsWith(root + QLatin1Char('\\')))
                    RegDeleteTreeW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(key.mid(root.size() + 1).utf16()));
            } else if (atRoot && line.startsWith(QLatin1Char('"'))) {
                const QString name = line.section(QLatin1Char('"'), 1, 1);
                RegDeleteValueW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(name.utf16()));
            }
        }
    }

    QString m_imported;
#endif
    QTemporaryDir m_dir;
};
