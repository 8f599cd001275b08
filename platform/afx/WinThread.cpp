#include "platform/afx/WinThread.h"

#include "platform/afx/ModuleState.h"

namespace {

struct ThreadExit {
    UINT nExitCode;
};

// What the new thread needs: its object and its creator's module state.
struct ThreadStart {
    CWinThread* pThread;
    AFX_MODULE_STATE* pState;
};

DWORD RunThread(LPVOID pParam)
{
    ThreadStart start = *static_cast<ThreadStart*>(pParam);
    delete static_cast<ThreadStart*>(pParam);
    AfxSetModuleState(start.pState);
    CWinThread* pThis = start.pThread;
    UINT nExitCode;
    try {
        nExitCode = pThis->m_pfnThreadProc(pThis->m_pThreadParams);
    } catch (const ThreadExit& exit) {
        nExitCode = exit.nExitCode;
    }
    // After the exit code is published the owner may delete pThis: read it before.
    if (pThis->m_bAutoDelete)
        delete pThis;
    return nExitCode;
}

} // namespace

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, void* lpSecurityAttrs)
{
    if (m_hThread || !m_pfnThreadProc)
        return FALSE;
    // Suspended until the object knows its handle and id: the thread may delete the object as
    // soon as it runs.
    auto* pStart = new ThreadStart{this, AfxGetModuleState()};
    DWORD nThreadId = 0;
    HANDLE hThread = ::CreateThread(lpSecurityAttrs, nStackSize, &RunThread, pStart, dwCreateFlags | CREATE_SUSPENDED,
                                    &nThreadId);
    if (!hThread) {
        delete pStart;
        return FALSE;
    }
    m_hThread = hThread;
    m_nThreadID = nThreadId;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(hThread);
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

void AfxEndThread(UINT nExitCode, BOOL)
{
    throw ThreadExit{nExitCode};
}
