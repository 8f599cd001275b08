// The process's handle table and the waits on its objects.
//
// Every kernel object (event, thread, a device opened by the machine link ...) is a
// tavren::HandleObject held in one table under a 32-bit value, as a 32-bit Windows process sees
// its handles. CloseHandle removes the value and closes the object; a wait holds its own reference,
// so closing a handle another thread waits on never frees the object under it.
//
// All waitable state is guarded by one lock of the layer (the "dispatcher lock"), and every change
// of a signalled state wakes the waiters, which then look again. The message queues use the same
// lock (user/MessageQueue.cpp), so a thread can wait for a reply and for messages sent to it at once.
//
// Values: handles are multiples of 4 from 0x100 up, below the module handles (0x10000000 up).
//
// Deliberately missing: named objects, mutexes and semaphores, DuplicateHandle, alertable waits
// and APCs.
#pragma once

#include "platform/base/WinTypes.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD STILL_ACTIVE = 259;

BOOL CloseHandle(HANDLE hObject);
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);
void Sleep(DWORD dwMilliseconds);
DWORD GetTickCount();

namespace tavren {

// Base of every object a handle can name. Subclasses in other libraries (the machine link's device
// handles) derive from it and register with AllocHandle; CloseHandle then calls their Close.
class HandleObject {
public:
    virtual ~HandleObject() = default;
    // Called once, by CloseHandle, outside the dispatcher lock; false, with the last error set,
    // when closing failed (a file whose last bytes the host could not write), and CloseHandle
    // answers FALSE.
    virtual bool Close() { return true; }
    // Waitable objects override both; they are called with the dispatcher lock held.
    virtual bool IsSignaled() const { return false; }
    // A satisfied wait consumes the signal (automatic-reset events); nothing for the others.
    virtual void Acquire() {}
};

// Registers an object and returns its new handle (never 0 nor INVALID_HANDLE_VALUE).
HANDLE AllocHandle(std::shared_ptr<HandleObject> pObject);
// The object of a live handle, or null.
std::shared_ptr<HandleObject> LookupHandle(HANDLE hHandle);
// The object of a live handle when it is of type T, or null.
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE hHandle)
{
    return std::dynamic_pointer_cast<T>(LookupHandle(hHandle));
}
// Number of live handles (tests use it to find leaks).
size_t CountHandles();

// The dispatcher lock and its wake-up. Hold the lock to read or change a signalled state; call
// WakeWaiters (lock held or not) after a change.
std::mutex& DispatcherLock();
std::condition_variable& DispatcherWake();
void WakeWaiters();

// A deadline for a wait of dwMilliseconds (INFINITE: none).
struct Deadline {
    explicit Deadline(DWORD dwMilliseconds);
    bool Infinite() const { return m_bInfinite; }
    bool Passed() const;
    // Waits on DispatcherWake() until woken or the deadline passes; false when it passed.
    bool WaitUntil(std::unique_lock<std::mutex>& lock) const;

    bool m_bInfinite;
    std::chrono::steady_clock::time_point m_at;
};

} // namespace tavren
