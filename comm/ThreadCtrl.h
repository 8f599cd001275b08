// CThreadCtrl: a worker thread that waits for one of two events, "work" (run DoWork once) and
// "stop" (end the thread), as often as its owner asks.
#pragma once

#include "platform/afx/Event.h"
#include "platform/afx/WinThread.h"

#include <atomic>

class CThreadCtrl {
public:
    CThreadCtrl();
    // Ends a worker that is still waiting; the owner normally stops it first (EndThread).
    virtual ~CThreadCtrl();
    CThreadCtrl(const CThreadCtrl&) = delete;
    CThreadCtrl& operator=(const CThreadCtrl&) = delete;

    // Runs on the worker thread each time m_evWork is signalled.
    virtual void DoWork() = 0;

    // Creates the worker (suspended, normal priority), keeps its thread object, resumes it and
    // returns once it waits for work. False when the thread cannot be created.
    bool BeginThread();
    // Stops the worker and deletes its thread object: the caller makes sure it is not in a run.
    void EndThread();
    bool IsWaiting() const { return m_bWaiting.load(); }

    CWinThread* m_pThread = nullptr;  // owned; null when no worker exists
    CEvent m_evStop;                  // manual reset: ends the worker
    CEvent m_evWork;                  // manual reset: starts one run
    std::atomic<BYTE> m_bWaiting{FALSE};  // true while the worker waits for one of the two events

protected:
    // Called on the owner's thread while it polls for the worker; the communication thread uses it
    // to handle messages the worker sends to the owner's windows meanwhile.
    virtual void IdleWhilePolling() {}

private:
    static UINT ThreadProc(LPVOID pParam);
    void WaitForExit();
};
