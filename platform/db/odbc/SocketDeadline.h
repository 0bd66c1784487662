#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace platform::odbc {

// The drivers give no handle on their socket, and a server whose process has
// stopped keeps the connection open and acknowledges whatever is sent, so no
// driver or TCP setting ends a wait on it. The login's socket is therefore
// found by what the login added to the process's sockets (logins are taken
// one at a time for it), and a call that outlives its bound has that socket
// shut down under it: the driver then fails the call at once.
class LoginSockets
{
public:
    LoginSockets(); // before the login
    // After it: the one connected stream socket the login added, or -1 when
    // there is not exactly one (then no bound beyond the driver's own).
    int opened() const;

private:
    std::vector<std::pair<int, unsigned long>> m_before; // descriptor and inode
};

// Shuts the socket down when it is still alive after `milliseconds`; ends
// its watch when it goes. Nothing is watched for a socket of -1 or a bound of 0.
class SocketDeadline
{
public:
    SocketDeadline(int socket, int milliseconds);
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
