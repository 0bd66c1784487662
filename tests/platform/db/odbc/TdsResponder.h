#pragma once

// Starts tests/helpers/tds_responder.py on loopback and reads back what
// reached it: the logins and batches it logged.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <sqlite3.h>

class TdsResponder
{
public:
    TdsResponder(const QString &script, const QString &databaseFile, const QString &logFile,
                 const QStringList &extraArguments = {})
        : m_logFile(logFile)
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            python, QStringList{script, QStringLiteral("--database"), databaseFile, QStringLiteral("--log"), logFile} +
                        extraArguments);
        if (!m_process.waitForStarted() || !m_process.waitForReadyRead(30000))
            return;
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("PORT "))
            m_port = line.mid(5).toInt();
    }
    ~TdsResponder()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    int port() const { return m_port; }

    // The desk's connection string to a responder on this port.
    static QString deskString(int port)
    {
        return QStringLiteral("Provider=SQLOLEDB.1;User ID=velunas;Password=desk;Initial Catalog=Velunas;"
                              "Data Source=127.0.0.1,%1")
            .arg(port);
    }

    // Makes the SQLite file the responder runs its batches on; false on failure.
    static bool createDatabase(const QString &path, const char *script)
    {
        sqlite3 *db = nullptr;
        const bool opened = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK;
        const bool made = opened && sqlite3_exec(db, script, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return made;
    }

    // Every record of one kind ("login", "batch") logged so far, in order.
    QList<QJsonObject> records(const QString &event) const
    {
        QList<QJsonObject> found;
        QFile file(m_logFile);
        if (!file.open(QIODevice::ReadOnly))
            return found;
        while (!file.atEnd()) {
            const QJsonObject record = QJsonDocument::fromJson(file.readLine()).object();
            if (record.value(QStringLiteral("event")).toString() == event)
                found.append(record);
        }
        return found;
    }

private:
    QProcess m_process;
    QString m_logFile;
    int m_port = 0;
};
