// Typing as a person types: one character at a time at the caret, keys that move the caret and
// delete, and the parent told of every change.
#include "WindowTestSupport.h"

#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using wintest::kChild;

constexpr int IDC_NAME = 15001;

const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"EDIT", IDC_NAME, u"Rose", 0, 10, 10, 150, 13, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0},
};

// Records each EN_CHANGE with the text the edit has at that moment.
class CTypingDlg : public CDialog {
public:
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Typing", 170, 40, kItems);
    std::vector<std::u16string> m_changes;

    CTypingDlg() { SetTemplate(&m_tmpl); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_changes.clear(); // only what the person does
        return TRUE;
    }

protected:
    afx_msg void OnNameChange()
    {
        CString s;
        GetDlgItemText(IDC_NAME, s);
        m_changes.push_back(std::u16string(s.GetString()));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTypingDlg, CDialog)
    ON_EN_CHANGE(IDC_NAME, OnNameChange)
END_MESSAGE_MAP()

// Waits until the edit shows strText; answers its selection then.
std::pair<int, int> WaitForText(tavren::ScriptedUser& u, int nId, std::u16string strText)
{
    tavren::Snapshot s = u.WaitUntil(
        [&](const tavren::Snapshot& snap) {
            const tavren::WindowInfo* w = snap.Find(u"Typing");
            return w && w->Control(nId) && w->Control(nId)->strText == strText;
        },
        "the edit's text");
    const tavren::ControlInfo* c = s.Find(u"Typing")->Control(nId);
    return {c->nSelStart, c->nSelEnd};
}

TEST(Typing, TypesCharacterByCharacterAtTheCaret)
{
    wintest::Watchdog watchdog;
    CTypingDlg dlg;
    std::pair<int, int> selAtStart{-1, -1};
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        const tavren::WindowInfo& w = u.WaitForWindow(u"Typing");
        const tavren::ControlInfo* pName = w.Control(IDC_NAME);
        selAtStart = {pName->nSelStart, pName->nSelEnd};
        u.Type(IDC_NAME, u"Tulip"); // the dialog gave it the focus with its text selected: replaced
        WaitForText(u, IDC_NAME, u"Tulip");
        u.Type(IDC_NAME, u"s");     // the caret is after "Tulip"
        u.PressKeyIn(IDC_NAME, VK_HOME);
        u.Type(IDC_NAME, u"Red ");
        u.PressKeyIn(IDC_NAME, VK_RIGHT);
        u.PressKeyIn(IDC_NAME, VK_DELETE); // the "u"
        u.PressKeyIn(IDC_NAME, VK_END);
        u.PressKeyIn(IDC_NAME, VK_LEFT);
        u.PressKeyIn(IDC_NAME, VK_BACK);   // the "p"
        auto sel = WaitForText(u, IDC_NAME, u"Red Tlis");
        u.Expect(sel == std::make_pair(7, 7), "the caret between \"Tli\" and \"s\"");
        u.PressKeyIn(IDC_NAME, VK_HOME);
        u.PressKeyIn(IDC_NAME, VK_BACK);   // nothing before the caret: no change
        u.PressKeyIn(IDC_NAME, VK_LEFT);
        u.PressKeyIn(IDC_NAME, VK_END);
        u.PressKeyIn(IDC_NAME, VK_DELETE); // nothing after it: no change
        u.PressKeyIn(IDC_NAME, VK_RIGHT);
        u.Type(IDC_NAME, u"\U0001F337"); // one character, two code units
        WaitForText(u, IDC_NAME, u"Red Tlis\U0001F337");
        u.ReplaceText(IDC_NAME, u"Iris");
        WaitForText(u, IDC_NAME, u"Iris");
        u.Close();
    });
    dlg.DoModal();
    ASSERT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(selAtStart, std::make_pair(0, 4)) << "the dialog selects the first edit's text when it gives it the focus";
    const std::vector<std::u16string> expected = {
        u"T", u"Tu", u"Tul", u"Tuli", u"Tulip", u"Tulips", u"RTulips", u"ReTulips", u"RedTulips", u"Red Tulips",
        u"Red Tlips", u"Red Tlis", u"Red Tlis\xD83C", u"Red Tlis\U0001F337",
        u"I", u"Ir", u"Iri", u"Iris"};
    EXPECT_EQ(dlg.m_changes, expected) << "one EN_CHANGE a character typed or deleted, none for moves";
}

} // namespace
