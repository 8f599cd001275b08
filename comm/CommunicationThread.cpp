#include "comm/CommunicationThread.h"

#include "link/MachineLink.h"
#include "link/ResultCode.h"
#include "platform/user/WinUser.h"

#include <cstdlib>

CCommunicationThread::CCommunicationThread() : m_evCancel(FALSE, FALSE) {}

CCommunicationThread::~CCommunicationThread()
{
    ClearRequests();
}

// ---- owner's side

void CCommunicationThread::BeginRun()
{
    m_lock.Lock();
    m_bProgress = TRUE;
    m_lock.Unlock();
    m_bBusy = TRUE;
    m_evWork.SetEvent();
}

void CCommunicationThread::Cancel()
{
    if (m_bBusy.load())
        m_evCancel.SetEvent();
}

void CCommunicationThread::SetNotifyWindow(HWND hWnd)
{
    m_lock.Lock();
    if (m_hNotifyWnd != hWnd)
        m_hNotifyWnd = hWnd;
    m_lock.Unlock();
}

void CCommunicationThread::Stop()
{
    m_lock.Lock();
    m_bProgress = FALSE;
    m_lock.Unlock();
    if (m_bBusy.load()) {
        m_evCancel.SetEvent();
        while (m_bBusy.load()) {
            Sleep(3);
            IdleWhilePolling();
        }
    }
    Sleep(3);
    EndThread();
}

// A start or step message may already be on its way when the owner turns progress off: the worker
// reads the flag and the window under the lock but sends after releasing it (SendProgress). The
// owner therefore handles the messages sent to its thread while it polls for the worker, so the
// worker's SendMessage always gets its answer and the worker can reach its next cancel point.
void CCommunicationThread::IdleWhilePolling()
{
    MSG msg;
    PeekMessageW(&msg, 0, 0, 0, PM_NOREMOVE);
}

// ---- records

void CCommunicationThread::ClearRequests()
{
    for (CCommunicationData* pData : m_requests)
        delete pData;
    m_requests.RemoveAll();
    m_failedNames.RemoveAll();
}

void CCommunicationThread::RemoveRequests(INT_PTR nFirst, INT_PTR nCount)
{
    const INT_PTR nSize = m_requests.GetSize();
    if (nFirst < 0 || nFirst > nSize - 1 || nCount < 1 || nFirst + nCount > nSize)
        return;
    for (INT_PTR i = nFirst; i < nFirst + nCount; ++i) {
        CCommunicationData* pData = m_requests[i];
        if (!pData->m_strItemName.IsEmpty())
            m_failedNames.Add(pData->m_strItemName);
        delete pData;
    }
    m_requests.RemoveAt(nFirst, nCount);
}

// ---- worker's side

void CCommunicationThread::DoWork()
{
    if (MachineLink().IsEmpty() && !LoadMachineLink()) {
        PostDone(rcLinkMissing);
        m_bBusy = FALSE;
        return;
    }
    const int32_t nResult = RunRequest();
    PostDone(nResult);
    m_bBusy = FALSE;
}

void CCommunicationThread::PostDone(int32_t nResult)
{
    m_lock.Lock();
    if (m_hNotifyWnd)
        PostMessageW(m_hNotifyWnd, WM_XFER_DONE, static_cast<WPARAM>(nResult), 0);
    m_lock.Unlock();
}

// The window and the flag are read under the lock, the message is sent after releasing it: the
// owner takes the same lock on the window's thread to turn progress off, and a worker waiting for
// that thread's answer while holding the lock would wait forever.
void CCommunicationThread::SendProgress(UINT nMessage, WPARAM wParam)
{
    m_lock.Lock();
    const HWND hWnd = m_bProgress ? m_hNotifyWnd : 0;
    m_lock.Unlock();
    if (hWnd)
        SendMessageW(hWnd, nMessage, wParam, 0);
}

DWORD CCommunicationThread::PacingMs()
{
    const char* psz = std::getenv("TAVREN_PACING_MS");
    if (!psz || !*psz)
        return 100;
    char* pszEnd = nullptr;
    const long n = std::strtol(psz, &pszEnd, 10);
    return *pszEnd == '\0' && n >= 0 && n <= 100 ? static_cast<DWORD>(n) : 100;
}

bool CCommunicationThread::Cancelled(DWORD nMilliseconds)
{
    return WaitForSingleObject(m_evCancel, nMilliseconds) == WAIT_OBJECT_0;
}

CString CCommunicationThread::PathOf(const CString& strName) const
{
    return m_strFolder + u"\\" + strName;
}
