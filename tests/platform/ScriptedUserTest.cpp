// The scripted user where a fault would let a dialog test pass or hang: it answers a message box
// that runs its own loop, refuses what a person could not do, and a failing step closes the dialog.
#include "WindowTestSupport.h"

#include "platform/user/MessageBox.h"
#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using wintest::kChild;

constexpr int IDC_SEARCH = 13032;
constexpr int IDC_ASK = 13040;

const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"BUTTON", IDOK, u"OK", 0, 32, 63, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 164, 63, 50, 14, kChild | WS_TABSTOP, 0},
    {u"BUTTON", IDC_SEARCH, u"Search", 0, 32, 23, 182, 15, kChild | WS_DISABLED | WS_TABSTOP, 0},
    {u"BUTTON", IDC_ASK, u"Ask", 0, 100, 63, 50, 14, kChild | WS_TABSTOP, 0},
};

class CAskDlg : public CDialog {
public:
    std::vector<int> m_answers;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Connection Settings", 243, 84, kItems);

    CAskDlg() { SetTemplate(&m_tmpl); }

protected:
    afx_msg void OnAsk() { m_answers.push_back(MessageBox(u"Replace the file?", u"Save As", MB_YESNO | MB_ICONQUESTION)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAskDlg, CDialog)
    ON_BN_CLICKED(IDC_ASK, OnAsk)
END_MESSAGE_MAP()

TEST(ScriptedUser, AnswersAMessageBoxAndRefusesWhatAPersonCouldNotDo)
{
    tavren::test::Watchdog watchdog;
    CAskDlg dlg;
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        const tavren::WindowInfo& w = u.WaitForWindow(u"Connection Settings");
        std::string strError;
        u.Expect(!tavren::ClickButton(w.Control(IDC_SEARCH)->hWnd, &strError) && strError == "the window is disabled",
                 "a disabled button cannot be clicked: " + strError);
        HWND hDlg = w.hWnd;
        HWND hAsk = w.Control(IDC_ASK)->hWnd;
        u.Click(IDC_ASK);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Save As", u"Replace the file?");
        u.Expect(box.nIcon == MB_ICONQUESTION, "question icon");
        u.Expect(box.buttons == std::vector<int>{IDYES, IDNO}, "Yes and No");
        u.Expect(!tavren::ClickButton(hAsk, &strError), "the dialog behind a box is blocked");
        u.Expect(!tavren::PressKey(hDlg, VK_ESCAPE, &strError), "keys do not reach it either");
        u.PressEscape(); // no Cancel button: Escape does nothing
        u.Expect(u.Look().Find(u"Save As") != nullptr, "the box is still open after Escape");
        u.Answer(IDNO);
        u.Expect(u.WaitForWindow(u"Connection Settings").hFocus == hAsk, "the focus is back on Ask after the box");
        u.Close();
        u.WaitForClose();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(dlg.m_answers, std::vector<int>{IDNO});
}

TEST(ScriptedUser, AFailingStepClosesTheDialogInsteadOfHanging)
{
    tavren::test::Watchdog watchdog;
    CAskDlg dlg;
    tavren::ScriptedUser user(
        [](tavren::ScriptedUser& u) {
            u.WaitForWindow(u"Connection Settings");
            u.Click(IDC_SEARCH); // disabled: the step times out
        },
        300);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(user.Finish());
    EXPECT_NE(user.Report().find("control 13032 to be usable"), std::string::npos) << user.Report();
}

} // namespace
