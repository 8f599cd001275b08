#include "comm/ThreadCtrl.h"

CThreadCtrl::CThreadCtrl() : m_evStop(FALSE, TRUE), m_evWork(FALSE, TRUE) {}

CThreadCtrl::~CThreadCtrl()
{
    if (!m_pThread)
        return;
    if (m_bWaiting.load())
        m_evStop.SetEvent();
    WaitForExit();
}

bool CThreadCtrl::BeginThread()
{
    m_bWaiting = FALSE;
    CWinThread* pThread = AfxBeginThread(&CThreadCtrl::ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!pThread)
        return false;
    // The object stays after the thread ends, so its exit code can be read and it is deleted here.
    pThread->m_bAutoDelete = FALSE;
    m_pThread = pThread;
    pThread->ResumeThread();
    while (!m_bWaiting.load()) {
        Sleep(5);
        IdleWhilePolling();
    }
    return true;
}

void CThreadCtrl::EndThread()
{
    if (!m_pThread)
        return;
    m_evWork.ResetEvent();
    m_evStop.SetEvent();
    WaitForExit();
    m_evStop.ResetEvent();
}

void CThreadCtrl::WaitForExit()
{
    DWORD dwExitCode = STILL_ACTIVE;
    do {
        Sleep(3);
        IdleWhilePolling();
        if (!GetExitCodeThread(m_pThread->m_hThread, &dwExitCode))
            break;
    } while (dwExitCode == STILL_ACTIVE);
    Sleep(3);
    delete m_pThread;
    m_pThread = nullptr;
}

UINT CThreadCtrl::ThreadProc(LPVOID pParam)
{
    auto* pCtrl = static_cast<CThreadCtrl*>(pParam);
    const HANDLE events[2] = {pCtrl->m_evStop, pCtrl->m_evWork};
    for (;;) {
        pCtrl->m_bWaiting = TRUE;
        DWORD dwWait = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        pCtrl->m_bWaiting = FALSE;
        if (dwWait == WAIT_OBJECT_0) {
            // Asked to end: nothing is left to do but leave, so leave first.
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
            return 0;
        }
        if (dwWait == WAIT_OBJECT_0 + 1) {
            pCtrl->m_evWork.ResetEvent();
            pCtrl->DoWork();
        }
    }
}
