// The File Manager under faults of the machine (the cable pulled in the middle of a send and of a
// receive, a batch the person stops, its storage filling up, its flash drive taken out, answers
// slower than the link waits) and of the PC (its flash drive taken out in the middle of a copy,
// a drive or folder full or write-protected). After each: the message the person sees, the
// dialog still answering, a retry that goes through once the fault is gone, and every file whole
// at its destination or untouched at its source.
#include "tests/dialogs/FileManagerTransferFixture.h"

#include "platform/file/DriveMap.h"

#include <sys/stat.h>

#include <cerrno>

namespace {

using namespace fmtest;
using tavren::test::NamesIn;
using tavren::test::RemoveDrive;
using tavren::test::SetWriteFault;
using Names = std::vector<std::u16string>;
using Files = std::vector<std::pair<std::string, int>>; // STX files by name and points

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
    void RunStx(const ScriptedUser::Script& script) { Run(script, true); }
    static void Put(const fs::path& dir, const Files& files)
    {
        for (const auto& [name, points] : files)
            WriteAll(dir / name, Stx(points));
    }
    static void ExpectHolds(const fs::path& dir, const Files& files)
    {
        for (const auto& [name, points] : files)
            EXPECT_EQ(ReadAll(dir / name), Stx(points)) << (dir / name);
    }
    static void TickAll(ScriptedUser& u, int nList, const Names& names)
    {
        for (const std::u16string& name : names)
            Tick(u, nList, name);
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

// The cable comes out once the first file of the batch is whole (each waits a second before the
// machine looks at it); the retry goes while the machine sews, locked: the File Manager asks
// nothing of the machine's state.
TEST_F(FileManagerMachineFaultTest, CablePulledInTheMiddleOfASendThenARetryWhileTheMachineSews)
{
    Put(Desktop(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}});
    Put(UserSt(), {{"old.stx", 12}});
    RunStx([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", kAbc);
        OpenShowing(u, kMachineList, u"Built-in", {u"old.stx"});
        TickAll(u, kPcList, kAbc);
        Ctl({"fault", "DownloadFile", "delay", "1000", "--count", "5"});
        Press(u, kToMachine);
        u.WaitUntil([&](const Snapshot&) { return fs::exists(UserSt() / "a.stx"); }, "the first file of the batch done");
        Ctl({"cable", "pull"});
        Expect(u, kCommError, kReconnect);
        Settled(u);
        // Nothing was claimed: the ticks stay for another try.
        u.Expect(Text(u, kPcCount) == u" 3", "the three files still ticked");
        u.Expect(NamesIn(UserSt()) == std::vector<std::string>{"a.stx", "old.stx"}, "only the first file reached the machine");

        PlugBackAndOpen(u, {u"a.stx", u"old.stx"});
        Ctl({"status", "3=4", "4=1"});
        Press(u, kToMachine);
        Expect(u, u"Save As", u"a.stx already exists.\nDo you want to replace it?", IDYES);
        WaitForShown(u, kMachineList, {u"a.stx", u"b.stx", u"c.stx", u"old.stx"}, "the batch sent on the second try");
        u.Expect(Text(u, kPcCount) == u" 0", "the ticks cleared after the batch went");
        CloseDialog(u);
    });
    ExpectHolds(UserSt(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}, {"old.stx", 12}});
    ExpectHolds(Desktop(), {{"a.stx", 5}, {"c.stx", 7}});
}

TEST_F(FileManagerMachineFaultTest, ABatchThePersonStopsHalfWay)
{
    const Files files = {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}, {"d.stx", 8}};
    Put(Desktop(), files);
    RunStx([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {u"a.stx", u"b.stx", u"c.stx", u"d.stx"});
        OpenShowing(u, kMachineList, u"Built-in", {});
        TickAll(u, kPcList, {u"a.stx", u"b.stx", u"c.stx", u"d.stx"});
        Ctl({"fault", "DownloadFile", "delay", "1000", "--count", "4"});
        Press(u, kToMachine);
        // Escape once the first file of the batch is whole, while the next one is on its way.
        u.WaitForWindow(u"Send Designs");
        u.WaitUntil([&](const Snapshot&) { return fs::exists(UserSt() / "a.stx"); }, "the first file of the batch done");
        u.PressEscape();
        // The pane shows, unticked, what the machine's folder holds: some files, not all.
        size_t nSent = 0;
        Await(u, [&](const Snapshot& snap) {
            Names onMachine, shown = Shown(snap, kMachineList);
            for (const std::string& strName : NamesIn(UserSt()))
                onMachine.push_back(std::u16string(strName.begin(), strName.end()));
            std::sort(shown.begin(), shown.end());
            nSent = onMachine.size();
            return nSent > 0 && shown == onMachine;
        }, "the machine pane showing what was sent");
        u.Expect(nSent < 4 && Text(u, kPcCount) == u" 0", "some files sent, not all, the PC's ticks cleared: " + std::to_string(nSent));
        CloseDialog(u);
    });
    // What went is whole on the machine; the PC's files are untouched.
    ExpectHolds(Desktop(), files);
    for (const std::string& name : NamesIn(UserSt()))
        EXPECT_EQ(ReadAll(UserSt() / name), ReadAll(Desktop() / name)) << name;
}

TEST_F(FileManagerMachineFaultTest, MachinesFlashDriveTakenOutWhileItsFolderIsShown)
{
    const fs::path folder = Machine().Storage(2) / "ORD" / "(UserST)";
    Put(folder, {{"m.stx", 9}});
    Put(Desktop(), {{"a.stx", 5}});
    constexpr const char16_t* kAbsent = u"USB flash drive is not connected to the machine.";
    RunStx([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {u"a.stx"});
        OpenShowing(u, kMachineList, u"USB flash drive 1", {u"(UserST)"});
        Open(u, kMachineList, u"(UserST)");
        WaitForShown(u, kMachineList, {u"m.stx"}, "the drive's pattern folder");
        Ctl({"usb1", "absent"});
        // Ticking a file asks the machine for its picture: already that is refused.
        ClickOn(u, kMachineList, u"m.stx");
        Expect(u, kCommError, kAbsent);
        Settled(u);
        u.Expect(Text(u, kMachineCount) == u" 0" && ImageIn(u.Look(), kMachineList, u"m.stx") == 22,
                 "the file not ticked without its picture, its type picture kept");
        Tick(u, kPcList, u"a.stx");
        Press(u, kToMachine);
        Expect(u, kCommError, kAbsent);
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 1", "the tick kept for another try");
        u.Expect(NamesIn(folder) == std::vector<std::string>{"m.stx"}, "nothing sent");

        // The drive back in: the send goes, and the file comes back.
        Ctl({"usb1", "present"});
        Press(u, kToMachine);
        WaitForShown(u, kMachineList, {u"a.stx", u"m.stx"}, "the file sent once the drive is back");
        Tick(u, kMachineList, u"m.stx");
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"a.stx", u"m.stx"}, "the file received once the drive is back");
        CloseDialog(u);
    });
    ExpectHolds(Desktop(), {{"m.stx", 9}});
    ExpectHolds(folder, {{"a.stx", 5}});
}

TEST_F(FileManagerMachineFaultTest, AReceiveCutOffOrSlowerThanTheLinkWaitsWritesNothingAndASlowSendIsSkipped)
{
    Put(UserSt(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}});
    Put(Desktop(), {{"d.stx", 8}, {"e.stx", 9}});
    const std::vector<std::string> kBefore = {"d.stx", "e.stx"};
    RunStx([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {u"d.stx", u"e.stx"});
        OpenShowing(u, kMachineList, u"Built-in", kAbc);
        TickAll(u, kMachineList, kAbc);
        // The answer to the second file stops halfway: the cable came out while it travelled.
        Ctl({"fault", "UploadFile", "delay", "300"});
        Press(u, kToPc);
        u.WaitUntil([&](const Snapshot&) { return !tavren::test::FaultArmed(Machine(), "UploadFile"); }, "the first file asked for");
        Ctl({"fault", "UploadFile", "pull"});
        // Half an answer and then nothing: the link reads it as a lost connection.
        Expect(u, kCommError, kReconnect);
        Settled(u);
        u.Expect(NamesIn(Desktop()) == kBefore, "nothing of the batch written to the PC folder");
        PlugBackAndOpen(u, kAbc);

        // The link waits its time-out (2.5 s in the tests) for an answer; the machine answers after 3.5.
        Tick(u, kMachineList, u"a.stx");
        Ctl({"fault", "UploadFile", "delay", "3500"});
        Press(u, kToPc);
        Expect(u, kCommError, u"Communication time out.");
        Settled(u);
        u.Expect(NamesIn(Desktop()) == kBefore, "nothing received");
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"a.stx", u"d.stx", u"e.stx"}, "received on the second try");

        // A send that times out is skipped, not stopped: the next file still goes, and the batch
        // ends as a failure to save.
        TickAll(u, kPcList, {u"d.stx", u"e.stx"});
        Ctl({"fault", "DownloadFile", "delay", "3500"});
        Press(u, kToMachine);
        Expect(u, kCommError, u"The machine failed to save the file.");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 2", "the ticks stay");
        // The machine took the late file after all, once its delay was over.
        u.WaitUntil([&](const Snapshot&) { return fs::exists(UserSt() / "d.stx"); }, "the late file on the machine");
        CloseDialog(u);
    });
    ExpectHolds(UserSt(), {{"a.stx", 5}, {"d.stx", 8}, {"e.stx", 9}});
    ExpectHolds(Desktop(), {{"a.stx", 5}});
}

TEST_F(FileManagerPcFaultTest, PcFolderWriteProtectedOrFullWhileReceivingFromTheMachine)
{
    Put(UserSt(), {{"a.stx", 5}, {"b.stx", 6}});
    Put(Desktop(), {{"b.stx", 30}});
    constexpr const char16_t* kReplace = u"b.stx already exists.\nDo you want to replace it?";
    RunStx([&](ScriptedUser& u) {
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
    });
    ExpectHolds(Desktop(), {{"a.stx", 5}, {"b.stx", 6}});
    ExpectHolds(UserSt(), {{"a.stx", 5}, {"b.stx", 6}});
}

TEST_F(FileManagerPcFaultTest, FlashDriveTakenOutInTheMiddleOfACopyFromIt)
{
    const Names onStick = {u"Ordf", u"a.stx", u"b.stx", u"c.stx", u"d.stx"};
    Put(StickOrd(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}, {"d.stx", 8}});
    const std::string strB = Stx(6);
    // A file of the same name at the root of C:, where a path without its folder would lead.
    WriteAll(Drives().Host("c/d.stx"), Stx(20));
    RunStx([&](ScriptedUser& u) {
        OpenShowing(u, kMachineList, u"USBSTICK (E:)", onStick);
        TickAll(u, kMachineList, {u"a.stx", u"b.stx", u"c.stx", u"d.stx"});
        OpenShowing(u, kPcList, u"Desktop", {}); // opened last: C: is the current drive
        // b.stx becomes a slow file: its bytes come only as the stick hands them out.
        fs::remove(StickOrd() / "b.stx");
        u.Expect(mkfifo((StickOrd() / "b.stx").c_str(), 0644) == 0, "a slow file made");
        Press(u, kToPc);
        std::jthread pull;
        {
            std::ofstream slow(StickOrd() / "b.stx", std::ios::binary);
            u.Expect(ReadAll(Desktop() / "a.stx") == Stx(5), "the first file copied whole before the second starts");
            slow.write(strB.data(), static_cast<std::streamsize>(strB.size() / 2));
            slow.flush();
            // The stick comes out while the second file is being read (the broadcast waits for
            // the dialog, which waits for the stick).
            pull = std::jthread([] { RemoveDrive(u'E'); });
            while (tavren::DriveMap::Instance().Find(u'E'))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            slow.write(strB.data() + strB.size() / 2, static_cast<std::streamsize>(strB.size() - strB.size() / 2));
        }
        // Each of the last two has its box at once; the pane goes to its root view meanwhile, and
        // the last file is still looked for on the stick, nowhere else.
        Expect(u, u"Receive Designs", u"The system cannot find the path specified.\r\n");
        Expect(u, u"Receive Designs", u"The system cannot find the path specified.\r\n");
        WaitForShown(u, kMachineList, kRoots, "the root view without the stick");
        pull.join();
        u.Expect(NamesIn(Desktop()) == std::vector<std::string>{"a.stx", "b.stx"}, "the last two files not made");

        // The stick back in: the last two copied on a second try.
        fs::remove(StickOrd() / "b.stx");
        WriteAll(StickOrd() / "b.stx", strB);
        PutBackStick(u, onStick);
        TickAll(u, kMachineList, {u"c.stx", u"d.stx"});
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx", u"c.stx", u"d.stx"}, "the last two copied on the second try");
        CloseDialog(u);
    });
    // Never the file of the same name elsewhere.
    ExpectHolds(Desktop(), {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}, {"d.stx", 8}});
    ExpectHolds(StickOrd(), {{"c.stx", 7}});
}

TEST_F(FileManagerPcFaultTest, FlashDriveOfThePcPaneTakenOutWhileReceivingIntoIt)
{
    Put(UserSt(), {{"a.stx", 5}, {"b.stx", 6}});
    WriteAll(Drives().Host("USBSTICK/In/keep.txt"), "keep");
    const auto before = NamesIn(Drives().Host("c"));
    RunStx([&](ScriptedUser& u) {
        for (const char16_t* item : {u"Computer", u"USBSTICK (E:)", u"In"})
            Open(u, kPcList, item);
        WaitForShown(u, kPcList, {}, "the stick's folder in the PC pane");
        OpenShowing(u, kMachineList, u"Built-in", {u"a.stx", u"b.stx"});
        TickAll(u, kMachineList, {u"a.stx", u"b.stx"});
        // The stick comes out while the machine is still sending the files.
        Ctl({"fault", "UploadFile", "delay", "500", "--count", "2"});
        Press(u, kToPc);
        u.WaitUntil([&](const Snapshot& s) { return s.Front() && s.Front()->strCaption != kFileManager; }, "the transfer under way");
        std::jthread pull([] { RemoveDrive(u'E'); });
        // Received, but the folder chosen is gone: the files are not made anywhere else.
        Expect(u, u"Receive Designs", u"Files are not found.\na.stx\nb.stx\n");
        Settled(u);
        pull.join();
        CloseDialog(u);
    });
    EXPECT_EQ(NamesIn(Drives().Host("c")), before) << "nothing made on C:";
    EXPECT_EQ(NamesIn(Drives().Host("USBSTICK/In")), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(NamesIn(Drives().Host("USBSTICK")), std::vector<std::string>{"In"});
}

TEST_F(FileManagerPcFaultTest, FlashDriveFullThenTakenOutInTheMiddleOfACopyToIt)
{
    const Files abc = {{"a.stx", 5}, {"b.stx", 6}, {"c.stx", 7}};
    Put(Desktop(), abc);
    const auto onC = NamesIn(Drives().Host("c"));
    RunStx([&](ScriptedUser& u) {
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
    });
    ExpectHolds(StickOrd(), abc);
    ExpectHolds(Desktop(), abc);
    EXPECT_EQ(NamesIn(Drives().Host("c")), onC) << "nothing written outside the folder chosen";
}

} // namespace
