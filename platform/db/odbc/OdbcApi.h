#pragma once

// The ODBC headers, in the one order every system takes: on Windows they use
// the base types of windows.h without including it.
#ifdef _WIN32
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
