// The File Manager under faults of the machine (the cable pulled in the middle of a send and of a
// receive) and of the PC (its flash drive full and then taken out in the middle of a copy to it, a
// folder full or write-protected). After each: the message the person sees, the dialog still
// answering, a retry that goes through once the fault is gone, and every file whole at its
// destination or untouched at its source. Pinned elsewhere: a batch the person stops
// (MachineOpsTest.ErasingTickedFilesStopsAtAFailureAndACancelRemovesWhatWent); an
// answer slower than the link waits (QuorvelTest.NoAnswerInTime_TimesOutAndTheNextCallWorks, its
// message CommError.EveryCodeClassPicksItsString, an item that times out
// FaultedRunTest.StopsOrSkipsTheItem); the machine's own flash drive missing (its message
// CommError.EveryCodeClassPicksItsString, the list's failures
// MacListTest.AnEmptyFolderShowsAnEmptyListAndFailuresKeepWhatWasShown, a refused send keeping its
// ticks the cable pulled below). A receive into a PC folder that cannot take the files stands for
// one whose drive is gone: the same failed writes, reported as files not found. Files copied from
// a flash drive of the PC that fail are gathered under the system's message in
// FileManagerTransferTest.FlashDriveCopiesBothWaysAndFailedOnesAreGatheredUnderTheSystemsMessage.
#include "tests/dialogs/FileManagerTransferFixture.h"

#include "platform/file/DriveMap.h"

#include <cerrno>

namespace {

using namespace fmtest;
using tavren::test::NamesIn;
using tavren::test::RemoveDrive;
using tavren::test::SetWriteFault;
using Names = std::vector<std::u16string>;

constexpr const char16_t* kReconnect = u"Reconnect the USB cable.";
constexpr const char16_t* kCommError = u"Communication Error";
const Names kAbc = {u"a.stx", u"b.stx", u"c.stx"};
const Names kRoots = {u"Built-in", u"USB flash drive 1", u"USB flash drive 2"};
const Names kRootsWithStick = {u"Built-in", u"USB flash drive 1", u"USB flash drive 2", u"USBSTICK (E:)"};

class FileManagerMachineFaultTest : public FileManagerFixture {
protected:
    void TearDown() override
    {
        SetWriteFault(u'C', 0);
        FileManagerFixture::TearDown();
    }
    // After a pulled cable: the pane back at its root view without the machine, the cable plugged
    // in again, the machine's location shown again and opened.
    void PlugBackAndOpen(ScriptedUser& u, const Names& files)
    {
        WaitForShown(u, kMachineList, {u"USBSTICK (E:)"}, "the machine pane's root view without the machine");
        Ctl({"fault", "clear"});
        Ctl({"cable", "plug"});
        WaitForShown(u, kMachineList, kRootsWithStick, "the machine back");
        OpenShowing(u, kMachineList, u"Built-in", files);
    }
    // The PC's flash drive put back in, and its folder opened in the machine pane.
    void PutBackStick(ScriptedUser& u, const Names& files)
    {
        auto drives = tavren::DriveMap::Instance().Drives();
        drives.push_back({u'E', Drives().Folder(u'E'), DRIVE_REMOVABLE, u"USBSTICK"});
        tavren::DriveMap::Instance().SetDrives(drives);
        WaitForShown(u, kMachineList, kRootsWithStick, "the stick back");
        OpenShowing(u, kMachineList, u"USBSTICK (E:)", files);
    }
};
using FileManagerPcFaultTest = FileManagerMachineFaultTest;

// The cable comes out once the first file of a send is whole (each waits a second before the
// machine looks at it), and halfway through the answer to the second file of a receive; the
// retries go while the machine sews, locked: the File Manager asks nothing of the machine's state.
TEST_F(FileManagerMachineFaultTest, CablePulledInTheMiddleOfASendAndOfAReceiveThenRetriesWhileTheMachineSews)
{
    PutStx(Desktop(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}});
    PutStx(UserSt(), {{"old.stx", 12}, {"new.stx", 13}});
    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", kAbc);
        OpenShowing(u, kMachineList, u"Built-in", {u"new.stx", u"old.stx"});
        TickAll(u, kPcList, kAbc);
        Ctl({"fault", "DownloadFile", "delay", "1000", "--count", "5"});
        Press(u, kToMachine);
        u.WaitUntil([&](const Snapshot&) { return fs::exists(UserSt() / "a.stx"); }, "the first file of the batch done");
        Ctl({"cable", "pull"});
        Expect(u, kCommError, kReconnect);
        Settled(u);
        // Nothing was claimed: the ticks stay for another try.
        u.Expect(Text(u, kPcCount) == u" 3", "the three files still ticked");
        u.Expect(NamesIn(UserSt()) == std::vector<std::string>{"a.stx", "new.stx", "old.stx"}, "only the first file reached the machine");

        PlugBackAndOpen(u, {u"a.stx", u"new.stx", u"old.stx"});
        Ctl({"status", "3=4", "4=1"});
        Press(u, kToMachine);
        Clash(u, u"a.stx", IDYES);
        const Names all = {u"a.stx", u"b.stx", u"c.stx", u"new.stx", u"old.stx"};
        WaitForShown(u, kMachineList, all, "the batch sent on the second try");
        u.Expect(Text(u, kPcCount) == u" 0", "the ticks cleared after the batch went");

        TickAll(u, kMachineList, {u"new.stx", u"old.stx"});
        Ctl({"fault", "UploadFile", "delay", "300"});
        Press(u, kToPc);
        u.WaitUntil([&](const Snapshot&) { return !tavren::test::FaultArmed(Machine(), "UploadFile"); }, "the first file asked for");
        // Half an answer and then nothing: the link reads it as a lost connection.
        Ctl({"fault", "UploadFile", "pull"});
        Expect(u, kCommError, kReconnect);
        Settled(u);
        u.Expect(NamesIn(Desktop()) == std::vector<std::string>{"a.stx", "b.stx", "c.stx"}, "nothing of the receive written");
        PlugBackAndOpen(u, all);
        Tick(u, kMachineList, u"old.stx");
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx", u"c.stx", u"old.stx"}, "received on the second try");
        CloseDialog(u);
    }, true);
    ExpectHolds(UserSt(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}, {"old.stx", 12}});
    ExpectHolds(Desktop(), {{"a.stx", 5}, {"c.stx", 7}, {"old.stx", 12}});
}

TEST_F(FileManagerPcFaultTest, PcFolderWriteProtectedOrFullWhileReceivingFromTheMachine)
{
    PutStx(UserSt(), {{"a.stx", 5}, {"b.stx", 6}});
    PutStx(Desktop(), {{"b.stx", 30}});
    constexpr const char16_t* kReplace = u"b.stx already exists.\nDo you want to replace it?";
    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {u"b.stx"});
        OpenShowing(u, kMachineList, u"Built-in", {u"a.stx", u"b.stx"});
        // Not replacing b.stx in a write-protected or full folder; then replacing it in a full one.
        for (auto [nFault, bReplace] : {std::pair{EROFS, false}, std::pair{ENOSPC, false}, std::pair{ENOSPC, true}}) {
            const std::string strWhat = std::string(nFault == EROFS ? "write-protected" : "full") + (bReplace ? ", replacing" : "");
            SetWriteFault(u'C', nFault);
            TickAll(u, kMachineList, bReplace ? Names{u"b.stx"} : Names{u"a.stx", u"b.stx"});
            Press(u, kToPc);
            Expect(u, u"Save As", kReplace, bReplace ? IDYES : IDNO);
            Expect(u, u"Receive Designs", bReplace ? u"Files are not found.\nb.stx\n" : u"Files are not found.\na.stx\n");
            Settled(u);
            // Nothing half made: the folder as it was, the old file's bytes kept, and the pane shows it so.
            u.Expect(NamesIn(Desktop()) == std::vector<std::string>{"b.stx"} && ReadAll(Desktop() / "b.stx") == Stx(30),
                     strWhat + ": the PC folder as it was");
            WaitForShown(u, kPcList, {u"b.stx"}, strWhat + ": the PC pane");
        }
        SetWriteFault(u'C', 0);
        TickAll(u, kMachineList, {u"a.stx", u"b.stx"});
        Press(u, kToPc);
        Expect(u, u"Save As", kReplace, IDYES);
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx"}, "both received once the folder takes them");
        CloseDialog(u);
    }, true);
    ExpectHolds(Desktop(), {{"a.stx", 5}, {"b.stx", 6}});
    ExpectHolds(UserSt(), {{"a.stx", 5}, {"b.stx", 6}});
}

TEST_F(FileManagerPcFaultTest, FlashDriveFullThenTakenOutInTheMiddleOfACopyToIt)
{
    const Files abc = {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}};
    PutStx(Desktop(), abc);
    const auto onC = NamesIn(Drives().Host("c"));
    Run([&](ScriptedUser& u) {
        OpenShowing(u, kMachineList, u"USBSTICK (E:)", {u"Ordf"});
        OpenShowing(u, kPcList, u"Desktop", kAbc); // opened last: C: is the current drive
        TickAll(u, kPcList, kAbc);
        SetWriteFault(u'E', ENOSPC);
        Press(u, kToMachine);
        // The first file does not fit; while its box is up the person pulls the stick out.
        u.ExpectMessageBox(u"Send Designs", u"There is not enough space on the disk.\r\n");
        RemoveDrive(u'E');
        u.Answer(IDOK);
        Expect(u, u"Error", u"The system cannot find the path specified.\r\nE:\\ORD\\b.stx\nE:\\ORD\\c.stx");
        WaitForShown(u, kMachineList, kRoots, "the root view without the stick");
        u.Expect(NamesIn(StickOrd()) == std::vector<std::string>{"Ordf"}, "nothing on the stick");

        PutBackStick(u, {u"Ordf"});
        TickAll(u, kPcList, kAbc);
        Press(u, kToMachine);
        WaitForShown(u, kMachineList, {u"Ordf", u"a.stx", u"b.stx", u"c.stx"}, "all three copied on the second try");
        CloseDialog(u);
    }, true);
    ExpectHolds(StickOrd(), abc);
    ExpectHolds(Desktop(), abc);
    EXPECT_EQ(NamesIn(Drives().Host("c")), onC) << "nothing written outside the folder chosen";
}

} // namespace
