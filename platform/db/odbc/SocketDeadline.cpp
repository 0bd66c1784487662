#include "platform/db/odbc/SocketDeadline.h"

#include <chrono>

#ifndef _WIN32
#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#endif

namespace platform::odbc {

namespace {

#ifndef _WIN32
std::vector<Socket> openSockets()
{
    std::vector<Socket> sockets;
    DIR *folder = ::opendir("/proc/self/fd");
    if (!folder)
        return sockets;
    const int own = ::dirfd(folder);
    while (const dirent *entry = ::readdir(folder)) {
        char *end = nullptr;
        const long descriptor = std::strtol(entry->d_name, &end, 10);
        struct stat status = {};
        if (end == entry->d_name || *end != '\0' || descriptor == own || ::fstat(int(descriptor), &status) != 0 ||
            !S_ISSOCK(status.st_mode))
            continue;
        sockets.push_back({int(descriptor), static_cast<unsigned long>(status.st_ino)});
    }
    ::closedir(folder);
    return sockets;
}

bool isStill(const Socket &socket)
{
    struct stat status = {};
    return socket.descriptor >= 0 && ::fstat(socket.descriptor, &status) == 0 && S_ISSOCK(status.st_mode) &&
           static_cast<unsigned long>(status.st_ino) == socket.inode;
}

bool connectedStream(int socket)
{
    int type = 0;
    socklen_t length = sizeof type;
    sockaddr_storage peer = {};
    socklen_t peerLength = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_STREAM &&
           ::getpeername(socket, reinterpret_cast<sockaddr *>(&peer), &peerLength) == 0;
}
#endif

} // namespace

#ifndef _WIN32
LoginSockets::LoginSockets() : m_before(openSockets())
{
}

Socket LoginSockets::opened() const
{
    Socket found;
    for (const Socket &socket : openSockets()) {
        if (std::find(m_before.begin(), m_before.end(), socket) != m_before.end() ||
            !connectedStream(socket.descriptor))
            continue;
        if (found.descriptor >= 0)
            return {};
        found = socket;
    }
    return found;
}
#else
// Windows' drivers keep their sockets out of reach: their own bounds apply.
LoginSockets::LoginSockets() = default;

Socket LoginSockets::opened() const
{
    return {};
}
#endif

SocketDeadline::SocketDeadline(Socket socket, int milliseconds)
{
#ifndef _WIN32
    if (milliseconds <= 0 || !isStill(socket))
        return;
    m_watch = std::thread([this, descriptor = socket.descriptor, milliseconds] {
        std::unique_lock lock(m_mutex);
        if (!m_finished.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_done; })) {
            m_fired = true;
            ::shutdown(descriptor, SHUT_RDWR);
        }
    });
#else
    (void)socket;
    (void)milliseconds;
#endif
}

SocketDeadline::~SocketDeadline()
{
    if (!m_watch.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_finished.notify_one();
    m_watch.join();
}

} // namespace platform::odbc
