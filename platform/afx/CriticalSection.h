// CCriticalSection: a recursive lock, as a Windows critical section is (the owning thread may
// enter again and must leave as often).
//
// Deliberately missing: spin counts, TryEnter, CSingleLock.
#pragma once

#include "platform/base/WinTypes.h"

#include <mutex>

class CCriticalSection {
public:
    CCriticalSection() = default;
    virtual ~CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock() { m_mutex.lock(); return TRUE; }
    BOOL Lock(DWORD /*dwTimeout*/) { return Lock(); }
    BOOL Unlock() { m_mutex.unlock(); return TRUE; }

private:
    std::recursive_mutex m_mutex;
};
