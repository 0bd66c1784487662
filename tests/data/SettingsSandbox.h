#pragma once

#include "data/ShadowFile.h"
#include "platform/Registry.h"
#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A private machine for one test: the common application-data folder and the
// registry export both live in a temporary folder, never the machine's own.
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
        modRegistry::setShadowReplaceHook({});
        platform::setRegistryFile(QString());
        platform::overrideCommonAppData(QString());
    }

    // The machine's registry: the lines of a regedit export after its header.
    void setRegistry(const QString &body)
    {
        write(platform::registryFile(), "Windows Registry Editor Version 5.00\r\n\r\n" + body.toUtf8());
    }

    void setShadow(const QByteArray &content) { write(modRegistry::shadowFilePath(), content); }
    QByteArray shadow() const { return read(modRegistry::shadowFilePath()); }
    bool shadowExists() const { return QFile::exists(modRegistry::shadowFilePath()); }

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
    QTemporaryDir m_dir;
};
