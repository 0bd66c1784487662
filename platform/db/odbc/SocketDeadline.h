#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::odbc {

// The drivers give no handle on their socket, and a server whose process has
// stopped keeps the connection open and acknowledges whatever is sent, so no
// driver or TCP setting ends a wait on it. The login's socket is therefore
// found by what the login added to the process's sockets (logins are taken
// one at a time for it), and a call that outlives its bound has that socket
// shut down under it: the driver then fails the call at once.
// A socket by descriptor and inode: a driver that closed its socket when
// the connection broke may see the number given to another socket since.
struct Socket
{
    int descriptor = -1;
    unsigned long inode = 0;
    bool operator==(const Socket &) const = default;
};

class LoginSockets
{
public:
    LoginSockets(); // before the login
    // After it: the one connected stream socket the login added, or none when
    // there is not exactly one (then no bound beyond the driver's own).
    Socket opened() const;

private:
    std::vector<Socket> m_before;
};

// Shuts the socket down when it is still alive after `milliseconds`; ends
// its watch when it goes. Nothing is watched without a socket, one that is
// no longer the same, or a bound of 0.
class SocketDeadline
{
public:
    SocketDeadline(Socket socket, int milliseconds);
    ~SocketDeadline();
    SocketDeadline(const SocketDeadline &) = delete;
    SocketDeadline &operator=(const SocketDeadline &) = delete;

    bool fired() const { return m_fired; }

private:
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::atomic<bool> m_fired{false};
    std::thread m_watch;
};

} // namespace platform::odbc
