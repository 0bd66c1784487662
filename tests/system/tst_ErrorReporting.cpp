// What reaches the error-reporting component, and what never does.
#include "system/ErrorReportLog.h"
#include "system/ErrorReporting.h"

#include "platform/os/LateBound.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using platform::RuntimeError;

class tst_ErrorReporting : public QObject
{
    Q_OBJECT

private slots:
    void filter_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("reported");
        QTest::newRow("ordinary error") << 13 << "Type mismatch" << true;
        QTest::newRow("number zero") << 0 << "Something" << false;
        QTest::newRow("closed connection") << 3709 << "Operation is not allowed" << false;
        QTest::newRow("empty description") << 5 << "" << false;
        QTest::newRow("blank description") << 5 << "   " << false;
        QTest::newRow("negative provider number") << -2147217900 << "Incorrect syntax" << true;
        QTest::newRow("3708 is not 3709") << 3708 << "Parameter object is improperly defined" << true;
    }

    void filter()
    {
        QFETCH(int, number);
        QFETCH(QString, description);
        QFETCH(bool, reported);
        testsupport::ReportCapture capture;
        errorreporting::ReportWindowError(RuntimeError(number, description),
                                          {QStringLiteral("Orvel Software"), QStringLiteral("Velunas"),
                                           QStringLiteral("frmMain"), QStringLiteral("Command4_Click")});
        errorreporting::ReportModuleError(RuntimeError(number, description),
                                          {QStringLiteral("ZEFA Tarn Software"), QStringLiteral("Cardel"),
                                           QStringLiteral("modCode"), QStringLiteral("Trtf")});
        QCOMPARE(capture.reports().size(), reported ? 2 : 0);
    }

    void windowAndModuleMessages()
    {
        testsupport::ReportCapture capture;
        const RuntimeError error(6, QStringLiteral("Overflow"));
        errorreporting::ReportWindowError(error, {QStringLiteral("Orvel Software"), QStringLiteral("Farrow"),
                                                  QStringLiteral("frmMain"), QStringLiteral("Form_Resize")});
        errorreporting::ReportModuleError(error, {QStringLiteral("ZEFA Tarn Software"), QStringLiteral("Pellow"),
                                                  QStringLiteral("modData"), QStringLiteral("ListField")});
        QCOMPARE(capture.reports().size(), 2);
        QCOMPARE(capture.reports().at(0),
                 (QStringList{QStringLiteral("Orvel Software"), QStringLiteral("Farrow"), QStringLiteral("frmMain"),
                              QStringLiteral("Form_Resize"), QStringLiteral("Overflow")}));
        QVERIFY(!capture.reports().at(1).isEmpty());
        QCOMPARE(capture.reports().at(1).last(), QStringLiteral("Error Number = 6 | Description = Overflow"));
    }

    void missingComponentDropsTheReport()
    {
        platform::registerProgId(QLatin1String(errorreporting::ProgId), {});
        errorreporting::Report({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")},
                               QStringLiteral("message"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, platform::CreateObject(QLatin1String(errorreporting::ProgId)));
    }

    void failingComponentDropsTheReport()
    {
        class Failing final : public platform::AutomationObject
        {
        public:
            QVariant invoke(const QString &, const QVariantList &) override
            {
                throw RuntimeError(438, QStringLiteral("Object doesn't support this property or method"));
            }
        };
        platform::registerProgId(QLatin1String(errorreporting::ProgId), [] { return std::make_unique<Failing>(); });
        errorreporting::ReportWindowError(
            RuntimeError(5, QStringLiteral("Invalid procedure call")),
            {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        platform::registerProgId(QLatin1String(errorreporting::ProgId), {});
    }

    void shippedComponentAppendsOneLinePerReport()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("Velunas/errors.log"));
        errorreporting::registerLogComponent(log);
        const errorreporting::ReportLabels labels{QStringLiteral("Orvel Software"), QStringLiteral("Velunas"),
                                                  QStringLiteral("frmMain"), QStringLiteral("Command2_Click")};
        errorreporting::ReportWindowError(RuntimeError(5, QStringLiteral("Falha na ligação\nao servidor")), labels);
        errorreporting::ReportWindowError(RuntimeError(7, QStringLiteral("Out of memory")), labels);
        platform::registerProgId(QLatin1String(errorreporting::ProgId), {});

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).endsWith(
            QStringLiteral(" | Orvel Software | Velunas | frmMain | Command2_Click | Falha na ligação ao servidor")));
        QVERIFY(lines.at(1).endsWith(QStringLiteral("| Out of memory")));
    }

#ifndef Q_OS_WIN
    // Anyone who may write the log's folder can plant these in the log's place.
    void plantedLogIsLeftAlone_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("pipe without reader") << true;
        QTest::newRow("link to another account's file") << false;
    }

    void plantedLogIsLeftAlone()
    {
        QFETCH(bool, pipe);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("errors.log"));
        const QString victim = dir.filePath(QStringLiteral(".profile"));
        if (pipe) {
            QCOMPARE(::mkfifo(QFile::encodeName(log).constData(), 0666), 0);
        } else {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("own\n") == 4);
            file.close();
            QVERIFY(QFile::link(victim, log));
        }
        errorreporting::registerLogComponent(log);
        errorreporting::ReportWindowError(RuntimeError(5, QStringLiteral("echo pwned")), {});
        platform::registerProgId(QLatin1String(errorreporting::ProgId), {});
        if (!pipe) {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("own\n"));
        }
    }
#endif
};

QTEST_GUILESS_MAIN(tst_ErrorReporting)
#include "tst_ErrorReporting.moc"
