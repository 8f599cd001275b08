// Where things happen on the screen: messages carry the cursor position of their moment, points
// map between client areas and the screen, and a context menu opens where the person clicked.
#include "WindowTestSupport.h"

#include "platform/afx/ListCtrl.h"
#include "platform/user/Menu.h"
#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

namespace {

using wintest::kChild;

constexpr int IDC_FILES = 14001;
constexpr int IDC_GO = 14002;
constexpr UINT ID_SEND = 32801;

const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"BUTTON", IDC_GO, u"Go", 0, 10, 140, 50, 14, kChild | WS_TABSTOP, 0},
    {u"SysListView32", IDC_FILES, u"", 0, 10, 10, 180, 120, kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 0},
};

// A file list whose context menu opens at the cursor position of the right-click, as the module's
// dialogs do.
class CFilesDlg : public CDialog {
public:
    CListCtrl m_list;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Files", 200, 160, kItems);
    POINT m_ptMessage{-1, -1};
    POINT m_ptCursor{-1, -1};
    POINT m_ptGo{-1, -1};
    UINT m_nChoice = 0;

    CFilesDlg() { SetTemplate(&m_tmpl); }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_FILES, m_list); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_list.InsertColumn(0, u"Name", LVCFMT_LEFT, 200);
        for (const char16_t* psz : {u"rose.qef", u"tulip.qef", u"lily.qef", u"iris.qef"})
            m_list.InsertItem(m_list.GetItemCount(), psz, 0);
        return TRUE;
    }

protected:
    afx_msg void OnRClick(NMHDR*, LRESULT* pResult)
    {
        DWORD dwPos = GetMessagePos();
        m_ptMessage = POINT{GET_X_LPARAM(dwPos), GET_Y_LPARAM(dwPos)};
        GetCursorPos(&m_ptCursor);
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, ID_SEND, u"Send");
        m_nChoice = static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, m_ptMessage.x, m_ptMessage.y, this));
        *pResult = 0;
    }
    afx_msg void OnGo()
    {
        DWORD dwPos = GetMessagePos();
        m_ptGo = POINT{GET_X_LPARAM(dwPos), GET_Y_LPARAM(dwPos)};
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFilesDlg, CDialog)
    ON_NOTIFY(NM_RCLICK, IDC_FILES, OnRClick)
    ON_BN_CLICKED(IDC_GO, OnGo)
END_MESSAGE_MAP()

bool Inside(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

// A control's rectangle on the screen, from a snapshot (controls are kept in the dialog's client area).
RECT ScreenRectOf(const tavren::WindowInfo& w, const RECT& rc)
{
    int nSide = ((w.rc.right - w.rc.left) - w.rcClient.right) / 2;
    int nTop = (w.rc.bottom - w.rc.top) - w.rcClient.bottom - nSide;
    return RECT{w.rc.left + nSide + rc.left, w.rc.top + nTop + rc.top, w.rc.left + nSide + rc.right, w.rc.top + nTop + rc.bottom};
}

TEST(CursorAndMenuPlacement, ContextMenuOpensWhereTheItemWasRightClicked)
{
    wintest::Watchdog watchdog;
    CFilesDlg dlg;
    RECT rcItem{}, rcMenu{}, rcGo{};
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        const tavren::WindowInfo& w = u.WaitForWindow(u"Files");
        const tavren::ControlInfo* pList = w.Control(IDC_FILES);
        RECT rcList = ScreenRectOf(w, pList->rc);
        const RECT& rc = pList->items.at(2).rc;
        int nBorder = ((pList->rc.right - pList->rc.left) - pList->rcClient.right) / 2;
        rcItem = RECT{rcList.left + nBorder + rc.left, rcList.top + nBorder + rc.top, rcList.left + nBorder + rc.right,
                      rcList.top + nBorder + rc.bottom};
        rcGo = ScreenRectOf(w, w.Control(IDC_GO)->rc);
        u.RightClickItem(IDC_FILES, 2);
        rcMenu = u.WaitForMenu().rc;
        u.ChooseMenu(ID_SEND);
        u.WaitForWindow(u"Files");
        u.Click(IDC_GO);
        u.Close(); // handled after the click, so the click's position is in before DoModal returns
    });
    dlg.DoModal();
    ASSERT_TRUE(user.Finish()) << user.Report();
    EXPECT_TRUE(Inside(rcItem, dlg.m_ptMessage)) << dlg.m_ptMessage.x << "," << dlg.m_ptMessage.y << " is not on item 2";
    EXPECT_EQ(dlg.m_ptCursor.x, dlg.m_ptMessage.x) << "the cursor has not moved since the click";
    EXPECT_EQ(dlg.m_ptCursor.y, dlg.m_ptMessage.y);
    EXPECT_EQ(rcMenu.left, dlg.m_ptMessage.x) << "the menu opens at the click";
    EXPECT_EQ(rcMenu.top, dlg.m_ptMessage.y);
    EXPECT_GT(rcMenu.right - rcMenu.left, 0);
    EXPECT_EQ(dlg.m_nChoice, ID_SEND);
    EXPECT_TRUE(Inside(rcGo, dlg.m_ptGo)) << "a button's click comes from over the button";
}

} // namespace
