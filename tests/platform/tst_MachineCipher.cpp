#include "platform/MachineCipher.h"
#include "platform/MachineIdentity.h"

#include <QProcess>
#include <QTest>

namespace {

// The tests' own computer, so that no case rests on the host's identity files.
const QByteArray TestComputer = QByteArrayLiteral("computador-a");

} // namespace

// The dtPassword cipher: readable back on the machine that wrote it only.
class tst_MachineCipher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { platform::overrideMachineIdentity(TestComputer); }
    void cleanup() { platform::overrideMachineIdentity(TestComputer); }
    void cleanupTestCase() { platform::restoreMachineIdentity(); }
    void roundTrip_data();
    void roundTrip();
    void unreadableValuesGiveEmptyText_data();
    void unreadableValuesGiveEmptyText();
    void otherComputersCannotRead_data();
    void otherComputersCannotRead();
    void toolOutputDeciphers();
};

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
    QVERIFY(sealed.startsWith(u"v1:"_qs));
    QVERIFY(!password.isEmpty() ? !sealed.contains(password) : true);
    QCOMPARE(platform::openForMachine(sealed), password);
    QVERIFY(platform::sealForMachine(password) != sealed); // a fresh nonce every time
}

void tst_MachineCipher::unreadableValuesGiveEmptyText_data()
{
    QTest::addColumn<QString>("value");
    const QString sealed = platform::sealForMachine(u"segredo"_qs);
    QVERIFY(sealed.startsWith(u"v1:"_qs));
    QString flipped = sealed;
    const qsizetype middle = flipped.size() / 2;
    flipped[middle] = flipped.at(middle) == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
    QTest::newRow("one character altered") << flipped;
    QTest::newRow("cut short") << sealed.left(sealed.size() - 4);
    QTest::newRow("never enciphered") << u"segredo"_qs;
    QTest::newRow("not base64") << u"v1:***"_qs;
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
    QTest::addColumn<QByteArray>("reader");
    QTest::newRow("another computer") << QByteArrayLiteral("computador-b");
    QTest::newRow("computer without identity") << QByteArray();
}

void tst_MachineCipher::otherComputersCannotRead()
{
    QFETCH(QByteArray, reader);
    const QString sealed = platform::sealForMachine(u"segredo"_qs);
    QCOMPARE(platform::openForMachine(sealed), u"segredo"_qs);
    platform::overrideMachineIdentity(reader);
    QCOMPARE(platform::openForMachine(sealed), QString());
    // Nor does a computer without identity seal anything.
    QCOMPARE(platform::sealForMachine(u"segredo"_qs).isEmpty(), reader.isEmpty());
}

// The tool runs on this computer's own identity, so what it must do depends
// on whether this computer has one.
void tst_MachineCipher::toolOutputDeciphers()
{
    platform::restoreMachineIdentity();
    const bool identified = !platform::machineIdentity().isEmpty();
    QProcess tool;
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/encipher_password"), {});
    QVERIFY(tool.waitForStarted());
    tool.write("Palavra-passe Çà\n");
    tool.closeWriteChannel();
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    const QString sealed = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    if (identified) {
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(platform::openForMachine(sealed), u"Palavra-passe Çà"_qs);
    } else {
        QVERIFY(tool.exitCode() != 0);
        QCOMPARE(sealed, QString());
        QVERIFY(tool.readAllStandardError().contains("no machine identity"));
    }
}

QTEST_GUILESS_MAIN(tst_MachineCipher)
#include "tst_MachineCipher.moc"
