// Socket helpers shared by libQuorvel and quorvel-machine: the local stream socket that stands in
// for the USB cable, and frame transfer with a time-out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

enum class IoResult { Ok, TimedOut, Closed, Broken };

// $QUORVEL_SOCKET, else $XDG_RUNTIME_DIR/quorvel-machine.sock, else /tmp/quorvel-<uid>.sock.
std::string DefaultSocketPath();

// A connected socket, or -1 when nothing listens at the path.
int ConnectSocket(const std::string& path);
// A listening socket at the path (a stale socket file is replaced), or -1 with errno set.
int ListenSocket(const std::string& path);
void CloseSocket(int fd);
// Wakes a thread blocked on the socket and makes later reads see the end.
void ShutdownSocket(int fd);

// timeoutMs < 0 waits without limit; the time-out applies to each wait for more bytes.
IoResult WriteAll(int fd, const uint8_t* p, size_t n, int timeoutMs);
IoResult ReadExact(int fd, uint8_t* p, size_t n, int timeoutMs);
// One frame's body (length prefix read and checked against kMaxFrame).
IoResult ReadFrame(int fd, std::vector<uint8_t>* body, int timeoutMs);
IoResult WriteFrame(int fd, const std::vector<uint8_t>& frame, int timeoutMs);

} // namespace quorvel
