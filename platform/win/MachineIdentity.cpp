#include "platform/DeskKey.h"
#include "platform/MachineIdentityOverride.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The crypto header needs the base types of windows.h declared first.
#include <windows.h>

#include <wincrypt.h>

namespace platform {

namespace {

QByteArray unprotect(const QByteArray &sealed)
{
    DATA_BLOB in{static_cast<DWORD>(sealed.size()), reinterpret_cast<BYTE *>(const_cast<char *>(sealed.data()))};
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return QByteArray();
    const QByteArray plain(reinterpret_cast<const char *>(out.pbData), static_cast<int>(out.cbData));
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return plain;
}

// A new secret sealed so that any account of this computer, and only this
// computer, can unseal it.
QByteArray createSecret(const QString &path)
{
    QByteArray secret(32, Qt::Uninitialized);
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
        return QByteArray();
    const bool random =
        CryptGenRandom(provider, static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE *>(secret.data()));
    CryptReleaseContext(provider, 0);
    if (!random)
        return QByteArray();
    DATA_BLOB in{static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE *>(secret.data())};
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Velunas", nullptr, nullptr, nullptr,
                          CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN, &out))
        return QByteArray();
    const QByteArray sealed(reinterpret_cast<const char *>(out.pbData), static_cast<int>(out.cbData));
    LocalFree(out.pbData);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(sealed) != sealed.size())
        return QByteArray();
    return secret;
}

} // namespace

QByteArray machineIdentity()
{
    if (const auto &identity = machineIdentityOverride())
        return *identity;
    const QString path = deskKeyPath();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        return unprotect(file.readAll());
    return createSecret(path);
}

} // namespace platform
