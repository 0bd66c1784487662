#include "data/ShadowFile.h"
#include "data/modDirectorios.h"
#include "data/modRegistry.h"

#include "SettingsSandbox.h"

#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString Entry = uR"(HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk)"_s;

} // namespace

class tst_shadowfile : public QObject
{
    Q_OBJECT

private slots:
    void shadowFileLocation();
    void rewrite_data();
    void rewrite();
    void interruptedRewriteKeepsOldFile();
    void somethingInTheTemporaryPlace_data();
    void somethingInTheTemporaryPlace();
#ifndef Q_OS_WIN
    void rewriteKeepsModeAndOwner();
#endif
    void hugeShadowFileReadOnlyInPart();
    void pipesInTheSettingsPlaces();
    void accentsSurviveReadAndRewrite();
    void fileHasContent_data();
    void fileHasContent();
    void specialFolders_data();
    void specialFolders();
};

void tst_shadowfile::shadowFileLocation()
{
    {
        SettingsSandbox sandbox;
        const QString common = modDirectorios::ObterPastaEspecial(35);
        QVERIFY(common != u"/var/lib"_s);
        QCOMPARE(QDir::fromNativeSeparators(modRegistry::shadowFilePath()), common + u"/ZEFA Software/RegShadow.db"_s);
        QCOMPARE(QDir::fromNativeSeparators(modRegistry::shadowTempPath()), common + u"/ZEFA Software/RegShadow.tmp"_s);
    }
#ifndef Q_OS_WIN
    // Only the path is asked for: the machine's own folder is not touched.
    QCOMPARE(modRegistry::shadowFilePath(), u"/var/lib/ZEFA Software/RegShadow.db"_s);
#endif
}

void tst_shadowfile::rewrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray desk = Entry.toUtf8();
    QTest::newRow("same line leaves the file as it is")
        << QByteArray("first\n" + desk + ":dtUser=sa\r\nlast") << u"dtUser"_s << u"sa"_s
        << QByteArray("first\n" + desk + ":dtUser=sa\r\nlast");
    QTest::newRow("line differing in case is rewritten")
        << QByteArray(desk + ":dtUser=SA\r\n") << u"dtUser"_s << u"sa"_s << QByteArray(desk + ":dtUser=sa\r\n");
    QTest::newRow("line ends become CR LF") << QByteArray("first\nsecond") << u"dtUser"_s << u"sa"_s
                                            << QByteArray("first\r\nsecond\r\n" + desk + ":dtUser=sa\r\n");
    QTest::newRow("empty file gets the line")
        << QByteArray() << u"dtUser"_s << u"sa"_s << QByteArray(desk + ":dtUser=sa\r\n");
    QTest::newRow("value with colons and equals")
        << QByteArray() << u"dtUser"_s << u"a:b=c"_s << QByteArray(desk + ":dtUser=a:b=c\r\n");
    // Lines of other settings are copied byte for byte, whatever their code page.
    QTest::newRow("foreign bytes in another line kept")
        << QByteArray("other:name=Concei\xe7\xe3o\r\n") << u"dtUser"_s << u"sa"_s
        << QByteArray("other:name=Concei\xe7\xe3o\r\n" + desk + ":dtUser=sa\r\n");
    QTest::newRow("same value in the ANSI code page left as it is")
        << QByteArray(desk + ":dtUser=Jo\xe3o\r\n") << u"dtUser"_s << u"João"_s
        << QByteArray(desk + ":dtUser=Jo\xe3o\r\n");
}

void tst_shadowfile::rewrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, valueName);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    SettingsSandbox sandbox;
    sandbox.setShadow(before);
    QVERIFY(modRegistry::GravarValorShadow(Entry, valueName, value));
    QCOMPARE(sandbox.shadow(), after);
    QVERIFY(!QFile::exists(modRegistry::shadowTempPath()));
}

void tst_shadowfile::interruptedRewriteKeepsOldFile()
{
    SettingsSandbox sandbox;
    const QByteArray old = "other:name=kept\r\n" + Entry.toUtf8() + ":dtUser=old\r\n";
    sandbox.setShadow(old);

    QByteArray tempAtInterruption;
    QByteArray shadowAtInterruption;
    modRegistry::setShadowReplaceHook([&](const QString &tempPath) {
        tempAtInterruption = SettingsSandbox::read(tempPath);
        shadowAtInterruption = sandbox.shadow();
        return false;
    });

    QVERIFY(!modRegistry::GravarValorShadow(Entry, u"dtUser"_s, u"new"_s));
    // Up to the last moment the new file is whole and the old one untouched.
    QCOMPARE(tempAtInterruption, "other:name=kept\r\n" + Entry.toUtf8() + ":dtUser=new\r\n");
    QCOMPARE(shadowAtInterruption, old);
    QCOMPARE(sandbox.shadow(), old);
    QCOMPARE(modRegistry::LerValorShadow(Entry, u"dtUser"_s), u"old"_s);
}

void tst_shadowfile::somethingInTheTemporaryPlace_data()
{
    QTest::addColumn<QString>("linkTarget"); // empty: a plain file
    QTest::addColumn<QByteArray>("targetContent");

    // Left by a rewrite that stopped before its rename, or another desk's rewrite.
    QTest::newRow("stale or busy temporary file") << QString() << QByteArray("half a li");
#ifndef Q_OS_WIN
    QTest::newRow("link to another operator's file") << u"victim.txt"_s << QByteArray("victim's own");
    QTest::newRow("link to nowhere") << u"planted.txt"_s << QByteArray();
#endif
}

void tst_shadowfile::somethingInTheTemporaryPlace()
{
    QFETCH(QString, linkTarget);
    QFETCH(QByteArray, targetContent);

    SettingsSandbox sandbox;
    sandbox.setShadow("a:b=c\r\n");
    const QString tempPath = modRegistry::shadowTempPath();
    const QDir folder = QFileInfo(tempPath).dir();
    const QString target = linkTarget.isEmpty() ? tempPath : folder.filePath(linkTarget);
    if (!targetContent.isEmpty())
        SettingsSandbox::write(target, targetContent);
    if (!linkTarget.isEmpty())
        QVERIFY(QFile::link(target, tempPath));

    QVERIFY(modRegistry::GravarValorShadow(Entry, u"dtUser"_s, u"sa"_s));
    QCOMPARE(sandbox.shadow(), "a:b=c\r\n" + Entry.toUtf8() + ":dtUser=sa\r\n");
    // What was in the way is untouched, and the rewrite left no file of its own.
    QCOMPARE(SettingsSandbox::read(target), targetContent);
    const bool ownTarget = !linkTarget.isEmpty() && !targetContent.isEmpty();
    QCOMPARE(folder.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size(), ownTarget ? 3 : 2);
}

#ifndef Q_OS_WIN
void tst_shadowfile::rewriteKeepsModeAndOwner()
{
    SettingsSandbox sandbox;
    sandbox.setShadow("a:b=c\r\n");
    const QString path = modRegistry::shadowFilePath();
    // Giving the file away takes privilege; without it only the mode is checked.
    const bool privileged = ::chown(QFile::encodeName(path).constData(), 4321, 4321) == 0;
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0644), 0);

    // A writer whose own files nobody else may read.
    const mode_t previous = ::umask(077);
    const bool written = modRegistry::GravarValorShadow(Entry, u"dtUser"_s, u"sa"_s);
    ::umask(previous);
    QVERIFY(written);

    struct stat after = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(after.st_mode & 07777, mode_t(0644));
    if (privileged) {
        QCOMPARE(after.st_uid, uid_t(4321));
        QCOMPARE(after.st_gid, gid_t(4321));
    }
}
#endif

void tst_shadowfile::hugeShadowFileReadOnlyInPart()
{
    SettingsSandbox sandbox;
    sandbox.setShadow(Entry.toUtf8() + ":dtUser=sa\r\n");
    // Gigabytes without a line end, taking no room on the disk.
    const qint64 size = qint64(3) << 30;
    QVERIFY(QFile::resize(modRegistry::shadowFilePath(), size));

    QVERIFY(modDirectorios::FicheiroTemConteudo(modRegistry::shadowFilePath()));
    QCOMPARE(modRegistry::LerValorShadow(Entry, u"dtUser"_s), u"sa"_s);
    // A file that cannot be read whole is not rewritten: nothing of it is lost.
    QVERIFY(!modRegistry::GravarValorShadow(Entry, u"dtUser"_s, u"other"_s));
    QCOMPARE(QFileInfo(modRegistry::shadowFilePath()).size(), size);
}

// Any operator can put a pipe where the shadow file was: reading it would wait
// for a writer that never comes, so it is no settings file at all.
void tst_shadowfile::pipesInTheSettingsPlaces()
{
#ifdef Q_OS_WIN
    QSKIP("no pipes in the file system");
#else
    SettingsSandbox sandbox;
    for (const QString &path : {modRegistry::shadowFilePath(), platform::registryFile()})
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    QVERIFY(!modDirectorios::FicheiroTemConteudo(modRegistry::shadowFilePath()));
    QCOMPARE(modRegistry::ObterValorString(Entry, u"dtUser"_s, u"padrão"_s).toString(), u"padrão"_s);
    QVERIFY(!modRegistry::GravarValorShadow(Entry, u"dtUser"_s, u"sa"_s));
#endif
}

void tst_shadowfile::accentsSurviveReadAndRewrite()
{
    SettingsSandbox sandbox;
    sandbox.setShadow((Entry + u":dtLocal=São João da Madeira\r\n"_s).toUtf8());

    QVERIFY(modRegistry::GravarValorShadow(Entry, u"dtUser"_s, u"Conceição"_s));
    QCOMPARE(modRegistry::LerValorShadow(Entry, u"dtLocal"_s), u"São João da Madeira"_s);
    QCOMPARE(modRegistry::LerValorShadow(Entry, u"dtUser"_s), u"Conceição"_s);
    QCOMPARE(sandbox.shadow(),
             (Entry + u":dtLocal=São João da Madeira\r\n"_s + Entry + u":dtUser=Conceição\r\n"_s).toUtf8());
}

void tst_shadowfile::fileHasContent_data()
{
    QTest::addColumn<QVariant>("content"); // invalid: no file
    QTest::addColumn<bool>("hasContent");

    QTest::newRow("missing file") << QVariant() << false;
    QTest::newRow("empty file") << QVariant(QByteArray()) << false;
    QTest::newRow("empty first line, CR LF") << QVariant(QByteArray("\r\nsecond")) << false;
    QTest::newRow("empty first line, LF") << QVariant(QByteArray("\nsecond")) << false;
    QTest::newRow("one character without line end") << QVariant(QByteArray("x")) << true;
    QTest::newRow("a blank is content") << QVariant(QByteArray(" \r\n")) << true;
}

void tst_shadowfile::fileHasContent()
{
    QFETCH(QVariant, content);
    QFETCH(bool, hasContent);

    SettingsSandbox sandbox;
    if (content.isValid())
        sandbox.setShadow(content.toByteArray());
    QCOMPARE(modDirectorios::FicheiroTemConteudo(modRegistry::shadowFilePath()), hasContent);
}

void tst_shadowfile::specialFolders_data()
{
    QTest::addColumn<int>("folderNumber");
    QTest::addColumn<bool>("known");

    QTest::newRow("desktop") << 0x10 << true;
    QTest::newRow("documents") << 5 << true;
    QTest::newRow("application data") << 26 << true;
    QTest::newRow("local application data") << 28 << true;
    QTest::newRow("common application data") << 35 << true;
    QTest::newRow("unknown number") << 0x7E << false;
    QTest::newRow("negative number") << -1 << false;
}

void tst_shadowfile::specialFolders()
{
    QFETCH(int, folderNumber);
    QFETCH(bool, known);

    const QString folder = modDirectorios::ObterPastaEspecial(folderNumber);
    QCOMPARE(!folder.isEmpty(), known);
    if (known)
        QVERIFY2(QDir::isAbsolutePath(folder), qPrintable(folder));
}

QTEST_MAIN(tst_shadowfile)
#include "tst_shadowfile.moc"
