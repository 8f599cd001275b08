// In-place label editing begins as it does for a person on Windows: a second click on the label of
// the focused, selected item (after the double-click time); never on a first click, a click on
// the picture, a double-click, or in a list without LVS_EDITLABELS.
#include "WindowTestSupport.h"

#include "platform/user/DoubleClick.h"
#include "platform/afx/ImageList.h"
#include "platform/afx/ListCtrl.h"
#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tavren::ListPart;
using wintest::kChild;

constexpr int IDC_ICONS = 100;
constexpr int IDC_PLAIN = 101;

const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"SysListView32", IDC_ICONS, u"", 0, 0, 0, 200, 120, kChild | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_EDITLABELS, 0},
    {u"SysListView32", IDC_PLAIN, u"", 0, 0, 125, 200, 60, kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 60, 190, 50, 14, kChild | WS_TABSTOP, 0},
};

class CRenameDlg : public CDialog {
public:
    CListCtrl m_icons;
    CListCtrl m_plain;
    CImageList m_large;
    std::vector<std::string> m_events; // the icon list's notifications
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Rename", 210, 210, kItems);

    CRenameDlg() { SetTemplate(&m_tmpl); }

    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_ICONS, m_icons);
        DDX_Control(pDX, IDC_PLAIN, m_plain);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_large.Create(48, 48, ILC_COLOR24, 0, 4);
        m_icons.SetImageList(&m_large, LVSIL_NORMAL);
        m_icons.SetIconSpacing(75, 85);
        m_plain.InsertColumn(0, u"Name", LVCFMT_LEFT, 200);
        for (const char16_t* psz : {u"rose.qef", u"tulip.qef", u"daisy.qpx", u"star.qef", u"lily.qef"}) {
            m_icons.InsertItem(m_icons.GetItemCount(), psz, 0);
            m_plain.InsertItem(m_plain.GetItemCount(), psz);
        }
        return TRUE;
    }

protected:
    afx_msg void OnClick(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_events.push_back("click " + std::to_string(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem));
        *pResult = 0;
    }
    afx_msg void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_events.push_back("dblclk " + std::to_string(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem));
        *pResult = 0;
    }
    afx_msg void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        int i = reinterpret_cast<NMLVDISPINFO*>(pNMHDR)->item.iItem;
        m_events.push_back("begin " + std::to_string(i));
        *pResult = 0;
    }
    afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* p = reinterpret_cast<NMLVDISPINFO*>(pNMHDR);
        m_events.push_back("end " + std::to_string(p->item.iItem) + " " + (p->item.pszText ? CString(p->item.pszText).ToUtf8() : "cancelled"));
        *pResult = p->item.pszText != nullptr;
    }
    afx_msg void OnPlainBeginLabelEdit(NMHDR*, LRESULT* pResult)
    {
        m_events.push_back("plain begin");
        *pResult = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRenameDlg, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_ICONS, OnClick)
    ON_NOTIFY(NM_DBLCLK, IDC_ICONS, OnDblClk)
    ON_NOTIFY(LVN_BEGINLABELEDIT, IDC_ICONS, OnBeginLabelEdit)
    ON_NOTIFY(LVN_ENDLABELEDIT, IDC_ICONS, OnEndLabelEdit)
    ON_NOTIFY(LVN_BEGINLABELEDIT, IDC_PLAIN, OnPlainBeginLabelEdit)
END_MESSAGE_MAP()

#define EXPECT_SCRIPT(user) EXPECT_TRUE((user).Finish()) << (user).Report()

void WaitSelected(tavren::ScriptedUser& u, int nList, int nItem)
{
    u.WaitUntil(
        [&](const tavren::Snapshot& s) {
            const tavren::ControlInfo* c = s.Find(u"Rename") ? s.Find(u"Rename")->Control(nList) : nullptr;
            return c && nItem < static_cast<int>(c->items.size()) && c->items[nItem].bSelected && c->items[nItem].bFocused;
        },
        "item " + std::to_string(nItem) + " selected");
}

void WaitEditor(tavren::ScriptedUser& u, bool bShown)
{
    u.WaitUntil([&](const tavren::Snapshot& s) { return s.Find(u"Rename") && (s.Find(u"Rename")->Control(IDC_ICONS)->hEdit != 0) == bShown; },
                bShown ? "the label editor" : "the label editor to close");
}

bool NoEditorAfterTheDoubleClickTime(tavren::ScriptedUser& u, int nList)
{
    Sleep(GetDoubleClickTime() + 300); // an edit that was going to begin has begun
    return u.Control(nList).hEdit == 0;
}

} // namespace

TEST(LabelEdit, OnlyASecondClickOnTheFocusedItemsLabelBeginsEditing)
{
    wintest::Watchdog watchdog;
    CRenameDlg dlg;
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Rename");
        u.ClickItem(IDC_ICONS, 1, ListPart::Label);
        WaitSelected(u, IDC_ICONS, 1);
        u.Expect(NoEditorAfterTheDoubleClickTime(u, IDC_ICONS), "a first click on the label only selects");
        u.ClickItem(IDC_ICONS, 1, ListPart::Icon);
        u.Expect(NoEditorAfterTheDoubleClickTime(u, IDC_ICONS), "a click on the picture of the focused item does not edit");
        std::string strError;
        u.Expect(tavren::ClickListItem(u.Control(IDC_ICONS).hWnd, 1, tavren::MouseAction::DoubleClick, ListPart::Label, &strError), strError);
        u.Expect(NoEditorAfterTheDoubleClickTime(u, IDC_ICONS), "a double-click on the label does not edit");
        u.ClickItem(IDC_ICONS, 1, ListPart::Label);
        WaitEditor(u, true);
        u.PressEscape();
        WaitEditor(u, false);

        u.ClickItem(IDC_PLAIN, 3, ListPart::Label);
        WaitSelected(u, IDC_PLAIN, 3);
        u.ClickItem(IDC_PLAIN, 3, ListPart::Label);
        u.Expect(NoEditorAfterTheDoubleClickTime(u, IDC_PLAIN), "a list without LVS_EDITLABELS never edits");
        u.PressEscape();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_SCRIPT(user);
    EXPECT_EQ(dlg.m_events, (std::vector<std::string>{"click 1", "click 1", "click 1", "dblclk 1", "click 1", "begin 1", "end 1 cancelled"}));
}

