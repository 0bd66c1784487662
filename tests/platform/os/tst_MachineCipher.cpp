#include "platform/os/DeskKey.h"
#include "platform/os/MachineCipher.h"
#include "platform/os/MachineIdentity.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Written by the earlier cipher on a computer whose identity is "computador-a".
const QString EarlierValue = u"v1:tiTsWJHj2mKJafgbsN42U3imlg8uN3kZrokRmR8+MJ+wDJxQDcrZBaGgP+Cxx3/yOKFSYO7jzBA="_qs;

} // namespace

// The dtPassword cipher: readable back on the computer that wrote it only.
class tst_MachineCipher : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase() { platform::restoreMachineIdentity(); }
    void roundTrip_data();
    void roundTrip();
    void unreadableValuesGiveEmptyText_data();
    void unreadableValuesGiveEmptyText();
    void otherComputersCannotRead_data();
    void otherComputersCannotRead();
    void earlierValuesOpenByIdentity_data();
    void earlierValuesOpenByIdentity();
    void toolEnciphersOrSaysWhy_data();
    void toolEnciphersOrSaysWhy();
    void concurrentCreatorsShareOneKey();

private:
    QTemporaryDir m_dir;
};

void tst_MachineCipher::init()
{
    // The tests' own computer, so that no case rests on the host's key or identity.
    testsupport::useDeskKey(m_dir.path(), QByteArray(32, 'a'));
    platform::overrideMachineIdentity(QByteArrayLiteral("computador-a"));
}

void tst_MachineCipher::roundTrip_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << u"segredo"_qs;
    QTest::newRow("accents and separators") << u"Pão;de=Açúcar 'x'"_qs;
    QTest::newRow("empty") << QString();
}

void tst_MachineCipher::roundTrip()
{
    QFETCH(QString, password);
    const QString sealed = platform::sealForMachine(password);
    QVERIFY(sealed.startsWith(u"v2:"_qs));
    QVERIFY(!password.isEmpty() ? !sealed.contains(password) : true);
    QCOMPARE(platform::openForMachine(sealed), password);
    QVERIFY(platform::sealForMachine(password) != sealed); // a fresh nonce every time
}

void tst_MachineCipher::unreadableValuesGiveEmptyText_data()
{
    QTest::addColumn<QString>("value");
    const QString sealed = platform::sealForMachine(u"segredo"_qs);
    QString flipped = sealed;
    const qsizetype middle = flipped.size() / 2;
    flipped[middle] = flipped.at(middle) == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
    QTest::newRow("one character altered") << flipped;
    QTest::newRow("cut short") << sealed.left(sealed.size() - 4);
    QTest::newRow("box of the other form") << u"v1:"_qs + sealed.mid(3);
    QTest::newRow("never enciphered") << u"segredo"_qs;
    QTest::newRow("not base64") << u"v2:***"_qs;
    QTest::newRow("too short for a box") << u"v1:AAAA"_qs;
    QTest::newRow("empty") << QString();
}

void tst_MachineCipher::unreadableValuesGiveEmptyText()
{
    QFETCH(QString, value);
    QCOMPARE(platform::openForMachine(value), QString());
}

void tst_MachineCipher::otherComputersCannotRead_data()
{
    QTest::addColumn<QString>("reader");
    QTest::newRow("another computer's key") << u"outra"_qs;
    QTest::newRow("no key") << u"nenhuma"_qs;
    QTest::newRow("key cut short") << u"curta"_qs;
    QTest::newRow("folder in the key's place") << u"pasta"_qs;
    QTest::newRow("pipe in the key's place") << u"tubo"_qs;
    // The very key that sealed the value, in a form that anyone could have chosen or read.
    QTest::newRow("link to the key") << u"ligacao"_qs;
    QTest::newRow("key every account may read") << u"0644"_qs;
    QTest::newRow("key the group may write") << u"0660"_qs;
    QTest::newRow("key owned by an operator") << u"dono"_qs;
    QTest::newRow("key of another group") << u"grupo"_qs;
}

void tst_MachineCipher::otherComputersCannotRead()
{
    QFETCH(QString, reader);
    const QString sealed = platform::sealForMachine(u"segredo"_qs);
    QCOMPARE(platform::openForMachine(sealed), u"segredo"_qs);
    QTemporaryDir other;
    QString path = other.filePath(reader);
    if (reader == u"outra"_qs)
        testsupport::useDeskKey(other.path(), QByteArray(32, 'b'));
    else if (reader == u"curta"_qs)
        testsupport::useDeskKey(other.path(), QByteArray(31, 'a'));
    else if (reader == u"pasta"_qs)
        QVERIFY(QDir(other.path()).mkpath(reader));
#ifndef Q_OS_WIN
    else if (reader == u"tubo"_qs)
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 || errno == EEXIST);
    else if (reader != u"nenhuma"_qs) {
        if (::geteuid() != 0)
            QSKIP("Only root can give the key another owner.");
        testsupport::useDeskKey(other.path(), QByteArray(32, 'a'));
        const QByteArray key = QFile::encodeName(other.filePath(u"dtpassword.key"_qs));
        if (reader == u"ligacao"_qs)
            QCOMPARE(::symlink(key.constData(), QFile::encodeName(path).constData()), 0);
        else if (reader == u"dono"_qs || reader == u"grupo"_qs)
            QCOMPARE(::chown(key.constData(), reader == u"dono"_qs ? 4321 : uid_t(-1),
                             reader == u"grupo"_qs ? 4321 : gid_t(-1)),
                     0);
        else
            QCOMPARE(::chmod(key.constData(), mode_t(reader.toInt(nullptr, 8))), 0);
        if (reader != u"ligacao"_qs)
            path = QFile::decodeName(key);
    }
#else
    else if (reader != u"nenhuma"_qs)
        QSKIP("Windows keeps the key under DPAPI.");
#endif
    if (reader != u"outra"_qs && reader != u"curta"_qs)
        qputenv("VELUNAS_KEY_FILE", QFile::encodeName(path));
    QCOMPARE(platform::openForMachine(sealed), QString());
    // Nor does a computer without a usable key seal anything.
    QCOMPARE(platform::sealForMachine(u"segredo"_qs).isEmpty(), reader != u"outra"_qs);
}

void tst_MachineCipher::earlierValuesOpenByIdentity_data()
{
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<QString>("expected");
    QTest::newRow("the computer that wrote it") << QByteArrayLiteral("computador-a") << u"Pão;de=Açúcar"_qs;
    QTest::newRow("another computer") << QByteArrayLiteral("computador-b") << QString();
    QTest::newRow("computer without identity") << QByteArray() << QString();
}

void tst_MachineCipher::earlierValuesOpenByIdentity()
{
    QFETCH(QByteArray, identity);
    QFETCH(QString, expected);
    platform::overrideMachineIdentity(identity);
    QCOMPARE(platform::openForMachine(EarlierValue), expected);
}

void tst_MachineCipher::toolEnciphersOrSaysWhy_data()
{
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<int>("mode");
    QTest::newRow("key present") << u"dtpassword.key"_qs << 0600;
    QTest::newRow("no key yet") << u"nova/dtpassword.key"_qs << 0;
    QTest::newRow("no key and no place for one") << u"dtpassword.key/chave"_qs << 0;
#ifndef Q_OS_WIN
    QTest::newRow("key every account may read, kept as it is") << u"dtpassword.key"_qs << 0644;
#endif
}

// Run as root the tool makes a missing key; run by anyone else it says why.
void tst_MachineCipher::toolEnciphersOrSaysWhy()
{
    QFETCH(QString, keyPath);
    QFETCH(int, mode);
    const QString path = m_dir.filePath(keyPath);
    qputenv("VELUNAS_KEY_FILE", QFile::encodeName(path));
#ifndef Q_OS_WIN
    if (mode != 0)
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
#endif
    const QByteArray before = platform::readDeskKey().bytes;
    const bool unsafe = mode != 0 && before.isEmpty();
#ifdef Q_OS_WIN
    const bool privileged = true; // the first desk makes the protected key
#else
    const bool privileged = ::geteuid() == 0;
#endif
    const bool canMake = !before.isEmpty() || (privileged && !unsafe && !keyPath.contains(u"/chave"_qs));
    QProcess tool;
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/encipher_password"), {});
    QVERIFY(tool.waitForStarted());
    tool.write("Palavra-passe Çà\n");
    tool.closeWriteChannel();
    QVERIFY(tool.waitForFinished(60000));
    const QString sealed = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    const QByteArray why = tool.readAllStandardError();
    if (canMake) {
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(platform::openForMachine(sealed), u"Palavra-passe Çà"_qs);
        const QByteArray after = platform::readDeskKey().bytes;
        QVERIFY(before.isEmpty() || after == before);
#ifndef Q_OS_WIN
        struct stat made = {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &made) == 0);
        QVERIFY(before.isEmpty() ? (made.st_mode & 0007) == 0 : true); // never readable by every account
#endif
    } else {
        QVERIFY(tool.exitCode() != 0);
        QCOMPARE(sealed, QString());
        QVERIFY2(why.contains(QFile::encodeName(path)), why.constData());
        QVERIFY2(!unsafe || why.contains("mode 0644"), why.constData());
        QCOMPARE(QFileInfo(path).exists(), unsafe); // an unsafe key is refused, never replaced
    }
}

// Desks set up at once: every creator succeeds, and all share the one key.
void tst_MachineCipher::concurrentCreatorsShareOneKey()
{
#ifdef Q_OS_WIN
    QSKIP("The installer alone makes the key on Windows.");
#else
    if (::geteuid() != 0)
        QSKIP("Only root can create the key.");
    const QString path = m_dir.filePath(u"juntos/dtpassword.key"_qs);
    qputenv("VELUNAS_KEY_FILE", QFile::encodeName(path));
    std::vector<std::unique_ptr<QProcess>> tools;
    for (int i = 0; i < 50; ++i) {
        tools.push_back(std::make_unique<QProcess>());
        tools.back()->start(QCoreApplication::applicationDirPath() + QStringLiteral("/encipher_password"),
                            {QStringLiteral("segredo")});
    }
    for (const auto &tool : tools) {
        QVERIFY(tool->waitForFinished(60000));
        QVERIFY2(tool->exitCode() == 0, tool->readAllStandardError().constData());
        QCOMPARE(platform::openForMachine(QString::fromUtf8(tool->readAllStandardOutput()).trimmed()), u"segredo"_qs);
    }
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"dtpassword.key"_qs}); // no temporary file left behind
#endif
}

QTEST_GUILESS_MAIN(tst_MachineCipher)
#include "tst_MachineCipher.moc"
