#include "data/modRegistry.h"

#include "SettingsSandbox.h"
#include "platform/runtime/RuntimeError.h"
#include "tests/support/TestSupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Entry = uR"(HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk)"_s;

// A shadow file's content from its lines, each ended by CR LF.
QByteArray shadowLines(const QStringList &lines)
{
    QByteArray content;
    for (const QString &line : lines)
        content += line.toUtf8() + "\r\n";
    return content;
}

// A registry whose desk entry holds dtUser as written in the export.
QString deskUser(const QString &exportedText)
{
    return uR"([HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk])"_s + u"\n\"dtUser\"=\""_s + exportedText + u"\"\n"_s;
}

// Bytes as the registry's narrow form counts them: in the ANSI code page.
QString valueOfBytes(qsizetype bytes, const QString &unit)
{
    return QString(unit).repeated(bytes / unit.toLocal8Bit().size());
}

} // namespace

class tst_modRegistry : public QObject
{
    Q_OBJECT

private slots:
    void readsSetting_data();
    void readsSetting();
    void recordsDefault_data();
    void recordsDefault();
    void malformedKeyPath_data();
    void malformedKeyPath();
    void splitsKeyPath_data();
    void splitsKeyPath();
    void valueBufferLimit_data();
    void valueBufferLimit();
    void reportsRunTimeErrors_data();
    void reportsRunTimeErrors();
};

void tst_modRegistry::readsSetting_data()
{
    QTest::addColumn<QString>("registry");
    QTest::addColumn<QByteArray>("shadow");
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<bool>("skipShadow");
    QTest::addColumn<QVariant>("expected");

    const QString desk = deskUser(uR"(from registry)"_s);
    const QString chain = uR"([HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk]
"dtUser"="SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Middle"
[HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Middle]
"dtUser"="SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Last"
[HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Last]
"dtUser"="end of chain"
)"_s;
    const QString loop = uR"([HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk]
"dtUser"="SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Other"
[HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Other]
"dtUser"="SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Desk"
)"_s;

    QTest::newRow("shadow beats registry") << desk << shadowLines({Entry + u":dtUser=from shadow"_s}) << Entry
                                           << u"dtUser"_s << false << QVariant(u"from shadow"_s);
    QTest::newRow("shadow key compared without case")
        << desk << shadowLines({Entry.toLower() + u":DTUSER=from shadow"_s}) << Entry << u"dtUser"_s << false
        << QVariant(u"from shadow"_s);
    QTest::newRow("shadow value keeps colons and equals")
        << desk << shadowLines({Entry + u":dtUser=a:b=c"_s}) << Entry << u"dtUser"_s << false << QVariant(u"a:b=c"_s);
    QTest::newRow("empty shadow value falls through") << desk << shadowLines({Entry + u":dtUser="_s}) << Entry
                                                      << u"dtUser"_s << false << QVariant(u"from registry"_s);
    QTest::newRow("skipShadow reads the registry") << desk << shadowLines({Entry + u":dtUser=from shadow"_s}) << Entry
                                                   << u"dtUser"_s << true << QVariant(u"from registry"_s);
    QTest::newRow("empty first shadow line hides the file")
        << desk << QByteArray("\r\n" + shadowLines({Entry + u":dtUser=from shadow"_s})) << Entry << u"dtUser"_s << false
        << QVariant(u"from registry"_s);
    QTest::newRow("longer shadow name is not the shorter one")
        << desk << shadowLines({Entry + u":dtUserName=long name"_s}) << Entry << u"dtUser"_s << false
        << QVariant(u"from registry"_s);
    QTest::newRow("shorter shadow name is not the longer one")
        << desk << shadowLines({Entry + u":dtUser=short name"_s}) << Entry << u"dtUserName"_s << false << QVariant();
    QTest::newRow("missing everywhere is null")
        << desk << QByteArray() << Entry << u"dtPassword"_s << false << QVariant();
    QTest::newRow("reference followed") << uR"([HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk]
"dtUser"="SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Shared"
[HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Shared]
"dtUser"="shared login"
)"_s << QByteArray() << Entry << u"dtUser"_s
                                        << false << QVariant(u"shared login"_s);
    QTest::newRow("chain of references followed to its end")
        << chain << QByteArray() << Entry << u"dtUser"_s << false << QVariant(u"end of chain"_s);
    QTest::newRow("reference loop is null") << loop << QByteArray() << Entry << u"dtUser"_s << false << QVariant();
    QTest::newRow("reference to itself is null") << deskUser(uR"(SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Desk)"_s)
                                                 << QByteArray() << Entry << u"dtUser"_s << false << QVariant();
    QTest::newRow("reference prefix is case-sensitive")
        << deskUser(uR"(sref=HKEY_LOCAL_MACHINE\\SOFTWARE)"_s) << QByteArray() << Entry << u"dtUser"_s << false
        << QVariant(u"sref=HKEY_LOCAL_MACHINE\\SOFTWARE"_s);
    QTest::newRow("leading spaces lost, trailing kept")
        << deskUser(uR"(  padded  )"_s) << QByteArray() << Entry << u"dtUser"_s << false << QVariant(u"padded  "_s);
    QTest::newRow("spaces only is empty text")
        << deskUser(uR"(   )"_s) << QByteArray() << Entry << u"dtUser"_s << false << QVariant(u""_s);
    QTest::newRow("root alone is opened") << uR"([HKEY_LOCAL_MACHINE]
"dtUser"="at the root"
)"_s << QByteArray() << u"HKEY_LOCAL_MACHINE"_s
                                          << u"dtUser"_s << false << QVariant(u"at the root"_s);
    QTest::newRow("subkey names without case")
        << desk << QByteArray() << uR"(HKEY_LOCAL_MACHINE\software\QUORVANE\desk)"_s << u"dtUser"_s << false
        << QVariant(u"from registry"_s);
    QTest::newRow("root name is case-sensitive")
        << desk << QByteArray() << uR"(HKEY_Local_Machine\SOFTWARE\Quorvane\Desk)"_s << u"dtUser"_s << false
        << QVariant();
    QTest::newRow("accents from the registry") << deskUser(uR"(João Conceição)"_s) << QByteArray() << Entry
                                               << u"dtUser"_s << false << QVariant(u"João Conceição"_s);
    QTest::newRow("accents from the shadow") << desk << shadowLines({Entry + u":dtUser=Açores e Évora"_s}) << Entry
                                             << u"dtUser"_s << false << QVariant(u"Açores e Évora"_s);
    QTest::newRow("shadow in the Windows ANSI code page")
        << desk << QByteArray((Entry + u":dtUser="_s).toUtf8() + "Jo\xE3o \x80\r\n") << Entry << u"dtUser"_s << false
        << QVariant(u"João €"_s);
    QTest::newRow("shadow line far past a value's limit is no setting")
        << desk << shadowLines({Entry + u":dtUser="_s + valueOfBytes(4 * 3500, u"x"_s)}) << Entry << u"dtUser"_s
        << false << QVariant(u"from registry"_s);
}

void tst_modRegistry::readsSetting()
{
    QFETCH(QString, registry);
    QFETCH(QByteArray, shadow);
    QFETCH(QString, keyPath);
    QFETCH(QString, valueName);
    QFETCH(bool, skipShadow);
    QFETCH(QVariant, expected);

    SettingsSandbox sandbox;
    testsupport::MessageBoxRecorder boxes;
    sandbox.setRegistry(registry);
    sandbox.setShadow(shadow);

    const QVariant value = modRegistry::ObterValorString(keyPath, valueName, QVariant(), skipShadow);
    QCOMPARE(value.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(value.typeId(), QMetaType::QString);
        QCOMPARE(value.toString(), expected.toString());
    }
    QCOMPARE(sandbox.shadow(), shadow); // a null default never writes
    QVERIFY(boxes.calls().isEmpty());
}

void tst_modRegistry::recordsDefault_data()
{
    QTest::addColumn<QString>("registry");
    QTest::addColumn<QByteArray>("shadow"); // empty: no shadow file
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QByteArray>("shadowAfter"); // empty: no shadow file

    const QString other = uR"(HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Other:dtUser=someone)"_s;
    const QString shared = uR"(HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Shared)"_s;
    QTest::newRow("appended after other settings")
        << QString() << shadowLines({other}) << QVariant(u"sa"_s) << QVariant(u"sa"_s)
        << shadowLines({other, Entry + u":dtUser=sa"_s});
    QTest::newRow("replaces the line differing only in case")
        << QString() << shadowLines({other, Entry.toUpper() + u":DTUSER="_s, u"last line"_s}) << QVariant(u"sa"_s)
        << QVariant(u"sa"_s) << shadowLines({other, Entry + u":dtUser=sa"_s, u"last line"_s});
    QTest::newRow("further matching lines dropped")
        << QString() << shadowLines({Entry + u":dtUser="_s, other, Entry.toLower() + u":dtuser="_s})
        << QVariant(u"sa"_s) << QVariant(u"sa"_s) << shadowLines({Entry + u":dtUser=sa"_s, other});
    QTest::newRow("longer name's line left alone")
        << QString() << shadowLines({Entry + u":dtUserName=long"_s}) << QVariant(u"sa"_s) << QVariant(u"sa"_s)
        << shadowLines({Entry + u":dtUserName=long"_s, Entry + u":dtUser=sa"_s});
    QTest::newRow("empty default recorded as empty text")
        << QString() << shadowLines({other}) << QVariant(u""_s) << QVariant(u""_s)
        << shadowLines({other, Entry + u":dtUser="_s});
    QTest::newRow("number default recorded as text")
        << QString() << shadowLines({other}) << QVariant(1433) << QVariant(u"1433"_s)
        << shadowLines({other, Entry + u":dtUser=1433"_s});
    QTest::newRow("null default leaves the file")
        << QString() << shadowLines({other}) << QVariant() << QVariant() << shadowLines({other});
    QTest::newRow("missing shadow file is not created")
        << QString() << QByteArray() << QVariant(u"sa"_s) << QVariant(u"sa"_s) << QByteArray();
    QTest::newRow("accents recorded in the file")
        << QString() << shadowLines({other}) << QVariant(u"Conceição"_s) << QVariant(u"Conceição"_s)
        << shadowLines({other, Entry + u":dtUser=Conceição"_s});
    QTest::newRow("recorded under the last reference")
        << deskUser(uR"(SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Shared)"_s) << shadowLines({other})
        << QVariant(u"sa"_s) << QVariant(u"sa"_s) << shadowLines({other, shared + u":dtUser=sa"_s});
    QTest::newRow("reference loop answered by the default") << uR"([HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk]
"dtUser"="SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Shared"
[HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Shared]
"dtUser"="SREF=HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Desk"
)"_s << shadowLines({other}) << QVariant(u"sa"_s) << QVariant(u"sa"_s)
                                                            << shadowLines({other, shared + u":dtUser=sa"_s});
}

void tst_modRegistry::recordsDefault()
{
    QFETCH(QString, registry);
    QFETCH(QByteArray, shadow);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, expected);
    QFETCH(QByteArray, shadowAfter);

    SettingsSandbox sandbox;
    sandbox.setRegistry(registry);
    if (!shadow.isEmpty())
        sandbox.setShadow(shadow);

    const QVariant value = modRegistry::ObterValorString(Entry, u"dtUser"_s, defaultValue);
    QCOMPARE(value.isValid(), expected.isValid());
    QCOMPARE(value.toString(), expected.toString());
    QCOMPARE(sandbox.shadowExists(), !shadowAfter.isEmpty());
    QCOMPARE(sandbox.shadow(), shadowAfter);
    QVERIFY(!QFile::exists(modRegistry::shadowTempPath()));
}

void tst_modRegistry::malformedKeyPath_data()
{
    QTest::addColumn<QString>("keyPath");

    QTest::newRow("ends with a backslash") << uR"(HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\)"_s;
    QTest::newRow("root with a backslash") << uR"(HKEY_LOCAL_MACHINE\)"_s;
    QTest::newRow("no HKEY_ prefix") << uR"(SOFTWARE\Quorvane\Desk)"_s;
    QTest::newRow("lower-case prefix") << uR"(hkey_local_machine\SOFTWARE)"_s;
    QTest::newRow("empty path") << QString();
}

void tst_modRegistry::malformedKeyPath()
{
    QFETCH(QString, keyPath);

    SettingsSandbox sandbox;
    sandbox.setRegistry(uR"([HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane]
"dtUser"="present"
)"_s);
    testsupport::MessageBoxRecorder boxes;

    QString copy = keyPath;
    QVERIFY(!modRegistry::ValorString(copy, u"dtUser"_s).isValid());
    QCOMPARE(copy, keyPath);
    QCOMPARE(boxes.calls().size(), 1);
    QCOMPARE(boxes.calls().first().text, u"Formato Incorrecto:\n\n"_s + keyPath);
    QCOMPARE(boxes.calls().first().style, platform::MessageBoxStyle::OkOnly);
    QCOMPARE(boxes.calls().first().title, platform::applicationTitle());

    // The setting read goes on to the default after the box.
    QCOMPARE(modRegistry::ObterValorString(keyPath, u"dtUser"_s, u"fallback"_s).toString(), u"fallback"_s);
    QCOMPARE(boxes.calls().size(), 2);
}

void tst_modRegistry::splitsKeyPath_data()
{
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<qint64>("root");
    QTest::addColumn<QString>("subKey");

    QTest::newRow("classes root") << uR"(HKEY_CLASSES_ROOT\A)"_s << qint64(0x80000000) << u"A"_s;
    QTest::newRow("current user") << uR"(HKEY_CURRENT_USER\A\B)"_s << qint64(0x80000001) << uR"(A\B)"_s;
    QTest::newRow("local machine") << uR"(HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk)"_s << qint64(0x80000002)
                                   << uR"(SOFTWARE\Quorvane\Desk)"_s;
    QTest::newRow("users") << uR"(HKEY_USERS\.DEFAULT)"_s << qint64(0x80000003) << u".DEFAULT"_s;
    QTest::newRow("performance data") << u"HKEY_PERFORMANCE_DATA"_s << qint64(0x80000004) << QString();
    QTest::newRow("current config") << uR"(HKEY_CURRENT_CONFIG\System)"_s << qint64(0x80000005) << u"System"_s;
    QTest::newRow("dyn data") << uR"(HKEY_DYN_DATA\X)"_s << qint64(0x80000006) << u"X"_s;
    QTest::newRow("root alone") << u"HKEY_LOCAL_MACHINE"_s << qint64(0x80000002) << QString();
    QTest::newRow("unknown root") << uR"(HKEY_ELSEWHERE\A)"_s << qint64(0) << u"A"_s;
    QTest::newRow("root in another case") << uR"(HKEY_local_machine\A)"_s << qint64(0) << u"A"_s;
    QTest::newRow("abbreviated root") << uR"(HKEY_LM\A)"_s << qint64(0) << u"A"_s;
}

void tst_modRegistry::splitsKeyPath()
{
    QFETCH(QString, keyPath);
    QFETCH(qint64, root);
    QFETCH(QString, subKey);

    testsupport::MessageBoxRecorder boxes;
    qint32 handle = -1;
    modRegistry::FormatarChave(keyPath, handle);
    QCOMPARE(quint32(handle), quint32(root));
    QCOMPARE(keyPath, subKey);
    QVERIFY(boxes.calls().isEmpty());
}

void tst_modRegistry::valueBufferLimit_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("read");

    QTest::newRow("3499 bytes with NUL") << valueOfBytes(3498, u"x"_s) << true;
    QTest::newRow("3500 bytes with NUL") << valueOfBytes(3499, u"x"_s) << true;
    QTest::newRow("3501 bytes with NUL") << valueOfBytes(3500, u"x"_s) << false;
    QTest::newRow("accents fill 3500 bytes") << valueOfBytes(3498, u"ç"_s) + u"x"_s << true;
    QTest::newRow("accents pass 3500 bytes") << valueOfBytes(3500, u"ç"_s) << false;
}

void tst_modRegistry::valueBufferLimit()
{
    QFETCH(QString, value);
    QFETCH(bool, read);

    SettingsSandbox sandbox;
    sandbox.setRegistry(uR"([HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Desk]
"dtConnection"=")"_s + value +
                        u"\"\r\n"_s);

    QString copy = Entry;
    const QVariant result = modRegistry::ValorString(copy, u"dtConnection"_s);
    QCOMPARE(result.isValid(), read);
    if (read)
        QCOMPARE(result.toString(), value);
}

void tst_modRegistry::reportsRunTimeErrors_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("reported");

    QTest::newRow("reportable error") << 5 << u"Invalid procedure call"_s << true;
    QTest::newRow("closed connection not reported") << 3709 << u"Connection closed"_s << false;
    QTest::newRow("blank description not reported") << 5 << u"  "_s << false;
}

void tst_modRegistry::reportsRunTimeErrors()
{
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(bool, reported);

    SettingsSandbox sandbox;
    testsupport::ReportCapture reports;
    // The box of a malformed path is the one outside call FormatarChave makes.
    platform::setMessageBoxHandler(
        [&](const platform::MessageBoxCall &) -> int { throw platform::RuntimeError(number, description); });
    QString path = u"not a key"_s;
    const QVariant value = modRegistry::ValorString(path, u"dtUser"_s);
    platform::setMessageBoxHandler({});

    QVERIFY(!value.isValid());
    if (!reported) {
        QVERIFY(reports.reports().isEmpty());
        return;
    }
    QCOMPARE(reports.reports().size(), 1);
    QCOMPARE(reports.reports().first(),
             QStringList({u"ZEFA Tarn Software"_s, u"Orvel Software Modules"_s, u"modRegistry"_s, u"FormatarChave"_s,
                          u"Error Number = "_s + QString::number(number) + u" | Description = "_s + description}));
}

QTEST_MAIN(tst_modRegistry)
#include "tst_modRegistry.moc"
