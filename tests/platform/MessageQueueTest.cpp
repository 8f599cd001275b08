// Windows and threads: a window's fields belong to the thread that created it, so other threads
// hand the window over and debug builds stop a thread that reaches in directly; a re-entrant send
// back to the waiting sender does not deadlock.
#include "WindowTestSupport.h"

#include "platform/afx/WinThread.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr UINT WM_PING = WM_APP + 1;
constexpr UINT WM_BOUNCE = WM_APP + 2;

// A window whose handlers record what they see: a ping sends a bounce back to m_hBounceTo first.
class CProbeWnd : public wintest::CTestDlg {
public:
    std::mutex m_mutex;
    std::vector<std::string> m_log;
    HWND m_hBounceTo = 0;
    explicit CProbeWnd(const char16_t* pszCaption) : CTestDlg(pszCaption, 100, 50) { Create(); }
    void Log(const std::string& s)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log.push_back(s);
    }

protected:
    LRESULT WindowProc(UINT nMsg, WPARAM w, LPARAM lParam) override
    {
        if (nMsg == WM_BOUNCE) {
            Log("bounce " + std::to_string(w));
            return static_cast<LRESULT>(w + 1);
        }
        if (nMsg != WM_PING)
            return CDialog::WindowProc(nMsg, w, lParam);
        Log("ping " + std::to_string(w));
        LRESULT lBack = 0; // sent back to the thread that is waiting for us
        const bool bDone = tavren::SendMessageTimeout(m_hBounceTo, WM_BOUNCE, w, 0, 10000, &lBack);
        Log(bDone ? "bounce answered " + std::to_string(lBack) : "bounce timed out");
        return static_cast<LRESULT>(w * 2);
    }
};

// The communication worker's sends while its owner stops it are the worker's own test
// (tests/comm/CommunicationThreadTest.cpp, StopWhileAStepIsOnItsWayDoesNotDeadlock).
TEST(SendMessage, ReentrantSendBackToTheWaitingSenderDoesNotDeadlock)
{
    wintest::Watchdog watchdog; // a sender that never returns would hang the join
    CProbeWnd probe(u"Probe");
    std::atomic<bool> bDone{false};
    std::thread sender([&] {
        CProbeWnd own(u"Sender"); // the sender's own window, which the owner of probe sends to meanwhile
        probe.m_hBounceTo = own.m_hWnd;
        LRESULT l = 0;
        probe.Log(tavren::SendMessageTimeout(probe.m_hWnd, WM_PING, 5, 0, 10000, &l) ? "sender got " + std::to_string(l) : "no answer");
        for (auto& s : own.m_log)
            probe.Log("sender window: " + s);
        bDone = true;
    });
    EXPECT_TRUE(wintest::PumpUntil([&] { return bDone.load(); }));
    sender.join();
    EXPECT_EQ(probe.m_log, (std::vector<std::string>{"ping 5", "bounce answered 6", "sender got 10", "sender window: bounce 5"}));
}

HWND MakeEdit() { return tavren::CreateControl(0, u"Edit", 7, u"Peony", WS_VISIBLE, 0, RECT{0, 0, 80, 20}, 0); }

TEST(WindowOwnerThread, OtherThreadsHandTheWindowOver)
{
    const HWND hEdit = MakeEdit();
    std::atomic<bool> bDone{false};
    std::u16string strRead;
    BOOL bEnabledAfter = TRUE;
    std::thread other([&] {
        char16_t buf[32] = {};
        GetWindowTextW(hEdit, buf, 32); // WM_GETTEXT, handled on the owner thread
        strRead = buf;
        EnableWindow(hEdit, FALSE);
        bEnabledAfter = IsWindowEnabled(hEdit);
        bDone = true;
    });
    EXPECT_TRUE(wintest::PumpUntil([&] { return bDone.load(); }));
    other.join();
    EXPECT_EQ(strRead, u"Peony");
    EXPECT_FALSE(bEnabledAfter);
    DestroyWindow(hEdit);
}

TEST(WindowOwnerThreadDeathTest, ReadingFieldsFromAnotherThreadAsserts)
{
#ifdef NDEBUG
    GTEST_SKIP() << "the owner check is in debug builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const HWND hEdit = MakeEdit();
    EXPECT_DEATH(std::thread([hEdit] {
                     auto p = tavren::GetWindowRecord(hEdit);
                     std::fprintf(stderr, "read %zu\n", p ? p->strText.size() : 0);
                 }).join(),
                 "belong to its owner thread");
    DestroyWindow(hEdit);
#endif
}

} // namespace
