// Copies in the File Manager as a person makes them: ticked files sent from the PC to the machine,
// every refusal reported once per batch in its own box and order, the rest arriving byte for byte
// and coming back the same; the 60-item limit of STX patterns in built-in storage; a transfer the
// machine refuses, which keeps the ticks; names that clash with the destination (Yes replacing, No
// skipping, Cancel skipping every later clash, the counter following at once); and copies both
// ways between the PC and a USB flash drive attached to it, failed ones gathered under the
// system's own message.
#include "tests/dialogs/FileManagerTransferFixture.h"

namespace {

using namespace fmtest;

class FileManagerTransferTest : public FileManagerTransferFixture {};

// U+96EA, a character the machine's code page lacks.
const std::u16string kSnow = u"\u96EA.stx";

TEST_F(FileManagerTransferTest, DesignBatchReportsEachReasonOnceInOrder)
{
    using namespace fixture;
    const std::string strStar = CorpusDesign("Star.DST", ".qef");
    const std::string strBean = CorpusDesign("Bean.dst", ".qpx");
    WriteAll(Desktop() / "star.qef", strStar);
    WriteAll(Desktop() / "bean.qpx", strBean);
    // 1400 to the right and 1400 to the left, 2300 up and down: exactly the editing area.
    WriteAll(Desktop() / "edge.qef", FromBytes(MakeQef(LayoutFromStitches({Sew(1400, 0), Sew(-2800, 2300), EndDesign()}))));
    WriteAll(Desktop() / "wide.qef", FromBytes(MakeQef(LayoutFromStitches({Sew(1401, 0), EndDesign()}))));
    DesignLayout layers;
    layers.words = MakeRandomWords(2000, 201, 1);
    layers.palette.assign(201, 5);
    WriteAll(Desktop() / "layers.qpx", FromBytes(MakeQpx(layers)));
    DesignLayout stitches;
    stitches.words = MakeRandomWords(200001, 3, 2);
    stitches.palette = {1, 2, 3};
    WriteAll(Desktop() / "stitches.qef+", FromBytes(MakeQefPlus(stitches)));
    WriteAll(Desktop() / "spoilt.qef", strStar);
    WriteAll(Desktop() / "vanished.qef", strStar);
    WriteAll(Desktop() / "\xE9\x9B\xAA.qef", strStar);
    const std::string strKept = CorpusDesign("shamrockin.dst", ".qef");
    WriteAll(Emb() / "kept.qef", strKept);

    RunDesigns([&](ScriptedUser& u) {
        const std::vector<std::u16string> all = {u"star.qef",   u"bean.qpx",    u"edge.qef",     u"wide.qef",  u"layers.qpx",
                                                 u"stitches.qef+", u"spoilt.qef", u"vanished.qef", u"\u96EA.qef"};
        OpenDesktop(u, all);
        OpenMachineSide(u, u"Built-in", {u"kept.qef"});
        for (const std::u16string& name : all)
            Tick(u, kPcList, name);
        fs::remove(Desktop() / "vanished.qef");
        WriteAll(Desktop() / "spoilt.qef", std::string(64, '\0'));
        Press(u, kToMachine);
        Expect(u, u"Confirm",
               u"It has been included in the letter can not be displayed on the sewing machine.\nPlease change the name.\n"
               u"\u96EA.qef");
        Expect(u, u"Send Designs", u"Files are not found.\nvanished.qef\n");
        Expect(u, u"Confirm", u"There is an error in a file.\nspoilt.qef");
        Expect(u, u"Confirm", u"Number of layers exceeds the limit.\nlayers.qpx");
        Expect(u, u"Confirm", u"Stitch counts exceed the limit.\nstitches.qef+");
        Expect(u, u"Confirm", u"The size of design exceeds the editing area size.\nwide.qef");
        WaitForShown(u, kMachineList, {u"kept.qef", u"star.qef", u"bean.qpx", u"edge.qef"},
                     "the three designs that passed added to the machine pane");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 0", "the PC pane's ticks cleared after the send");

        // Back into an emptied desktop.
        for (const auto& entry : fs::directory_iterator(Desktop()))
            fs::remove(entry.path());
        Press(u, 13015); // PC "Up"
        OpenDesktop(u, {});
        Tick(u, kMachineList, u"star.qef");
        Tick(u, kMachineList, u"bean.qpx");
        Tick(u, kMachineList, u"kept.qef");
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"star.qef", u"bean.qpx", u"kept.qef"}, "the received designs in the PC pane");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(Desktop() / "star.qef"), strStar);
    EXPECT_EQ(ReadAll(Desktop() / "bean.qpx"), strBean);
    EXPECT_EQ(ReadAll(Desktop() / "kept.qef"), strKept);
    std::vector<std::string> onMachine;
    for (const auto& entry : fs::directory_iterator(Emb()))
        onMachine.push_back(entry.path().filename().string());
    std::sort(onMachine.begin(), onMachine.end());
    EXPECT_EQ(onMachine, (std::vector<std::string>{"bean.qpx", "edge.qef", "kept.qef", "star.qef"}));
    EXPECT_EQ(ReadAll(Emb() / "star.qef"), strStar);
    EXPECT_EQ(ReadAll(Emb() / "bean.qpx"), strBean);
    EXPECT_EQ(ReadAll(Emb() / "edge.qef"),
              FromBytes(fixture::MakeQef(fixture::LayoutFromStitches({fixture::Sew(1400, 0), fixture::Sew(-2800, 2300), fixture::EndDesign()}))));
}

TEST_F(FileManagerTransferTest, SixtyStxItemsAtMostInBuiltInStorage)
{
    for (int i = 0; i < 59; ++i)
        WriteAll(UserSt() / ("p" + std::to_string(100 + i) + ".stx"), Stx(5));
    WriteAll(Desktop() / "x.stx", Stx(6));
    WriteAll(Desktop() / "y.stx", Stx(7));
    std::vector<std::u16string> shown;
    for (int i = 0; i < 59; ++i) {
        const std::string s = "p" + std::to_string(100 + i) + ".stx";
        shown.push_back(std::u16string(s.begin(), s.end()));
    }

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"x.stx", u"y.stx"});
        OpenMachineSide(u, u"Built-in", shown);
        Tick(u, kPcList, u"x.stx");
        Tick(u, kPcList, u"y.stx");
        // Refused before any file is read: the vanished file is not reported.
        fs::remove(Desktop() / "y.stx");
        Press(u, kToMachine);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", u"Exceeding maximum CS.");
        u.Expect(box.nIcon == MB_ICONINFORMATION, "the limit is told with the information icon");
        u.Answer(IDOK);
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 2", "the ticks stay after the refusal");
        u.Expect(Shown(u.Look(), kMachineList).size() == 59, "nothing added to the machine pane");

        // One file makes sixty: it goes.
        WriteAll(Desktop() / "y.stx", Stx(7));
        Tick(u, kPcList, u"x.stx", false);
        u.Expect(Text(u, kPcCount) == u" 1", "one file ticked");
        Press(u, kToMachine);
        shown.push_back(u"y.stx");
        WaitForShown(u, kMachineList, shown, "the sixtieth item added");
        CloseDialog(u);
    });

    EXPECT_FALSE(fs::exists(UserSt() / "x.stx"));
    EXPECT_EQ(ReadAll(UserSt() / "y.stx"), Stx(7));
}

TEST_F(FileManagerTransferTest, TransferTheMachineRefusesKeepsTheTicks)
{
    WriteAll(Desktop() / "a.stx", Stx(5));
    WriteAll(Desktop() / "gone.stx", Stx(6));
    WriteAll(UserSt() / "old.stx", Stx(12));
    WriteAll(UserSt() / "gone.stx", Stx(13));
    // A name that, joined to the PC folder, would climb out of it.
    WriteAll(UserSt() / "..\\evil.stx", Stx(14));

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx", u"gone.stx"});
        OpenMachineSide(u, u"Built-in", {u"..\\evil.stx", u"gone.stx", u"old.stx"});
        // A file that passed its checks but is gone by the time it would be queued: reported with
        // the files not found (in a box kept above other windows), nothing sent, the tick kept.
        Tick(u, kPcList, u"gone.stx");
        Press(u, kToMachine);
        u.ExpectMessageBox(u"Save As", u"gone.stx already exists.\nDo you want to replace it?");
        fs::remove(Desktop() / "gone.stx");
        u.Answer(IDYES);
        const tavren::WindowInfo& notFound = u.ExpectMessageBox(u"Send Designs", u"Files are not found.\ngone.stx\n");
        u.Expect((notFound.dwExStyle & WS_EX_TOPMOST) != 0, "the not-found box stays on top");
        u.Answer(IDOK);
        Settled(u);
        u.Expect(u.Look().Find(kTransfer) == nullptr && Text(u, kPcCount) == u" 1", "nothing run, the tick kept");
        Tick(u, kPcList, u"gone.stx", false);

        Tick(u, kPcList, u"a.stx");
        int rc = -1;
        Machine().Ctl({"fault", "DownloadFile", "0x8010"}, &rc);
        u.Expect(rc == 0, "the fault armed");
        Press(u, kToMachine);
        u.ExpectMessageBox(u"Communication Error");
        u.Answer(IDOK);
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 1", "the counter still shows the ticked file");
        u.Expect(Shown(u.Look(), kPcList) == std::vector<std::u16string>{u"a.stx*", u"gone.stx"},
                 "the file still ticked for another try");
        u.Expect(Shown(u.Look(), kMachineList) == std::vector<std::u16string>{u"..\\evil.stx", u"gone.stx", u"old.stx"},
                 "nothing added to the machine pane");
        // The next try goes through.
        Press(u, kToMachine);
        WaitForShown(u, kMachineList, {u"..\\evil.stx", u"gone.stx", u"old.stx", u"a.stx"}, "the file sent on the second try");

        // The same the other way: a receive the machine refuses keeps the machine's ticks, and the
        // name that would leave the PC folder is still reported after the run's own message.
        u.RightClickItem(kMachineList, IndexOf(u, kMachineList, u"old.stx"));
        u.WaitForMenu();
        u.ChooseMenu(32788); // "Check all"
        WaitForShown(u, kMachineList, {u"..\\evil.stx*", u"gone.stx*", u"old.stx*", u"a.stx*"}, "every machine file ticked");
        Machine().Ctl({"fault", "UploadFile", "0x8010"}, &rc);
        u.Expect(rc == 0, "the fault armed");
        Press(u, kToPc);
        // Cancel skips the two files the PC has, so only old.stx goes to the machine.
        u.ExpectMessageBox(u"Save As", u"a.stx already exists.\nDo you want to replace it?");
        u.Answer(IDCANCEL);
        u.ExpectMessageBox(u"Communication Error");
        u.Answer(IDOK);
        u.ExpectMessageBox(u"Receive Designs", u"Files are not found.\n..\\evil.stx\n");
        u.Answer(IDOK);
        Settled(u);
        u.Expect(Text(u, kMachineCount) == u" 2", "the machine counter still shows the ticked files");
        u.Expect(Shown(u.Look(), kPcList) == std::vector<std::u16string>{u"a.stx", u"gone.stx"}, "nothing received");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(UserSt() / "gone.stx"), Stx(13));
    EXPECT_FALSE(fs::exists(Desktop() / "old.stx"));
    EXPECT_FALSE(fs::exists(Desktop() / "gone.stx"));
}

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
    const tavren::ControlInfo* pCounter = ControlIn(snap, kPcCount);
    u.Expect(pCounter && pCounter->strText == strCounter,
             "the PC counter reads \"" + Narrow(strCounter) + "\" while " + Narrow(strName) + " is asked about, not \"" +
                 (pCounter ? Narrow(pCounter->strText) : std::string("(none)")) + "\"");
    u.Answer(nButton);
}

TEST_F(FileManagerTransferTest, YesReplacesNoSkipsCancelSkipsEveryLaterClash)
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

bool Writable(const fs::path& p)
{
    return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none;
}

TEST_F(FileManagerTransferTest, FlashDriveCopiesBothWaysAndFailedOnesAreGatheredUnderTheSystemsMessage)
{
    WriteAll(Desktop() / "a.stx", Stx(5));
    WriteAll(Desktop() / "b.stx", Stx(6));
    WriteAll(Desktop() / "c.stx", Stx(7));
    for (const char* name : {"a.stx", "b.stx"}) {
        WriteAll(StickOrd() / name, Stx(20));
        fs::permissions(StickOrd() / name, fs::perms::owner_read);
    }
    WriteAll(StickOrd() / "gone.stx", Stx(8));
    WriteAll(StickOrd() / "gone2.stx", Stx(9));
    WriteAll(StickOrd() / "d.stx", Stx(10));
    fs::permissions(StickOrd() / "d.stx", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx", u"b.stx", u"c.stx"});
        OpenMachineSide(u, u"USBSTICK (E:)", {u"Ordf", u"a.stx", u"b.stx", u"gone.stx", u"gone2.stx", u"d.stx"});
        // Every ticked file skipped at its clash: nothing goes, and the arrow is off again.
        Tick(u, kPcList, u"a.stx");
        Press(u, kToMachine);
        u.ExpectMessageBox(u"Save As", Question(u"a.stx"));
        u.Answer(IDNO);
        Settled(u);
        {
            const Snapshot snap = u.Look();
            const tavren::ControlInfo* pTo = ControlIn(snap, kToMachine);
            u.Expect(Text(u, kPcCount) == u" 0" && pTo && !pTo->bEnabled, "nothing left ticked, and >> is off");
        }
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx"})
            Tick(u, kPcList, name);
        Press(u, kToMachine);
        for (const char16_t* name : {u"a.stx", u"b.stx"}) {
            u.ExpectMessageBox(u"Save As", std::u16string(name) + u" already exists.\nDo you want to replace it?");
            u.Answer(IDYES);
        }
        // The two read-only files on the drive are not replaced: one box for both, the path of
        // each; the third file went.
        Expect(u, u"Error", u"Access is denied.\r\nE:\\ORD\\a.stx\nE:\\ORD\\b.stx");
        WaitForShown(u, kMachineList, {u"Ordf", u"a.stx", u"b.stx", u"c.stx", u"gone.stx", u"gone2.stx", u"d.stx"},
                     "c.stx copied to the drive");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 0", "the PC ticks cleared after the copy");

        // Back from the drive, two of the ticked files vanish first.
        for (const char16_t* name : {u"gone.stx", u"gone2.stx", u"d.stx"})
            Tick(u, kMachineList, name);
        fs::remove(StickOrd() / "gone.stx");
        fs::remove(StickOrd() / "gone2.stx");
        Press(u, kToPc);
        Expect(u, u"Receive Designs", u"The system cannot find the file specified.\r\nE:\\ORD\\gone.stx\nE:\\ORD\\gone2.stx");
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx", u"c.stx", u"d.stx"}, "d.stx copied to the desktop");
        Settled(u);
        u.Expect(Text(u, kMachineCount) == u" 0", "the flash drive's ticks cleared after the copy");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(StickOrd() / "a.stx"), Stx(20));
    EXPECT_EQ(ReadAll(StickOrd() / "b.stx"), Stx(20));
    EXPECT_EQ(ReadAll(StickOrd() / "c.stx"), Stx(7));
    EXPECT_EQ(ReadAll(Desktop() / "d.stx"), Stx(10));
    EXPECT_TRUE(Writable(Desktop() / "d.stx")) << "the copy of a read-only file is writable";
    EXPECT_FALSE(Writable(StickOrd() / "d.stx")) << "the original stays as it was";
    EXPECT_FALSE(fs::exists(Desktop() / "gone.stx"));
}

} // namespace
