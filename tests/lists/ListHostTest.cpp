// The test host itself: the list under test is subclassed, the location box is there, and the
// hooks see the user's clicks.
#include "tests/lists/ListHostDlg.h"
#include "tests/support/Watchdog.h"
#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <atomic>

TEST(ListHost, HoldsTheListAndItsLocationBoxAndPassesOnClicks)
{
    tavren::test::Watchdog watchdog;
    CFolderListCtrl list;
    CListHostDlg dlg(list);
    std::atomic<int> nClicked{-2}, nButton{0};
    dlg.m_onInit = [&](CListHostDlg& d) {
        d.m_list.InsertItem(0, u"alpha.qef", CFolderListCtrl::PIC_FOLDER);
        d.m_list.m_pLocationBox = &d.m_location;
    };
    dlg.m_onClick = [&](int nItem) { nClicked = nItem; };
    dlg.m_onButton = [&](UINT nId) { nButton = static_cast<int>(nId); };
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        u.WaitForWindow(CListHostDlg::kCaption);
        u.ClickItem(CListHostDlg::IDC_HOST_LIST, 0);
        u.WaitUntil([&](const tavren::Snapshot&) { return nClicked == 0; }, "the click reaches the hook");
        u.Click(CListHostDlg::IDC_HOST_UP);
        u.WaitUntil([&](const tavren::Snapshot&) { return nButton == CListHostDlg::IDC_HOST_UP; }, "the button reaches the hook");
        bool bSubclassed = false;
        u.Expect(dlg.RunOnUiThread([&] { bSubclassed = CWnd::FromHandlePermanent(dlg.GetDlgItem(CListHostDlg::IDC_HOST_LIST)->m_hWnd) == &list; }),
                 "runs on the dialog's thread");
        u.Expect(bSubclassed, "the list object is attached to the list view");
        u.PressEnter();
        u.Close();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "Enter does not end the host";
    EXPECT_TRUE(user.Finish()) << user.Report();
}
