#include "platform/kernel/WinThread.h"

#include "platform/afx/ModuleState.h"
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

struct ThreadExit {
    UINT nExitCode;
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

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT, void*)
{
    if (m_hThread || !m_pfnThreadProc)
        return FALSE;
    auto pObject = std::make_shared<ThreadObject>();
    pObject->m_nId = g_nNextThreadId.fetch_add(4);
    pObject->m_nSuspendCount = (dwCreateFlags & CREATE_SUSPENDED) ? 1 : 0;
    m_hThread = tavren::AllocHandle(pObject);
    m_nThreadID = pObject->m_nId;
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    CWinThread* pThis = this;
    ++g_nRunningThreads;
    try {
        std::thread([pObject, pThis, pState]() {
            t_nThreadId = pObject->m_nId;
            {
                std::unique_lock<std::mutex> lock(tavren::DispatcherLock());
                while (pObject->m_nSuspendCount > 0)
                    tavren::DispatcherWake().wait(lock);
            }
            AfxSetModuleState(pState);
            t_nPriority = pObject->m_nPriority.load();
            UINT nExitCode;
            try {
                nExitCode = pThis->m_pfnThreadProc(pThis->m_pThreadParams);
            } catch (const ThreadExit& exit) {
                nExitCode = exit.nExitCode;
            }
            // After the exit code is published the owner may delete pThis: read it before.
            if (pThis->m_bAutoDelete)
                delete pThis;
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
        CloseHandle(m_hThread);
        m_hThread = 0;
        return FALSE;
    }
    return TRUE;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, void* lpSecurityAttrs)
{
    auto* pThread = new CWinThread(pfnThreadProc, pParam);
    // Created suspended in any case, so the priority is set before the procedure runs.
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete pThread;
        return nullptr;
    }
    pThread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        pThread->ResumeThread();
    return pThread;
}

size_t tavren::CountRunningThreads()
{
    return g_nRunningThreads.load();
}

void AfxEndThread(UINT nExitCode, BOOL)
{
    throw ThreadExit{nExitCode};
}
