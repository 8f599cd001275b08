// Dialogs: a modal loop ended during WM_INITDIALOG, dialog units, and the keys that move the focus.
#include "WindowTestSupport.h"

#include "platform/afx/ListCtrl.h"

#include <string>

namespace {

using wintest::kChild;

// Ends itself from WM_INITDIALOG and records what happens to its window.
class CEndAtInitDlg : public wintest::CTestDlg {
public:
    std::vector<std::string> m_trace;
    CEndAtInitDlg() : CTestDlg(u"Trace", 150, 60) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_trace.push_back("init");
        EndDialog(42);
        return TRUE;
    }
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == WM_SHOWWINDOW || nMsg == WM_DESTROY)
            m_trace.push_back(nMsg == WM_DESTROY ? "destroy" : wParam ? "shown" : "hidden");
        return CDialog::WindowProc(nMsg, wParam, lParam);
    }
};

// A dialog run inside another is the message boxes' case (tests/platform/MouseTest.cpp).
TEST(ModalLoop, EndDialogDuringInitDialogReturnsAtOnceAndNeverShows)
{
    wintest::Watchdog watchdog;
    CEndAtInitDlg dlg;
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_EQ(dlg.m_trace, (std::vector<std::string>{"init", "destroy"}));
    EXPECT_EQ(dlg.m_hWnd, 0u);
}

TEST(DialogUnits, ControlsGetPixelRectanglesAndBordersTakeTheirShare)
{
    const wintest::Items items = {
        {u"SysListView32", 13033, u"", 0, 32, 62, 182, 89, kChild | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0},
        {u"SysListView32", 13034, u"", 0, 32, 62, 182, 89, kChild | LVS_REPORT, WS_EX_CLIENTEDGE}};
    wintest::CTestDlg dlg(u"Units", 243, 184, items);
    dlg.Create();
    RECT rc{};
    GetClientRect(dlg.m_hWnd, &rc);
    EXPECT_EQ(rc.right * 1000 + rc.bottom, 365299) << "243 x 184 du";
    const HWND hList = GetDlgItem(dlg.m_hWnd, 13033);
    const RECT rcList = tavren::GetWindowRecord(hList)->rcWindow;
    EXPECT_EQ(rcList.left, 48);
    EXPECT_EQ(rcList.top, 101);
    EXPECT_EQ(rcList.right - rcList.left, 273);
    GetClientRect(hList, &rc);
    EXPECT_EQ(rc.right, 271) << "WS_BORDER: one pixel a side";
    GetClientRect(GetDlgItem(dlg.m_hWnd, 13034), &rc);
    EXPECT_EQ(rc.right, 269) << "WS_EX_CLIENTEDGE: two pixels a side";
}

// Controls in creation order: which ones Tab visits and which it passes by.
const wintest::Items kTabOrder = {
    {u"STATIC", IDC_STATIC, u"&Name:", 0, 10, 10, 40, 10, kChild, 0},
    {u"EDIT", 20, u"abc", 0, 50, 10, 60, 12, kChild | WS_TABSTOP | ES_AUTOHSCROLL, 0},
    {u"BUTTON", 30, u"Disabled", 0, 10, 30, 50, 14, kChild | WS_TABSTOP | WS_DISABLED, 0},
    {u"BUTTON", 31, u"Hidden", 0, 10, 30, 50, 14, WS_CHILD | WS_TABSTOP, 0},
    {u"BUTTON", 32, u"No stop", 0, 10, 30, 50, 14, kChild, 0},
    {u"BUTTON", IDOK, u"OK", 0, 10, 50, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 70, 50, 50, 14, kChild | WS_TABSTOP, 0},
};

TEST(TabOrder, TabAndShiftTabMoveTheFocusAndSelectAnEditsText)
{
    wintest::CTestDlg dlg(u"Tabs", 130, 70, kTabOrder);
    dlg.Create();
    const HWND hDlg = dlg.m_hWnd, hEdit = GetDlgItem(hDlg, 20), hOk = GetDlgItem(hDlg, IDOK), hCancel = GetDlgItem(hDlg, IDCANCEL);
    ASSERT_EQ(GetFocus(), hEdit);
    SendMessageW(hEdit, EM_SETSEL, 3, 3);

    // Tab, as the keyboard sends it (key down, its character, key up), through the dialog manager
    // as a modal loop takes it.
    const auto tab = [&](bool bShift) {
        const HWND hFocus = GetFocus();
        if (bShift)
            PostMessageW(hFocus, WM_KEYDOWN, VK_SHIFT, 1);
        PostMessageW(hFocus, WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(hFocus, WM_CHAR, u'\t', 1);
        PostMessageW(hFocus, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC0000001u));
        if (bShift)
            PostMessageW(hFocus, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001u));
        MSG msg;
        while (PeekMessageW(&msg, 0, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(hDlg, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
    };
    // The default look follows the focus as it does after a click (DialogKeyboardTest's mnemonics).
    tab(false);
    EXPECT_EQ(GetFocus(), hOk);
    CString s;
    dlg.GetDlgItem(20)->GetWindowText(s);
    EXPECT_EQ(s, u"abc") << "the Tab character is not typed into the edit";
    tab(false);
    EXPECT_EQ(GetFocus(), hCancel);
    tab(true);
    EXPECT_EQ(GetFocus(), hOk) << "Shift+Tab goes back";
    EXPECT_EQ(GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000, 0) << "Shift was let go";
    tab(true);
    EXPECT_EQ(GetFocus(), hEdit);
    const DWORD dwSel = static_cast<DWORD>(SendMessageW(hEdit, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(dwSel), 0);
    EXPECT_EQ(HIWORD(dwSel), 3) << "an edit reached with Tab has its whole text selected";
    tab(true);
    EXPECT_EQ(GetFocus(), hCancel) << "back round to the last";
    SendMessageW(hDlg, WM_NEXTDLGCTL, static_cast<WPARAM>(hEdit), TRUE);
    EXPECT_EQ(GetFocus(), hEdit) << "WM_NEXTDLGCTL with lParam set names the control itself";
}

} // namespace
