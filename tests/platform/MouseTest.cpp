// What a person's mouse does in a dialog, and the scripted user that plays the person:
// - in-place label editing begins as on Windows: a second click on the label of the focused,
//   selected item (after the double-click time); never on a first click, a click on the picture,
//   a double-click, or in a list without LVS_EDITLABELS;
// - messages carry the cursor position of their moment, points map between client areas and the
//   screen, and a context menu opens where the person clicked;
// - the scripted user answers a message box that runs its own loop, refuses what a person could
//   not do, and a failing step closes the dialog instead of hanging.
#include "WindowTestSupport.h"

#include "platform/afx/ImageList.h"
#include "platform/afx/ListCtrl.h"
#include "platform/user/DoubleClick.h"
#include "platform/afx/Menu.h"
#include "platform/user/MessageBox.h"

#include <string>
#include <vector>

namespace {

using tavren::ListPart;
using tavren::ScriptedUser;
using wintest::kChild;

enum : int { IDC_ICONS = 100, IDC_PLAIN, IDC_GO = 14002, IDC_SEARCH = 13032, IDC_ASK = 13040 };
constexpr UINT ID_SEND = 32801;

const wintest::Items kItems = {
    {u"SysListView32", IDC_ICONS, u"", 0, 0, 0, 200, 120, kChild | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_EDITLABELS, 0},
    {u"SysListView32", IDC_PLAIN, u"", 0, 0, 125, 200, 60, kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 60, 190, 40, 14, kChild | WS_TABSTOP, 0},
    {u"BUTTON", IDC_GO, u"Go", 0, 10, 190, 40, 14, kChild | WS_TABSTOP, 0},
    {u"BUTTON", IDC_ASK, u"Ask", 0, 110, 190, 40, 14, kChild | WS_TABSTOP, 0},
    {u"BUTTON", IDC_SEARCH, u"Search", 0, 160, 190, 40, 14, kChild | WS_DISABLED | WS_TABSTOP, 0},
};

// Records the icon list's clicks and label edits and any label edit the plain list begins; opens
// a context menu where the plain list was right-clicked; keeps where each click was, in the
// client area of the control clicked; Ask asks a question in a message box.
class CMouseDlg : public wintest::CTestDlg {
public:
    CListCtrl m_icons, m_plain;
    CImageList m_large;
    std::vector<std::string> m_events;
    std::vector<int> m_answers;
    POINT m_ptMessage{-1, -1}, m_ptCursor{-1, -1}, m_ptInList{-1, -1}, m_ptInGo{-1, -1};
    UINT m_nChoice = 0;
    CMouseDlg() : CTestDlg(u"Mouse", 210, 210, kItems) {}
    void DoDataExchange(CDataExchange* pDX) override
    {
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
    static POINT MessagePoint(HWND hClient)
    {
        const DWORD dwPos = GetMessagePos();
        POINT pt{GET_X_LPARAM(dwPos), GET_Y_LPARAM(dwPos)};
        if (hClient)
            ScreenToClient(hClient, &pt);
        return pt;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_GO)
            m_ptInGo = MessagePoint(::GetDlgItem(m_hWnd, IDC_GO));
        if (LOWORD(wParam) == IDC_ASK)
            m_answers.push_back(MessageBox(u"Replace the file?", u"Save As", MB_YESNO | MB_ICONQUESTION));
        return CDialog::OnCommand(wParam, lParam);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        const auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
        const int nClicked = reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem;
        const LVITEMW& item = reinterpret_cast<NMLVDISPINFO*>(lParam)->item;
        std::string s;
        if (pHdr->idFrom == IDC_PLAIN && pHdr->code == NM_RCLICK) {
            m_ptMessage = MessagePoint(0);
            m_ptInList = MessagePoint(m_plain.GetSafeHwnd());
            GetCursorPos(&m_ptCursor);
            CMenu menu;
            menu.CreatePopupMenu();
            menu.AppendMenu(MF_STRING, ID_SEND, u"Send");
            m_nChoice = static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, m_ptMessage.x, m_ptMessage.y, this));
            return TRUE;
        }
        if (pHdr->idFrom == IDC_PLAIN && pHdr->code == LVN_BEGINLABELEDIT)
            s = "plain begin";
        else if (pHdr->idFrom != IDC_ICONS)
            return CDialog::OnNotify(wParam, lParam, pResult);
        else if (pHdr->code == NM_CLICK || pHdr->code == NM_DBLCLK)
            s = (pHdr->code == NM_CLICK ? "click " : "dblclk ") + std::to_string(nClicked);
        else if (pHdr->code == LVN_BEGINLABELEDIT)
            s = "begin " + std::to_string(item.iItem);
        else if (pHdr->code == LVN_ENDLABELEDIT)
            s = "end " + std::to_string(item.iItem) + " " + (item.pszText ? CString(item.pszText).ToUtf8() : "cancelled");
        else
            return CDialog::OnNotify(wParam, lParam, pResult);
        m_events.push_back(s);
        *pResult = pHdr->code == LVN_ENDLABELEDIT && item.pszText != nullptr;
        return TRUE;
    }
};

bool Inside(const RECT& rc, POINT pt) { return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom; }

} // namespace

TEST(LabelEdit, OnlyASecondClickOnTheFocusedItemsLabelBeginsEditing)
{
    CMouseDlg dlg;
    EXPECT_EQ(wintest::RunWithUser(dlg, [](ScriptedUser& u) {
        u.WaitForWindow(u"Mouse");
        const auto waitSelected = [&](int nList, int nItem) {
            u.WaitUntil([&](const tavren::Snapshot& s) {
                const tavren::ControlInfo* c = s.Find(u"Mouse") ? s.Find(u"Mouse")->Control(nList) : nullptr;
                return c && nItem < static_cast<int>(c->items.size()) && c->items[nItem].bSelected && c->items[nItem].bFocused;
            }, "item " + std::to_string(nItem) + " selected");
        };
        const auto waitEditor = [&](bool bShown) {
            u.WaitUntil([&](const tavren::Snapshot& s) { return s.Find(u"Mouse") && (s.Find(u"Mouse")->Control(IDC_ICONS)->hEdit != 0) == bShown; },
                        bShown ? "the label editor" : "the label editor to close");
        };
        const auto noEditorAfterTheDoubleClickTime = [&](int nList) {
            Sleep(GetDoubleClickTime() + 300); // an edit that was going to begin has begun
            return u.Control(nList).hEdit == 0;
        };
        u.ClickItem(IDC_ICONS, 1, ListPart::Label);
        waitSelected(IDC_ICONS, 1);
        u.Expect(noEditorAfterTheDoubleClickTime(IDC_ICONS), "a first click on the label only selects");
        u.ClickItem(IDC_ICONS, 1, ListPart::Icon);
        u.Expect(noEditorAfterTheDoubleClickTime(IDC_ICONS), "a click on the picture of the focused item does not edit");
        std::string strError;
        u.Expect(tavren::ClickListItem(u.Control(IDC_ICONS).hWnd, 1, tavren::MouseAction::DoubleClick, ListPart::Label, &strError), strError);
        u.Expect(noEditorAfterTheDoubleClickTime(IDC_ICONS), "a double-click on the label does not edit");
        u.ClickItem(IDC_ICONS, 1, ListPart::Label);
        waitEditor(true);
        u.PressEscape();
        waitEditor(false);

        u.ClickItem(IDC_PLAIN, 3, ListPart::Label);
        waitSelected(IDC_PLAIN, 3);
        u.ClickItem(IDC_PLAIN, 3, ListPart::Label);
        u.Expect(noEditorAfterTheDoubleClickTime(IDC_PLAIN), "a list without LVS_EDITLABELS never edits");
        u.PressEscape();
    }), IDCANCEL);
    EXPECT_EQ(dlg.m_events, (std::vector<std::string>{"click 1", "click 1", "click 1", "dblclk 1", "click 1", "begin 1", "end 1 cancelled"}));
}

TEST(CursorAndMenuPlacement, ContextMenuOpensWhereTheItemWasRightClicked)
{
    CMouseDlg dlg;
    RECT rcMenu{}, rcItem{}, rcGo{};
    wintest::RunWithUser(dlg, [&](ScriptedUser& u) {
        const tavren::WindowInfo& w = u.WaitForWindow(u"Mouse");
        rcItem = w.Control(IDC_PLAIN)->items.at(2).rc;
        rcGo = w.Control(IDC_GO)->rcClient;
        u.RightClickItem(IDC_PLAIN, 2);
        rcMenu = u.WaitForMenu().rc;
        u.ChooseMenu(ID_SEND);
        u.WaitForWindow(u"Mouse");
        u.Click(IDC_GO);
        u.Close(); // handled after the click, so the click's position is in before DoModal returns
    });
    EXPECT_TRUE(Inside(rcItem, dlg.m_ptInList)) << dlg.m_ptInList.x << "," << dlg.m_ptInList.y << " is not on item 2";
    EXPECT_EQ(dlg.m_ptCursor.x, dlg.m_ptMessage.x) << "the cursor has not moved since the click";
    EXPECT_EQ(dlg.m_ptCursor.y, dlg.m_ptMessage.y);
    EXPECT_EQ(rcMenu.left, dlg.m_ptMessage.x) << "the menu opens at the click";
    EXPECT_EQ(rcMenu.top, dlg.m_ptMessage.y);
    EXPECT_GT(rcMenu.right - rcMenu.left, 0);
    EXPECT_EQ(dlg.m_nChoice, ID_SEND);
    EXPECT_TRUE(Inside(rcGo, dlg.m_ptInGo)) << "a button's click comes from over the button";
}

TEST(ScriptedUser, AnswersAMessageBoxAndRefusesWhatAPersonCouldNotDo)
{
    CMouseDlg dlg;
    EXPECT_EQ(wintest::RunWithUser(dlg, [](ScriptedUser& u) {
        const tavren::WindowInfo& w = u.WaitForWindow(u"Mouse");
        std::string strError;
        u.Expect(!tavren::ClickButton(w.Control(IDC_SEARCH)->hWnd, &strError) && strError == "the window is disabled",
                 "a disabled button cannot be clicked: " + strError);
        const HWND hDlg = w.hWnd, hAsk = w.Control(IDC_ASK)->hWnd;
        u.Click(IDC_ASK);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Save As", u"Replace the file?");
        u.Expect(box.nIcon == MB_ICONQUESTION, "question icon");
        u.Expect(box.buttons == std::vector<int>{IDYES, IDNO}, "Yes and No");
        u.Expect(!tavren::ClickButton(hAsk, &strError), "the dialog behind a box is blocked");
        u.Expect(!tavren::PressKey(hDlg, VK_ESCAPE, &strError), "keys do not reach it either");
        u.PressEscape(); // no Cancel button: Escape does nothing
        u.Expect(u.Look().Find(u"Save As") != nullptr, "the box is still open after Escape");
        u.Answer(IDNO);
        u.Expect(u.WaitForWindow(u"Mouse").hFocus == hAsk, "the focus is back on Ask after the box");
        u.Close();
        u.WaitForClose();
    }), IDCANCEL);
    EXPECT_EQ(dlg.m_answers, std::vector<int>{IDNO});
}

TEST(ScriptedUser, AFailingStepClosesTheDialogInsteadOfHanging)
{
    wintest::Watchdog watchdog;
    CMouseDlg dlg;
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(u"Mouse");
        u.Click(IDC_SEARCH); // disabled: the step times out
    }, 300);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(user.Finish());
    EXPECT_NE(user.Report().find("control 13032 to be usable"), std::string::npos) << user.Report();
}
