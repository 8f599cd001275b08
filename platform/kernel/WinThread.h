// The Win32 thread calls: threads as handles (afx/WinThread.h has CWinThread and AfxBeginThread on
// top of them).
//
// A thread is a handle object that becomes signalled when the thread ends; its exit code reads
// STILL_ACTIVE until then. A thread created suspended starts when ResumeThread brings its suspend
// count to zero.
//
// Priorities are recorded and answered back but do not change the host's scheduling: the module
// uses them only as a hint to end quickly.
//
// Deliberately missing: SuspendThread on a running thread, TerminateThread, ExitThread, security
// attributes and stack sizes (accepted and ignored).
#pragma once

#include "platform/kernel/Handle.h"

#include <cstddef>

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// A new thread running lpStartAddress(lpParameter); its return value is the thread's exit code.
// 0 when the host could not start a thread.
HANDLE CreateThread(void* lpThreadAttributes, size_t dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                    LPVOID lpParameter, DWORD dwCreationFlags, DWORD* lpThreadId);
DWORD GetCurrentThreadId();
// A pseudo handle (0xFFFFFFFE) naming the calling thread, for Get/SetThreadPriority.
HANDLE GetCurrentThread();
DWORD ResumeThread(HANDLE hThread);
BOOL GetExitCodeThread(HANDLE hThread, DWORD* lpExitCode);
BOOL SetThreadPriority(HANDLE hThread, int nPriority);
int GetThreadPriority(HANDLE hThread);

namespace tavren {
// Number of threads started by CreateThread whose host thread has not yet finished (suspended
// ones included); tests use it to find threads left behind.
size_t CountRunningThreads();
} // namespace tavren
