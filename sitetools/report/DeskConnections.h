#pragma once

#include "platform/db/access/Connection.h"

#include <QString>

namespace report {

// The desk's three connection strings as the desk itself has them: built in,
// or assembled from the settings entries that outrank them.
struct DeskStrings
{
    QString deliveries; // the "SqlServer" connection, which holds tbVelunas
    QString haldor;
    QString mirva;
};

DeskStrings deskStrings();

enum class Engine { Embedded, PostgreSQL, SqlServer, Other };

Engine engineOf(const QString &connectionString);

// The main file of an embedded connection string.
QString embeddedFile(const QString &connectionString);

// Opens the connection, or raises a RuntimeError that names it and says why.
void openNamed(platform::Connection &connection, const QString &connectionString, const QString &name);

} // namespace report
