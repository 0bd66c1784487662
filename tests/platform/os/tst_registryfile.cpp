#include "platform/os/Registry.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Header5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray Desk = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Desk]\r\n";

QByteArray utf16WithBom(const QString &text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE);
    return QByteArray("\xFF\xFE") + QByteArray(encoder(text));
}

struct Lookup
{
    long openStatus = -1;
    long queryStatus = -1;
    QByteArray data; // as the query returned it, with its NUL
};

Lookup lookUp(qint32 root, const QByteArray &subKey, const QByteArray &valueName, quint32 bufferSize = 3500)
{
    Lookup result;
    platform::RegistryHandle key = 0;
    result.openStatus = platform::openRegistryKey(root, subKey, 0, platform::RegistryKeyRead, key);
    if (result.openStatus != platform::RegistryStatus::Success)
        return result;
    QByteArray buffer(bufferSize, ' ');
    quint32 length = bufferSize;
    result.queryStatus = platform::queryRegistryString(key, valueName, buffer.data(), length);
    if (result.queryStatus == platform::RegistryStatus::Success)
        result.data = buffer.left(length);
    platform::closeRegistryKey(key);
    return result;
}

} // namespace

class tst_registryfile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void readsExport_data();
    void readsExport();
    void missingKeys_data();
    void missingKeys();
    void valueTooLongForBuffer();
    void refusesWriteAccess();
    void missingFileIsEmptyRegistry();

private:
    void writeExport(const QByteArray &bytes);

    QTemporaryDir m_dir;
};

void tst_registryfile::initTestCase()
{
#ifdef Q_OS_WIN
    QSKIP("Windows reads its own registry, not an export file");
#endif
    QVERIFY(m_dir.isValid());
}

void tst_registryfile::init()
{
    const QString path = m_dir.filePath(u"registry.reg"_s);
    QFile::remove(path);
    platform::setRegistryFile(path);
}

void tst_registryfile::cleanup()
{
    platform::setRegistryFile(QString());
}

void tst_registryfile::writeExport(const QByteArray &bytes)
{
    QFile file(platform::registryFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_registryfile::readsExport_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("subKey");
    QTest::addColumn<QByteArray>("valueName");
    QTest::addColumn<QVariant>("expected"); // invalid: no such string value

    const QByteArray subKey = "SOFTWARE\\Quorvane\\Desk";
    QTest::newRow("version 5 header") << QByteArray(Header5 + Desk + "\"dtUser\"=\"sa\"\r\n") << subKey
                                      << QByteArray("dtUser") << QVariant(u"sa"_s);
    QTest::newRow("REGEDIT4 header") << QByteArray("REGEDIT4\n\n" + Desk + "\"dtUser\"=\"sa\"\n") << subKey
                                     << QByteArray("dtUser") << QVariant(u"sa"_s);
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF" + Header5 + Desk + "\"dtUser\"=\"Jo\xC3\xA3o\"\r\n") << subKey
        << QByteArray("dtUser") << QVariant(u"João"_s);
    QTest::newRow("UTF-16LE with byte-order mark")
        << utf16WithBom(QString::fromUtf8(Header5 + Desk) + u"\"dtUser\"=\"Conceição\"\r\n"_s) << subKey
        << QByteArray("dtUser") << QVariant(u"Conceição"_s);
    QTest::newRow("REGEDIT4 in the Windows ANSI code page")
        << QByteArray("REGEDIT4\r\n\r\n" + Desk + "\"dtUser\"=\"Jo\xE3o \x80\"\r\n") << subKey << QByteArray("dtUser")
        << QVariant(u"João €"_s);
    QTest::newRow("no header is no registry")
        << QByteArray(Desk + "\"dtUser\"=\"sa\"\r\n") << subKey << QByteArray("dtUser") << QVariant();
    QTest::newRow("escaped backslash and quote")
        << QByteArray(Header5 + Desk + "\"dtServer\"=\"SRV\\\\DESK \\\"main\\\"\"\r\n") << subKey
        << QByteArray("dtServer") << QVariant(u"SRV\\DESK \"main\""_s);
    QTest::newRow("escaped quote in the name") << QByteArray(Header5 + Desk + "\"say \\\"hi\\\"\"=\"yes\"\r\n")
                                               << subKey << QByteArray("say \"hi\"") << QVariant(u"yes"_s);
    QTest::newRow("default value") << QByteArray(Header5 + Desk + "@=\"standard\"\r\n") << subKey << QByteArray()
                                   << QVariant(u"standard"_s);
    QTest::newRow("empty string") << QByteArray(Header5 + Desk + "\"dtUser\"=\"\"\r\n") << subKey
                                  << QByteArray("dtUser") << QVariant(u""_s);
    QTest::newRow("dword ignored") << QByteArray(Header5 + Desk + "\"dtPort\"=dword:00000599\r\n") << subKey
                                   << QByteArray("dtPort") << QVariant();
    QTest::newRow("binary over several lines ignored")
        << QByteArray(Header5 + Desk + "\"blob\"=hex:22,64,74,55,\\\r\n  22,3d,22,78,\\\r\n  22\r\n" +
                      "\"dtUser\"=\"after\"\r\n")
        << subKey << QByteArray("dtUser") << QVariant(u"after"_s);
    QTest::newRow("continuation not read as a value")
        << QByteArray(Header5 + Desk + "\"blob\"=hex(2):41,00,\\\r\n  \"dtUser\"=\"inside\"\r\n") << subKey
        << QByteArray("dtUser") << QVariant();
    QTest::newRow("later line wins") << QByteArray(Header5 + Desk + "\"dtUser\"=\"one\"\r\n\"dtUser\"=\"two\"\r\n")
                                     << subKey << QByteArray("dtUser") << QVariant(u"two"_s);
    QTest::newRow("value removed") << QByteArray(Header5 + Desk + "\"dtUser\"=\"sa\"\r\n\"dtUser\"=-\r\n") << subKey
                                   << QByteArray("dtUser") << QVariant();
    const QByteArray removedAndAdded = Header5 + Desk + "\"dtUser\"=\"old\"\r\n" +
                                       "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane]\r\n" + Desk + "\"dtOther\"=\"x\"\r\n";
    QTest::newRow("removed key loses its values") << removedAndAdded << subKey << QByteArray("dtUser") << QVariant();
    QTest::newRow("removed key added again") << removedAndAdded << subKey << QByteArray("dtOther") << QVariant(u"x"_s);
    QTest::newRow("key and value names without case")
        << QByteArray(Header5 + "[hkey_local_machine\\software\\QUORVANE\\desk]\r\n\"DTUSER\"=\"sa\"\r\n") << subKey
        << QByteArray("dtUser") << QVariant(u"sa"_s);
    QTest::newRow("comments and blank lines")
        << QByteArray(Header5 + "; exported by hand\r\n\r\n" + Desk + "; the login\r\n\"dtUser\"=\"sa\"\r\n") << subKey
        << QByteArray("dtUser") << QVariant(u"sa"_s);
    QTest::newRow("unterminated value skipped")
        << QByteArray(Header5 + Desk + "\"dtUser\"=\"sa\r\n\"dtOther\"=\"x\"\r\n") << subKey << QByteArray("dtOther")
        << QVariant(u"x"_s);
    QTest::newRow("text after the value skipped")
        << QByteArray(Header5 + Desk + "\"dtUser\"=\"sa\" junk\r\n") << subKey << QByteArray("dtUser") << QVariant();
    QTest::newRow("garbage line skipped")
        << QByteArray(Header5 + Desk + "dtUser=sa\r\n=\r\n\"\r\n\\\r\n\"dtOther\"=\"x\"\r\n") << subKey
        << QByteArray("dtOther") << QVariant(u"x"_s);
    QTest::newRow("values after a bad section go nowhere")
        << QByteArray(Header5 + Desk + "[HKEY_NOWHERE\\SOFTWARE]\r\n\"dtUser\"=\"stray\"\r\n") << subKey
        << QByteArray("dtUser") << QVariant();
    QTest::newRow("unclosed section") << QByteArray(Header5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Desk\r\n" +
                                                    "\"dtUser\"=\"sa\"\r\n")
                                      << subKey << QByteArray("dtUser") << QVariant();
    QTest::newRow("spaces around the equals sign") << QByteArray(Header5 + Desk + "\"dtUser\" = \"sa\"\r\n") << subKey
                                                   << QByteArray("dtUser") << QVariant(u"sa"_s);
    QTest::newRow("value at the root") << QByteArray(Header5 + "[HKEY_LOCAL_MACHINE]\r\n\"top\"=\"here\"\r\n")
                                       << QByteArray() << QByteArray("top") << QVariant(u"here"_s);
}

void tst_registryfile::readsExport()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, subKey);
    QFETCH(QByteArray, valueName);
    QFETCH(QVariant, expected);

    writeExport(file);
    const Lookup found = lookUp(platform::RegistryRoot::LocalMachine, subKey, valueName);
    if (!expected.isValid()) {
        QVERIFY(found.openStatus != platform::RegistryStatus::Success ||
                found.queryStatus == platform::RegistryStatus::FileNotFound);
        return;
    }
    QCOMPARE(found.openStatus, platform::RegistryStatus::Success);
    QCOMPARE(found.queryStatus, platform::RegistryStatus::Success);
    QCOMPARE(found.data, expected.toString().toUtf8() + '\0');
}

void tst_registryfile::missingKeys_data()
{
    QTest::addColumn<qint32>("root");
    QTest::addColumn<QByteArray>("subKey");
    QTest::addColumn<long>("status");

    QTest::newRow("the key itself") << platform::RegistryRoot::LocalMachine << QByteArray("SOFTWARE\\Quorvane\\Desk")
                                    << platform::RegistryStatus::Success;
    QTest::newRow("a key above it") << platform::RegistryRoot::LocalMachine << QByteArray("SOFTWARE")
                                    << platform::RegistryStatus::Success;
    QTest::newRow("a key below it") << platform::RegistryRoot::LocalMachine
                                    << QByteArray("SOFTWARE\\Quorvane\\Desk\\Sub")
                                    << platform::RegistryStatus::FileNotFound;
    QTest::newRow("removed key") << platform::RegistryRoot::LocalMachine << QByteArray("SOFTWARE\\Gone")
                                 << platform::RegistryStatus::FileNotFound;
    QTest::newRow("below a removed key") << platform::RegistryRoot::LocalMachine << QByteArray("SOFTWARE\\Gone\\Child")
                                         << platform::RegistryStatus::FileNotFound;
    QTest::newRow("a name that only begins alike")
        << platform::RegistryRoot::LocalMachine << QByteArray("SOFTWARE\\Quorv")
        << platform::RegistryStatus::FileNotFound;
    QTest::newRow("doubled backslash") << platform::RegistryRoot::LocalMachine << QByteArray("SOFTWARE\\\\Quorvane")
                                       << platform::RegistryStatus::FileNotFound;
    QTest::newRow("same path under another root")
        << platform::RegistryRoot::CurrentUser << QByteArray("SOFTWARE\\Quorvane\\Desk")
        << platform::RegistryStatus::FileNotFound;
    QTest::newRow("an empty root") << platform::RegistryRoot::Users << QByteArray()
                                   << platform::RegistryStatus::Success;
    QTest::newRow("no root at all") << qint32(0) << QByteArray("SOFTWARE") << platform::RegistryStatus::InvalidHandle;
}

void tst_registryfile::missingKeys()
{
    QFETCH(qint32, root);
    QFETCH(QByteArray, subKey);
    QFETCH(long, status);

    writeExport(Header5 + Desk + "\"dtUser\"=\"sa\"\r\n" + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Child]\r\n" +
                "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n");
    QCOMPARE(lookUp(root, subKey, "dtUser").openStatus, status);
}

void tst_registryfile::valueTooLongForBuffer()
{
    writeExport(Header5 + Desk + "\"dtUser\"=\"abcd\"\r\n");
    platform::RegistryHandle key = 0;
    QCOMPARE(platform::openRegistryKey(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Quorvane\\Desk", 0,
                                       platform::RegistryKeyRead, key),
             platform::RegistryStatus::Success);
    QByteArray buffer(4, ' ');
    quint32 length = 4;
    QCOMPARE(platform::queryRegistryString(key, "dtUser", buffer.data(), length), platform::RegistryStatus::MoreData);
    QCOMPARE(length, 5u); // what the value needs, NUL included
    QCOMPARE(buffer, QByteArray(4, ' '));
    QCOMPARE(platform::closeRegistryKey(key), platform::RegistryStatus::Success);
    QCOMPARE(platform::closeRegistryKey(key), platform::RegistryStatus::InvalidHandle);
}

void tst_registryfile::refusesWriteAccess()
{
    writeExport(Header5 + Desk);
    platform::RegistryHandle key = 0;
    const quint32 allAccess = 0xF003F;
    QCOMPARE(platform::openRegistryKey(platform::RegistryRoot::LocalMachine, "SOFTWARE", 0, allAccess, key),
             platform::RegistryStatus::AccessDenied);
}

void tst_registryfile::missingFileIsEmptyRegistry()
{
    QVERIFY(!QFile::exists(platform::registryFile()));
    const Lookup root = lookUp(platform::RegistryRoot::LocalMachine, QByteArray(), "dtUser");
    QCOMPARE(root.openStatus, platform::RegistryStatus::Success);
    QCOMPARE(root.queryStatus, platform::RegistryStatus::FileNotFound);
    QCOMPARE(lookUp(platform::RegistryRoot::LocalMachine, "SOFTWARE", "dtUser").openStatus,
             platform::RegistryStatus::FileNotFound);
}

QTEST_MAIN(tst_registryfile)
#include "tst_registryfile.moc"
