// Writing the design to a flash drive on the PC: a name the rules refuse, the question before a
// file of the same name is replaced, a write the drive refuses; the proposed name as shown and
// "Rename" from its button (the stem offered without its extension, a bad stem refused without
// closing, the accepted name the one the file is written under). (Drives pulled out while the
// dialog shows: the File Manager's ATargetAboveTwoIsRefused... test for the change both dialogs
// share, WriteDesignFaultTest for the machine's cable pulled and plugged back in.)
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

constexpr const char16_t* kRenameCaption = u"Rename";
constexpr int kEdit = 13009;
constexpr const char16_t* kReplace = u"rose.qef already exists.\nDo you want to replace it?";

class WriteDesignDriveTest : public WriteDesignFixture {
protected:
    WriteDesignDriveTest() : WriteDesignFixture(false) {}

    fs::path Work() const { return Stick() / "EMB" / "Embf"; }
    fs::path Flowers() const { return Stick() / "EMB" / "Flowers"; }
    // WriteSendDialog to the flash drive, opening at E:\EMB\Flowers (where ">>" is allowed).
    int32_t RunInFlowers(const char16_t* pszName, const ScriptedUser::Script& script)
    {
        fs::create_directories(Flowers());
        HostCall c{.bytes = m_bytes, .strName = pszName, .strFolder = u"E:\\EMB\\Flowers", .nTarget = 0};
        return Run(c, script);
    }
    static std::u16string NameShown(ScriptedUser& u) { u.WaitForWindow(kCaption); return u.Control(kName).strText; }

    const fixture::Bytes m_bytes{0x10, 0x20, 0x30, 0x40, 0x00, 0xFF};
};
using RenameDlgTest = WriteDesignDriveTest;

class WriteDesignDeviceChangeTest : public WriteDesignFixture {
protected:
    WriteDesignDeviceChangeTest() : WriteDesignFixture(true) {}
};

} // namespace

TEST_F(WriteDesignDriveTest, AFileOfTheSameNameIsReplacedOnlyAfterYesAndAWriteTheDriveRefusesShowsThePath)
{
    const fixture::Bytes old = DesignBytes("Bean.dst");
    Put(Work() / "ROSE.qef", old);
    Put(Work() / "tulip.qef", old);
    // A folder stands where the file would go in E:\EMB.
    fs::create_directories(Stick() / "EMB" / "Rose.qef");
    HostCall c{.bytes = DesignBytes("Cake 3.dst"), .bDeep = 1, .nTarget = 0};
    EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
        Open(u, kStick, {u"Embf", u"Rose.qef"});
        u.Click(kSend);
        AnswerBox(u, u"Save As", kReplace, MB_ICONEXCLAMATION, IDYES);
        AnswerBox(u, u"Error", u"Access is denied.\r\nE:\\EMB\\rose.qef", MB_ICONEXCLAMATION);
        // Still there: the person sends into the working folder instead.
        Open(u, u"Embf", {u"ROSE.qef", u"tulip.qef"});
        u.Click(kSend);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Save As", kReplace);
        u.Expect(box.nIcon == MB_ICONEXCLAMATION && box.buttons == std::vector<int>{IDYES, IDNO}, "the exclamation icon with Yes and No");
        u.Answer(IDNO);
        u.WaitForWindow(kCaption);
        u.Expect(Read(Work() / "ROSE.qef") == old, "No leaves the file as it was");
        u.Click(kSend);
        AnswerBox(u, u"Save As", kReplace, MB_ICONEXCLAMATION, IDYES);
    }), IDOK);
    EXPECT_TRUE(fs::is_directory(Stick() / "EMB" / "Rose.qef"));
    // One file of that name, with the new design.
    const std::vector<std::string> names = NamesIn(Work());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(Read(Work() / (names[0] == "tulip.qef" ? names[1] : names[0])), c.bytes);
    EXPECT_EQ(Read(Work() / "tulip.qef"), old);
    EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
}

TEST_F(RenameDlgTest, ARefusedNameOrStemKeepsTheDialogOpenTheNewStemKeepsTheOldExtensionAndANameWithoutADotIsNotOffered)
{
    EXPECT_EQ(RunInFlowers(u"CON .QEF", [](ScriptedUser& u) {
        u.Expect(NameShown(u) == u"CON.qef", "the proposed name as shown");
        // A name the rules refuse is told of (each rule's message: the name rules' test), and the
        // dialog stays for another try.
        u.Click(kSend);
        AnswerBox(u, u"Confirm", u"This file/folder name is a reserved device name.\nPlease choose another name.", MB_ICONEXCLAMATION);
        u.WaitForWindow(kCaption);
        u.Click(kRename);
        u.WaitForWindow(kRenameCaption);
        tavren::ControlInfo edit = u.Control(kEdit);
        u.Expect(edit.strText == u"CON" && edit.nSelStart == 0 && edit.nSelEnd == 3, "only the stem offered, all selected");
        u.Expect(edit.nLimit == 236, "at most 236 characters");
        for (const auto& [strTyped, strMessage] : std::vector<std::pair<std::u16string, std::u16string>>{
                 {u"   ", u"Enter a file/foder name."},
                 {u"Ro:se", u"A file/folder name cannot contain any of the following characters:\n \\ / : * ? \" < > |"}}) {
            u.ReplaceText(kEdit, strTyped);
            u.Click(IDOK);
            AnswerBox(u, u"Confirm", strMessage, MB_ICONEXCLAMATION);
            u.WaitForWindow(kRenameCaption);
            edit = u.Control(kEdit);
            u.Expect(edit.strText == strTyped && edit.bFocused && edit.nSelStart == 0 &&
                         edit.nSelEnd == static_cast<int>(strTyped.size()),
                     "the refused text stays in the focused edit, all of it selected again");
        }
        u.Click(IDCANCEL);
        u.WaitForClose(kRenameCaption);
        u.Expect(NameShown(u) == u"CON.qef", "Cancel after a refusal keeps the old name");
        u.Click(kRename);
        u.WaitForWindow(kRenameCaption);
        u.ReplaceText(kEdit, u"  Tulip Garden  ");
        u.Click(IDOK);
        u.WaitForClose(kRenameCaption);
        u.Expect(NameShown(u) == u"Tulip Garden.qef", "the new stem, trimmed, with the old extension");
        u.Click(kSend);
        u.WaitForClose(kCaption);
    }), IDOK);
    EXPECT_EQ(NamesIn(Flowers()), std::vector<std::string>{"Tulip Garden.qef"});
    EXPECT_EQ(Read(Flowers() / "Tulip Garden.qef"), m_bytes);

    // A proposed name without a dot is trimmed, read-only and not offered for renaming. (The
    // extension from the last dot: FolderListNames.TheExtensionFromTheLastDotDecidesWhichListShowsAFile.)
    EXPECT_EQ(RunInFlowers(u" Rose\t ", [](ScriptedUser& u) {
        u.Expect(NameShown(u) == u"Rose" && u.Control(kName).bReadOnly, "\"Rose\", not to be typed over");
        // "Stlye" switches the list to details; once that shows, the "Rename" click was handled.
        u.Click(kRename);
        u.Click(kStyle);
        const Snapshot snap = u.WaitUntil([](const Snapshot& s) { return Find(s, kList) && Find(s, kList)->nView == 1; }, "the details view");
        u.Expect(snap.Find(kRenameCaption) == nullptr && NameShown(u) == u"Rose", "no \"Rename\" dialog, the name unchanged");
        u.Click(IDCANCEL);
    }), IDCANCEL);
}

// The PC's drives only: the one shown pulled out, then the last one; the machine only: its cable
// pulled while a folder of it is shown.
TEST_F(WriteDesignDeviceChangeTest, PullingTheShownFlashDriveGoesBackToTheRootViewAndTheLastOrTheMachineAloneClosesTheDialog)
{
    HostCall c = Host(0);
    EXPECT_EQ(Run(c, [](ScriptedUser& u) {
        Open(u, kStick, {u"Embf"});
        RemoveDrive(u'E');
        const Snapshot s = WaitForItems(u, {kStick2}, "E: pulled out");
        u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
        u.Expect(!BoxHas(s, kStick) && BoxHas(s, kStick2), "the location box without E: " + Describe(BoxOf(s)));
        RemoveDrive(u'F');
        u.WaitForClose();
    }), IDCANCEL);
    fs::create_directories(Emb() / "Flowers");
    HostCall machine = Host(1);
    EXPECT_EQ(Run(machine, [this](ScriptedUser& u) {
        Open(u, kBuiltIn, {u"Flowers"});
        Ctl({"cable", "pull"});
        u.WaitForClose();
    }), IDCANCEL);
}
