#include "machine/WireSocket.h"

#include "machine/WireProtocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvel {

std::string DefaultSocketPath()
{
    if (const char* s = std::getenv("QUORVEL_SOCKET"); s && *s)
        return s;
    if (const char* d = std::getenv("XDG_RUNTIME_DIR"); d && *d)
        return std::string(d) + "/quorvel-machine.sock";
    return "/tmp/quorvel-" + std::to_string(getuid()) + ".sock";
}

namespace {

bool FillAddress(const std::string& path, sockaddr_un* addr)
{
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr->sun_path)
        return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Waits until the socket is ready for the given events; false on time-out.
bool WaitReady(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    for (;;) {
        int r = poll(&p, 1, timeoutMs);
        if (r > 0)
            return true;
        if (r == 0)
            return false;
        if (errno != EINTR)
            return true; // let the following call report the error
    }
}

} // namespace

int ConnectSocket(const std::string& path)
{
    sockaddr_un addr;
    if (!FillAddress(path, &addr))
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int ListenSocket(const std::string& path)
{
    sockaddr_un addr;
    if (!FillAddress(path, &addr)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    // A socket file left by a machine that died is taken over; one that answers is not.
    int probe = ConnectSocket(path);
    if (probe >= 0) {
        close(probe);
        close(fd);
        errno = EADDRINUSE;
        return -1;
    }
    unlink(path.c_str());
    // Whoever can connect can drive the machine: the socket is its owner's alone (mode 0600),
    // set before listen so that no one else connects in between.
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || chmod(path.c_str(), 0600) != 0 ||
        listen(fd, 64) != 0) {
        int e = errno;
        close(fd);
        errno = e;
        return -1;
    }
    return fd;
}

void CloseSocket(int fd)
{
    if (fd >= 0)
        close(fd);
}

void ShutdownSocket(int fd)
{
    if (fd >= 0)
        shutdown(fd, SHUT_RDWR);
}

IoResult WriteAll(int fd, const uint8_t* p, size_t n, int timeoutMs)
{
    while (n > 0) {
        if (!WaitReady(fd, POLLOUT, timeoutMs))
            return IoResult::TimedOut;
        ssize_t w = send(fd, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (w < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return IoResult::Closed;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return IoResult::Ok;
}

IoResult ReadExact(int fd, uint8_t* p, size_t n, int timeoutMs)
{
    while (n > 0) {
        if (!WaitReady(fd, POLLIN, timeoutMs))
            return IoResult::TimedOut;
        ssize_t r = recv(fd, p, n, MSG_DONTWAIT);
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return IoResult::Closed;
        }
        if (r == 0)
            return IoResult::Closed;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return IoResult::Ok;
}

IoResult ReadFrame(int fd, std::vector<uint8_t>* body, int timeoutMs)
{
    uint8_t len[4];
    if (IoResult r = ReadExact(fd, len, 4, timeoutMs); r != IoResult::Ok)
        return r;
    uint32_t n = len[0] | (len[1] << 8) | (len[2] << 16) | (static_cast<uint32_t>(len[3]) << 24);
    if (n > kMaxFrame)
        return IoResult::Broken;
    body->resize(n);
    return ReadExact(fd, body->data(), n, timeoutMs);
}

IoResult WriteFrame(int fd, const std::vector<uint8_t>& frame, int timeoutMs)
{
    return WriteAll(fd, frame.data(), frame.size(), timeoutMs);
}

} // namespace quorvel
