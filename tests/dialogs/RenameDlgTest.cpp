// "Rename", as a person meets it: from the "Rename" button of "Write a Design" (WriteSendDialog
// writing to a USB flash drive on the PC). The stem is offered without its extension, the name
// rules refuse a bad stem without closing, and what the person accepts becomes the name the file
// is written under.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

constexpr const char16_t* kRenameCaption = u"Rename";
constexpr int kEdit = 13009;
constexpr const char16_t* kEmptyName = u"Enter a file/foder name.";
constexpr const char16_t* kBadChar =
    u"A file/folder name cannot contain any of the following characters:\n \\ / : * ? \" < > |";

std::u16string NameShown(ScriptedUser& u)
{
    u.WaitForWindow(kCaption);
    return u.Control(kName).strText;
}

class RenameDlgTest : public WriteDesignFixture {
protected:
    RenameDlgTest() : WriteDesignFixture(false) {}
    fs::path Flowers() const { return Stick() / "EMB" / "Flowers"; }
    // WriteSendDialog to the flash drive, opening at E:\EMB\Flowers (where ">>" is allowed).
    int32_t Run(const char16_t* pszName)
    {
        fs::create_directories(Flowers());
        HostCall c;
        c.bytes = m_bytes;
        c.strName = pszName;
        c.nTarget = 0;
        c.strFolder = u"E:\\EMB\\Flowers";
        return Call(c);
    }

    const fixture::Bytes m_bytes{0x10, 0x20, 0x30, 0x40, 0x00, 0xFF};
};

} // namespace

TEST_F(RenameDlgTest, TheNewStemKeepsTheOldExtensionWithoutItsBlanks)
{
    ScriptedUser user([](ScriptedUser& u) {
        u.Expect(NameShown(u) == u"Rose.qef", "the proposed name as shown");
        u.Click(kRename);
        u.WaitForWindow(kRenameCaption);
        const tavren::ControlInfo edit = u.Control(kEdit);
        u.Expect(edit.strText == u"Rose", "only the stem is offered");
        u.Expect(edit.nSelStart == 0 && edit.nSelEnd == 4, "all of it selected");
        u.Expect(edit.nLimit == 236, "at most 236 characters");
        u.ReplaceText(kEdit, u"  Tulip Garden  ");
        u.Click(IDOK);
        u.WaitForClose(kRenameCaption);
        u.Expect(NameShown(u) == u"Tulip Garden.qef", "the new stem, trimmed, with the old extension");
        u.Click(kSend);
        u.WaitForClose(kCaption);
    });
    EXPECT_EQ(Run(u"Rose .QEF"), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(NamesIn(Flowers()), std::vector<std::string>{"Tulip Garden.qef"});
    EXPECT_EQ(Read(Flowers() / "Tulip Garden.qef"), m_bytes);
}

TEST_F(RenameDlgTest, ARefusedNameKeepsTheDialogOpenWithTheTextSelectedAndCancelKeepsTheOldName)
{
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        u.Click(kRename);
        u.WaitForWindow(kRenameCaption);
        const struct {
            std::u16string_view strTyped;
            std::u16string_view strMessage;
        } refusals[] = {{u"   ", kEmptyName}, {u"Ro:se", kBadChar}};
        for (const auto& r : refusals) {
            u.ReplaceText(kEdit, r.strTyped);
            u.Click(IDOK);
            const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", r.strMessage);
            u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
            u.Answer(IDOK);
            u.WaitForWindow(kRenameCaption);
            const tavren::ControlInfo edit = u.Control(kEdit);
            u.Expect(edit.strText == r.strTyped, "the refused text stays for correction");
            u.Expect(edit.bFocused, "the edit has the focus again");
            const int nLength = static_cast<int>(r.strTyped.size());
            u.Expect(edit.nSelStart == 0 && edit.nSelEnd == nLength, "and all of it is selected again");
        }
        u.Click(IDCANCEL);
        u.WaitForClose(kRenameCaption);
        u.Expect(NameShown(u) == u"Rose.qef", "Cancel after a refusal keeps the old name");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(u"Rose.qef"), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_TRUE(NamesIn(Flowers()).empty());
}

TEST_F(RenameDlgTest, ANameWithoutADotIsNotOfferedForRenaming)
{
    ScriptedUser user([](ScriptedUser& u) {
        u.Expect(NameShown(u) == u"Rose", "a name without a dot is trimmed and otherwise kept");
        u.Click(kRename);
        // "Stlye" switches the list to details; once that shows, the "Rename" click was handled.
        u.Click(kStyle);
        const Snapshot snap = u.WaitUntil(
            [](const Snapshot& s) {
                const tavren::WindowInfo* w = s.Find(kCaption);
                return w && w->Control(kList)->nView == 1;
            },
            "the details view");
        u.Expect(snap.Find(kRenameCaption) == nullptr, "no \"Rename\" dialog");
        u.Expect(NameShown(u) == u"Rose", "the name unchanged");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(u"  Rose  "), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}
