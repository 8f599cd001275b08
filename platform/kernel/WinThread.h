// CWinThread and AfxBeginThread for worker threads, and the Win32 thread calls the module makes.
//
// A thread is a handle object that becomes signalled when the thread ends; its exit code reads
// STILL_ACTIVE until then. A thread created suspended starts when ResumeThread brings its suspend
// count to zero. With m_bAutoDelete (the default) the CWinThread deletes itself when the thread
// ends; turn it off before resuming to keep the object (and read the exit code) afterwards.
// The new thread starts in its creator's module state.
//
// Priorities are recorded and answered back but do not change the host's scheduling: the module
// uses them only as a hint to end quickly.
//
// Deliberately missing: user-interface threads (InitInstance/Run with a message pump of their own),
// SuspendThread on a running thread, TerminateThread.
#pragma once

#include "platform/kernel/Handle.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

DWORD GetCurrentThreadId();
// A pseudo handle (0xFFFFFFFE) naming the calling thread, for Get/SetThreadPriority.
HANDLE GetCurrentThread();
DWORD ResumeThread(HANDLE hThread);
BOOL GetExitCodeThread(HANDLE hThread, DWORD* lpExitCode);
BOOL SetThreadPriority(HANDLE hThread, int nPriority);
int GetThreadPriority(HANDLE hThread);

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

namespace tavren {
// Number of threads started by CWinThread::CreateThread whose host thread has not yet finished
// (suspended ones included); tests use it to find threads left behind.
size_t CountRunningThreads();
} // namespace tavren
