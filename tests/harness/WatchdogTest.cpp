// The watchdog: quiet when the test ends in time; otherwise a failure that names the open windows,
// which it closes front first so the modal loops return; an abort when nothing can be closed.
#include "tests/support/Watchdog.h"

#include "platform/afx/Dialog.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Resource.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

constexpr UINT WM_ASK = WM_APP + 1;

// A dialog that shows a question from its own loop and ignores its close box, as a busy progress
// dialog does: only the watchdog's last resort ends it.
class CStubbornDlg : public CDialog {
public:
    tavren::DialogTemplate m_tmpl{0, u"Stubborn", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 120, 50,
                                  u"MS Shell Dlg", 8, 0, 0, 0, nullptr, 0};
    int m_nAnswer = 0;
    CStubbornDlg() { SetTemplate(&m_tmpl); }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        PostMessage(WM_ASK);
        return TRUE;
    }
    void OnCancel() override {}
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == WM_ASK) {
            m_nAnswer = MessageBox(u"Go on?", u"Question", MB_YESNO);
            return 0;
        }
        return CDialog::WindowProc(nMsg, wParam, lParam);
    }
};

} // namespace

TEST(Watchdog, NamesTheOpenWindowsAndClosesThemFrontFirst)
{
    CStubbornDlg dlg;
    INT_PTR nResult = 0;
    bool bFired = false;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            tavren::test::Watchdog watchdog(300);
            nResult = dlg.DoModal();
            bFired = watchdog.Fired();
        },
        "message box \"Question\": \"Go on?\"  <- in front");
    EXPECT_TRUE(bFired);
    EXPECT_EQ(dlg.m_nAnswer, IDNO) << "the box was answered with its last button";
    EXPECT_EQ(nResult, -99) << "the dialog that ignores its close box was ended";
    EXPECT_TRUE(tavren::TopLevelWindows().empty());
}

TEST(WatchdogDeathTest, AbortsWhenNothingCanBeClosed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            tavren::test::Watchdog watchdog(100, 100);
            std::this_thread::sleep_for(std::chrono::seconds(30));
        },
        "WatchdogDeathTest.AbortsWhenNothingCanBeClosed is still stuck");
}
