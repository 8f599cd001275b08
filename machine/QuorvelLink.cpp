#include "machine/QuorvelLink.h"

#include "machine/WireReader.h"
#include "machine/WireSocket.h"

#include <cstdlib>

namespace quorvel {

CWireWriter CQuorvelLink::Request(Op op, uint32_t generation)
{
    CWireWriter w;
    w.U16(static_cast<uint16_t>(op));
    w.U16(0);
    w.U32(generation);
    return w;
}

int CQuorvelLink::TimeoutMs()
{
    const char* s = std::getenv("QUORVEL_TIMEOUT_MS");
    int v = s ? std::atoi(s) : 0;
    return v > 0 ? v : 5000;
}

int32_t CQuorvelLink::Exchange(const CWireWriter& request, std::vector<uint8_t>* answer)
{
    int timeout = TimeoutMs();
    int fd = ConnectSocket(DefaultSocketPath());
    if (fd < 0)
        return kResultConnectionLost;
    std::vector<uint8_t> body;
    IoResult io = WriteFrame(fd, request.Frame(), timeout);
    if (io == IoResult::Ok)
        io = ReadFrame(fd, &body, timeout);
    CloseSocket(fd);
    switch (io) {
    case IoResult::Ok: break;
    case IoResult::TimedOut: return kResultTimeOut;
    case IoResult::Broken: return kResultBrokenPacket;
    default: return kResultConnectionLost;
    }
    CWireReader in(body);
    int32_t result = in.I32();
    if (in.Failed())
        return kResultBrokenPacket;
    answer->assign(body.begin() + 4, body.end());
    return result;
}

} // namespace quorvel
