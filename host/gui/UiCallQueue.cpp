#include "host/gui/UiCallQueue.h"

#include <chrono>

using nlohmann::json;

bool CUiCallQueue::Post(UiCall call, std::string& strError)
{
    std::lock_guard lock(m_mutex);
    if (m_pending || !m_strBusy.empty()) {
        strError = "the host is busy with " + (m_strBusy.empty() ? m_pending->strExport : m_strBusy);
        return false;
    }
    m_pending = std::move(call);
    ++m_nPosted;
    m_cv.notify_all();
    return true;
}

std::optional<UiCall> CUiCallQueue::Take()
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_pending || m_bStopping; });
    if (!m_pending)
        return std::nullopt;
    UiCall c = std::move(*m_pending);
    m_pending.reset();
    m_strBusy = c.strExport;
    return c;
}

void CUiCallQueue::Done(json result)
{
    std::lock_guard lock(m_mutex);
    m_strBusy.clear();
    m_last = std::move(result);
    ++m_nDone;
    m_cv.notify_all();
}

bool CUiCallQueue::WaitDone(int nTimeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), [this] { return m_nDone == m_nPosted; });
}

json CUiCallQueue::State()
{
    std::lock_guard lock(m_mutex);
    std::string strBusy = !m_strBusy.empty() ? m_strBusy : m_pending ? m_pending->strExport : "";
    return {{"busy", strBusy.empty() ? json(nullptr) : json(strBusy)}, {"last", m_last}};
}

void CUiCallQueue::Stop()
{
    std::lock_guard lock(m_mutex);
    m_bStopping = true;
    m_cv.notify_all();
}
