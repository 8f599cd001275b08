// The client side of the machine's control commands ("show", "cable pull", "fault ..."), one
// connection a command: what `quorvel-machine ctl` sends from the command line and `tavren gui`
// from its page.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

class CMachineControlClient {
public:
    enum class Status {
        Ok,        // strText is the machine's report
        NoMachine, // nothing listens at the socket
        NoAnswer,  // connected, but no whole answer came in time
        Refused,   // the machine did not accept the command; strText says why
    };
    struct Reply {
        Status status = Status::NoMachine;
        std::string strText;
    };

    CMachineControlClient(std::string strSocket, int nTimeoutMs);

    Reply Send(const std::vector<std::string>& words) const;
    const std::string& Socket() const { return m_strSocket; }

private:
    std::string m_strSocket;
    int m_nTimeoutMs;
};

} // namespace quorvel
