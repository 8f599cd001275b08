// Windows and threads: a window's fields belong to the thread that created it, so other threads
// hand the window over (SendMessage, RunOnWindowThread) and debug builds stop a thread that reaches
// in directly; a re-entrant send back to the waiting sender does not deadlock, a window of an
// ended thread answers nothing, a timer dies with its window.
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
        if (m_hBounceTo) {
            LRESULT lBack = 0; // sent back to the thread that is waiting for us
            const bool bDone = tavren::SendMessageTimeout(m_hBounceTo, WM_BOUNCE, w, 0, 10000, &lBack);
            Log(bDone ? "bounce answered " + std::to_string(lBack) : "bounce timed out");
        }
        return static_cast<LRESULT>(w * 2);
    }
};

TEST(SendMessage, ReentrantSendBackToTheWaitingSenderDoesNotDeadlock)
{
    wintest::Watchdog watchdog; // a sender that never returns would hang the join
    CProbeWnd probe(u"Probe");
    std::atomic<bool> bDone{false}, bAnswered{false};
    std::thread sender([&] {
        CProbeWnd own(u"Sender"); // the sender's own window, which the owner of probe sends to meanwhile
        probe.m_hBounceTo = own.m_hWnd;
        LRESULT l = 0;
        bAnswered = tavren::SendMessageTimeout(probe.m_hWnd, WM_PING, 5, 0, 10000, &l);
        probe.Log("sender got " + std::to_string(l));
        for (auto& s : own.m_log)
            probe.Log("sender window: " + s);
        bDone = true;
    });
    EXPECT_TRUE(wintest::PumpUntil([&] { return bDone.load(); }));
    sender.join();
    EXPECT_TRUE(bAnswered.load());
    EXPECT_EQ(probe.m_log, (std::vector<std::string>{"ping 5", "bounce answered 6", "sender got 10", "sender window: bounce 5"}));
}

TEST(SendMessage, ToAWindowOfAnEndedThreadAnswersZero)
{
    wintest::Watchdog watchdog;
    HWND hOrphan = 0;
    std::thread([&] {
        const tavren::DialogTemplate tmpl = wintest::MakeTemplate(u"Orphan", 50, 20, wintest::kNoItems);
        hOrphan = tavren::CreateDialogWindow(tmpl, 0, nullptr, 0);
    }).join();
    ASSERT_NE(hOrphan, 0u);
    EXPECT_FALSE(IsWindow(hOrphan)) << "a thread's windows end with it";
    EXPECT_EQ(SendMessageW(hOrphan, WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST(Timer, DiesWithItsWindow)
{
    HWND hWnd;
    {
        CProbeWnd probe(u"Probe");
        hWnd = probe.m_hWnd;
        probe.SetTimer(7, 1);
    }
    EXPECT_FALSE(KillTimer(hWnd, 7));
}


HWND MakeEdit() { return tavren::CreateControl(0, u"Edit", 7, u"Peony", WS_VISIBLE, 0, RECT{0, 0, 80, 20}, 0); }

TEST(WindowOwnerThread, OtherThreadsHandTheWindowOver)
{
    const HWND hEdit = MakeEdit();
    std::atomic<bool> bDone{false};
    std::u16string strRead;
    BOOL bEnabledAfter = TRUE;
    LONG lStyle = 0;
    RECT rc{};
    DWORD dwOwner = 0;
    std::thread other([&] {
        char16_t buf[32] = {};
        GetWindowTextW(hEdit, buf, 32); // WM_GETTEXT, handled on the owner thread
        strRead = buf;
        dwOwner = GetWindowThreadProcessId(hEdit, nullptr);
        EnableWindow(hEdit, FALSE);
        bEnabledAfter = IsWindowEnabled(hEdit);
        lStyle = GetWindowLongW(hEdit, GWL_STYLE);
        GetWindowRect(hEdit, &rc);
        PostMessageW(hEdit, WM_NULL, 0, 0);
        bDone = true;
    });
    EXPECT_TRUE(wintest::PumpUntil([&] { return bDone.load(); }));
    other.join();
    EXPECT_EQ(strRead, u"Peony");
    EXPECT_EQ(dwOwner, GetCurrentThreadId());
    EXPECT_FALSE(bEnabledAfter);
    EXPECT_TRUE(lStyle & WS_DISABLED);
    EXPECT_EQ(rc.right - rc.left, 80);
    DestroyWindow(hEdit);
}

TEST(WindowOwnerThreadDeathTest, ReadingFieldsFromAnotherThreadAsserts)
{
#ifdef NDEBUG
    GTEST_SKIP() << "the owner check is in debug builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const HWND hEdit = MakeEdit();
    EXPECT_DEATH(
        {
            std::thread other([hEdit] {
                auto p = tavren::GetWindowRecord(hEdit);
                std::fprintf(stderr, "read %zu\n", p ? p->strText.size() : 0);
            });
            other.join();
        },
        "belong to its owner thread");
    DestroyWindow(hEdit);
#endif
}

} // namespace
