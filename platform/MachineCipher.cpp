#include "platform/MachineCipher.h"

#include "platform/MachineIdentity.h"

#include <QByteArray>

#include <sodium.h>

#include <array>

namespace platform {

namespace {

constexpr char Prefix[] = "v1:";
using Key = std::array<unsigned char, crypto_secretbox_KEYBYTES>;

// The identity is hashed under a context of the desk's own, so the key serves
// this purpose only.
bool machineKey(Key &key)
{
    if (sodium_init() < 0)
        return false;
    const QByteArray identity = machineIdentity();
    if (identity.isEmpty())
        return false;
    static const unsigned char context[] = "Velunas dtPassword machine key";
    return crypto_generichash(key.data(), key.size(), reinterpret_cast<const unsigned char *>(identity.constData()),
                              static_cast<unsigned long long>(identity.size()), context, sizeof context - 1) == 0;
}

} // namespace

QString sealForMachine(const QString &plain)
{
    Key key;
    if (!machineKey(key))
        return QString();
    const QByteArray message = plain.toUtf8();
    QByteArray sealed(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + message.size(), Qt::Uninitialized);
    auto *nonce = reinterpret_cast<unsigned char *>(sealed.data());
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES, reinterpret_cast<const unsigned char *>(message.data()),
                          static_cast<unsigned long long>(message.size()), nonce, key.data());
    sodium_memzero(key.data(), key.size());
    return QLatin1String(Prefix) + QString::fromLatin1(sealed.toBase64());
}

QString openForMachine(const QString &sealed)
{
    if (!sealed.startsWith(QLatin1String(Prefix)))
        return QString();
    const auto decoded = QByteArray::fromBase64Encoding(sealed.mid(int(sizeof Prefix) - 1).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES)
        return QString();
    Key key;
    if (!machineKey(key))
        return QString();
    const QByteArray &box = decoded.decoded;
    const auto *nonce = reinterpret_cast<const unsigned char *>(box.constData());
    QByteArray plain(box.size() - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, Qt::Uninitialized);
    const int rc = crypto_secretbox_open_easy(
        reinterpret_cast<unsigned char *>(plain.data()), nonce + crypto_secretbox_NONCEBYTES,
        static_cast<unsigned long long>(box.size() - crypto_secretbox_NONCEBYTES), nonce, key.data());
    sodium_memzero(key.data(), key.size());
    return rc == 0 ? QString::fromUtf8(plain) : QString();
}

} // namespace platform
