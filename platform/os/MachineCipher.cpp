#include "platform/os/MachineCipher.h"

#include "platform/os/DeskKey.h"
#include "platform/os/MachineIdentity.h"

#include <QByteArray>

#include <sodium.h>

#include <array>
#include <cstring>

namespace platform {

namespace {

constexpr char DeskKeyPrefix[] = "v2:";
constexpr char IdentityPrefix[] = "v1:";
using Key = std::array<unsigned char, crypto_secretbox_KEYBYTES>;

// The secret is hashed under a context of the desk's own, so the key serves
// this purpose only.
bool keyFrom(QByteArray secret, const char *context, Key &key)
{
    if (sodium_init() < 0 || secret.isEmpty())
        return false;
    const bool made =
        crypto_generichash(key.data(), key.size(), reinterpret_cast<const unsigned char *>(secret.constData()),
                           static_cast<unsigned long long>(secret.size()),
                           reinterpret_cast<const unsigned char *>(context), std::strlen(context)) == 0;
    sodium_memzero(secret.data(), size_t(secret.size()));
    return made;
}

bool deskKey(Key &key)
{
    return keyFrom(readDeskKey().bytes, "Velunas dtPassword desk key", key);
}

// The key of values written before the desk had a key of its own.
bool identityKey(Key &key)
{
    return keyFrom(machineIdentity(), "Velunas dtPassword machine key", key);
}

QString openBox(const QString &text, bool (*makeKey)(Key &))
{
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES)
        return QString();
    Key key;
    if (!makeKey(key))
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

} // namespace

QString sealForMachine(const QString &plain)
{
    Key key;
    if (!deskKey(key))
        return QString();
    const QByteArray message = plain.toUtf8();
    QByteArray sealed(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + message.size(), Qt::Uninitialized);
    auto *nonce = reinterpret_cast<unsigned char *>(sealed.data());
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES, reinterpret_cast<const unsigned char *>(message.data()),
                          static_cast<unsigned long long>(message.size()), nonce, key.data());
    sodium_memzero(key.data(), key.size());
    return QLatin1String(DeskKeyPrefix) + QString::fromLatin1(sealed.toBase64());
}

QString openForMachine(const QString &sealed)
{
    if (sealed.startsWith(QLatin1String(DeskKeyPrefix)))
        return openBox(sealed.mid(int(sizeof DeskKeyPrefix) - 1), deskKey);
    if (sealed.startsWith(QLatin1String(IdentityPrefix)))
        return openBox(sealed.mid(int(sizeof IdentityPrefix) - 1), identityKey);
    return QString();
}

} // namespace platform
