#include "platform/MachineCipher.h"
#include "platform/MachineIdentity.h"

#include <QProcess>
#include <QTest>

// The dtPassword cipher: readable back on the machine that wrote it only.
class tst_MachineCipher : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { platform::overrideMachineIdentity(QByteArray()); }
    void roundTrip_data();
    void roundTrip();
    void unreadableValuesGiveEmptyText_data();
    void unreadableValuesGiveEmptyText();
    void anotherMachineCannotRead();
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

void tst_MachineCipher::anotherMachineCannotRead()
{
    platform::overrideMachineIdentity("computador-a");
    const QString sealed = platform::sealForMachine(u"segredo"_qs);
    QCOMPARE(platform::openForMachine(sealed), u"segredo"_qs);
    platform::overrideMachineIdentity("computador-b");
    QCOMPARE(platform::openForMachine(sealed), QString());
}

void tst_MachineCipher::toolOutputDeciphers()
{
    QProcess tool;
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/encipher_password"), {});
    QVERIFY(tool.waitForStarted());
    tool.write("Palavra-passe Çà\n");
    tool.closeWriteChannel();
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    const QString sealed = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    QCOMPARE(platform::openForMachine(sealed), u"Palavra-passe Çà"_qs);
}

QTEST_GUILESS_MAIN(tst_MachineCipher)
#include "tst_MachineCipher.moc"
