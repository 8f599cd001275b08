// The emulated machine: answers libQuorvel on a local socket, one thread per connection, against
// its storages and its state. Start returns once the socket listens; Stop ends every connection.
#pragma once

#include "machine/MachineState.h"
#include "machine/MachineStorage.h"
#include "machine/WireReader.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace quorvel {

class CMachineServer {
public:
    CMachineServer(std::filesystem::path storageDir, std::string socketPath);
    ~CMachineServer();

    // Applies start-up commands (the ctl grammar) before any client connects.
    bool Apply(const std::vector<std::string>& words, std::string* error);
    // false with *error set when the socket cannot be made.
    bool Start(std::string* error);
    void Stop();
    const std::string& SocketPath() const { return m_strSocket; }

private:
    void AcceptLoop();
    void Serve(int fd);
    // Answers one request; false when the connection must be closed without an answer.
    bool Dispatch(int fd, uint16_t op, uint32_t generation, CWireReader& in);
    void SetPlugged(bool plugged); // under m_lock
    void NotifySubscribers();      // under m_lock
    // Waits ms or until Stop; false when stopped.
    bool Delay(uint32_t ms);

    CMachineStorage m_storage;
    std::string m_strSocket;
    int m_nListenFd = -1;
    std::thread m_acceptThread;

    std::mutex m_lock; // the state, the storages, the subscribers and the connections
    std::condition_variable m_cvDone;
    CMachineState m_state;
    int m_nCurrentStorage = 0; // the file last selected: its storage (0 none) and path
    std::string m_strCurrentDesign;
    std::set<int> m_connections;
    std::set<int> m_subscribers;
    bool m_bLastPlugged = true;
    int m_nRunning = 0;
    bool m_bStopping = false;
};

} // namespace quorvel
