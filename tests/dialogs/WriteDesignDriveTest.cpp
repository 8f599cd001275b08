// Writing the design to a flash drive on the PC: names the rules refuse, the question before a
// file of the same name is replaced, a write the drive refuses; "Rename" from its button (the stem
// offered without its extension, a bad stem refused without closing, the accepted name the one the
// file is written under); and flash drives pulled out of the PC while the dialog shows, down to
// nothing left to write to (the machine's cable pulled and plugged back in: the fault tests).
#include "tests/dialogs/WriteDesignFixture.h"

#include "platform/base/WinError.h"

using namespace wdtest;

namespace {

class WriteDesignDriveTest : public WriteDesignFixture {
protected:
    WriteDesignDriveTest() : WriteDesignFixture(false) {}

    fs::path Work() const { return Stick() / "EMB" / "Embf"; }

    static std::u16string SystemText(DWORD dwError)
    {
        char16_t sz[512] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, sz, 512, nullptr);
        return sz;
    }
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
using RenameDlgTest = WriteDesignDriveTest;

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

class WriteDesignDeviceChangeTest : public WriteDesignFixture {
protected:
    WriteDesignDeviceChangeTest() : WriteDesignFixture(true) {}
};

} // namespace

TEST_F(WriteDesignDriveTest, ANameTheRulesRefuseShowsTheRuleAndWritesNothing)
{
    fs::create_directories(Work());
    struct Case {
        std::u16string strName, strText;
    };
    const std::vector<Case> cases = {
        {u"a*b.qef", u"A file/folder name cannot contain any of the following characters:\n \\ / : * ? \" < > |"},
        {u"CON.qef", u"This file/folder name is a reserved device name.\nPlease choose another name."},
        {u"lpt7.QEF", u"This file/folder name is a reserved device name.\nPlease choose another name."},
        {u".qef", u"You must type a file/folder name."},
    };
    for (const Case& k : cases) {
        HostCall c;
        c.bytes = DesignBytes();
        c.strName = k.strName;
        c.nTarget = 0;
        ScriptedUser user([&k](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            Open(u, kStick, {u"Embf"});
            Open(u, u"Embf", {});
            u.Click(kSend);
            const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", k.strText);
            u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
            u.Answer(IDOK);
            // The dialog stays for another try.
            u.WaitForWindow(kCaption);
            u.Click(IDCANCEL);
        });
        EXPECT_EQ(Call(c), IDCANCEL) << Narrow(k.strName);
        EXPECT_TRUE(user.Finish()) << user.Report();
        EXPECT_TRUE(NamesIn(Work()).empty()) << Narrow(k.strName) << " was written";
        EXPECT_EQ(c.folder, c.before);
    }
}

TEST_F(WriteDesignDriveTest, AFileOfTheSameNameIsReplacedOnlyAfterYes)
{
    const fixture::Bytes old = DesignBytes("Bean.dst");
    Put(Work() / "ROSE.qef", old);
    Put(Work() / "tulip.qef", old);
    HostCall c;
    c.bytes = DesignBytes("Cake 3.dst");
    c.strName = u"rose.qef";
    c.nTarget = 0;
    ScriptedUser user([&](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kStick, {u"Embf"});
        Open(u, u"Embf", {u"ROSE.qef", u"tulip.qef"});
        u.Click(kSend);
        const tavren::WindowInfo& box =
            u.ExpectMessageBox(u"Save As", u"rose.qef already exists.\nDo you want to replace it?");
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
        u.Expect(box.buttons == std::vector<int>{IDYES, IDNO}, "Yes and No");
        u.Answer(IDNO);
        u.WaitForWindow(kCaption);
        u.Expect(Read(Work() / "ROSE.qef") == old, "No leaves the file as it was");
        u.Click(kSend);
        u.ExpectMessageBox(u"Save As", u"rose.qef already exists.\nDo you want to replace it?");
        u.Answer(IDYES);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    // One file of that name, with the new design.
    const std::vector<std::string> names = NamesIn(Work());
    ASSERT_EQ(names.size(), 2u);
    const std::string& rose = names[0] == "tulip.qef" ? names[1] : names[0];
    EXPECT_EQ(Read(Work() / rose), c.bytes);
    EXPECT_EQ(Read(Work() / "tulip.qef"), old);
    EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
}

TEST_F(WriteDesignDriveTest, AWriteTheDriveRefusesIsShownWithThePathAndTheDialogStays)
{
    // A folder stands where the file would go.
    fs::create_directories(Stick() / "EMB" / "Rose.qef");
    fs::create_directories(Work());
    const std::u16string strText = SystemText(ERROR_ACCESS_DENIED) + u"E:\\EMB\\rose.qef";
    HostCall c;
    c.bytes = DesignBytes();
    c.strName = u"rose.qef";
    c.nTarget = 0;
    c.bDeep = 1;
    ScriptedUser user([&](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kStick, {u"Embf", u"Rose.qef"});
        u.Click(kSend);
        u.ExpectMessageBox(u"Save As", u"rose.qef already exists.\nDo you want to replace it?");
        u.Answer(IDYES);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Error", strText);
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
        u.Answer(IDOK);
        // Still there: the person sends into the working folder instead.
        u.WaitForWindow(kCaption);
        Open(u, u"Embf", {});
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_TRUE(fs::is_directory(Stick() / "EMB" / "Rose.qef"));
    EXPECT_EQ(Read(Work() / "rose.qef"), c.bytes);
    EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
}

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

// The PC's drives only: the one shown pulled out, then the last one.
TEST_F(WriteDesignDeviceChangeTest, PullingTheShownFlashDriveGoesBackToTheRootViewAndTheLastClosesTheDialog)
{
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 0;
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kStick, {u"Embf"});
        RemoveDrive(u'E');
        const Snapshot s = WaitForItems(u, {kStick2}, "E: pulled out");
        u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
        u.Expect(!BoxHas(s, kStick) && BoxHas(s, kStick2), "the location box without E: " + Describe(BoxOf(s)));
        RemoveDrive(u'F');
        u.WaitForClose();
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(c.folder, c.before);
}

// The machine only: its cable pulled while a folder of it is shown.
TEST_F(WriteDesignDeviceChangeTest, TheDialogClosesWhenTheMachineAloneGoes)
{
    fs::create_directories(Emb() / "Flowers");
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 1;
    ScriptedUser user([this](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kBuiltIn, {u"Flowers"});
        Ctl({"cable", "pull"});
        u.WaitForClose();
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(c.folder, c.before);
}
