// What a person's mouse does in a dialog, and the scripted user that plays the person:
// - in-place label editing begins as on Windows: a second click on the label of the focused,
//   selected item (after the double-click time); never on a first click, a click on the picture,
//   a double-click, or in a list without LVS_EDITLABELS;
// - the scripted user answers a message box that runs its own loop, refuses what a person could
//   not do, and a failing step closes the dialog instead of hanging.
// The item a right click names, from the message's cursor position, is the dialogs' (the menus
// of tests/dialogs/WriteDesignListTest.cpp and FileManagerDialogTest.cpp).
#include "WindowTestSupport.h"

#include "platform/afx/ImageList.h"
#include "platform/afx/ListCtrl.h"
#include "platform/user/DoubleClick.h"
#include "platform/base/WinError.h"
#include "platform/user/MessageBox.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using tavren::ListPart;
using tavren::ScriptedUser;
using wintest::kChild;

enum : int { IDC_ICONS = 100, IDC_PLAIN, IDC_SEARCH = 13032, IDC_ASK = 13040 };

const wintest::Items kItems = {
    {u"SysListView32", IDC_ICONS, u"", 0, 0, 0, 200, 120, kChild | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_EDITLABELS, 0},
    {u"SysListView32", IDC_PLAIN, u"", 0, 0, 125, 200, 60, kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 60, 190, 40, 14, kChild | WS_TABSTOP, 0},
    {u"BUTTON", IDC_ASK, u"Ask", 0, 110, 190, 40, 14, kChild | WS_TABSTOP, 0},
    {u"BUTTON", IDC_SEARCH, u"Search", 0, 160, 190, 40, 14, kChild | WS_DISABLED | WS_TABSTOP, 0},
};

// Records the icon list's clicks and label edits and any label edit the plain list begins; Ask
// asks a question in a message box.
class CMouseDlg : public wintest::CTestDlg {
public:
    CListCtrl m_icons, m_plain;
    CImageList m_large;
    std::vector<std::string> m_events;
    std::vector<int> m_answers;
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
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_ASK)
            m_answers.push_back(MessageBox(u"Replace the file?", u"Save As", MB_YESNO | MB_ICONQUESTION));
        return CDialog::OnCommand(wParam, lParam);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        const auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
        const LVITEMW& item = reinterpret_cast<NMLVDISPINFO*>(lParam)->item;
        const bool bClick = pHdr->code == NM_CLICK || pHdr->code == NM_DBLCLK;
        const bool bEdit = pHdr->code == LVN_BEGINLABELEDIT || pHdr->code == LVN_ENDLABELEDIT;
        if (!(bEdit || (bClick && pHdr->idFrom == IDC_ICONS)))
            return CDialog::OnNotify(wParam, lParam, pResult);
        const char* pszWhat = pHdr->code == NM_CLICK ? "click " : pHdr->code == NM_DBLCLK ? "dblclk " : pHdr->code == LVN_BEGINLABELEDIT ? "begin " : "end ";
        const int nItem = bClick ? reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem : item.iItem;
        std::string s = (pHdr->idFrom == IDC_PLAIN ? "plain " : "") + (pszWhat + std::to_string(nItem));
        if (pHdr->code == LVN_ENDLABELEDIT)
            s += " " + (item.pszText ? CString(item.pszText).ToUtf8() : std::string("cancelled"));
        m_events.push_back(s);
        *pResult = pHdr->code == LVN_ENDLABELEDIT && item.pszText != nullptr;
        return TRUE;
    }
};

} // namespace

TEST(LabelEdit, OnlyASecondClickOnTheFocusedItemsLabelBeginsEditing)
{
    CMouseDlg dlg;
    EXPECT_EQ(wintest::RunWithUser(dlg, [](ScriptedUser& u) {
        u.WaitForWindow(u"Mouse");
        // The list nList as the snapshot shows it meets pred.
        const auto waitList = [&](int nList, const std::function<bool(const tavren::ControlInfo&)>& pred, const std::string& strWhat) {
            u.WaitUntil([&](const tavren::Snapshot& s) { return s.Find(u"Mouse") && pred(*s.Find(u"Mouse")->Control(nList)); }, strWhat);
        };
        const auto waitSelected = [&](int nList, int nItem) {
            waitList(nList, [&](const tavren::ControlInfo& c) { return nItem < static_cast<int>(c.items.size()) && c.items[nItem].bSelected && c.items[nItem].bFocused; },
                     "item " + std::to_string(nItem) + " selected");
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
        waitList(IDC_ICONS, [](const tavren::ControlInfo& c) { return c.hEdit != 0; }, "the label editor");
        u.PressEscape();
        waitList(IDC_ICONS, [](const tavren::ControlInfo& c) { return c.hEdit == 0; }, "the label editor to close");

        u.ClickItem(IDC_PLAIN, 3, ListPart::Label);
        waitSelected(IDC_PLAIN, 3);
        u.ClickItem(IDC_PLAIN, 3, ListPart::Label);
        u.Expect(noEditorAfterTheDoubleClickTime(IDC_PLAIN), "a list without LVS_EDITLABELS never edits");
        u.PressEscape();
    }), IDCANCEL);
    EXPECT_EQ(dlg.m_events, (std::vector<std::string>{"click 1", "click 1", "click 1", "dblclk 1", "click 1", "begin 1", "end 1 cancelled"}));
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
        SetLastError(0);
        u.Expect(::MessageBoxW(static_cast<HWND>(1), u"Owned by nothing", u"No owner", MB_OK) == 0 &&
                     GetLastError() == ERROR_INVALID_WINDOW_HANDLE && !u.Look().Find(u"No owner"),
                 "an owner that is no window: the call fails and shows nothing");
        u.Click(IDC_ASK);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Save As", u"Replace the file?");
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
