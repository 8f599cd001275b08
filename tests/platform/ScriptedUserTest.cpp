// The user's seam end to end: a scripted user on a second thread drives dialogs that run on the
// test's thread, through the same messages Windows would deliver.
#include "WindowTestSupport.h"

#include "tests/support/Watchdog.h"

#include "platform/afx/ComboBoxEx.h"
#include "platform/user/Dbt.h"
#include "platform/afx/ListCtrl.h"
#include "platform/user/Menu.h"
#include "platform/user/MessageBox.h"
#include "platform/afx/ProgressCtrl.h"
#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using wintest::kChild;

constexpr int IDC_USB = 13030;
constexpr int IDC_WLAN = 13031;
constexpr int IDC_SEARCH = 13032;
constexpr int IDC_LIST = 13033;
constexpr int IDC_ASK = 13040;
constexpr int IDC_COMBO = 13041;
constexpr int IDC_PROGRESS = 13042;
constexpr UINT ID_OPEN = 32785;
constexpr UINT ID_DELETE = 32787;

// The layout of a connection-settings dialog, with a few extra controls for the seam.
const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"BUTTON", IDOK, u"OK", 0, 32, 163, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 164, 163, 50, 14, kChild | WS_TABSTOP, 0},
    {u"BUTTON", -1, u"        ", 0, 20, 27, 203, 131, kChild | BS_GROUPBOX, 0},
    {u"BUTTON", IDC_USB, u"USB", 0, 32, 7, 35, 10, kChild | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0},
    {u"BUTTON", IDC_WLAN, u"Wireless LAN", 0, 32, 26, 67, 10, kChild | BS_AUTORADIOBUTTON, 0},
    {u"BUTTON", IDC_SEARCH, u"Search", 0, 32, 43, 182, 15, kChild | WS_GROUP | WS_TABSTOP, 0},
    {u"SysListView32", IDC_LIST, u"", 0, 32, 62, 182, 89,
     kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT | LVS_EDITLABELS, 0},
    {u"BUTTON", IDC_ASK, u"Ask", 0, 100, 163, 50, 14, kChild | WS_TABSTOP, 0},
    {u"ComboBoxEx32", IDC_COMBO, u"", 0, 100, 7, 100, 98, kChild | WS_TABSTOP | CBS_DROPDOWNLIST, 0},
    {u"msctls_progress32", IDC_PROGRESS, u"", 0, 20, 178, 100, 5, kChild | WS_BORDER, 0},
};

class CConnDlg : public CDialog {
public:
    int m_nConnection = 0;
    CListCtrl m_list;
    CComboBoxEx m_combo;
    CProgressCtrl m_progress;
    std::vector<std::string> m_events;
    int m_nAnswer = 0;
    UINT m_nMenuChoice = 0;
    CString m_strOldName;
    DWORD m_dwUnitMask = 0;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Connection Settings", 243, 184, kItems);

    CConnDlg() { SetTemplate(&m_tmpl); }

    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_LIST, m_list);
        DDX_Control(pDX, IDC_COMBO, m_combo);
        DDX_Control(pDX, IDC_PROGRESS, m_progress);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        CRectLike rc;
        m_list.GetClientRect(&rc);
        int w = rc.right - rc.left;
        m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
        m_list.InsertColumn(0, u"Sewing Machine Name", LVCFMT_LEFT, (w / 7) * 4);
        m_list.InsertColumn(1, u"IP Address", LVCFMT_LEFT, (w / 7) * 3);
        for (const char16_t* psz : {u"Alpha", u"Bravo", u"Charlie"}) {
            int i = m_list.InsertItem(m_list.GetItemCount(), psz, 4);
            m_list.SetItemText(i, 1, u"192.168.0.1");
        }
        for (const char16_t* psz : {u"Desktop", u"Computer", u"E:"}) {
            COMBOBOXEXITEM item{};
            item.mask = CBEIF_TEXT | CBEIF_INDENT | CBEIF_IMAGE;
            item.iItem = -1;
            item.pszText = const_cast<LPWSTR>(psz);
            item.iIndent = m_combo.GetCount();
            item.iImage = m_combo.GetCount();
            m_combo.InsertItem(&item);
        }
        m_combo.SetCurSel(0);
        m_progress.SetRange32(0, 60);
        m_progress.SetPos(20);
        CheckRadioButton(IDC_USB, IDC_WLAN, IDC_USB);
        ApplyUsbState();
        return TRUE;
    }

protected:
    struct CRectLike : RECT {
        CRectLike() : RECT{0, 0, 0, 0} {}
    };

    void ApplyUsbState()
    {
        GetDlgItem(IDC_SEARCH)->EnableWindow(FALSE);
        m_list.EnableWindow(FALSE);
        GetDlgItem(IDOK)->EnableWindow(TRUE);
        m_nConnection = 0;
    }
    void ApplyWlanState()
    {
        GetDlgItem(IDC_SEARCH)->EnableWindow(TRUE);
        m_list.EnableWindow(TRUE);
        GetDlgItem(IDOK)->EnableWindow(m_list.GetNextItem(-1, LVNI_SELECTED) >= 0);
        m_nConnection = 1;
    }
    afx_msg void OnUsb() { ApplyUsbState(); }
    afx_msg void OnWlan() { ApplyWlanState(); }
    afx_msg void OnAsk()
    {
        m_nAnswer = MessageBox(u"Replace the file?", u"Save As", MB_YESNO | MB_ICONQUESTION);
        m_events.push_back("answer " + std::to_string(m_nAnswer));
    }
    afx_msg void OnListClick(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* p = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
        m_events.push_back("click " + std::to_string(p->iItem) + " sel " + std::to_string(m_list.GetNextItem(-1, LVNI_SELECTED)));
        if (m_list.GetNextItem(-1, LVNI_SELECTED) >= 0)
            GetDlgItem(IDOK)->EnableWindow(TRUE);
        *pResult = 0;
    }
    afx_msg void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_events.push_back("dblclk " + std::to_string(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem));
        *pResult = 0;
    }
    afx_msg void OnListRClick(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_events.push_back("rclick " + std::to_string(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem));
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, ID_OPEN, u"Open");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, ID_DELETE, u"Delete");
        menu.EnableMenuItem(ID_DELETE, MF_BYCOMMAND | MF_GRAYED);
        m_nMenuChoice = static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD, 100, 100, this));
        m_events.push_back("menu " + std::to_string(m_nMenuChoice));
        *pResult = 0;
    }
    afx_msg void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* p = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
        if ((p->uNewState ^ p->uOldState) & LVIS_SELECTED)
            m_events.push_back(std::string(p->uNewState & LVIS_SELECTED ? "select " : "deselect ") + std::to_string(p->iItem));
        *pResult = 0;
    }
    afx_msg void OnBeginLabelEdit(NMHDR*, LRESULT* pResult)
    {
        m_list.GetEditControl()->GetWindowText(m_strOldName);
        *pResult = FALSE;
    }
    afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* p = reinterpret_cast<NMLVDISPINFO*>(pNMHDR);
        m_events.push_back(p->item.pszText ? "renamed" : "rename cancelled");
        *pResult = p->item.pszText != nullptr;
    }
    afx_msg void OnComboChange() { m_events.push_back("combo " + std::to_string(m_combo.GetCurSel())); }
    afx_msg BOOL OnDeviceChange(UINT nEventType, LPARAM dwData)
    {
        auto* pHeader = reinterpret_cast<DEV_BROADCAST_HDR*>(dwData);
        if (nEventType == DBT_DEVICEARRIVAL && pHeader && pHeader->dbch_devicetype == DBT_DEVTYP_VOLUME)
            m_dwUnitMask = reinterpret_cast<DEV_BROADCAST_VOLUME*>(pHeader)->dbcv_unitmask;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CConnDlg, CDialog)
    ON_BN_CLICKED(IDC_USB, OnUsb)
    ON_BN_CLICKED(IDC_WLAN, OnWlan)
    ON_BN_CLICKED(IDC_ASK, OnAsk)
    ON_NOTIFY(NM_CLICK, IDC_LIST, OnListClick)
    ON_NOTIFY(NM_DBLCLK, IDC_LIST, OnListDblClk)
    ON_NOTIFY(NM_RCLICK, IDC_LIST, OnListRClick)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST, OnItemChanged)
    ON_NOTIFY(LVN_BEGINLABELEDIT, IDC_LIST, OnBeginLabelEdit)
    ON_NOTIFY(LVN_ENDLABELEDIT, IDC_LIST, OnEndLabelEdit)
    ON_CBN_SELCHANGE(IDC_COMBO, OnComboChange)
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

#define EXPECT_SCRIPT(user) EXPECT_TRUE((user).Finish()) << (user).Report()

TEST(ScriptedUser, AnswersAMessageBoxThatRunsItsOwnLoop)
{
    tavren::test::Watchdog watchdog;
    CConnDlg dlg;
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Connection Settings");
        u.Click(IDC_ASK);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Save As", u"Replace the file?");
        u.Expect(box.nIcon == MB_ICONQUESTION, "question icon");
        u.Expect(box.buttons == std::vector<int>{IDYES, IDNO}, "Yes and No");
        u.PressEscape(); // no Cancel button: Escape does nothing
        u.Expect(u.Look().Find(u"Save As") != nullptr, "the box is still open after Escape");
        u.Answer(IDNO);
        u.WaitForWindow(u"Connection Settings");
        u.Close();
        u.WaitForClose();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_SCRIPT(user);
    EXPECT_EQ(dlg.m_nAnswer, IDNO);
}

TEST(ScriptedUser, ActionsOnADisabledControlOrABlockedWindowAreRefused)
{
    tavren::test::Watchdog watchdog;
    CConnDlg dlg;
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        const tavren::WindowInfo& w = u.WaitForWindow(u"Connection Settings");
        std::string strError;
        u.Expect(!tavren::ClickButton(w.Control(IDC_SEARCH)->hWnd, &strError) && strError == "the window is disabled",
                 "a disabled button cannot be clicked: " + strError);
        HWND hDlg = w.hWnd;
        HWND hAsk = w.Control(IDC_ASK)->hWnd;
        u.Click(IDC_ASK);
        u.ExpectMessageBox(u"Save As");
        u.Expect(!tavren::ClickButton(hAsk, &strError), "the dialog behind a box is blocked");
        u.Expect(!tavren::PressKey(hDlg, VK_ESCAPE, &strError), "keys do not reach it either");
        u.Answer(IDYES);
        u.WaitForWindow(u"Connection Settings");
        u.PressEscape();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_SCRIPT(user);
    EXPECT_EQ(dlg.m_events, (std::vector<std::string>{"answer 6"}));
}

TEST(ScriptedUser, PicksFromAPopupMenuAndGrayedCommandsRefuse)
{
    tavren::test::Watchdog watchdog;
    CConnDlg dlg;
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Connection Settings");
        u.Click(IDC_WLAN);
        u.RightClickItem(IDC_LIST, 1);
        const tavren::WindowInfo& menu = u.WaitForMenu();
        u.Expect(menu.menuItems.size() == 3 && menu.menuItems[1].bSeparator && menu.menuItems[2].bGrayed, "menu items");
        std::string strError;
        u.Expect(!tavren::ChooseMenuItem(menu.hWnd, ID_DELETE, &strError), "grayed command refused");
        u.ChooseMenu(ID_OPEN);
        u.WaitForWindow(u"Connection Settings");
        u.RightClickItem(IDC_LIST, -1);
        u.DismissMenu();
        u.WaitForWindow(u"Connection Settings");
        u.PressEscape();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_SCRIPT(user);
    EXPECT_EQ(dlg.m_events, (std::vector<std::string>{"select 1", "rclick 1", "menu 32785", "deselect 1", "rclick -1", "menu 0"}));
}

TEST(ScriptedUser, AFailingStepClosesTheDialogInsteadOfHanging)
{
    tavren::test::Watchdog watchdog;
    CConnDlg dlg;
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
