#pragma once

#include "platform/db/access/Connection.h"

#include <QString>

class QWidget;

// Making sure a connection is open and usable, with the connection-problem
// window in front of the operator while a further attempt runs.
namespace modTestConnection {

// The settings entries of built connection strings live under this path.
inline constexpr char16_t SettingsRoot[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\";

// Opens the connection when closed, probes it and, on failure, shows
// frmSQLServer during one further attempt (retry false) or until an attempt
// succeeds or the operator chooses "&Sair" (retry true). callerForm is
// disabled meanwhile. Never raises and never shows a message.
bool TestConnection(platform::Connection &connection, QString &registryEntry, QWidget *callerForm,
                    QString &connectionString, bool retry);

// (Re)opens the connection with connectionString or, when that is empty, with
// the string built from the settings entry, which is then written back.
// True when the connection is open afterwards.
bool OpenConnection(platform::Connection &connection, QString &registryEntry, QString &connectionString);

// The plain password for an enciphered dtPassword value; empty for a value
// that does not decipher on this machine.
QString DecipherPassword(const QString &enciphered);

// The string OpenConnection builds from a settings entry, or empty when one
// of its five values is missing (the values after it are not read).
QString BuildConnectionString(const QString &registryEntry);

// Whether the settings entry holds any of those five values: a site that
// writes the entry means its server, whatever string the program was built with.
bool HasSettingsEntry(const QString &registryEntry);

} // namespace modTestConnection
