// The machine link's device notifications. A window registers with the platform's device
// notifications for the machine's interface class (so UnregisterDeviceNotification ends it); one
// watcher thread per process holds a subscription to the machine and, when the machine comes or
// goes (the cable plugged in or pulled, the machine started or ended), sends WM_DEVICECHANGE with
// a device-interface broadcast to the registered windows. The thread ends by itself once no
// window is registered any more.
#pragma once

#include <cstdint>
#include <mutex>

namespace quorvel {

class CQuorvelWatcher {
public:
    // The notification handle for the window, or 0.
    static uint32_t Register(uint32_t window);

private:
    // A subscription connection and the machine's plug state; -1 when no machine answers.
    static int Subscribe(bool* plugged);
    static void Run(int fd, bool present);
    static void Notify(bool arrival);
    // Under the lock: ends the watcher when nobody listens; true when it ended.
    static bool EndWhenUnwatched();

    static std::mutex& Lock();
    static bool s_bRunning; // guarded by Lock()
};

} // namespace quorvel
