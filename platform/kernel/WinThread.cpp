#include "platform/kernel/WinThread.h"

#include "platform/base/WinError.h"

#include <atomic>
#include <thread>

namespace {

std::atomic<DWORD> g_nNextThreadId{0x1000};
std::atomic<size_t> g_nRunningThreads{0};
thread_local DWORD t_nThreadId = 0;
thread_local int t_nPriority = THREAD_PRIORITY_NORMAL;

constexpr HANDLE kCurrentThreadPseudo = 0xFFFFFFFEu;

class ThreadObject : public tavren::HandleObject {
public:
    bool IsSignaled() const override { return m_bExited; }
    // Under the dispatcher lock.
    DWORD m_nId = 0;
    int m_nSuspendCount = 0;
    bool m_bExited = false;
    DWORD m_dwExitCode = STILL_ACTIVE;
    // Read and written by whoever holds the handle; atomic since the thread itself may ask too.
    std::atomic<int> m_nPriority{THREAD_PRIORITY_NORMAL};
};

std::shared_ptr<ThreadObject> FindThread(HANDLE h)
{
    auto p = tavren::LookupHandleAs<ThreadObject>(h);
    if (!p)
        SetLastError(ERROR_INVALID_HANDLE);
    return p;
}

} // namespace

DWORD GetCurrentThreadId()
{
    if (t_nThreadId == 0)
        t_nThreadId = g_nNextThreadId.fetch_add(4);
    return t_nThreadId;
}

HANDLE GetCurrentThread()
{
    return kCurrentThreadPseudo;
}

DWORD ResumeThread(HANDLE hThread)
{
    auto p = FindThread(hThread);
    if (!p)
        return 0xFFFFFFFFu;
    DWORD dwPrevious;
    {
        std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
        dwPrevious = static_cast<DWORD>(p->m_nSuspendCount);
        if (p->m_nSuspendCount > 0)
            --p->m_nSuspendCount;
    }
    tavren::WakeWaiters();
    return dwPrevious;
}

BOOL GetExitCodeThread(HANDLE hThread, DWORD* lpExitCode)
{
    auto p = FindThread(hThread);
    if (!p || !lpExitCode)
        return FALSE;
    std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
    *lpExitCode = p->m_dwExitCode;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority)
{
    if (hThread == kCurrentThreadPseudo) {
        t_nPriority = nPriority;
        return TRUE;
    }
    auto p = FindThread(hThread);
    if (!p)
        return FALSE;
    p->m_nPriority = nPriority;
    return TRUE;
}

int GetThreadPriority(HANDLE hThread)
{
    if (hThread == kCurrentThreadPseudo)
        return t_nPriority;
    auto p = FindThread(hThread);
    return p ? p->m_nPriority.load() : THREAD_PRIORITY_ERROR_RETURN;
}

HANDLE CreateThread(void*, size_t, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                    DWORD* lpThreadId)
{
    if (!lpStartAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto pObject = std::make_shared<ThreadObject>();
    pObject->m_nId = g_nNextThreadId.fetch_add(4);
    pObject->m_nSuspendCount = (dwCreationFlags & CREATE_SUSPENDED) ? 1 : 0;
    HANDLE hThread = tavren::AllocHandle(pObject);
    if (lpThreadId)
        *lpThreadId = pObject->m_nId;
    ++g_nRunningThreads;
    try {
        std::thread([pObject, lpStartAddress, lpParameter]() {
            t_nThreadId = pObject->m_nId;
            {
                std::unique_lock<std::mutex> lock(tavren::DispatcherLock());
                while (pObject->m_nSuspendCount > 0)
                    tavren::DispatcherWake().wait(lock);
            }
            t_nPriority = pObject->m_nPriority.load();
            DWORD nExitCode = lpStartAddress(lpParameter);
            {
                std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
                pObject->m_dwExitCode = nExitCode;
                pObject->m_bExited = true;
            }
            tavren::WakeWaiters();
            --g_nRunningThreads;
        }).detach();
    } catch (const std::system_error&) {
        --g_nRunningThreads;
        CloseHandle(hThread);
        return 0;
    }
    return hThread;
}

size_t tavren::CountRunningThreads()
{
    return g_nRunningThreads.load();
}
