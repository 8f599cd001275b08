#include "machine/QuorvelWatcher.h"

#include "machine/QuorvelLink.h"
#include "machine/WireReader.h"
#include "machine/WireSocket.h"
#include "platform/user/Dbt.h"

#include <poll.h>
#include <thread>

namespace quorvel {

namespace {

constexpr int kRetryMs = 200; // how often a missing machine is looked for again
constexpr int kCheckMs = 500; // how often a watcher with a machine asks whether anyone listens

// The machine's device interface class.
constexpr GUID kMachineInterface = {0x6b1d2a70, 0x3c5e, 0x4f0b, {0x9a, 0x61, 0x51, 0x75, 0x6f, 0x72, 0x76, 0x6c}};

DEV_BROADCAST_DEVICEINTERFACE_W MachineInterface()
{
    DEV_BROADCAST_DEVICEINTERFACE_W b{};
    b.dbcc_size = sizeof b;
    b.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    b.dbcc_classguid = kMachineInterface;
    return b;
}

} // namespace

bool CQuorvelWatcher::s_bRunning = false;

std::mutex& CQuorvelWatcher::Lock()
{
    static auto* p = new std::mutex; // never destroyed: the watcher may outlive statics
    return *p;
}

uint32_t CQuorvelWatcher::Register(uint32_t window)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter = MachineInterface();
    std::lock_guard lk(Lock());
    HDEVNOTIFY h = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!h || s_bRunning)
        return h;
    // The machine is looked at once here, so that any change after registration is reported.
    bool plugged = false;
    int fd = Subscribe(&plugged);
    bool present = fd >= 0 && plugged;
    try {
        std::thread([fd, present] { Run(fd, present); }).detach();
        s_bRunning = true;
    } catch (...) {
        CloseSocket(fd);
        UnregisterDeviceNotification(h);
        return 0;
    }
    return h;
}

int CQuorvelWatcher::Subscribe(bool* plugged)
{
    int fd = ConnectSocket(DefaultSocketPath());
    if (fd < 0)
        return -1;
    std::vector<uint8_t> body;
    int timeout = CQuorvelLink::TimeoutMs();
    if (WriteFrame(fd, CQuorvelLink::Request(Op::Subscribe, 0).Frame(), timeout) != IoResult::Ok ||
        ReadFrame(fd, &body, timeout) != IoResult::Ok) {
        CloseSocket(fd);
        return -1;
    }
    CWireReader in(body);
    int32_t result = in.I32();
    uint32_t state = in.U32();
    if (in.Failed() || result != 0) {
        CloseSocket(fd);
        return -1;
    }
    *plugged = state != 0;
    return fd;
}

void CQuorvelWatcher::Notify(bool arrival)
{
    DEV_BROADCAST_DEVICEINTERFACE_W b = MachineInterface();
    tavren::NotifyDeviceInterface(arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE, &b);
}

bool CQuorvelWatcher::EndWhenUnwatched()
{
    std::lock_guard lk(Lock());
    if (!tavren::DeviceNotificationRecipients().empty())
        return false;
    s_bRunning = false;
    return true;
}

void CQuorvelWatcher::Run(int fd, bool present)
{
    for (;;) {
        if (fd < 0) {
            if (present)
                Notify(false);
            present = false;
            if (EndWhenUnwatched())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
            bool plugged = false;
            fd = Subscribe(&plugged);
            if (fd >= 0 && plugged) {
                Notify(true);
                present = true;
            }
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, kCheckMs);
        if (r == 0) {
            if (EndWhenUnwatched()) {
                CloseSocket(fd);
                return;
            }
            continue;
        }
        if (r < 0)
            continue; // interrupted
        uint8_t b = 0;
        if (ReadExact(fd, &b, 1, 0) != IoResult::Ok) {
            // The machine ended: gone until a new one answers.
            CloseSocket(fd);
            fd = -1;
            continue;
        }
        bool plugged = b != 0;
        if (plugged != present)
            Notify(plugged);
        present = plugged;
    }
}

} // namespace quorvel
