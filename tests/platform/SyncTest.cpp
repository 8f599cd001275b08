// Events and waits, and the critical section between worker threads. How the communication worker
// starts, runs and ends is its own tests' (tests/comm/CommunicationThreadTest.cpp).
#include "platform/afx/CriticalSection.h"
#include "platform/afx/Event.h"
#include "platform/afx/WinThread.h"

#include <gtest/gtest.h>

namespace {

TEST(Event, ManualResetStaysAutomaticResetIsConsumedAndTheLowestSignalledWins)
{
    CEvent manual(FALSE, TRUE), automatic;
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    manual.SetEvent();
    automatic.SetEvent();
    // Waits in order, and what each answers.
    const std::pair<HANDLE, DWORD> waits[] = {{manual, WAIT_OBJECT_0}, {manual, WAIT_OBJECT_0}, {automatic, WAIT_OBJECT_0}, {automatic, WAIT_TIMEOUT}};
    for (const auto& [h, dwResult] : waits)
        EXPECT_EQ(WaitForSingleObject(h, 0), dwResult);
    manual.ResetEvent();
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    CEvent stop(FALSE, TRUE), work(FALSE, TRUE);
    HANDLE h[2] = {stop, work};
    EXPECT_EQ(WaitForMultipleObjects(2, h, FALSE, 0), WAIT_TIMEOUT);
    work.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, h, FALSE, 0), WAIT_OBJECT_0 + 1);
    stop.SetEvent();
    EXPECT_EQ(WaitForMultipleObjects(2, h, FALSE, 0), WAIT_OBJECT_0);
}

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads)
{
    struct Shared {
        CCriticalSection cs;
        int nCounter = 0; // plain int: only the lock keeps the two threads apart
    } shared;
    const auto proc = [](LPVOID p) -> UINT {
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
    CWinThread* threads[2];
    for (CWinThread*& p : threads) {
        p = AfxBeginThread(proc, &shared, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        ASSERT_TRUE(p);
        p->m_bAutoDelete = FALSE;
    }
    for (CWinThread* p : threads)
        p->ResumeThread();
    HANDLE h[2] = {*threads[0], *threads[1]};
    EXPECT_EQ(WaitForMultipleObjects(2, h, TRUE, 30000), WAIT_OBJECT_0);
    shared.cs.Lock();
    EXPECT_EQ(shared.nCounter, 40000);
    shared.cs.Unlock();
    for (CWinThread* p : threads)
        delete p;
}

} // namespace
