// Copies in the File Manager as a person makes them: ticked files sent from the PC to the machine,
// every refusal reported once per batch in its own box and order, the rest arriving byte for byte
// (files received from the machine: the fault tests); the 60-item limit of STX patterns in built-in storage; a transfer the
// machine refuses, which keeps the ticks; names that clash with the destination (Yes replacing, No
// skipping, Cancel skipping every later clash, the counter following at once); and copies both
// ways between the PC and a USB flash drive attached to it, failed ones gathered under the
// system's own message.
#include "tests/dialogs/FileManagerTransferFixture.h"

namespace {

using namespace fmtest;

class FileManagerTransferTest : public FileManagerFixture {};

using tavren::test::NamesIn;

TEST_F(FileManagerTransferTest, DesignBatchReportsEachReasonOnceInOrder)
{
    using namespace fixture;
    const std::string strStar = FromBytes(tavren::test::CorpusDesign("Star.DST", ".qef"));
    const std::string strBean = FromBytes(tavren::test::CorpusDesign("Bean.dst", ".qpx"));
    DesignLayout layers, stitches;
    layers.words = MakeRandomWords(2000, 201, 1);
    layers.palette.assign(201, 5);
    stitches.words = MakeRandomWords(200001, 3, 2);
    stitches.palette = {1, 2, 3};
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"star.qef", strStar}, {"bean.qpx", strBean},
             {"wide.qef", FromBytes(MakeQef(LayoutFromStitches({Sew(1401, 0), EndDesign()})))},
             {"layers.qpx", FromBytes(MakeQpx(layers))}, {"stitches.qef+", FromBytes(MakeQefPlus(stitches))},
             {"spoilt.qef", strStar}, {"vanished.qef", strStar}, {"\xE9\x9B\xAA.qef", strStar}})
        WriteAll(Desktop() / name, bytes);
    WriteAll(Emb() / "kept.qef", strBean);

    Run([&](ScriptedUser& u) {
        const Labels all = {u"star.qef",   u"bean.qpx",   u"wide.qef",     u"layers.qpx",
                            u"stitches.qef+", u"spoilt.qef", u"vanished.qef", u"\u96EA.qef"};
        OpenShowing(u, kPcList, u"Desktop", all);
        OpenShowing(u, kMachineList, u"Built-in", {u"kept.qef"});
        TickAll(u, kPcList, all);
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
        WaitForShown(u, kMachineList, {u"kept.qef", u"star.qef", u"bean.qpx"}, "the two that passed sent");
        u.Expect(Text(u, kPcCount) == u" 0", "the PC pane's ticks cleared after the send");

        CloseDialog(u);
    }, false);

    EXPECT_EQ(NamesIn(Emb()), (std::vector<std::string>{"bean.qpx", "kept.qef", "star.qef"}));
    EXPECT_EQ(ReadAll(Emb() / "star.qef"), strStar);
    EXPECT_EQ(ReadAll(Emb() / "bean.qpx"), strBean);
}

TEST_F(FileManagerTransferTest, SixtyStxItemsAtMostInBuiltInStorage)
{
    Labels shown;
    for (int i = 0; i < 59; ++i) {
        const std::string s = "p" + std::to_string(100 + i) + ".stx";
        WriteAll(UserSt() / s, Stx(5));
        shown.push_back(std::u16string(s.begin(), s.end()));
    }
    PutStx(Desktop(), {{"x.stx", 6}, {"y.stx", 7}});

    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {u"x.stx", u"y.stx"});
        OpenShowing(u, kMachineList, u"Built-in", shown);
        TickAll(u, kPcList, {u"x.stx", u"y.stx"});
        // Refused before any file is read: the vanished file is not reported.
        fs::remove(Desktop() / "y.stx");
        Press(u, kToMachine);
        Expect(u, u"Confirm", u"Exceeding maximum CS.", IDOK, MB_ICONINFORMATION);
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 2", "the ticks stay after the refusal");
        u.Expect(Shown(u.Look(), kMachineList).size() == 59, "nothing added to the machine pane");

        // One file makes sixty: it goes.
        WriteAll(Desktop() / "y.stx", Stx(7));
        Tick(u, kPcList, u"x.stx", false);
        Press(u, kToMachine);
        shown.push_back(u"y.stx");
        WaitForShown(u, kMachineList, shown, "the sixtieth item added");
        CloseDialog(u);
    }, true);

    EXPECT_FALSE(fs::exists(UserSt() / "x.stx"));
    EXPECT_EQ(ReadAll(UserSt() / "y.stx"), Stx(7));
}

TEST_F(FileManagerTransferTest, AFileGoneBeforeItIsQueuedAndAReceiveTheMachineRefusesKeepTheTicks)
{
    PutStx(Desktop(), {{"a.stx", 5}, {"gone.stx", 6}});
    PutStx(UserSt(), {{"old.stx", 12}, {"gone.stx", 13}, {"a.stx", 15}});

    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {u"a.stx", u"gone.stx"});
        OpenShowing(u, kMachineList, u"Built-in", {u"a.stx", u"gone.stx", u"old.stx"});
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

        // A receive the machine refuses keeps the machine's ticks. (Names that would leave the PC
        // folder: HostileTest.NamesFromTheMachineAreReceivedOnlyInsideThePcFolder.)
        TickAll(u, kMachineList, {u"gone.stx", u"old.stx", u"a.stx"});
        Ctl({"fault", "UploadFile", "0x8010"});
        Press(u, kToPc);
        // Cancel skips the two files the PC has, so only old.stx is asked of the machine.
        Clash(u, u"a.stx", IDCANCEL);
        u.ExpectMessageBox(u"Communication Error");
        u.Answer(IDOK);
        Settled(u);
        u.Expect(Text(u, kMachineCount) == u" 1", "the machine counter still shows the ticked file");
        u.Expect(Shown(u.Look(), kPcList) == Labels{u"a.stx", u"gone.stx"}, "nothing received");
        CloseDialog(u);
    }, true);

    ExpectHolds(UserSt(), {{"a.stx", 15}, {"gone.stx", 13}});
    ExpectHolds(Desktop(), {{"a.stx", 5}});
    EXPECT_EQ(NamesIn(Desktop()), std::vector<std::string>{"a.stx"}) << "gone.stx stays gone, old.stx never came";
}

TEST_F(FileManagerTransferTest, YesReplacesNoSkipsCancelSkipsEveryLaterClash)
{
    PutStx(UserSt(), {{"a.stx", 20}, {"b.stx", 20}, {"c.stx", 20}, {"d.stx", 20}});
    // D.STX clashes without regard to case.
    const Labels sent = {u"a.stx", u"b.stx", u"c.stx", u"D.STX", u"e.stx"};
    for (size_t i = 0; i < sent.size(); ++i)
        WriteAll(Desktop() / Narrow(sent[i]), Stx(5 + static_cast<int>(i)));

    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", sent);
        OpenShowing(u, kMachineList, u"Built-in", {u"a.stx", u"b.stx", u"c.stx", u"d.stx"});
        TickAll(u, kPcList, sent);
        // A ticked file on the machine that gets replaced stays ticked.
        Tick(u, kMachineList, u"a.stx");
        Press(u, kToMachine);
        // The question for each file, with the PC counter as it stands while it is asked: b went
        // unticked the moment it was skipped.
        for (const auto& [strName, strCounter, nButton] : {std::tuple<std::u16string, std::u16string, int>{u"a.stx", u" 5", IDYES},
                                                           {u"b.stx", u" 5", IDNO}, {u"c.stx", u" 4", IDCANCEL}}) {
            const tavren::WindowInfo& box = u.ExpectMessageBox(u"Save As", strName + u" already exists.\nDo you want to replace it?");
            u.Expect(box.nIcon == MB_ICONEXCLAMATION && box.buttons == std::vector<int>{IDYES, IDNO, IDCANCEL},
                     "the exclamation icon with Yes, No and Cancel");
            const std::u16string strSeen = TextOf(u.Look(), kPcCount);
            u.Expect(strSeen == strCounter, "the PC counter reads \"" + Narrow(strSeen) + "\" while " + Narrow(strName) + " is asked about");
            u.Answer(nButton);
        }
        // D.STX is skipped without a question; e.stx, without a clash, still goes.
        WaitForShown(u, kMachineList, {u"a.stx*", u"b.stx", u"c.stx", u"d.stx", u"e.stx"}, "e.stx added to the machine pane");
        u.Expect(Text(u, kPcCount) == u" 0" && Text(u, kMachineCount) == u" 1",
                 "the PC's ticks cleared after the send, the machine's tick counted still");
        // The replaced file shows the plain STX picture again (its preview was of the old bytes).
        u.Expect(ImageIn(u.Look(), kMachineList, u"a.stx") == 23, "a.stx shows the ticked plain STX picture");
        CloseDialog(u);
    }, true);

    ExpectHolds(UserSt(), {{"a.stx", 5}, {"b.stx", 20}, {"c.stx", 20}, {"d.stx", 20}, {"e.stx", 9}});
    EXPECT_FALSE(fs::exists(UserSt() / "D.STX"));
}

bool Writable(const fs::path& p) { return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none; }

TEST_F(FileManagerTransferTest, FlashDriveCopiesBothWaysAndFailedOnesAreGatheredUnderTheSystemsMessage)
{
    PutStx(Desktop(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}});
    PutStx(StickOrd(), {{"a.stx", 20}, {"b.stx", 20}, {"gone.stx", 8}, {"gone2.stx", 9}, {"d.stx", 10}});
    for (const char* name : {"a.stx", "b.stx"})
        fs::permissions(StickOrd() / name, fs::perms::owner_read);
    fs::permissions(StickOrd() / "d.stx", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {u"a.stx", u"b.stx", u"c.stx"});
        OpenShowing(u, kMachineList, u"USBSTICK (E:)", {u"Ordf", u"a.stx", u"b.stx", u"gone.stx", u"gone2.stx", u"d.stx"});
        // Every ticked file skipped at its clash: nothing goes, and the arrow is off again.
        Tick(u, kPcList, u"a.stx");
        Press(u, kToMachine);
        Clash(u, u"a.stx", IDNO);
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 0" && !Enabled(u.Look(), kToMachine), "nothing left ticked, and >> is off");
        TickAll(u, kPcList, {u"a.stx", u"b.stx", u"c.stx"});
        Press(u, kToMachine);
        Clash(u, u"a.stx", IDYES);
        Clash(u, u"b.stx", IDYES);
        // The two read-only files on the drive are not replaced: one box for both, the path of
        // each; the third file went.
        Expect(u, u"Error", u"Access is denied.\r\nE:\\ORD\\a.stx\nE:\\ORD\\b.stx");
        WaitForShown(u, kMachineList, {u"Ordf", u"a.stx", u"b.stx", u"c.stx", u"gone.stx", u"gone2.stx", u"d.stx"},
                     "c.stx copied to the drive");
        u.Expect(Text(u, kPcCount) == u" 0", "the PC ticks cleared after the copy");

        // Back from the drive, two of the ticked files vanish first.
        TickAll(u, kMachineList, {u"gone.stx", u"gone2.stx", u"d.stx"});
        fs::remove(StickOrd() / "gone.stx");
        fs::remove(StickOrd() / "gone2.stx");
        Press(u, kToPc);
        Expect(u, u"Receive Designs", u"The system cannot find the file specified.\r\nE:\\ORD\\gone.stx\nE:\\ORD\\gone2.stx");
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx", u"c.stx", u"d.stx"}, "d.stx copied to the desktop");
        u.Expect(Text(u, kMachineCount) == u" 0", "the flash drive's ticks cleared after the copy");
        CloseDialog(u);
    }, true);

    ExpectHolds(StickOrd(), {{"a.stx", 20}, {"b.stx", 20}, {"c.stx", 7}});
    ExpectHolds(Desktop(), {{"d.stx", 10}});
    EXPECT_TRUE(Writable(Desktop() / "d.stx")) << "the copy of a read-only file is writable";
    EXPECT_FALSE(Writable(StickOrd() / "d.stx")) << "the original stays as it was";
    EXPECT_FALSE(fs::exists(Desktop() / "gone.stx"));
}

} // namespace
