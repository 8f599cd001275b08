// CEvent: the framework's object over an event handle (kernel/Event.h), which it creates and
// closes.
//
// Deliberately missing: CSingleLock/CMultiLock.
#pragma once

#include "platform/kernel/Event.h"

class CEvent {
public:
    explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, LPCTSTR lpszName = nullptr,
                    void* lpsaAttribute = nullptr);
    virtual ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    BOOL SetEvent() { return ::SetEvent(m_hObject); }
    BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
    BOOL Lock(DWORD dwTimeout = INFINITE) { return ::WaitForSingleObject(m_hObject, dwTimeout) == WAIT_OBJECT_0; }
    BOOL Unlock() { return TRUE; }
    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject = 0;
};
