// The keyboard in a dialog as a person uses it: Tab through the stops, typing one character at a
// time at the caret, arrows inside a radio group, mnemonics and the default look following a click, a combo box's keys, and
// an edit's selection, limit and read-only text.
#include "WindowTestSupport.h"

#include "platform/comctl/CommCtrl.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using tavren::kKeyAlt;
using tavren::kKeyCtrl;
using tavren::kKeyShift;
using tavren::ScriptedUser;
using wintest::kChild;

enum : int {
    IDC_NAME_LABEL = 16001, IDC_NAME, IDC_RND, IDC_SMALL, IDC_MEDIUM, IDC_LARGE, IDC_TRIM,
    IDC_HOOP_LABEL, IDC_HOOP, IDC_FIXED, IDC_SHORT, IDC_APPLY, IDC_OFF, IDC_HIDDEN
};
constexpr DWORD kTab = kChild | WS_TABSTOP;

const wintest::Items kItems = {
    {u"STATIC", IDC_NAME_LABEL, u"&Name:", 0, 5, 5, 40, 10, kChild | WS_GROUP, 0},
    {u"EDIT", IDC_NAME, u"Rose Garden", 0, 50, 5, 100, 13, kTab | WS_BORDER, 0},
    {u"STATIC", IDC_RND, u"R&&D", 0, 5, 20, 40, 10, kChild | WS_GROUP, 0},
    {u"BUTTON", IDC_SMALL, u"&Small", 0, 5, 35, 50, 10, kTab | WS_GROUP | BS_AUTORADIOBUTTON, 0},
    {u"BUTTON", IDC_MEDIUM, u"Me&dium", 0, 60, 35, 50, 10, kChild | BS_AUTORADIOBUTTON, 0},
    {u"BUTTON", IDC_LARGE, u"&Large", 0, 115, 35, 50, 10, kChild | BS_AUTORADIOBUTTON, 0},
    {u"BUTTON", IDC_TRIM, u"&Trim", 0, 5, 50, 50, 10, kTab | WS_GROUP | BS_AUTOCHECKBOX, 0},
    {u"STATIC", IDC_HOOP_LABEL, u"&Hoop:", 0, 5, 65, 40, 10, kChild | WS_GROUP, 0},
    {u"ComboBoxEx32", IDC_HOOP, u"", 0, 50, 65, 100, 60, kTab | CBS_DROPDOWNLIST, 0},
    {u"EDIT", IDC_FIXED, u"fixed", 0, 5, 80, 100, 13, kTab | WS_GROUP | WS_BORDER | ES_READONLY, 0},
    {u"EDIT", IDC_SHORT, u"", 0, 5, 95, 100, 13, kTab | WS_BORDER, 0},
    {u"BUTTON", IDC_OFF, u"Off", 0, 110, 80, 30, 14, kTab | WS_DISABLED, 0},
    {u"BUTTON", IDC_HIDDEN, u"Hidden", 0, 110, 95, 30, 14, WS_CHILD | WS_TABSTOP, 0},
    {u"BUTTON", IDOK, u"OK", 0, 5, 115, 50, 14, kTab | WS_GROUP | BS_DEFPUSHBUTTON, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 60, 115, 50, 14, kTab, 0},
    {u"BUTTON", IDC_APPLY, u"&Apply", 0, 115, 115, 50, 14, kTab, 0},
};

using Commands = std::vector<std::pair<int, int>>; // control id, notification code

// Records the buttons' and the combo box's notifications (and EN_MAXTEXT), not the edits' changes
// (the module reads none) nor the Cancel of the script's closing.
class CKeysDlg : public wintest::CTestDlg {
public:
    Commands m_commands;
    CKeysDlg() : CTestDlg(u"Keys", 180, 135, kItems) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        HWND hHoop = ::GetDlgItem(m_hWnd, IDC_HOOP);
        for (const char16_t* psz : {u"100 x 100", u"130 x 180", u"200 x 200"}) {
            COMBOBOXEXITEMW item{CBEIF_TEXT, -1, const_cast<LPWSTR>(psz)};
            ::SendMessageW(hHoop, CBEM_INSERTITEMW, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(&item)));
        }
        ::SendMessageW(hHoop, CB_SETCURSEL, 0, 0);
        ::SendMessageW(::GetDlgItem(m_hWnd, IDC_SHORT), EM_LIMITTEXT, 4, 0);
        return TRUE;
    }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) != EN_UPDATE && HIWORD(wParam) != EN_CHANGE && LOWORD(wParam) != IDCANCEL)
            m_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return CDialog::OnCommand(wParam, lParam);
    }
};

// Waits until control nId of the dialog satisfies pred (the script fails when it never does).
void WaitControl(ScriptedUser& u, int nId, const std::function<bool(const tavren::ControlInfo&)>& pred, const std::string& strWhat)
{
    u.WaitUntil([&](const tavren::Snapshot& s) {
        const tavren::WindowInfo* w = s.Find(u"Keys");
        return w && w->Control(nId) && pred(*w->Control(nId));
    }, strWhat);
}

void WaitFocus(ScriptedUser& u, int nId, const std::string& strWhat)
{
    WaitControl(u, nId, [](const tavren::ControlInfo& c) { return c.bFocused; }, strWhat);
}

// Runs the script on the dialog and closes it unless the script did; answers the dialog's result.
INT_PTR RunKeys(CKeysDlg& dlg, const ScriptedUser::Script& script, bool bScriptCloses = false)
{
    return wintest::RunWithUser(dlg, [&](ScriptedUser& u) {
        u.WaitForWindow(u"Keys");
        script(u);
        if (!bScriptCloses)
            u.Close();
    });
}

// Waits until the name shows strText; answers its selection then.
std::pair<int, int> WaitForName(ScriptedUser& u, const std::u16string& strText)
{
    WaitControl(u, IDC_NAME, [&](const tavren::ControlInfo& c) { return c.strText == strText; }, "the name's text");
    return {u.Control(IDC_NAME).nSelStart, u.Control(IDC_NAME).nSelEnd};
}

// Tab and Shift+Tab visit the tab stops in creation order, round at either end, pass by disabled
// and hidden ones, and select the whole text of an edit they reach; Tab is no character to type
// and clicks nothing (the commands begin with the first click). The arrows move the focus and the
// check round a radio group only.
TEST(DialogKeyboard, TabVisitsTheStopsInOrderAndArrowsGoRoundTheRadioGroupOnly)
{
    const std::pair<bool, int> tabs[] = { // with Shift, and where the focus goes
        {false, IDC_SMALL}, {false, IDC_TRIM}, {false, IDC_HOOP}, {false, IDC_FIXED}, {false, IDC_SHORT}, {false, IDOK},
        {false, IDCANCEL}, {false, IDC_APPLY}, {false, IDC_NAME}, {true, IDC_APPLY}, {true, IDCANCEL}, {true, IDOK}, {true, IDC_SHORT}};
    const std::tuple<int, WPARAM, int> arrows[] = {{IDC_SMALL, VK_DOWN, IDC_MEDIUM}, {IDC_MEDIUM, VK_RIGHT, IDC_LARGE},
                                                   {IDC_LARGE, VK_DOWN, IDC_SMALL}, // round to the group's first
                                                   {IDC_SMALL, VK_UP, IDC_LARGE},   {IDC_LARGE, VK_LEFT, IDC_MEDIUM}};
    CKeysDlg dlg;
    RunKeys(dlg, [&](ScriptedUser& u) {
        int nFrom = IDC_NAME;
        for (const auto& [bShift, nTo] : tabs) {
            u.PressKeyIn(nFrom, VK_TAB, bShift ? kKeyShift : 0);
            WaitFocus(u, nTo, "Tab from " + std::to_string(nFrom) + " to " + std::to_string(nTo));
            nFrom = nTo;
        }
        u.Expect(u.Control(IDC_NAME).strText == u"Rose Garden", "the Tab character is not typed into the edit");
        u.Expect(u.Control(IDC_FIXED).nSelStart == 0 && u.Control(IDC_FIXED).nSelEnd == 5, "the edit Tab reached has its text selected");

        u.Click(IDC_SMALL);
        WaitFocus(u, IDC_SMALL, "the clicked radio button has the focus");
        for (const auto& [nFrom, nKey, nTo] : arrows) {
            u.PressKeyIn(nFrom, nKey);
            WaitFocus(u, nTo, "the arrow moved the focus to " + std::to_string(nTo)); // focused and the only one checked
            for (int nId : {IDC_SMALL, IDC_MEDIUM, IDC_LARGE})
                u.Expect(u.Control(nId).nCheck == (nId == nTo ? BST_CHECKED : BST_UNCHECKED), "only the focused one is checked");
        }
        u.Click(IDC_TRIM); // a group of its own: the arrow stays, and does not toggle it
        WaitFocus(u, IDC_TRIM, "the clicked check box has the focus");
        u.PressKeyIn(IDC_TRIM, VK_DOWN);
        u.PressKeyIn(IDC_TRIM, VK_RIGHT);
        WaitFocus(u, IDC_TRIM, "the check box keeps the focus");
        u.Expect(u.Control(IDC_TRIM).nCheck == BST_CHECKED, "the arrows leave the check box as the click made it");
    });
    EXPECT_EQ(dlg.m_commands, (Commands{{IDC_SMALL, BN_CLICKED}, {IDC_MEDIUM, BN_CLICKED}, {IDC_LARGE, BN_CLICKED}, {IDC_SMALL, BN_CLICKED},
                                        {IDC_LARGE, BN_CLICKED}, {IDC_MEDIUM, BN_CLICKED}, {IDC_TRIM, BN_CLICKED}}));
}

// A mnemonic clicks a button (with Alt, or alone where the focus takes no characters); a clicked
// push button looks the default until the focus leaves it, and Enter then answers the dialog's own
// default, not the last button clicked. In the combo box the arrows choose while F4 and Alt+Down
// open the list, and Enter and Escape close the list, not the dialog.
TEST(DialogKeyboard, MnemonicsClickTheMarkedControlAndTheComboBoxKeysChooseOrOpenTheList)
{
    const std::tuple<int, WPARAM, UINT, int> steps[] = {
        {IDC_NAME, 'D', kKeyAlt | kKeyShift, IDC_MEDIUM}, // "R&&D" marks no letter; any case matches
        {IDC_MEDIUM, 'T', 0, IDC_TRIM},                   // a radio button takes no characters
        {IDC_TRIM, 'N', kKeyAlt, IDC_NAME},               // a label's goes to the control after it
        {IDC_NAME, 'A', 0, IDC_NAME},                     // typed: the edit wants characters
        {IDC_NAME, 'H', kKeyAlt, IDC_HOOP},               // then the combo box's keys
        {IDC_HOOP, 'A', kKeyAlt, IDC_APPLY},
    };
    const std::tuple<WPARAM, UINT, int, bool> comboKeys[] = { // the key, and the selection and list after it
        {VK_DOWN, 0, 1, false}, {VK_DOWN, 0, 2, false}, {VK_DOWN, 0, 2, false}, // the last stays
        {VK_UP, 0, 1, false},   {VK_F4, 0, 1, true},    {VK_RETURN, 0, 1, false},
        {VK_DOWN, kKeyAlt, 1, true}, {VK_ESCAPE, 0, 1, false}, {VK_DOWN, kKeyAlt, 1, true}, {VK_F4, 0, 1, false}};
    CKeysDlg dlg;
    const INT_PTR nResult = RunKeys(dlg, [&](ScriptedUser& u) {
        for (const auto& [nIn, nKey, nModifiers, nFocus] : steps) {
            u.PressKeyIn(nIn, nKey, nModifiers);
            WaitFocus(u, nFocus, "the mnemonic " + std::string(1, static_cast<char>(nKey)) + " moved the focus");
            for (const auto& [nComboKey, nComboModifiers, nSel, bDropped] : comboKeys) {
                if (nFocus == IDC_HOOP) { // the combo box's keys, before Alt+A leaves it
                    u.PressKeyIn(IDC_HOOP, nComboKey, nComboModifiers);
                    WaitControl(u, IDC_HOOP, [&](const tavren::ControlInfo& c) { return c.nCurSel == nSel && c.bDroppedDown == bDropped; },
                                "the combo box's selection and list after key " + std::to_string(nComboKey));
                }
            }
        }
        u.Expect(u.Control(IDC_HOOP).strText == u"130 x 180", "the combo box's text shows the selection");
        u.Expect(u.Control(IDC_MEDIUM).nCheck == BST_CHECKED && u.Control(IDC_TRIM).nCheck == BST_CHECKED, "both were clicked");
        u.Expect(u.Control(IDC_NAME).strText == u"a", "the letter was typed over the selected text");
        u.Expect(u.Control(IDC_APPLY).bDefault && !u.Control(IDOK).bDefault, "the clicked push button looks the default");
        u.Type(IDC_NAME, u"s"); // the click into the edit gives the look back to OK
        WaitControl(u, IDOK, [](const tavren::ControlInfo& c) { return c.bDefault; }, "OK looks the default again");
        u.Expect(!u.Control(IDC_APPLY).bDefault, "Apply is a plain button again");
        u.PressEnter();
        u.WaitForClose();
    }, true);
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(dlg.m_commands, (Commands{{IDC_MEDIUM, BN_CLICKED}, {IDC_TRIM, BN_CLICKED}, {IDC_HOOP, CBN_SELCHANGE}, {IDC_HOOP, CBN_SELCHANGE},
                                        {IDC_HOOP, CBN_SELCHANGE}, {IDC_HOOP, CBN_DROPDOWN}, {IDC_HOOP, CBN_DROPDOWN}, {IDC_HOOP, CBN_DROPDOWN},
                                        {IDC_APPLY, BN_CLICKED}, {IDOK, BN_CLICKED}}));
}

// Typing goes character by character at the caret; Shift extends the selection from its anchor;
// the limit and a read-only edit keep their text. (The clipboard is left out: the module neither
// copies nor pastes.)
TEST(DialogKeyboard, EditsTypeAtTheCaretSelectWithShiftAndKeepTheirLimitAndReadOnlyText)
{
    struct Case { int nId; WPARAM nKey; UINT nModifiers; std::u16string strText; int nSelStart, nSelEnd; };
    const Case cases[] = {
        {IDC_NAME, VK_HOME, 0, u"Rose Garden", 0, 0},
        {IDC_NAME, VK_RIGHT, kKeyShift, u"Rose Garden", 0, 1},
        {IDC_NAME, VK_END, kKeyShift, u"Rose Garden", 0, 11},
        {IDC_NAME, VK_LEFT, 0, u"Rose Garden", 10, 10},
        {IDC_NAME, VK_LEFT, kKeyShift, u"Rose Garden", 9, 10},
        {IDC_NAME, VK_HOME, kKeyShift, u"Rose Garden", 0, 10}, // from the anchor, not the old start
        {IDC_NAME, VK_DELETE, 0, u"n", 0, 0},
        {IDC_FIXED, 'A', kKeyCtrl, u"fixed", 0, 5},
        {IDC_FIXED, VK_DELETE, 0, u"fixed", 0, 5}, // read-only: nothing goes
        {IDC_FIXED, VK_BACK, 0, u"fixed", 0, 5},
    };
    std::pair<int, int> selAtStart{-1, -1};
    CKeysDlg dlg;
    RunKeys(dlg, [&](ScriptedUser& u) {
        selAtStart = {u.Control(IDC_NAME).nSelStart, u.Control(IDC_NAME).nSelEnd};
        u.Type(IDC_NAME, u"Tulip"); // the dialog gave it the focus with its text selected: replaced
        WaitForName(u, u"Tulip");
        u.Type(IDC_NAME, u"s");     // the caret is after "Tulip"
        u.PressKeyIn(IDC_NAME, VK_HOME);
        u.Type(IDC_NAME, u"Red ");
        WaitForName(u, u"Red Tulips");
        // Right, Delete the "u", End, Left, Backspace the "p"; then at either end a key that has
        // nothing to delete changes nothing.
        for (WPARAM nKey : {VK_RIGHT, VK_DELETE, VK_END, VK_LEFT, VK_BACK})
            u.PressKeyIn(IDC_NAME, nKey);
        u.Expect(WaitForName(u, u"Red Tlis") == std::make_pair(7, 7), "the caret between \"Tli\" and \"s\"");
        for (WPARAM nKey : {VK_HOME, VK_BACK, VK_LEFT, VK_END, VK_DELETE, VK_RIGHT})
            u.PressKeyIn(IDC_NAME, nKey);
        u.Type(IDC_NAME, u"\U0001F337"); // one character, two code units
        WaitForName(u, u"Red Tlis\U0001F337");
        u.ReplaceText(IDC_NAME, u"Rose Garden");
        for (const Case& c : cases) {
            u.PressKeyIn(c.nId, c.nKey, c.nModifiers);
            WaitControl(u, c.nId, [&](const tavren::ControlInfo& i) {
                return i.strText == c.strText && i.nSelStart == c.nSelStart && i.nSelEnd == c.nSelEnd;
            }, "the edit after key " + std::to_string(c.nKey));
        }
        u.Type(IDC_SHORT, u"Roses");
        WaitControl(u, IDC_SHORT, [](const tavren::ControlInfo& i) { return i.strText == u"Rose"; }, "the limit holds");
    });
    EXPECT_EQ(selAtStart, std::make_pair(0, 11)) << "the dialog selects the first edit's text when it gives it the focus";
    EXPECT_EQ(dlg.m_commands, (Commands{{IDC_SHORT, EN_MAXTEXT}}));
}

} // namespace
