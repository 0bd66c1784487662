// "&Fechar" in one copy of the desk ends every copy, itself last, each having
// closed its embedded files.
#include "data/DemoDatabase.h"
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
        demo::insertMembers(demo::demoFiles(folder).haldor,
                            {{7, u"1001"_qs, u"S-7"_qs, u"Inês Marques"_qs, {}, {}, 1}});
        return folder;
    }

    // The deliveries a folder's HALDOR file holds when copied alone, as a
    // site's backup of it would be.
    QList<QList<QVariant>> deliveriesInMainFileAlone(const QString &folder)
    {
        const QString copy = folder + QStringLiteral("-copy.db");
        QFile::copy(demo::demoFiles(folder).haldor, copy);
        return testsupport::rowsOn(demo::fileConnectionString(copy), u"SELECT socio_id, convite_no FROM tbVelunas"_qs);
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
        // Both closed their files: the logs are gone, the main files hold the deliveries.
        for (const QString &folder : {otherFolder, closingFolder}) {
            QVERIFY2(!QFile::exists(demo::demoFiles(folder).haldor + QStringLiteral("-wal")), qPrintable(folder));
            QCOMPARE(deliveriesInMainFileAlone(folder), (QList<QList<QVariant>>{{7, 1}}));
        }
        QVERIFY(!untouched->waitForFinished(300));
        QCOMPARE(untouched->state(), QProcess::Running);
        untouched->kill();
        untouched->waitForFinished();
    }
};

QTEST_GUILESS_MAIN(tst_closeDesk)
#include "tst_closeDesk.moc"
