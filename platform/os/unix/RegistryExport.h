#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace platform::registryexport {

// String values of one key, by case-folded value name ("" is the default value).
using KeyValues = QHash<QString, QString>;

// Every key of an export by its case-folded full path, for example
// "hkey_local_machine\software\quorvane". Ancestors of a key are keys too.
using RegistryTree = QHash<QString, KeyValues>;

// The root name of a section, in its canonical spelling, or empty text when the
// name is no predefined root (compared without regard to case).
QString canonicalRootName(const QString &rootName);

// The tree key for a root and a subkey path; empty text when the subkey path
// has an empty part (a doubled, leading or trailing backslash).
QString treeKeyOf(const QString &rootName, const QString &subKey);

// Reads a regedit export ("REGEDIT4" or "Windows Registry Editor Version
// 5.00", UTF-8 or UTF-16LE with a byte-order mark, or without one UTF-8 or
// Windows-1252). Only string values are
// kept; a line that cannot be read is skipped, and a file without the header
// is no export at all and gives an empty tree.
RegistryTree parseRegistryExport(const QByteArray &bytes);

} // namespace platform::registryexport
