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

    MessageRecorder m_recorder;
};

using ThreadTest = CMachineTest;

} // namespace

// ---- the record list

TEST(CommunicationThreadRecords, RemoveRequestsKeepsNamedFailuresInOrderAndIgnoresRangesOutside)
{
    CCommunicationThread thread;
    for (const char16_t* pszName : {u"a", u"", u"c", u"d"})
        thread.m_requests.Add(NameRecord(pszName));
    thread.RemoveRequests(4, 1);  // first == size
    thread.RemoveRequests(0, 0);  // no count
    thread.RemoveRequests(-1, 1);
    thread.RemoveRequests(3, 2);  // reaches past the end
    EXPECT_EQ(ItemNames(thread), (std::vector<std::string>{"a", "", "c", "d"}));
    EXPECT_EQ(thread.m_failedNames.GetSize(), 0);
    thread.RemoveRequests(0, 3);
    EXPECT_EQ(ItemNames(thread), (std::vector<std::string>{"d"}));
    EXPECT_EQ(Names(thread.m_failedNames), (std::vector<std::string>{"a", "c"}));
}

// ---- the worker's life

// Started, it waits; cancelling an idle worker signals nothing; Stop and the destructor both end
// it and release its thread and events.
TEST(CommunicationThreadLife, StartsWaitingAndStopsOrIsDestroyedCleanly)
{
    Watchdog watchdog(30000); // a worker that never ends would hang Stop or the destructor
    const size_t nHandlesBefore = tavren::CountHandles();
    {
        CCommunicationThread thread;
        ASSERT_TRUE(thread.BeginThread());
        EXPECT_TRUE(thread.IsWaiting());
        EXPECT_FALSE(thread.IsBusy());
        thread.Cancel();
        EXPECT_NE(WaitForSingleObject(thread.m_evCancel, 0), WAIT_OBJECT_0);
        thread.Stop();
        EXPECT_EQ(thread.m_pThread, nullptr);
        EXPECT_NE(WaitForSingleObject(thread.m_evStop, 0), WAIT_OBJECT_0);
    }
    EXPECT_EQ(tavren::CountHandles(), nHandlesBefore);
    {
        CCommunicationThread thread;
        ASSERT_TRUE(thread.BeginThread());
        EXPECT_GT(tavren::CountHandles(), nHandlesBefore);
    }
    EXPECT_EQ(tavren::CountHandles(), nHandlesBefore);
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
    wnd.Begin(thread);
    ASSERT_TRUE(wnd.PumpUntilDone());
    thread.Stop();
    EXPECT_SEQUENCE(wnd.m_recorder, {Xfer(WM_XFER_START, 3), Xfer(WM_XFER_STEP, 0), Xfer(WM_XFER_STEP, 1),
                                     Xfer(WM_XFER_DONE, 0x8011)});
    EXPECT_EQ(ItemNames(thread), (std::vector<std::string>{"a.qef", "c.qef"}));
    EXPECT_EQ(Names(thread.m_failedNames), (std::vector<std::string>{"b.qef"}));
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
    wnd.Begin(thread);
    ASSERT_TRUE(wnd.PumpUntilDone());
    thread.Stop();
    // T, a, S, b, U, c, V: seven steps, numbered 0 to 6 across the levels.
    std::vector<ExpectedMessage> expected = {Xfer(WM_XFER_START, 7)};
    for (int i = 0; i < 7; ++i)
        expected.push_back(Xfer(WM_XFER_STEP, i));
    expected.push_back(Xfer(WM_XFER_DONE, 0));
    EXPECT_SEQUENCE(wnd.m_recorder, expected);
    EXPECT_FALSE(Exists("T"));
    EXPECT_TRUE(Exists("Empty"));
    // An empty folder counts itself.
    int32_t nCount = 0, nIndex = 0;
    EXPECT_EQ(thread.CountTree(Folder() + u"\\Empty", nCount), 0);
    EXPECT_EQ(nCount, 1);
    EXPECT_EQ(thread.DeleteTree(Folder() + u"\\Empty", nIndex), 0);
    EXPECT_EQ(nIndex, 1);
    EXPECT_FALSE(Exists("Empty"));
}

TEST_F(ThreadTest, CancelDuringARunDropsTheRestAndEndsWith4)
{
    RealPacing pacing; // the cancel lands in an item's wait
    CRecorderWnd wnd;
    CCommunicationThread thread;
    Prepare(thread, rkSend);
    const int nItems = 8;
    for (int i = 0; i < nItems; ++i)
        thread.m_requests.Add(SendRecord(CString::FromUtf8("f" + std::to_string(i) + ".qef"), Bytes(10, 1)));
    wnd.Begin(thread);
    // Cancel once the second item is through.
    PumpMessagesUntil([&] { return wnd.m_recorder.Size() >= 3; }, 20000);
    thread.Cancel();
    ASSERT_TRUE(wnd.PumpUntilDone());
    thread.Stop();
    const INT_PTR nSent = thread.m_requests.GetSize();
    EXPECT_GE(nSent, 2);
    EXPECT_LT(nSent, nItems);
    EXPECT_EQ(nSent + thread.m_failedNames.GetSize(), nItems);
    // Exactly the records that remain are on the machine.
    for (int i = 0; i < nItems; ++i)
        EXPECT_EQ(Exists("f" + std::to_string(i) + ".qef"), i < nSent) << i;
    // The steps came in order, one per item sent, and the run ended with 4.
    std::vector<ExpectedMessage> expected = {Xfer(WM_XFER_START, nItems)};
    for (INT_PTR i = 0; i < nSent; ++i)
        expected.push_back(Xfer(WM_XFER_STEP, static_cast<int32_t>(i)));
    expected.push_back(Xfer(WM_XFER_DONE, 4));
    EXPECT_SEQUENCE(wnd.m_recorder, expected);
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
        EXPECT_EQ(thread.m_pThread, nullptr);
        EXPECT_FALSE(thread.IsBusy());
        EXPECT_EQ(thread.m_requests.GetSize() + thread.m_failedNames.GetSize(), 6);
        // The result was posted and is still waiting in the queue, and nothing else came after.
        const size_t nBefore = wnd.m_recorder.Size();
        ASSERT_TRUE(wnd.PumpUntilDone());
        EXPECT_EQ(wnd.m_recorder.Size(), nBefore + 1);
        EXPECT_EQ(wnd.m_recorder.Last().nMsg, WM_XFER_DONE);
        EXPECT_EQ(wnd.m_recorder.Last().wParam, 4u);
    }
}
