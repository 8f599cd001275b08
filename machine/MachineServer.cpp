#include "machine/MachineServer.h"

#include "machine/WireProtocol.h"
#include "machine/WireSocket.h"
#include "machine/WireWriter.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace quorvel {

namespace {

constexpr int kServerIoTimeoutMs = 30000; // a client that stops reading is given up on

std::vector<uint8_t> Answer(int32_t result)
{
    CWireWriter w;
    w.I32(result);
    return w.Frame();
}

bool HasPayload(Op op)
{
    return op == Op::UploadList || op == Op::UploadFile || op == Op::UploadDesign;
}

} // namespace

CMachineServer::CMachineServer(std::filesystem::path storageDir, std::string socketPath)
    : m_storage(std::move(storageDir)), m_strSocket(std::move(socketPath))
{
}

CMachineServer::~CMachineServer() { Stop(); }

bool CMachineServer::Apply(const std::vector<std::string>& words, std::string* error)
{
    std::lock_guard lk(m_lock);
    if (!m_state.Apply(words, error))
        return false;
    NotifySubscribers();
    return true;
}

bool CMachineServer::Start(std::string* error)
{
    m_nListenFd = ListenSocket(m_strSocket);
    if (m_nListenFd < 0) {
        *error = "cannot listen on " + m_strSocket + ": " + std::strerror(errno);
        return false;
    }
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void CMachineServer::Stop()
{
    if (m_nListenFd < 0)
        return;
    ShutdownSocket(m_nListenFd);
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    {
        std::unique_lock lk(m_lock);
        m_bStopping = true;
        for (int fd : m_connections)
            ShutdownSocket(fd);
        m_cvDone.notify_all();
        m_cvDone.wait(lk, [this] { return m_nRunning == 0; });
    }
    CloseSocket(m_nListenFd);
    m_nListenFd = -1;
    unlink(m_strSocket.c_str());
}

void CMachineServer::AcceptLoop()
{
    for (;;) {
        int fd = accept4(m_nListenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // the listening socket was shut down
        }
        std::lock_guard lk(m_lock);
        if (m_bStopping) {
            CloseSocket(fd);
            continue;
        }
        m_connections.insert(fd);
        ++m_nRunning;
        std::thread([this, fd] { Serve(fd); }).detach();
    }
}

void CMachineServer::Serve(int fd)
{
    std::vector<uint8_t> body;
    if (ReadFrame(fd, &body, kServerIoTimeoutMs) == IoResult::Ok) {
        CWireReader in(body);
        uint16_t op = in.U16();
        in.U16();
        uint32_t generation = in.U32();
        if (in.Failed()) {
            WriteFrame(fd, Answer(kResultBrokenPacket), kServerIoTimeoutMs);
        } else if (Dispatch(fd, op, generation, in) && op == static_cast<uint16_t>(Op::Subscribe)) {
            // Held open until the client or Stop closes it; changes are written by NotifySubscribers.
            uint8_t b;
            while (ReadExact(fd, &b, 1, -1) == IoResult::Ok) {
            }
        }
    }
    std::lock_guard lk(m_lock);
    m_subscribers.erase(fd);
    m_connections.erase(fd);
    CloseSocket(fd);
    --m_nRunning;
    m_cvDone.notify_all();
}

bool CMachineServer::Delay(uint32_t ms)
{
    std::unique_lock lk(m_lock);
    return !m_cvDone.wait_for(lk, std::chrono::milliseconds(ms), [this] { return m_bStopping; });
}

void CMachineServer::SetPlugged(bool plugged)
{
    std::string error;
    m_state.Apply({"cable", plugged ? "plug" : "pull"}, &error);
    NotifySubscribers();
}

void CMachineServer::NotifySubscribers()
{
    if (m_state.m_bPlugged == m_bLastPlugged)
        return;
    m_bLastPlugged = m_state.m_bPlugged;
    uint8_t b = m_bLastPlugged ? 1 : 0;
    for (int fd : m_subscribers)
        WriteAll(fd, &b, 1, 0);
}

bool CMachineServer::Dispatch(int fd, uint16_t rawOp, uint32_t generation, CWireReader& in)
{
    if (rawOp < kFirstOp || rawOp > kLastOp)
        return WriteFrame(fd, Answer(kResultInvalidCommand), kServerIoTimeoutMs) == IoResult::Ok;
    Op op = static_cast<Op>(rawOp);

    // Fields first, so that a broken packet is answered before anything changes.
    uint32_t storage = 0, item = 0, value = 0, dataSize = 0;
    std::string path, name;
    const uint8_t* data = nullptr;
    std::vector<std::string> words;
    switch (op) {
    case Op::GetStatus: item = in.U32(); break;
    case Op::SetStatus: item = in.U32(); value = in.U32(); break;
    case Op::UploadList: case Op::UploadFile: case Op::EraseFile: case Op::DeleteFolder: case Op::SelectFile:
        storage = in.U32(); path = in.Text(); break;
    case Op::DownloadFile: storage = in.U32(); path = in.Text(); data = in.Bytes(&dataSize); break;
    case Op::RenameFile: case Op::RenameFolder: case Op::CreateFolder:
        storage = in.U32(); path = in.Text(); name = in.Text(); break;
    case Op::Control:
        for (uint32_t n = in.U32(), i = 0; i < n && !in.Failed() && i < 64; ++i)
            words.push_back(in.Text());
        break;
    default: break;
    }
    if (in.Failed())
        return WriteFrame(fd, Answer(kResultBrokenPacket), kServerIoTimeoutMs) == IoResult::Ok;

    std::unique_lock lk(m_lock);
    if (op == Op::Control) {
        std::string error;
        bool ok = words.empty() || m_state.Apply(words, &error);
        NotifySubscribers();
        CWireWriter w;
        w.I32(ok ? 0 : kResultInvalidCommand);
        w.Text(ok ? m_state.Describe() : error);
        lk.unlock();
        return WriteFrame(fd, w.Frame(), kServerIoTimeoutMs) == IoResult::Ok;
    }
    if (op == Op::Subscribe) {
        m_subscribers.insert(fd);
        CWireWriter w;
        w.I32(0);
        w.U32(m_state.m_bPlugged ? 1 : 0);
        // Written under the lock, so no change byte can come before this answer.
        return WriteFrame(fd, w.Frame(), kServerIoTimeoutMs) == IoResult::Ok;
    }

    CMachineFault fault = m_state.TakeFault(op);
    if (fault.m_nKind == CMachineFault::Delay) {
        lk.unlock();
        if (!Delay(fault.m_nDelayMs))
            return false;
        lk.lock();
    }

    CWireWriter w;
    std::vector<uint8_t> payload;
    int32_t result = 0;
    bool present = m_state.m_bPlugged && (op == Op::Connect || generation == m_state.m_nGeneration);
    if (!present) {
        result = op == Op::Connect ? kResultNotConnected : kResultConnectionLost;
    } else if (fault.m_nKind == CMachineFault::Code) {
        result = fault.m_nCode;
    } else if (fault.m_nKind == CMachineFault::PullCable && !HasPayload(op)) {
        // The cable comes out while the request travels: no answer, and nothing is done.
        SetPlugged(false);
        return false;
    } else if (storage != 0 && (storage > 3)) {
        result = kMachineError;
    } else if (storage >= 2 && !m_state.m_bDrivePresent[storage]) {
        result = kMachineNoFlashDrive;
    } else {
        int s = static_cast<int>(storage);
        switch (op) {
        case Op::Connect:
            w.I32(0);
            w.U32(m_state.m_nGeneration);
            w.U32(m_state.m_bSupported ? 1 : 0);
            break;
        case Op::MachineType: break;
        case Op::GetStatus:
            if (item > 255)
                result = kMachineError;
            else
                value = m_state.m_status[item];
            break;
        case Op::SetStatus:
            if (item > 255 || value > 255)
                result = kMachineError;
            else
                m_state.m_status[item] = static_cast<uint8_t>(value);
            break;
        case Op::UploadList:
            result = m_storage.List(s, path, &payload);
            if (result == 0)
                CMachineStorage::BreakListing(m_state.TakeListingFault(), &payload);
            break;
        case Op::DownloadFile: result = m_storage.Write(s, path, data, dataSize, m_state.m_nCapacity[s]); break;
        case Op::UploadFile: result = m_storage.Read(s, path, &payload); break;
        case Op::EraseFile: result = m_storage.Erase(s, path); break;
        case Op::DeleteFolder: result = m_storage.DeleteFolder(s, path); break;
        case Op::SelectFile:
            if (m_storage.FindFile(s, path).empty()) {
                result = kMachineSelectFailed;
            } else {
                m_nCurrentStorage = s;
                m_strCurrentDesign = path;
            }
            break;
        case Op::RenameFile: result = m_storage.Rename(s, path, name, false); break;
        case Op::RenameFolder: result = m_storage.Rename(s, path, name, true); break;
        case Op::CreateFolder: result = m_storage.CreateFolder(s, path, name); break;
        case Op::UploadDesign:
            // The machine's current design is the file last selected on it.
            result = m_nCurrentStorage == 0 ? kMachineNotFound
                                            : m_storage.Read(m_nCurrentStorage, m_strCurrentDesign, &payload);
            break;
        default: result = kResultInvalidCommand; break;
        }
    }
    if (op == Op::Connect && result == 0) {
        lk.unlock();
        return WriteFrame(fd, w.Frame(), kServerIoTimeoutMs) == IoResult::Ok;
    }
    CWireWriter a;
    a.I32(result);
    if (result == 0 && op == Op::GetStatus)
        a.U32(value);
    if (result == 0 && HasPayload(op))
        a.Bytes(payload.data(), static_cast<uint32_t>(payload.size()));
    std::vector<uint8_t> frame = a.Frame();
    if (present && fault.m_nKind == CMachineFault::PullCable) {
        // The cable comes out halfway through the answer (an answer without data never leaves).
        SetPlugged(false);
        lk.unlock();
        if (result == 0)
            WriteAll(fd, frame.data(), frame.size() / 2, kServerIoTimeoutMs);
        return false;
    }
    lk.unlock();
    return WriteFrame(fd, frame, kServerIoTimeoutMs) == IoResult::Ok;
}

} // namespace quorvel
