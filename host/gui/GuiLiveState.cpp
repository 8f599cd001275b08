#include "host/gui/GuiLiveState.h"

#include <chrono>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

// How often the watcher looks at the probe, and the longest it goes without reading the state.
constexpr auto kTick = std::chrono::milliseconds(40);
constexpr auto kLongest = std::chrono::milliseconds(500);
// Versions kept to answer with a patch: a page more than this far behind gets the whole state.
constexpr size_t kKept = 8;

} // namespace

CGuiLiveState::CGuiLiveState(Producer produce, Probe probe) : m_produce(std::move(produce)), m_probe(std::move(probe)) {}

CGuiLiveState::~CGuiLiveState() { Stop(); }

void CGuiLiveState::Start()
{
    Refresh();
    m_watcher = std::thread([this] { Watch(); });
}

void CGuiLiveState::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    m_poked.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

void CGuiLiveState::Poke()
{
    {
        std::lock_guard lock(m_mutex);
        m_bPoked = true;
    }
    m_poked.notify_all();
}

uint64_t CGuiLiveState::Version()
{
    std::lock_guard lock(m_mutex);
    return m_nVersion;
}

bool CGuiLiveState::Refresh()
{
    std::lock_guard produce(m_produceMutex);
    json doc = m_produce();
    std::lock_guard lock(m_mutex);
    if (!m_history.empty() && m_history.back().second == doc)
        return false;
    m_history.emplace_back(++m_nVersion, std::move(doc));
    while (m_history.size() > kKept)
        m_history.pop_front();
    m_changed.notify_all();
    return true;
}

void CGuiLiveState::Watch()
{
    uint64_t nSeen = m_probe();
    auto last = Clock::now();
    std::unique_lock lock(m_mutex);
    while (!m_bStop) {
        m_poked.wait_for(lock, kTick, [this] { return m_bStop || m_bPoked; });
        if (m_bStop)
            break;
        bool bPoked = m_bPoked;
        m_bPoked = false;
        lock.unlock();
        uint64_t nNow = m_probe();
        if (bPoked || nNow != nSeen || Clock::now() - last >= kLongest) {
            // The probe is read before the state, so a change while reading is seen next time.
            nSeen = nNow;
            last = Clock::now();
            Refresh();
        }
        lock.lock();
    }
}

json CGuiLiveState::Now()
{
    Refresh();
    std::lock_guard lock(m_mutex);
    return {{"version", m_nVersion}, {"state", m_history.back().second}};
}

json CGuiLiveState::Since(uint64_t nSince, int nWaitMs)
{
    std::unique_lock lock(m_mutex);
    if (m_history.empty()) {
        lock.unlock();
        return Now();
    }
    m_changed.wait_for(lock, std::chrono::milliseconds(nWaitMs), [&] { return m_bStop || m_nVersion != nSince; });
    const auto& [nVersion, doc] = m_history.back();
    if (nVersion == nSince)
        return {{"version", nVersion}};
    for (const auto& [n, old] : m_history)
        if (n == nSince)
            return {{"version", nVersion}, {"patch", json::diff(old, doc)}};
    return {{"version", nVersion}, {"state", doc}};
}
