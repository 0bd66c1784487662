#pragma once

#include "platform/db/odbc/SocketDeadline.h"

#include <QString>

#include <chrono>

namespace platform::odbcpool {

// Connections a desk closes are kept for a short while, so that the next
// search on the same server reuses the login instead of making a new one
// (most of a PostgreSQL search was its three logins). Handles are SQLHDBC,
// kept opaque; a key is everything the connection was made with.

// A kept connection and what the session knew of it.
struct Kept
{
    void *connection = nullptr;
    odbc::Socket socket; // the connection's, where known
};

// A parked connection made with `key`, or none; the caller owns it.
Kept take(const QString &key);

// Keeps a connection for the next take() of `key`; when enough wait already,
// it is disconnected instead. One left waiting past the idle limit is
// disconnected then, whether or not the desk does anything meanwhile.
void park(const QString &key, Kept kept);

// Disconnects and frees a handle.
void drop(void *connection);

// A minute unless tests shorten it.
void setIdleLimit(std::chrono::milliseconds limit);

} // namespace platform::odbcpool
