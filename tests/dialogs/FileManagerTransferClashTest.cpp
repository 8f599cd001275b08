// Names that clash with the destination: the question for each file, Yes replacing, No skipping,
// Cancel skipping that file and every later clash without asking; skipped files unticked with the
// counter following at once, and nothing at all moving when every file is skipped.
#include "tests/dialogs/FileManagerTransferFixture.h"

namespace {

using namespace fmtest;

class FileManagerTransferClashTest : public FileManagerTransferFixture {};

std::u16string Question(std::u16string_view strName)
{
    return std::u16string(strName) + u" already exists.\nDo you want to replace it?";
}

// The question for the file, with the PC counter as it stands while it is asked, then the answer.
void Answer(ScriptedUser& u, std::u16string_view strName, std::u16string_view strCounter, int nButton)
{
    const tavren::WindowInfo& box = u.ExpectMessageBox(u"Save As", Question(strName));
    u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the question shows the exclamation icon");
    u.Expect(box.buttons == std::vector<int>{IDYES, IDNO, IDCANCEL}, "the question offers Yes, No and Cancel");
    const Snapshot snap = u.Look();
    const tavren::ControlInfo* pCounter = FileManagerTransferFixture::ControlIn(snap, kPcCount);
    u.Expect(pCounter && pCounter->strText == strCounter,
             "the PC counter reads \"" + Narrow(strCounter) + "\" while " + Narrow(strName) + " is asked about, not \"" +
                 (pCounter ? Narrow(pCounter->strText) : std::string("(none)")) + "\"");
    u.Answer(nButton);
}

TEST_F(FileManagerTransferClashTest, YesReplacesNoSkipsCancelSkipsEveryLaterClash)
{
    for (const char* name : {"a.stx", "b.stx", "c.stx", "d.stx"})
        WriteAll(UserSt() / name, Stx(20));
    WriteAll(Desktop() / "a.stx", Stx(5));
    WriteAll(Desktop() / "b.stx", Stx(6));
    WriteAll(Desktop() / "c.stx", Stx(7));
    WriteAll(Desktop() / "D.STX", Stx(8)); // clashes without regard to case
    WriteAll(Desktop() / "e.stx", Stx(9));

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx", u"b.stx", u"c.stx", u"D.STX", u"e.stx"});
        OpenMachineSide(u, u"Built-in", {u"a.stx", u"b.stx", u"c.stx", u"d.stx"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx", u"D.STX", u"e.stx"})
            Tick(u, kPcList, name);
        // A ticked file on the machine that gets replaced stays ticked.
        Tick(u, kMachineList, u"a.stx");
        Press(u, kToMachine);
        Answer(u, u"a.stx", u" 5", IDYES);
        Answer(u, u"b.stx", u" 5", IDNO);
        // b went unticked the moment it was skipped.
        Answer(u, u"c.stx", u" 4", IDCANCEL);
        // D.STX is skipped without a question; e.stx, without a clash, still goes.
        WaitForShown(u, kMachineList, {u"a.stx*", u"b.stx", u"c.stx", u"d.stx", u"e.stx"}, "e.stx added to the machine pane");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 0", "the ticks cleared after the send");
        u.Expect(Text(u, kMachineCount) == u" 1", "the machine's tick counted still");
        // The replaced file shows the plain STX picture again (its preview was of the old bytes).
        const Snapshot snap = u.Look();
        const tavren::ControlInfo* pList = ControlIn(snap, kMachineList);
        const int nReplaced = IndexIn(snap, kMachineList, u"a.stx");
        u.Expect(pList && nReplaced >= 0 && pList->items[static_cast<size_t>(nReplaced)].nImage == 23,
                 "a.stx shows the ticked plain STX picture");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(UserSt() / "b.stx"), Stx(20));
    EXPECT_EQ(ReadAll(UserSt() / "c.stx"), Stx(20));
    EXPECT_EQ(ReadAll(UserSt() / "d.stx"), Stx(20));
    EXPECT_FALSE(fs::exists(UserSt() / "D.STX"));
    EXPECT_EQ(ReadAll(UserSt() / "e.stx"), Stx(9));
}

} // namespace
