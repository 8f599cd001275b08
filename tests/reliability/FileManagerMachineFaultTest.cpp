// The File Manager under machine faults: the cable pulled in the middle of a send and of a receive;
// a batch the person stops; the machine's storage filling up in the middle of a batch;
// its flash drive taken out while a folder of it is shown; the machine sewing while files are sent.
// After each: the message the person sees, the dialog still answering, a retry that goes through
// once the fault is gone, and every file whole at its destination or untouched at its source.
#include "tests/dialogs/FileManagerTransferFixture.h"

#include "res/resource.h"

namespace {

using namespace fmtest;
using tavren::test::NamesIn;

constexpr const char16_t* kReconnect = u"Reconnect the USB cable.";
constexpr const char16_t* kCommError = u"Communication Error";
constexpr int kMachineUp = 13022;

class FileManagerMachineFaultTest : public FileManagerTransferFixture {
protected:
    // The cable comes out once the first file of a batch is done: every call of the operation
    // waits a second before the machine looks at it, and the cable is pulled while the second
    // waits (so the first is whole and the second never starts).
    void PullAfter(ScriptedUser& u, const std::string& strOp, const std::function<bool()>& firstDone)
    {
        u.WaitUntil([&](const Snapshot&) { return firstDone(); }, "the first file of the batch done");
        Ctl({"cable", "pull"});
        (void)strOp;
    }
    void SlowEach(const std::string& strOp) { Ctl({"fault", strOp, "delay", "1000", "--count", "5"}); }
    // After a pulled cable: the pane back at its root view without the machine, the cable plugged
    // in again, the machine's location shown again and opened.
    static void PlugBackAndOpen(FileManagerMachineFaultTest& t, ScriptedUser& u, const std::vector<std::u16string>& files)
    {
        WaitForShown(u, kMachineList, {u"USBSTICK (E:)"}, "the machine pane's root view without the machine");
        t.Ctl({"fault", "clear"});
        t.Ctl({"cable", "plug"});
        WaitForShown(u, kMachineList, {u"Built-in", u"USB flash drive 1", u"USB flash drive 2", u"USBSTICK (E:)"},
                     "the machine back");
        OpenMachineSide(u, u"Built-in", files);
    }
};

TEST_F(FileManagerMachineFaultTest, CablePulledInTheMiddleOfASendThenARetry)
{
    WriteAll(Desktop() / "a.stx", Stx(5));
    WriteAll(Desktop() / "b.stx", Stx(6));
    WriteAll(Desktop() / "c.stx", Stx(7));
    WriteAll(UserSt() / "old.stx", Stx(12));

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx", u"b.stx", u"c.stx"});
        OpenMachineSide(u, u"Built-in", {u"old.stx"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx"})
            Tick(u, kPcList, name);
        SlowEach("DownloadFile");
        Press(u, kToMachine);
        PullAfter(u, "DownloadFile", [&] { return fs::exists(UserSt() / "a.stx"); });
        const tavren::WindowInfo& box = u.ExpectMessageBox(kCommError, kReconnect);
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the cable message shows the exclamation icon");
        u.Answer(IDOK);
        Settled(u);
        // Nothing was claimed: the ticks stay for another try.
        u.Expect(Text(u, kPcCount) == u" 3", "the three files still ticked");
        u.Expect(NamesIn(UserSt()) == std::vector<std::string>{"a.stx", "old.stx"}, "only the first file reached the machine");

        PlugBackAndOpen(*this, u, {u"a.stx", u"old.stx"});
        Press(u, kToMachine);
        // The first file is already there: the person lets it be replaced.
        Expect(u, u"Save As", u"a.stx already exists.\nDo you want to replace it?", IDYES);
        WaitForShown(u, kMachineList, {u"a.stx", u"b.stx", u"c.stx", u"old.stx"}, "the batch sent on the second try");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 0", "the ticks cleared after the batch went");
        CloseDialog(u);
    });

    EXPECT_EQ(NamesIn(UserSt()), (std::vector<std::string>{"a.stx", "b.stx", "c.stx", "old.stx"}));
    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(UserSt() / "b.stx"), Stx(6));
    EXPECT_EQ(ReadAll(UserSt() / "c.stx"), Stx(7));
    EXPECT_EQ(ReadAll(Desktop() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(Desktop() / "c.stx"), Stx(7));
}

TEST_F(FileManagerMachineFaultTest, CablePulledInTheMiddleOfAReceiveWritesNothingHalfDone)
{
    WriteAll(UserSt() / "a.stx", Stx(5));
    WriteAll(UserSt() / "b.stx", Stx(6));
    WriteAll(UserSt() / "c.stx", Stx(7));

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {});
        OpenMachineSide(u, u"Built-in", {u"a.stx", u"b.stx", u"c.stx"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx"})
            Tick(u, kMachineList, name);
        // The answer to the second file stops halfway: the cable came out while it travelled.
        Ctl({"fault", "UploadFile", "delay", "300"});
        Press(u, kToPc);
        u.WaitUntil([&](const Snapshot&) { return !tavren::test::FaultArmed(Machine(), "UploadFile"); }, "the first file asked for");
        Ctl({"fault", "UploadFile", "pull"});
        // Half an answer and then nothing: the link reads it as a lost connection.
        Expect(u, kCommError, kReconnect);
        Settled(u);
        u.Expect(NamesIn(Desktop()).empty(), "nothing written to the PC folder");
        u.Expect(Shown(u.Look(), kPcList).empty(), "nothing shown in the PC pane");

        PlugBackAndOpen(*this, u, {u"a.stx", u"b.stx", u"c.stx"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx"})
            Tick(u, kMachineList, name);
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx", u"c.stx"}, "the files received on the second try");
        CloseDialog(u);
    });

    for (const auto& [name, points] : {std::pair{"a.stx", 5}, std::pair{"b.stx", 6}, std::pair{"c.stx", 7}}) {
        EXPECT_EQ(ReadAll(Desktop() / name), Stx(points)) << name;
        EXPECT_EQ(ReadAll(UserSt() / name), Stx(points)) << name;
    }
}

TEST_F(FileManagerMachineFaultTest, ABatchThePersonStopsHalfWay)
{
    const std::vector<std::u16string> pcFiles = {u"a.stx", u"b.stx", u"c.stx", u"d.stx"};
    for (int i = 0; i < 4; ++i)
        WriteAll(Desktop() / (std::string(1, static_cast<char>('a' + i)) + ".stx"), Stx(5 + i));
    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, pcFiles);
        OpenMachineSide(u, u"Built-in", {});
        for (const std::u16string& strName : pcFiles)
            Tick(u, kPcList, strName);
        Ctl({"fault", "DownloadFile", "delay", "1000", "--count", "4"});
        Press(u, kToMachine);
        // Escape once the first file of the batch is done (its step moves the bar past the first
        // step's share) while the next one is on its way.
        const HWND hRun = u.WaitForWindow(u"Send Designs").hWnd;
        u.WaitUntil(
            [&](const Snapshot& snap) {
                const tavren::WindowInfo* w = snap.Find(hRun);
                const tavren::ControlInfo* bar = w ? w->Control(IDC_XFER_PROGRESS) : nullptr;
                return bar && bar->nPos > 20;
            },
            "the first file of the batch done");
        u.PressEscape();
        Settled(u);
        // The pane shows, unticked, what the machine's folder holds: some files, not all.
        size_t nSent = 0;
        u.WaitUntil(
            [&](const Snapshot& snap) {
                std::vector<std::u16string> onMachine;
                for (const std::string& strName : NamesIn(UserSt()))
                    onMachine.push_back(std::u16string(strName.begin(), strName.end()));
                std::vector<std::u16string> shown = Shown(snap, kMachineList);
                std::sort(shown.begin(), shown.end());
                nSent = onMachine.size();
                return Idle(snap) && nSent > 0 && shown == onMachine;
            },
            "the machine pane showing what was sent");
        u.Expect(nSent < 4, "some files sent, not all: " + std::to_string(nSent));
        u.Expect(Text(u, kPcCount) == u" 0", "the PC's ticks cleared");
        CloseDialog(u);
    });
    // What went is whole on the machine; the PC's files are untouched.
    for (int i = 0; i < 4; ++i) {
        const std::string strName = std::string(1, static_cast<char>('a' + i)) + ".stx";
        EXPECT_EQ(ReadAll(Desktop() / strName), Stx(5 + i));
        if (fs::exists(UserSt() / strName)) {
            EXPECT_EQ(ReadAll(UserSt() / strName), Stx(5 + i)) << strName;
        }
    }
}

TEST_F(FileManagerMachineFaultTest, StorageFullInTheMiddleOfABatch)
{
    WriteAll(Desktop() / "a.stx", Stx(40));
    WriteAll(Desktop() / "b.stx", Stx(41));
    WriteAll(Desktop() / "c.stx", Stx(42));
    WriteAll(UserSt() / "old.stx", Stx(12));
    // Room for what is there and the first file, not the second.
    uintmax_t nUsed = 0;
    for (const auto& e : fs::recursive_directory_iterator(Machine().Storage(1)))
        nUsed += e.is_regular_file() ? e.file_size() : 0;
    const auto nRoom = nUsed + Stx(40).size() + Stx(41).size() / 2;

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx", u"b.stx", u"c.stx"});
        OpenMachineSide(u, u"Built-in", {u"old.stx"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx"})
            Tick(u, kPcList, name);
        Ctl({"capacity", "1", std::to_string(nRoom)});
        Press(u, kToMachine);
        Expect(u, kCommError, u"The file cannot be saved. Short of memory space in the machine");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 3", "the ticks stay for another try");
        u.Expect(NamesIn(UserSt()) == std::vector<std::string>{"a.stx", "old.stx"}, "the first file whole, nothing of the second");
        // The dialog goes on: the person looks into another folder and comes back.
        Press(u, kMachineUp);
        WaitForShown(u, kMachineList, {u"Built-in", u"USB flash drive 1", u"USB flash drive 2", u"USBSTICK (E:)"}, "the root view");
        Ctl({"capacity", "1", "none"});
        OpenMachineSide(u, u"Built-in", {u"a.stx", u"old.stx"});
        Press(u, kToMachine);
        Expect(u, u"Save As", u"a.stx already exists.\nDo you want to replace it?", IDNO);
        WaitForShown(u, kMachineList, {u"a.stx", u"b.stx", u"c.stx", u"old.stx"}, "the rest sent once there is room");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(40));
    EXPECT_EQ(ReadAll(UserSt() / "b.stx"), Stx(41));
    EXPECT_EQ(ReadAll(UserSt() / "c.stx"), Stx(42));
    EXPECT_EQ(ReadAll(Desktop() / "b.stx"), Stx(41));
}

TEST_F(FileManagerMachineFaultTest, MachinesFlashDriveTakenOutWhileItsFolderIsShown)
{
    WriteAll(Machine().Storage(2) / "ORD" / "(UserST)" / "m.stx", Stx(9));
    WriteAll(Desktop() / "a.stx", Stx(5));

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx"});
        OpenMachineSide(u, u"USB flash drive 1", {u"(UserST)"});
        OpenItem(u, kMachineList, u"(UserST)");
        WaitForShown(u, kMachineList, {u"m.stx"}, "the drive's pattern folder");
        Ctl({"usb1", "absent"});
        // Ticking a file asks the machine for its picture: already that is refused.
        u.ClickItem(kMachineList, IndexOf(u, kMachineList, u"m.stx"));
        Expect(u, kCommError, u"USB flash drive is not connected to the machine.");
        Settled(u);
        u.Expect(Text(u, kMachineCount) == u" 0", "the file not ticked without its picture");
        const Snapshot snap = u.Look();
        u.Expect(ControlIn(snap, kMachineList)->items[IndexIn(snap, kMachineList, u"m.stx")].nImage == 22, "m.stx keeps its type picture");
        // A send into the folder.
        Tick(u, kPcList, u"a.stx");
        Press(u, kToMachine);
        Expect(u, kCommError, u"USB flash drive is not connected to the machine.");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 1", "the tick kept for another try");
        u.Expect(NamesIn(Machine().Storage(2) / "ORD" / "(UserST)") == std::vector<std::string>{"m.stx"}, "nothing sent");

        // The drive back in: both ways go.
        Ctl({"usb1", "present"});
        Tick(u, kMachineList, u"m.stx");
        Press(u, kToPc);
        // The PC pane is read again after a receive, its ticks with it.
        WaitForShown(u, kPcList, {u"a.stx", u"m.stx"}, "the file received once the drive is back");
        Tick(u, kPcList, u"a.stx");
        Press(u, kToMachine);
        WaitForShown(u, kMachineList, {u"a.stx", u"m.stx"}, "the file sent once the drive is back");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(Desktop() / "m.stx"), Stx(9));
    EXPECT_EQ(ReadAll(Machine().Storage(2) / "ORD" / "(UserST)" / "a.stx"), Stx(5));
}

TEST_F(FileManagerMachineFaultTest, SendWhileTheMachineSewsIsNotCheckedAndTheMachineTakesIt)
{
    WriteAll(Desktop() / "a.stx", Stx(5));
    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx"});
        OpenMachineSide(u, u"Built-in", {});
        Tick(u, kPcList, u"a.stx");
        // Sewing and locked: the File Manager asks nothing of the machine's state.
        Ctl({"status", "3=4", "4=1"});
        Press(u, kToMachine);
        WaitForShown(u, kMachineList, {u"a.stx"}, "the file taken while sewing");
        CloseDialog(u);
    });
    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(5));
}

TEST_F(FileManagerMachineFaultTest, AnswersSlowerThanTheLinkWaits)
{
    WriteAll(Desktop() / "a.stx", Stx(5));
    WriteAll(Desktop() / "b.stx", Stx(6));
    WriteAll(UserSt() / "m.stx", Stx(9));
    // The link waits its time-out (2.5 s in the tests) for an answer; the machine answers after 3.5.
    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"a.stx", u"b.stx"});
        OpenMachineSide(u, u"Built-in", {u"m.stx"});
        Tick(u, kMachineList, u"m.stx");
        Ctl({"fault", "UploadFile", "delay", "3500"});
        Press(u, kToPc);
        Expect(u, kCommError, u"Communication time out.");
        Settled(u);
        u.Expect(NamesIn(Desktop()) == std::vector<std::string>{"a.stx", "b.stx"}, "nothing received");
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx", u"m.stx"}, "received on the second try");

        // A send that times out is skipped, not stopped: the next file still goes, and the batch
        // ends as a failure to save.
        Tick(u, kPcList, u"a.stx");
        Tick(u, kPcList, u"b.stx");
        Ctl({"fault", "DownloadFile", "delay", "3500"});
        Press(u, kToMachine);
        Expect(u, kCommError, u"The machine failed to save the file.");
        Settled(u);
        u.Expect(Text(u, kPcCount) == u" 2", "the ticks stay");
        // The machine took the late file after all, once its delay was over.
        u.WaitUntil([&](const Snapshot&) { return fs::exists(UserSt() / "a.stx"); }, "the late file on the machine");
        CloseDialog(u);
    });
    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(UserSt() / "b.stx"), Stx(6));
    EXPECT_EQ(ReadAll(Desktop() / "m.stx"), Stx(9));
}

} // namespace
