#include "machine/MachineControlClient.h"

#include "machine/WireProtocol.h"
#include "machine/WireReader.h"
#include "machine/WireSocket.h"
#include "machine/WireWriter.h"

namespace quorvel {

CMachineControlClient::CMachineControlClient(std::string strSocket, int nTimeoutMs)
    : m_strSocket(std::move(strSocket)), m_nTimeoutMs(nTimeoutMs)
{
}

CMachineControlClient::Reply CMachineControlClient::Send(const std::vector<std::string>& words) const
{
    int fd = ConnectSocket(m_strSocket);
    if (fd < 0)
        return {Status::NoMachine, {}};
    CWireWriter w;
    w.U16(static_cast<uint16_t>(Op::Control));
    w.U16(0);
    w.U32(0);
    w.U32(static_cast<uint32_t>(words.size()));
    for (const std::string& word : words)
        w.Text(word);
    std::vector<uint8_t> body;
    IoResult io = WriteFrame(fd, w.Frame(), m_nTimeoutMs);
    if (io == IoResult::Ok)
        io = ReadFrame(fd, &body, m_nTimeoutMs);
    CloseSocket(fd);
    CWireReader in(body);
    int32_t nResult = in.I32();
    std::string strText = in.Text();
    if (io != IoResult::Ok || in.Failed())
        return {Status::NoAnswer, {}};
    return {nResult == 0 ? Status::Ok : Status::Refused, std::move(strText)};
}

} // namespace quorvel
