#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// How the shadow file's bytes become settings, apart from the file itself.
namespace modRegistry {

// Any operator can write the shadow file: no more of it is read than a desk's
// settings need.
inline constexpr qint64 MaxShadowBytes = 1024 * 1024;

struct ShadowLines
{
    QByteArrayList lines;
    bool whole = true; // false when the file ran past MaxShadowBytes
};

// The lines of the file's first bytes (up to MaxShadowBytes + 1 of them), as
// stored and without their line ends. Lines are kept as bytes so that a
// rewrite copies the other settings' lines byte for byte.
ShadowLines splitShadowLines(const QByteArray &bytes);

// A line belongs to the setting when it begins with "key:name=", in any case.
bool shadowLineMatches(const QString &line, const QString &lineKey);

// The value of the first line of keyPath:valueName, empty when none holds it.
QString shadowLineValue(const QByteArrayList &lines, const QString &keyPath, const QString &valueName);

} // namespace modRegistry
