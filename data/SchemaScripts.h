#pragma once

#include <QString>

// The schema scripts compiled into the program (schema/), by file name:
// "sqlite-members.sql", "sqlite-delivery.sql".
namespace schema {

QString script(const char *name);

} // namespace schema
