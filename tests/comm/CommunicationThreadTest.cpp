// The worker protocol: the record list, the thread's life, the messages a window receives, and
// stopping a worker while a message is on its way.
#include "tests/comm/CommTestSupport.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Watchdog.h"

#include "platform/afx/Dialog.h"
#include "platform/kernel/Handle.h"
#include "platform/user/WindowManager.h"

#include <chrono>

using namespace commtest;
using namespace tavren::test;

namespace {

// A window on the test thread that records the worker's messages.
class CRecorderWnd : public CTestWnd {
public:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg >= WM_XFER_START && nMsg <= WM_XFER_DONE) {
            m_recorder.Record(nMsg, wParam, lParam);
            return 0;
        }
        return CWnd::WindowProc(nMsg, wParam, lParam);
    }

    // Handles messages until the completion message came or 20 s passed; false on time-out.
    bool PumpUntilDone()
    {
        return PumpMessagesUntil([this] { return m_recorder.Has(WM_XFER_DONE); }, 20000);
    }
    // Starts the worker reporting to this window and the run with progress.
    void Begin(CCommunicationThread& thread)
    {
        ASSERT_TRUE(thread.BeginThread());
        thread.SetNotifyWindow(*this);
        thread.BeginRun();
    }
    // The whole run, then the worker stopped; its messages: the start with nCount, steps 0 to
    // nSteps - 1, the end with the result.
    void RunAndExpect(CCommunicationThread& thread, int32_t nCount, int32_t nSteps, int32_t nResult)
    {
        Begin(thread);
        ASSERT_TRUE(PumpUntilDone());
        thread.Stop();
        std::vector<ExpectedMessage> expected = {Xfer(WM_XFER_START, nCount)};
        for (int32_t i = 0; i < nSteps; ++i)
            expected.push_back(Xfer(WM_XFER_STEP, i));
        expected.push_back(Xfer(WM_XFER_DONE, nResult));
        EXPECT_SEQUENCE(m_recorder, expected);
    }

    MessageRecorder m_recorder;
};

using ThreadTest = CMachineTest;

} // namespace

// ---- the record list

// (Its callers pass ranges inside the list only.)
TEST(CommunicationThreadRecords, RemoveRequestsKeepsNamedFailuresInOrder)
{
    CCommunicationThread thread;
    for (const char16_t* pszName : {u"a", u"", u"c", u"d"})
        thread.m_requests.Add(NameRecord(pszName));
    thread.RemoveRequests(0, 3);
    EXPECT_EQ(ItemNames(thread), (Strings{"d"}));
    EXPECT_EQ(Names(thread.m_failedNames), (Strings{"a", "c"}));
}

// ---- the worker's life

// Started, it waits; cancelling an idle worker signals nothing; Stop and the destructor both end
// it and release its thread and events.
TEST(CommunicationThreadLife, StartsWaitingAndStopsOrIsDestroyedCleanly)
{
    Watchdog watchdog(30000); // a worker that never ends would hang Stop or the destructor
    const size_t nHandlesBefore = tavren::CountHandles();
    for (const bool bStop : {true, false}) {
        {
            CCommunicationThread thread;
            ASSERT_TRUE(thread.BeginThread());
            EXPECT_TRUE(thread.IsWaiting() && !thread.IsBusy());
            thread.Cancel();
            EXPECT_NE(WaitForSingleObject(thread.m_evCancel, 0), WAIT_OBJECT_0);
            if (bStop) {
                thread.Stop();
                EXPECT_NE(WaitForSingleObject(thread.m_evStop, 0), WAIT_OBJECT_0);
            }
        }
        EXPECT_EQ(tavren::CountHandles(), nHandlesBefore) << (bStop ? "stopped" : "destroyed");
    }
}

// ---- runs on the worker with a window

// The tests run with the pacing lowered (TAVREN_PACING_MS); the thread's own is 100 ms an item.
TEST_F(ThreadTest, SendReportsStartStepsAndDone)
{
    RealPacing pacing;
    const auto t0 = std::chrono::steady_clock::now();
    MakeDirs({"b.qef"}); // the machine refuses the second file
    CRecorderWnd wnd;
    CCommunicationThread thread;
    Prepare(thread, rkSend);
    for (const char16_t* pszName : {u"a.qef", u"b.qef", u"c.qef"})
        thread.m_requests.Add(SendRecord(pszName, Bytes(10, 1)));
    wnd.RunAndExpect(thread, 3, 2, 0x8011);
    EXPECT_EQ(ItemNames(thread), (Strings{"a.qef", "c.qef"}));
    EXPECT_EQ(Names(thread.m_failedNames), (Strings{"b.qef"}));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(300)) << "100 ms before each item";
}

TEST_F(ThreadTest, DeleteFolderStepsOnceForEveryFileAndFolderDepthFirst)
{
    PutFile("T/a.qef", Bytes(5, 1));
    PutFile("T/S/b.qef", Bytes(5, 2));
    PutFile("T/S/U/c.qef", Bytes(5, 3));
    MakeDirs({"T/S/V", "Empty"});
    CRecorderWnd wnd;
    CCommunicationThread thread;
    Prepare(thread, rkDeleteFolder, u"T");
    wnd.RunAndExpect(thread, 7, 7, 0); // T, a, S, b, U, c, V: seven steps, numbered across the levels
    EXPECT_FALSE(Exists("T"));
    EXPECT_TRUE(Exists("Empty"));
    // An empty folder counts itself.
    int32_t nCount = 0, nIndex = 0;
    EXPECT_EQ(std::make_pair(thread.CountTree(Folder() + u"\\Empty", nCount), nCount), std::make_pair(0, 1));
    EXPECT_EQ(std::make_pair(thread.DeleteTree(Folder() + u"\\Empty", nIndex), nIndex), std::make_pair(0, 1));
    EXPECT_FALSE(Exists("Empty"));
}

// The owner turns progress off under the worker's lock while the worker may be sending a step to
// the owner's own thread: stopping must still come to an end, and with progress off only the
// result is posted.
TEST_F(ThreadTest, StopWhileAStepIsOnItsWayDoesNotDeadlock)
{
    Watchdog watchdog(30000);
    RealPacing pacing;
    for (int nRound = 0; nRound < 3; ++nRound) {
        CRecorderWnd wnd;
        CCommunicationThread thread;
        Prepare(thread, rkSend);
        for (int i = 0; i < 6; ++i)
            thread.m_requests.Add(SendRecord(CString::FromUtf8("s" + std::to_string(i) + ".qef"), Bytes(10, 1)));
        wnd.Begin(thread);
        PumpMessagesUntil([&] { return wnd.m_recorder.Size() >= 2; }, 20000);
        // Not handling messages for a while: the next step is sent and waits for this thread.
        Sleep(150 + 20 * nRound);
        thread.Stop();
        EXPECT_TRUE(thread.m_pThread == nullptr && !thread.IsBusy());
        EXPECT_EQ(thread.m_requests.GetSize() + thread.m_failedNames.GetSize(), 6);
        // The result was posted and is still waiting in the queue, and nothing else came after.
        const size_t nBefore = wnd.m_recorder.Size();
        ASSERT_TRUE(wnd.PumpUntilDone());
        EXPECT_EQ(wnd.m_recorder.Size(), nBefore + 1);
        EXPECT_EQ(std::make_pair(wnd.m_recorder.Last().nMsg, wnd.m_recorder.Last().wParam), std::make_pair(UINT(WM_XFER_DONE), WPARAM(4)));
    }
}
