// CEvent and the Win32 event calls: manual-reset events stay signalled until reset; automatic-reset
// events release one waiter and reset themselves.
//
// Deliberately missing: named events, security attributes, PulseEvent, CSingleLock/CMultiLock.
#pragma once

#include "platform/kernel/Handle.h"

HANDLE CreateEventW(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);

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
