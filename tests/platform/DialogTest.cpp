// Dialogs: a modal loop ended during WM_INITDIALOG, dialog units, and the keys that move the focus.
#include "WindowTestSupport.h"

#include "tests/support/Watchdog.h"

#include "platform/afx/Button.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ListCtrl.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using wintest::kChild;

const std::vector<tavren::DialogItemTemplate> kOkCancel = {
    {u"BUTTON", IDOK, u"OK", 0, 10, 10, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 70, 10, 50, 14, kChild | WS_TABSTOP, 0},
};

// Ends itself from WM_INITDIALOG and records what happens to its window.
class CEndAtInitDlg : public CDialog {
public:
    std::vector<std::string> m_trace;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Trace", 150, 60, kOkCancel);

    CEndAtInitDlg() { SetTemplate(&m_tmpl); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_trace.push_back("init");
        EndDialog(42);
        return TRUE;
    }

protected:
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus)
    {
        CDialog::OnShowWindow(bShow, nStatus);
        m_trace.push_back(bShow ? "shown" : "hidden");
    }
    afx_msg void OnDestroy()
    {
        m_trace.push_back("destroy");
        CDialog::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEndAtInitDlg, CDialog)
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// A dialog run inside another is the message boxes' case (tests/platform/ScriptedUserTest.cpp).
TEST(ModalLoop, EndDialogDuringInitDialogReturnsAtOnceAndNeverShows)
{
    tavren::test::Watchdog watchdog;
    CEndAtInitDlg dlg;
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_EQ(dlg.m_trace, (std::vector<std::string>{"init", "destroy"}));
    EXPECT_EQ(dlg.m_hWnd, 0u);
}

const std::vector<tavren::DialogItemTemplate> kListDialog = {
    {u"SysListView32", 13033, u"", 0, 32, 62, 182, 89, kChild | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0},
    {u"SysListView32", 13034, u"", 0, 32, 62, 182, 89, kChild | LVS_REPORT, WS_EX_CLIENTEDGE},
};

TEST(DialogUnits, ControlsGetPixelRectanglesAndBordersTakeTheirShare)
{
    tavren::DialogTemplate tmpl = wintest::MakeTemplate(u"Units", 243, 184, kListDialog);
    CWnd wnd;
    HWND hDlg = tavren::CreateDialogWindow(tmpl, 0, &wnd, 0);
    ASSERT_NE(hDlg, 0u);
    RECT rc{};
    GetClientRect(hDlg, &rc);
    EXPECT_EQ(rc.right, 365); // 243 du
    EXPECT_EQ(rc.bottom, 299); // 184 du
    HWND hList = GetDlgItem(hDlg, 13033);
    auto p = tavren::GetWindowRecord(hList);
    EXPECT_EQ(p->rcWindow.left, 48);
    EXPECT_EQ(p->rcWindow.top, 101);
    EXPECT_EQ(p->rcWindow.right - p->rcWindow.left, 273);
    GetClientRect(hList, &rc);
    EXPECT_EQ(rc.right, 271) << "WS_BORDER: one pixel a side";
    GetClientRect(GetDlgItem(hDlg, 13034), &rc);
    EXPECT_EQ(rc.right, 269) << "WS_EX_CLIENTEDGE: two pixels a side";
    wnd.DestroyWindow();
}

// Controls in creation order: which ones Tab visits and which it passes by.
const std::vector<tavren::DialogItemTemplate> kTabOrder = {
    {u"STATIC", IDC_STATIC, u"&Name:", 0, 10, 10, 40, 10, kChild, 0},
    {u"EDIT", 20, u"abc", 0, 50, 10, 60, 12, kChild | WS_TABSTOP | ES_AUTOHSCROLL, 0},
    {u"BUTTON", 30, u"Disabled", 0, 10, 30, 50, 14, kChild | WS_TABSTOP | WS_DISABLED, 0},
    {u"BUTTON", 31, u"Hidden", 0, 10, 30, 50, 14, WS_CHILD | WS_TABSTOP, 0},
    {u"BUTTON", 32, u"No stop", 0, 10, 30, 50, 14, kChild, 0},
    {u"BUTTON", IDOK, u"OK", 0, 10, 50, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 70, 50, 50, 14, kChild | WS_TABSTOP, 0},
};

// Takes what is queued for this thread through the dialog manager, as a modal loop does.
void PumpThroughDialog(HWND hDlg)
{
    MSG msg;
    while (PeekMessageW(&msg, 0, 0, 0, PM_REMOVE))
        if (!IsDialogMessageW(hDlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
}

TEST(TabOrder, TabAndShiftTabMoveTheFocusAndSelectAnEditsText)
{
    tavren::DialogTemplate tmpl = wintest::MakeTemplate(u"Tabs", 130, 70, kTabOrder);
    CWnd wnd;
    HWND hDlg = tavren::CreateDialogWindow(tmpl, 0, &wnd, 0);
    ASSERT_NE(hDlg, 0u);
    HWND hEdit = GetDlgItem(hDlg, 20), hOk = GetDlgItem(hDlg, IDOK), hCancel = GetDlgItem(hDlg, IDCANCEL);
    ASSERT_EQ(GetFocus(), hEdit);
    SendMessageW(hEdit, EM_SETSEL, 3, 3);

    // Tab, as the keyboard sends it: key down, its character, key up.
    auto tab = [&](bool bShift) {
        HWND hFocus = GetFocus();
        if (bShift)
            PostMessageW(hFocus, WM_KEYDOWN, VK_SHIFT, 1);
        PostMessageW(hFocus, WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(hFocus, WM_CHAR, u'\t', 1);
        PostMessageW(hFocus, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC0000001u));
        if (bShift)
            PostMessageW(hFocus, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001u));
        PumpThroughDialog(hDlg);
    };
    tab(false);
    EXPECT_EQ(GetFocus(), hOk);
    CString s;
    wnd.GetDlgItem(20)->GetWindowText(s);
    EXPECT_EQ(s, u"abc") << "the Tab character is not typed into the edit";
    // Which push button looks the default, and which one the dialog still calls its default.
    auto looksDefault = [](HWND h) { return (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; };
    auto defId = [hDlg] { return LOWORD(SendMessageW(hDlg, DM_GETDEFID, 0, 0)); };
    tab(false);
    EXPECT_EQ(GetFocus(), hCancel);
    EXPECT_TRUE(looksDefault(hCancel)) << "the focused push button looks the default";
    EXPECT_FALSE(looksDefault(hOk));
    EXPECT_EQ(defId(), IDOK) << "while the dialog's default stays OK";
    EXPECT_EQ(GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000, 0);
    tab(true);
    EXPECT_EQ(GetFocus(), hOk) << "Shift+Tab goes back";
    EXPECT_EQ(GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000, 0) << "Shift was let go";
    tab(true);
    EXPECT_EQ(GetFocus(), hEdit);
    EXPECT_TRUE(looksDefault(hOk)) << "a control other than a push button gives the look back to OK";
    EXPECT_FALSE(looksDefault(hCancel));
    DWORD dwSel = static_cast<DWORD>(SendMessageW(hEdit, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(dwSel), 0);
    EXPECT_EQ(HIWORD(dwSel), 3) << "an edit reached with Tab has its whole text selected";
    tab(true);
    EXPECT_EQ(GetFocus(), hCancel) << "back round to the last";
    EXPECT_TRUE(looksDefault(hCancel));

    // WM_NEXTDLGCTL with lParam set names the control itself.
    SendMessageW(hDlg, WM_NEXTDLGCTL, static_cast<WPARAM>(hEdit), TRUE);
    EXPECT_EQ(GetFocus(), hEdit);
    EXPECT_TRUE(looksDefault(hOk) && !looksDefault(hCancel));
    EXPECT_EQ(defId(), IDOK);
    wnd.DestroyWindow();
}

} // namespace
