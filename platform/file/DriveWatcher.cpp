#include "platform/file/DriveWatcher.h"

#include "platform/user/Dbt.h"
#include "platform/file/DriveMap.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tavren {

namespace {

void Broadcast(UINT nEvent, DWORD dwMask)
{
    if (!dwMask)
        return;
    DEV_BROADCAST_VOLUME v{};
    v.dbcv_size = sizeof v;
    v.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    v.dbcv_unitmask = dwMask;
    v.dbcv_flags = 0;
    BroadcastDeviceChange(nEvent, reinterpret_cast<const DEV_BROADCAST_HDR*>(&v));
}

struct Watcher {
    std::mutex lock;
    std::condition_variable wake;
    std::thread thread;
    bool bStop = false;
};

Watcher& TheWatcher()
{
    static Watcher w;
    return w;
}

} // namespace

void InstallDriveBroadcasts()
{
    DriveMap::Instance().SetChangeCallback([](DWORD arrived, DWORD removed) {
        Broadcast(DBT_DEVICEREMOVECOMPLETE, removed);
        Broadcast(DBT_DEVICEARRIVAL, arrived);
    });
}

void StartDriveWatcher(DWORD dwIntervalMs)
{
    InstallDriveBroadcasts();
    Watcher& w = TheWatcher();
    std::lock_guard<std::mutex> g(w.lock);
    if (w.thread.joinable())
        return;
    w.bStop = false;
    w.thread = std::thread([dwIntervalMs] {
        Watcher& me = TheWatcher();
        std::unique_lock<std::mutex> l(me.lock);
        while (!me.wake.wait_for(l, std::chrono::milliseconds(dwIntervalMs), [&] { return me.bStop; })) {
            l.unlock();
            DriveMap::Instance().Rescan();
            l.lock();
        }
    });
}

void StopDriveWatcher()
{
    Watcher& w = TheWatcher();
    std::thread t;
    {
        std::lock_guard<std::mutex> g(w.lock);
        w.bStop = true;
        t = std::move(w.thread);
    }
    w.wake.notify_all();
    if (t.joinable())
        t.join();
}

} // namespace tavren
