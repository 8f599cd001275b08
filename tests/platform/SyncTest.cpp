// Events and waits, and the critical section between worker threads. How the communication worker
// starts, runs and ends is its own tests' (tests/comm/CommunicationThreadTest.cpp).
#include "platform/kernel/CriticalSection.h"
#include "platform/kernel/Event.h"
#include "platform/kernel/WinThread.h"

#include <gtest/gtest.h>

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
