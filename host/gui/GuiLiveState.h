// The page's state as a series of versions. A watcher thread reads the state again when the probe
// moves (windows handled messages, a picture was drawn) or when poked, and at the latest every
// half second (the machine and the drives change without any window knowing); it keeps a new
// version only when the state differs from the last. The page asks for what changed since the
// version it holds and waits for it (a long poll), so an idle page costs one small answer per wait.
#pragma once

#include <nlohmann/json.hpp>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class CGuiLiveState {
public:
    using Producer = std::function<nlohmann::json()>;
    using Probe = std::function<uint64_t()>;

    CGuiLiveState(Producer produce, Probe probe);
    ~CGuiLiveState();

    void Start();
    // Wakes every waiting request; the watcher ends.
    void Stop();
    // Something changed that the probe does not see (a call made, the machine told something).
    void Poke();

    // The newest version at once: {"version", "state"}.
    nlohmann::json Now();
    // Waits up to nWaitMs for a version newer than nSince, then answers {"version", "patch"} (a
    // JSON Patch from the version the page holds), {"version", "state"} when that version is no
    // longer kept, or {"version"} alone when nothing changed.
    nlohmann::json Since(uint64_t nSince, int nWaitMs);

    uint64_t Version();

private:
    void Watch();
    // Reads the state; true when it made a new version.
    bool Refresh();

    Producer m_produce;
    Probe m_probe;
    std::mutex m_produceMutex; // one reading at a time
    std::mutex m_mutex;
    std::condition_variable m_changed; // a new version, or a stop
    std::condition_variable m_poked;
    uint64_t m_nVersion = 0;
    std::deque<std::pair<uint64_t, nlohmann::json>> m_history; // the newest last
    bool m_bStop = false;
    bool m_bPoked = false;
    std::thread m_watcher;
};
