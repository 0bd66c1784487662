#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The desk's own secret behind the dtPassword cipher: random bytes made once
// per computer. On Linux a file readable by root and the operators' group
// only ("velunas"); on Windows the secret kept under DPAPI with machine scope.
struct DeskKey
{
    QByteArray bytes; // empty when the key cannot be had
    QString problem;  // why, in words for whoever installs the desk
};

// Where the key lives: VELUNAS_KEY_FILE when set, else the system's place.
QString deskKeyPath();

DeskKey readDeskKey();

// Makes the key when there is none (on Linux only root may); an existing key
// is never replaced, since every value enciphered under it would be lost.
DeskKey createDeskKey();

} // namespace platform
