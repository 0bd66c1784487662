#include "data/ShadowFile.h"
#include "data/modDirectorios.h"
#include "data/modRegistry.h"

#include "SettingsSandbox.h"

#include <QTest>

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
    void staleTemporaryFileIsReplaced();
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
        QCOMPARE(modRegistry::shadowFilePath(), common + u"/ZEFA Software/RegShadow.db"_s);
        QCOMPARE(modRegistry::shadowTempPath(), common + u"/ZEFA Software/RegShadow.tmp"_s);
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

void tst_shadowfile::staleTemporaryFileIsReplaced()
{
    SettingsSandbox sandbox;
    sandbox.setShadow("a:b=c\r\n");
    // Left by a rewrite that stopped before its rename.
    SettingsSandbox::write(modRegistry::shadowTempPath(), "half a li");

    QVERIFY(modRegistry::GravarValorShadow(Entry, u"dtUser"_s, u"sa"_s));
    QCOMPARE(sandbox.shadow(), "a:b=c\r\n" + Entry.toUtf8() + ":dtUser=sa\r\n");
    QVERIFY(!QFile::exists(modRegistry::shadowTempPath()));
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
    QTest::newRow("unknown number") << 0x2A << false;
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
