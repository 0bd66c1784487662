#pragma once

#include <QString>

namespace platform::odbcpool {

// Connections a desk closes are kept for a short while, so that the next
// search on the same server reuses the login instead of making a new one
// (most of a PostgreSQL search was its three logins). Handles are SQLHDBC,
// kept opaque; a key is everything the connection was made with.

// A parked connection made with `key`, or nullptr; the caller owns it.
void *take(const QString &key);

// Keeps `connection` for the next take() of `key`; past the idle limit, or
// when enough wait already, it is disconnected instead.
void park(const QString &key, void *connection);

// Disconnects and frees a handle.
void drop(void *connection);

} // namespace platform::odbcpool
