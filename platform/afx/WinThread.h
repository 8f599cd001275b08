// CWinThread and AfxBeginThread for worker threads, over the thread calls of kernel/WinThread.h.
//
// With m_bAutoDelete (the default) the CWinThread deletes itself when the thread ends; turn it off
// before resuming to keep the object (and read the exit code) afterwards. The new thread starts in
// its creator's module state.
//
// Deliberately missing: user-interface threads (InitInstance/Run with a message pump of their own).
#pragma once

#include "platform/kernel/WinThread.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread {
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, void* lpSecurityAttrs = nullptr);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    int GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = 0;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, void* lpSecurityAttrs = nullptr);
// Ends the calling thread (started by AfxBeginThread) with nExitCode; unwinds its stack.
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
