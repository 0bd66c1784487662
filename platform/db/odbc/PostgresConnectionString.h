#pragma once

#include "platform/db/access/ConnectionString.h"
#include "platform/db/odbc/OdbcSession.h"

namespace platform {

// The driver used when a "Provider=PostgreSQL" string names none.
inline constexpr char DefaultPostgresDriver[] = "PostgreSQL Unicode";

// Turns "Provider=PostgreSQL;Host=..;Port=..;Database=..;User ID=..;Password=.."
// into a psqlODBC driver string. Optional keys: "Driver" (another ODBC driver
// name), "Connect Timeout" (seconds; 15 when absent), "Command Timeout" (each
// statement's bound, see commandTimeoutSeconds) and "Search Path" (the
// schemas to look in, comma-separated, e.g. "mirva,public"). A non-empty `user` or
// `password` (given to Open) takes the place of the string's own. Every
// connection reads literals with standard_conforming_strings on, whatever the
// server's own setting.
OdbcTarget mapPostgresConnection(const ConnectionProperties &properties, const QString &user, const QString &password);

} // namespace platform
