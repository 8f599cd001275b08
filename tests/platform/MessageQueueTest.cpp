// Messages between threads: a re-entrant send back to the waiting sender does not deadlock, a
// window of an ended thread answers nothing, a timer dies with its window.
#include "WindowTestSupport.h"

#include "tests/support/MessagePump.h"
#include "tests/support/Watchdog.h"

#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr UINT WM_PING = WM_APP + 1;
constexpr UINT WM_BOUNCE = WM_APP + 2;

const std::vector<tavren::DialogItemTemplate> kNoItems;

// A window whose handlers record what they see.
class CProbeWnd : public CWnd {
public:
    std::mutex m_mutex;
    std::vector<std::string> m_log;
    std::atomic<DWORD> m_dwHandlerThread{0};
    HWND m_hBounceTo = 0;

    void Log(const std::string& s)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log.push_back(s);
    }

protected:
    afx_msg LRESULT OnPing(WPARAM w, LPARAM)
    {
        m_dwHandlerThread = GetCurrentThreadId();
        Log("ping " + std::to_string(w));
        if (m_hBounceTo) {
            LRESULT lBack = 0;
            // Sends back to the thread that is waiting for us.
            bool bDone = tavren::SendMessageTimeout(m_hBounceTo, WM_BOUNCE, w, 0, 10000, &lBack);
            Log(bDone ? "bounce answered " + std::to_string(lBack) : "bounce timed out");
        }
        return static_cast<LRESULT>(w * 2);
    }
    afx_msg LRESULT OnBounce(WPARAM w, LPARAM)
    {
        Log("bounce " + std::to_string(w));
        return static_cast<LRESULT>(w + 1);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_MESSAGE(WM_PING, OnPing)
    ON_MESSAGE(WM_BOUNCE, OnBounce)
END_MESSAGE_MAP()

struct ProbeWindow {
    tavren::DialogTemplate tmpl = wintest::MakeTemplate(u"Probe", 100, 50, kNoItems);
    CProbeWnd wnd;
    ProbeWindow() { tavren::CreateDialogWindow(tmpl, 0, &wnd, 0); }
    ~ProbeWindow() { wnd.DestroyWindow(); }
};

TEST(SendMessage, ReentrantSendBackToTheWaitingSenderDoesNotDeadlock)
{
    tavren::test::Watchdog watchdog; // a sender that never returns would hang the join
    ProbeWindow probe;
    std::atomic<bool> bDone{false};
    std::atomic<bool> bAnswered{false};
    std::thread sender([&] {
        // The sender owns a window of its own, which the owner of probe sends to meanwhile.
        tavren::DialogTemplate tmpl = wintest::MakeTemplate(u"Sender", 50, 20, kNoItems);
        CProbeWnd own;
        tavren::CreateDialogWindow(tmpl, 0, &own, 0);
        probe.wnd.m_hBounceTo = own.m_hWnd;
        LRESULT l = 0;
        bAnswered = tavren::SendMessageTimeout(probe.wnd.m_hWnd, WM_PING, 5, 0, 10000, &l);
        probe.wnd.Log("sender got " + std::to_string(l));
        for (auto& s : own.m_log)
            probe.wnd.Log("sender window: " + s);
        own.DestroyWindow();
        bDone = true;
    });
    EXPECT_TRUE(tavren::test::PumpMessagesUntil([&] { return bDone.load(); }));
    sender.join();
    EXPECT_TRUE(bAnswered.load());
    EXPECT_EQ(probe.wnd.m_log, (std::vector<std::string>{"ping 5", "bounce answered 6", "sender got 10", "sender window: bounce 5"}));
}

TEST(SendMessage, ToAWindowOfAnEndedThreadAnswersZero)
{
    tavren::test::Watchdog watchdog; // a sender that never returns would hang the join
    HWND hOrphan = 0;
    std::thread([&] {
        tavren::DialogTemplate tmpl = wintest::MakeTemplate(u"Orphan", 50, 20, kNoItems);
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
        ProbeWindow probe;
        hWnd = probe.wnd.m_hWnd;
        probe.wnd.SetTimer(7, 1);
    }
    EXPECT_FALSE(KillTimer(hWnd, 7));
}

} // namespace
