// The watchdog: quiet when the test ends in time; otherwise a failure that names the open windows,
// which it closes front first so the modal loops return; an abort when nothing can be closed.
#include "tests/platform/WindowTestSupport.h"

#include "platform/user/MessageBox.h"

#include <gtest/gtest-spi.h>

namespace {

// A dialog that shows a question from its own loop and ignores its close box, as a busy progress
// dialog does: only the watchdog's last resort ends it.
class CStubbornDlg : public wintest::CTestDlg {
public:
    int m_nAnswer = 0;
    CStubbornDlg() : CTestDlg(u"Stubborn", 120, 50) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        PostMessage(WM_APP); // the question, from the dialog's own loop
        return TRUE;
    }
    void OnCancel() override {}
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg != WM_APP)
            return CDialog::WindowProc(nMsg, wParam, lParam);
        m_nAnswer = MessageBox(u"Go on?", u"Question", MB_YESNO);
        return 0;
    }
};

} // namespace

TEST(Watchdog, NamesTheOpenWindowsAndClosesThemFrontFirst)
{
    CStubbornDlg dlg;
    INT_PTR nResult = 0;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS({
        wintest::Watchdog watchdog(300);
        nResult = dlg.DoModal();
    }, "message box \"Question\": \"Go on?\"  <- in front");
    EXPECT_EQ(dlg.m_nAnswer, IDNO) << "the box was answered with its last button";
    EXPECT_EQ(nResult, -99) << "the dialog that ignores its close box was ended";
    EXPECT_TRUE(tavren::TopLevelWindows().empty());
}

TEST(WatchdogDeathTest, AbortsWhenNothingCanBeClosed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH({ wintest::Watchdog watchdog(100, 100); Sleep(30000); },
                 "WatchdogDeathTest.AbortsWhenNothingCanBeClosed is still stuck");
}
