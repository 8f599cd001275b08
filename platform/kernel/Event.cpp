#include "platform/kernel/Event.h"

#include "platform/base/WinError.h"

namespace {

class EventObject : public tavren::HandleObject {
public:
    EventObject(bool bManual, bool bInitial) : m_bManual(bManual), m_bSignaled(bInitial) {}
    bool IsSignaled() const override { return m_bSignaled; }
    void Acquire() override
    {
        if (!m_bManual)
            m_bSignaled = false;
    }
    // Under the dispatcher lock.
    bool m_bManual;
    bool m_bSignaled;
};

std::shared_ptr<EventObject> FindEvent(HANDLE h)
{
    auto p = tavren::LookupHandleAs<EventObject>(h);
    if (!p)
        SetLastError(ERROR_INVALID_HANDLE);
    return p;
}

} // namespace

HANDLE CreateEventW(void*, BOOL bManualReset, BOOL bInitialState, LPCWSTR)
{
    return tavren::AllocHandle(std::make_shared<EventObject>(bManualReset != 0, bInitialState != 0));
}

BOOL SetEvent(HANDLE hEvent)
{
    auto p = FindEvent(hEvent);
    if (!p)
        return FALSE;
    {
        std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
        p->m_bSignaled = true;
    }
    tavren::WakeWaiters();
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent)
{
    auto p = FindEvent(hEvent);
    if (!p)
        return FALSE;
    std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
    p->m_bSignaled = false;
    return TRUE;
}
