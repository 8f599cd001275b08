// Events, waits, the handle table and worker threads.
#include "platform/kernel/CriticalSection.h"
#include "platform/kernel/Event.h"
#include "platform/kernel/WinThread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

TEST(Event, ManualResetStaysAutomaticResetIsConsumedAndTheLowestSignalledWins)
{
    CEvent manual(FALSE, TRUE), automatic;
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    manual.SetEvent();
    automatic.SetEvent();
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
    manual.ResetEvent();
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    CEvent stop(FALSE, TRUE), work(FALSE, TRUE);
    HANDLE h[2] = {stop, work};
    EXPECT_EQ(WaitForMultipleObjects(2, h, FALSE, 0), WAIT_TIMEOUT);
    work.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, h, FALSE, 0), WAIT_OBJECT_0 + 1);
    stop.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, h, FALSE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, h, TRUE, 0), WAIT_OBJECT_0);
}

struct Worker {
    CEvent evStop{FALSE, TRUE};
    CEvent evWork{FALSE, TRUE};
    std::atomic<int> nRuns{0};
    std::atomic<bool> bWaiting{false};
};

UINT WorkerProc(LPVOID p)
{
    auto* pWorker = static_cast<Worker*>(p);
    HANDLE h[2] = {pWorker->evStop, pWorker->evWork};
    for (;;) {
        pWorker->bWaiting = true;
        DWORD dw = WaitForMultipleObjects(2, h, FALSE, 10000);
        pWorker->bWaiting = false;
        if (dw == WAIT_OBJECT_0) {
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
            AfxEndThread(7);
        }
        if (dw == WAIT_OBJECT_0 + 1) {
            pWorker->evWork.ResetEvent();
            ++pWorker->nRuns;
        }
        if (dw == WAIT_TIMEOUT)
            return 99;
    }
}

TEST(WinThread, SuspendedWorkerRunsAfterResumeAndKeepsItsExitCode)
{
    Worker worker;
    CWinThread* pThread = AfxBeginThread(WorkerProc, &worker, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, nullptr);
    pThread->m_bAutoDelete = FALSE;
    DWORD dwCode = 0;
    EXPECT_TRUE(GetExitCodeThread(pThread->m_hThread, &dwCode));
    EXPECT_EQ(dwCode, STILL_ACTIVE);
    EXPECT_EQ(pThread->ResumeThread(), 1u);
    worker.evWork.SetEvent();
    worker.evStop.SetEvent();
    ASSERT_EQ(WaitForSingleObject(*pThread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(pThread->m_hThread, &dwCode));
    EXPECT_EQ(dwCode, 7u);
    EXPECT_LE(worker.nRuns.load(), 1);
    delete pThread;
}

TEST(WinThread, AutoDeletedThreadSignalsItsEnd)
{
    std::atomic<int> n{0};
    CWinThread* pThread = AfxBeginThread([](LPVOID p) -> UINT { ++*static_cast<std::atomic<int>*>(p); return 0; }, &n,
                                         THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, nullptr);
    HANDLE h = pThread->m_hThread;
    auto pObject = tavren::LookupHandle(h); // keeps the object when the thread deletes its CWinThread
    ASSERT_NE(pObject, nullptr);
    pThread->ResumeThread();
    for (int i = 0; i < 1000 && tavren::LookupHandle(h); ++i)
        Sleep(5);
    EXPECT_EQ(tavren::LookupHandle(h), nullptr) << "the handle closes with the auto-deleted object";
    EXPECT_EQ(n.load(), 1);
}

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads)
{
    struct Shared {
        CCriticalSection cs;
        int nCounter = 0; // plain int: only the lock keeps the two threads apart
    } shared;
    auto proc = [](LPVOID p) -> UINT {
        auto* pShared = static_cast<Shared*>(p);
        for (int i = 0; i < 20000; ++i) {
            pShared->cs.Lock();
            pShared->cs.Lock(); // the owner may enter again
            ++pShared->nCounter;
            pShared->cs.Unlock();
            pShared->cs.Unlock();
        }
        return 0;
    };
    CWinThread* pA = AfxBeginThread(proc, &shared, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    CWinThread* pB = AfxBeginThread(proc, &shared, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_TRUE(pA && pB);
    pA->m_bAutoDelete = FALSE;
    pB->m_bAutoDelete = FALSE;
    pA->ResumeThread();
    pB->ResumeThread();
    HANDLE h[2] = {*pA, *pB};
    EXPECT_EQ(WaitForMultipleObjects(2, h, TRUE, 30000), WAIT_OBJECT_0);
    shared.cs.Lock();
    EXPECT_EQ(shared.nCounter, 40000);
    shared.cs.Unlock();
    delete pA;
    delete pB;
}

} // namespace
