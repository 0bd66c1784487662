// "&Fechar" in one copy of the desk ends every copy, itself last, each having
// closed its embedded files.
#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

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

    // A folder of registers holding the member 1001, for a desk to deliver to.
    QString registers(const QString &name)
    {
        const QString folder = m_dir.filePath(name);
        QDir().mkpath(folder);
        demo::createSchemaOnly(folder);
        demo::insertMembers(demo::demoFiles(folder).haldor, {{7, u"1001"_qs, {}, u"Inês"_qs, {}, {}, 1}});
        return folder;
    }

    static std::unique_ptr<QProcess> startDesk(const QString &path, const QString &imageName, const char *mode,
                                               const QString &folder = QString())
    {
        auto process = std::make_unique<QProcess>();
        QStringList arguments{imageName, QString::fromLatin1(mode)};
        if (!folder.isEmpty())
            arguments << folder;
        process->start(path, arguments);
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

        const QString otherFolder = registers(QStringLiteral("other"));
        const QString closingFolder = registers(QStringLiteral("closing"));
        auto other = startDesk(desk, imageName, "wait", otherFolder);
        auto untouched = startDesk(backup, imageName, "wait");
        QVERIFY(other && untouched);
        auto closing = startDesk(desk, imageName, "close", closingFolder);
        QVERIFY(closing);

        QVERIFY(closing->waitForFinished(20000));
        QCOMPARE(closing->exitStatus(), QProcess::NormalExit);
        QCOMPARE(closing->exitCode(), 0);
        QVERIFY(other->waitForFinished(20000));
#ifdef Q_OS_WIN
        QCOMPARE(other->exitCode(), 0); // the code Windows is given
#else
        QCOMPARE(other->exitStatus(), QProcess::CrashExit);
        QCOMPARE(other->exitCode(), SIGTERM); // asked, not forced
#endif
        // Both closed their files: no log is left, and the main file alone,
        // copied as a site's backup would be, holds the delivery.
        for (const QString &folder : {otherFolder, closingFolder}) {
            const QString haldor = demo::demoFiles(folder).haldor;
            QVERIFY2(!QFile::exists(haldor + u"-wal"_qs), qPrintable(folder));
            QVERIFY(QFile::copy(haldor, folder + u"-copy.db"_qs));
            QCOMPARE(testsupport::rowsOn(demo::fileConnectionString(folder + u"-copy.db"_qs),
                                         u"SELECT convite_no FROM tbVelunas"_qs),
                     (QList<QList<QVariant>>{{1}}));
        }
        QVERIFY(!untouched->waitForFinished(300));
        QCOMPARE(untouched->state(), QProcess::Running);
        untouched->kill();
        untouched->waitForFinished();
    }
};

QTEST_GUILESS_MAIN(tst_closeDesk)
#include "tst_closeDesk.moc"
