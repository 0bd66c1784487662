// "&Fechar" in one copy of the desk ends every copy, itself last.
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
#ifdef Q_OS_WIN
const QString Exe = QStringLiteral(".exe");
#else
const QString Exe;
#endif
} // namespace

class tst_closeDesk : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_unique;

    QString copyProbe(const QString &fileName)
    {
        const QString path = m_dir.filePath(fileName);
        if (!QFile::exists(path))
            QFile::copy(testsupport::binaryDir() + QStringLiteral("/desk_close_probe") + Exe, path);
        return path;
    }

    static std::unique_ptr<QProcess> startDesk(const QString &path, const QString &imageName, const char *mode)
    {
        auto process = std::make_unique<QProcess>();
        process->start(path, {imageName, QString::fromLatin1(mode)});
        if (!process->waitForStarted() || !process->waitForReadyRead(20000))
            return nullptr;
        return process;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_unique = QStringLiteral("zq%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        QVERIFY(QFile::exists(testsupport::binaryDir() + QStringLiteral("/desk_close_probe") + Exe));
    }

    void fecharEndsEveryCopyAndItself()
    {
        const QString imageName = m_unique + QStringLiteral("velunas") + Exe;
        const QString desk = copyProbe(imageName);
        const QString backup = copyProbe(m_unique + QStringLiteral("velunas.bak") + Exe);

        auto other = startDesk(desk, imageName, "wait");
        auto untouched = startDesk(backup, imageName, "wait");
        QVERIFY(other && untouched);
        auto closing = startDesk(desk, imageName, "close");
        QVERIFY(closing);

        QVERIFY(closing->waitForFinished(20000));
        QCOMPARE(closing->exitStatus(), QProcess::NormalExit);
        QCOMPARE(closing->exitCode(), 0);
        QVERIFY(other->waitForFinished(20000));
#ifdef Q_OS_WIN
        QCOMPARE(other->exitCode(), 0); // ended by force, with the code Windows is given
#else
        QCOMPARE(other->exitStatus(), QProcess::CrashExit); // ended by force
#endif
        QVERIFY(!untouched->waitForFinished(300));
        QCOMPARE(untouched->state(), QProcess::Running);
        untouched->kill();
        untouched->waitForFinished();
    }
};

QTEST_GUILESS_MAIN(tst_closeDesk)
#include "tst_closeDesk.moc"
