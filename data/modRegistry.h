#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

// Named text settings read from the machine's registry, with the shadow file
// "RegShadow.db" consulted first and keeping the defaults the registry lacks.
// A setting is text (a QString in the variant) or null (an invalid variant).
namespace modRegistry {

// A shadow or registry value that begins with this names another key path
// under which the same value name is read.
inline constexpr char16_t ReferencePrefix[] = u"SREF=";

// Registry values longer than this (in bytes, with the terminating NUL) are
// treated as missing.
inline constexpr int ValueBufferSize = 3500;

// The setting under keyPath/valueName: the shadow file first (unless
// skipShadow), then the registry with references followed; when missing
// everywhere, defaultValue, which is then recorded in the shadow file.
QVariant ObterValorString(const QString &keyPath, const QString &valueName, const QVariant &defaultValue = QVariant(),
                          bool skipShadow = false);

// One registry read, without shadow or references. keyPath is split in place
// (it becomes the subkey path), so callers pass a copy.
QVariant ValorString(QString &keyPath, const QString &valueName);

// The value recorded in the shadow file, or empty text when there is none.
QString LerValorShadow(const QString &keyPath, const QString &valueName);

// Records value in the shadow file; false when the file is missing or cannot
// be rewritten.
bool GravarValorShadow(const QString &keyPath, const QString &valueName, const QString &value);

// Checks a key path and splits it: root receives the predefined root handle
// (0 for a malformed path or an unknown root) and keyPath the subkey path.
void FormatarChave(QString &keyPath, qint32 &root);

// The predefined root handle of an exact root name, 0 when unrecognised.
qint32 ObterHandleChavePrincipal(const QString &rootName);

} // namespace modRegistry
