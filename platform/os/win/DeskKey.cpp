#include "platform/os/DeskKey.h"

#include "platform/os/RegularFile.h"
#include "platform/os/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The crypto header needs the base types of windows.h declared first.
#include <windows.h>

#include <wincrypt.h>

namespace platform {

namespace {

constexpr qsizetype KeySize = 32;
constexpr qsizetype SealedLimit = 64 * 1024; // a sealed key is a few hundred bytes

QByteArray unprotect(const QByteArray &sealed)
{
    DATA_BLOB in{static_cast<DWORD>(sealed.size()), reinterpret_cast<BYTE *>(const_cast<char *>(sealed.data()))};
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return QByteArray();
    const QByteArray plain(reinterpret_cast<const char *>(out.pbData), static_cast<qsizetype>(out.cbData));
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return plain;
}

// Fresh random bytes sealed so that any account of this computer, and only
// this computer, can unseal them; empty when the system refuses.
QByteArray newSealedKey()
{
    QByteArray secret(KeySize, Qt::Uninitialized);
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
        return QByteArray();
    const bool random =
        CryptGenRandom(provider, static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE *>(secret.data()));
    CryptReleaseContext(provider, 0);
    DATA_BLOB in{static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE *>(secret.data())};
    DATA_BLOB out{};
    const bool sealed = random && CryptProtectData(&in, L"Velunas", nullptr, nullptr, nullptr,
                                                   CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN, &out);
    SecureZeroMemory(secret.data(), static_cast<SIZE_T>(secret.size()));
    if (!sealed)
        return QByteArray();
    const QByteArray result(reinterpret_cast<const char *>(out.pbData), static_cast<qsizetype>(out.cbData));
    LocalFree(out.pbData);
    return result;
}

} // namespace

QString deskKeyPath()
{
    const QString chosen = qEnvironmentVariable("VELUNAS_KEY_FILE");
    return chosen.isEmpty() ? specialFolderPath(Csidl::CommonAppData) + QStringLiteral("/Quorvane/Velunas/machine.key")
                            : chosen;
}

// Only read here: the installer makes the key (through encipher_password), so
// a desk never writes a secret of its own into the shared folder.
DeskKey readDeskKey()
{
    const QString path = deskKeyPath();
    QFile file;
    if (!openRegularFile(file, path))
        return {{}, QStringLiteral("cannot read the protected key %1").arg(path)};
    const QByteArray bytes = unprotect(file.read(SealedLimit));
    if (bytes.size() != KeySize)
        return {{}, QStringLiteral("the protected key %1 does not open on this computer").arg(path)};
    return {bytes, {}};
}

DeskKey createDeskKey()
{
    const QString path = deskKeyPath();
    if (QFileInfo::exists(path))
        return readDeskKey();
    const QByteArray sealed = newSealedKey();
    if (sealed.isEmpty())
        return {{}, QStringLiteral("the system did not protect a new key")};
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return {{}, QStringLiteral("cannot create the folder of the key %1").arg(path)};
    // NewOnly never replaces: a key another run made meanwhile is kept.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(sealed) != sealed.size()) {
        file.remove();
        return {{}, QStringLiteral("cannot write the protected key %1").arg(path)};
    }
    file.close();
    return readDeskKey();
}

} // namespace platform
