// Dialog units: a template's sizes in pixels, and a border's share of a control. (The border and
// a list's width as the connection settings show them are the module's test,
// tests/module/ConnectionSettingsTest.cpp; a dialog ended in WM_INITDIALOG, the dialogs' start
// tests, tests/dialogs/WriteDesignStartTest.cpp.)
#include "WindowTestSupport.h"

#include "platform/afx/ListCtrl.h"

TEST(DialogUnits, ControlsGetPixelRectanglesAndBordersTakeTheirShare)
{
    const wintest::Items items = {
        {u"SysListView32", 13033, u"", 0, 32, 62, 182, 89, wintest::kChild | WS_BORDER | LVS_REPORT | LVS_SINGLESEL, 0}};
    wintest::CTestDlg dlg(u"Units", 243, 184, items);
    dlg.Create();
    RECT rc{};
    GetClientRect(dlg.m_hWnd, &rc);
    EXPECT_EQ(rc.right * 1000 + rc.bottom, 365299) << "243 x 184 du";
    const RECT rcList = tavren::GetWindowRecord(GetDlgItem(dlg.m_hWnd, 13033))->rcWindow;
    EXPECT_EQ(rcList.left * 1000 + rcList.top, 48101);
    EXPECT_EQ(rcList.bottom - rcList.top, 144) << "89 du high, rounded down";
}
