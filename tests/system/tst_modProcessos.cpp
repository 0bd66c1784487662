// Process control on real processes started under names of the test's own.
#include "system/modProcessos.h"

#include "platform/os/ProcessList.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

class tst_modProcessos : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_unique;
    std::vector<std::unique_ptr<QProcess>> m_processes;

    // The image name of a program called name: Windows names end in ".exe".
    static QString image(const QString &name)
    {
#ifdef Q_OS_WIN
        return name + QStringLiteral(".exe");
#else
        return name;
#endif
    }

    // A copy of an idle program under the given name, running until ended.
    QProcess *start(const QString &name)
    {
        const QString path = m_dir.filePath(image(name));
#ifdef Q_OS_WIN
        const QString idle = testsupport::binaryDir() + QStringLiteral("/idle_process.exe");
#else
        const QString idle = QStringLiteral("/bin/sleep");
#endif
        if (!QFile::exists(path))
            QFile::copy(idle, path);
        auto process = std::make_unique<QProcess>();
        process->start(path, {QStringLiteral("300")});
        if (!process->waitForStarted())
            return nullptr;
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    static bool endedByKill(QProcess *process)
    {
#ifdef Q_OS_WIN
        // Ended with exit code 0, which Windows does not tell from a normal
        // exit; the idle program would have run for minutes.
        return process->waitForFinished(5000);
#else
        return process->waitForFinished(5000) && process->exitStatus() == QProcess::CrashExit;
#endif
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_unique = QStringLiteral("zq%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    }

    void cleanup()
    {
        for (auto &process : m_processes)
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        m_processes.clear();
    }

    void nameMatching_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("same name") << "Velunas.exe"
                                   << "Velunas.exe" << true;
        QTest::newRow("other case") << "VELUNAS.EXE"
                                    << "Velunas.exe" << true;
        QTest::newRow("windows path stripped") << "C:\\Apps\\Velunas.exe"
                                               << "velunas.exe" << true;
        QTest::newRow("unix path stripped") << "/opt/desk/velunas"
                                            << "velunas" << true;
        QTest::newRow("name only ends the image") << "my_velunas.exe"
                                                  << "Velunas.exe" << true;
        QTest::newRow("suffix after the name") << "velunas.exe.bak"
                                               << "Velunas.exe" << false;
        QTest::newRow("name in a folder only") << "C:\\velunas.exe\\other.exe"
                                               << "velunas.exe" << false;
        QTest::newRow("longer than the image") << "nas.exe"
                                               << "Velunas.exe" << false;
        QTest::newRow("empty name matches nothing") << "velunas"
                                                    << "" << false;
    }

    void nameMatching()
    {
        QFETCH(QString, image);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(modProcessos::ImageNameMatches(image, name), matches);
    }

    void endsEveryMatchIgnoringCase()
    {
        QProcess *first = start(m_unique + QStringLiteral("velunas"));
        QProcess *second = start(m_unique + QStringLiteral("VELUNAS"));
        QProcess *prefixed = start(QStringLiteral("my_") + m_unique + QStringLiteral("velunas"));
        QVERIFY(first && second && prefixed);
        QVERIFY(modProcessos::KillProcessByName(image(m_unique + QStringLiteral("Velunas"))));
        QVERIFY(endedByKill(first));
        QVERIFY(endedByKill(second));
        QVERIFY(endedByKill(prefixed));
    }

    void leavesOtherNamesRunning()
    {
        QProcess *target = start(m_unique + QStringLiteral("desk"));
        QProcess *backup = start(m_unique + QStringLiteral("desk.bak"));
        QVERIFY(target && backup);
        QVERIFY(modProcessos::KillProcessByName(image(m_unique + QStringLiteral("desk"))));
        QVERIFY(endedByKill(target));
        QVERIFY(!backup->waitForFinished(300));
        QCOMPARE(backup->state(), QProcess::Running);
    }

    // The id of a listed match may have passed to another program by the time
    // it is ended; the name is read again through the process handle.
    void endsOnlyWhatStillMatches_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("ended");
        QTest::newRow("still the listed program") << "velunas" << true;
        QTest::newRow("id now held by another program") << "bystander" << false;
    }

    void endsOnlyWhatStillMatches()
    {
        QFETCH(QString, running);
        QFETCH(bool, ended);
        QProcess *process = start(m_unique + running);
        QVERIFY(process);
        const QString listed = image(m_unique + QStringLiteral("velunas"));
        QCOMPARE(platform::terminateProcess(
                     process->processId(),
                     [&listed](const QString &image) { return modProcessos::ImageNameMatches(image, listed); }),
                 ended);
        if (ended)
            QVERIFY(endedByKill(process));
        else
            QVERIFY(!process->waitForFinished(300));
    }

    void falseWhenNothingMatches()
    {
        QProcess *bystander = start(m_unique + QStringLiteral("bystander"));
        QVERIFY(bystander);
        QVERIFY(!modProcessos::KillProcessByName(image(m_unique + QStringLiteral("nobody"))));
        QCOMPARE(bystander->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(tst_modProcessos)
#include "tst_modProcessos.moc"
