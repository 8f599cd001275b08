// The File Manager when the PC side fails: the flash drive on the PC taken out in the middle of a
// copy, the drive full, and the PC folder write-protected or full while files are received into it.
// After each: the message the person sees, the dialog still answering, a retry that goes through,
// and no half file anywhere.
#include "tests/dialogs/FileManagerTransferFixture.h"

#include "platform/file/DriveMap.h"
#include "platform/file/DriveWatcher.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>

namespace {

using namespace fmtest;
using tavren::test::NamesIn;
using tavren::test::RemoveDrive;
using tavren::test::SetWriteFault;

class FileManagerPcFaultTest : public FileManagerTransferFixture {
protected:
    void PutBackStick()
    {
        auto drives = tavren::DriveMap::Instance().Drives();
        drives.push_back({u'E', Drives().Folder(u'E'), DRIVE_REMOVABLE, u"USBSTICK"});
        tavren::DriveMap::Instance().SetDrives(drives);
    }
    void SetUp() override
    {
        FileManagerTransferFixture::SetUp();
        // Drive letters that come and go reach the dialog as Windows broadcasts them.
        tavren::InstallDriveBroadcasts();
    }
    void TearDown() override
    {
        SetWriteFault(u'C', 0);
        FileManagerTransferFixture::TearDown();
    }
};

const std::vector<std::u16string> kRootWithStick = {u"Built-in", u"USB flash drive 1", u"USB flash drive 2", u"USBSTICK (E:)"};

TEST_F(FileManagerPcFaultTest, PcFolderWriteProtectedOrFullWhileReceivingFromTheMachine)
{
    WriteAll(UserSt() / "a.stx", Stx(5));
    WriteAll(UserSt() / "b.stx", Stx(6));
    WriteAll(Desktop() / "b.stx", Stx(30));

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {u"b.stx"});
        OpenMachineSide(u, u"Built-in", {u"a.stx", u"b.stx"});
        for (int nFault : {EROFS, ENOSPC}) {
            const std::string strWhat = nFault == EROFS ? "write-protected" : "full";
            SetWriteFault(u'C', nFault);
            Tick(u, kMachineList, u"a.stx");
            Tick(u, kMachineList, u"b.stx");
            Press(u, kToPc);
            Expect(u, u"Save As", u"b.stx already exists.\nDo you want to replace it?", IDNO);
            Expect(u, u"Receive Designs", u"Files are not found.\na.stx\n");
            Settled(u);
            // Nothing half made: the folder as it was, and the pane shows it so.
            u.Expect(NamesIn(Desktop()) == std::vector<std::string>{"b.stx"}, strWhat + ": no file made in the PC folder");
            u.Expect(ReadAll(Desktop() / "b.stx") == Stx(30), strWhat + ": the file not received kept its bytes");
            WaitForShown(u, kPcList, {u"b.stx"}, strWhat + ": the PC pane");
        }
        // Replacing a file in a full folder: the old one stays as it was, and nothing is left
        // behind that looks received.
        Tick(u, kMachineList, u"b.stx");
        Press(u, kToPc);
        Expect(u, u"Save As", u"b.stx already exists.\nDo you want to replace it?", IDYES);
        Expect(u, u"Receive Designs", u"Files are not found.\nb.stx\n");
        Settled(u);
        u.Expect(NamesIn(Desktop()) == std::vector<std::string>{"b.stx"}, "only the old b.stx in the folder");
        u.Expect(ReadAll(Desktop() / "b.stx") == Stx(30), "the old b.stx kept its bytes");

        SetWriteFault(u'C', 0);
        Tick(u, kMachineList, u"a.stx");
        Tick(u, kMachineList, u"b.stx");
        Press(u, kToPc);
        Expect(u, u"Save As", u"b.stx already exists.\nDo you want to replace it?", IDYES);
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx"}, "both received once the folder takes them");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(Desktop() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(Desktop() / "b.stx"), Stx(6));
    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(UserSt() / "b.stx"), Stx(6));
}

TEST_F(FileManagerPcFaultTest, FlashDriveTakenOutInTheMiddleOfACopyFromIt)
{
    WriteAll(StickOrd() / "a.stx", Stx(5));
    WriteAll(StickOrd() / "b.stx", Stx(6));
    WriteAll(StickOrd() / "c.stx", Stx(7));
    WriteAll(StickOrd() / "d.stx", Stx(8));
    const std::string strB = Stx(6);

    // A file of the same name at the root of C:, where a path without its folder would lead.
    WriteAll(Drives().Host("c/d.stx"), Stx(20));

    RunStx([&](ScriptedUser& u) {
        OpenMachineSide(u, u"USBSTICK (E:)", {u"Ordf", u"a.stx", u"b.stx", u"c.stx", u"d.stx"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx", u"d.stx"})
            Tick(u, kMachineList, name);
        // The desktop opened last: C: is the current drive.
        OpenDesktop(u, {});
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
        WaitForShown(u, kMachineList, {u"Built-in", u"USB flash drive 1", u"USB flash drive 2"}, "the root view without the stick");
        Settled(u);
        pull.join();
        u.Expect(NamesIn(Desktop()) == std::vector<std::string>{"a.stx", "b.stx"}, "the last two files not made");

        // The stick back in: the last file copied on a second try.
        fs::remove(StickOrd() / "b.stx");
        WriteAll(StickOrd() / "b.stx", strB);
        PutBackStick();
        WaitForShown(u, kMachineList, kRootWithStick, "the stick back");
        OpenMachineSide(u, u"USBSTICK (E:)", {u"Ordf", u"a.stx", u"b.stx", u"c.stx", u"d.stx"});
        Tick(u, kMachineList, u"c.stx");
        Tick(u, kMachineList, u"d.stx");
        Press(u, kToPc);
        WaitForShown(u, kPcList, {u"a.stx", u"b.stx", u"c.stx", u"d.stx"}, "the last two copied on the second try");
        CloseDialog(u);
    });

    EXPECT_EQ(ReadAll(Desktop() / "a.stx"), Stx(5));
    EXPECT_EQ(ReadAll(Desktop() / "b.stx"), strB);
    EXPECT_EQ(ReadAll(Desktop() / "c.stx"), Stx(7));
    EXPECT_EQ(ReadAll(Desktop() / "d.stx"), Stx(8)) << "never the file of the same name elsewhere";
    EXPECT_EQ(ReadAll(StickOrd() / "c.stx"), Stx(7));
}

TEST_F(FileManagerPcFaultTest, FlashDriveOfThePcPaneTakenOutWhileReceivingIntoIt)
{
    WriteAll(UserSt() / "a.stx", Stx(5));
    WriteAll(UserSt() / "b.stx", Stx(6));
    WriteAll(Drives().Host("USBSTICK/In/keep.txt"), "keep");
    const auto before = NamesIn(Drives().Host("c"));

    RunStx([&](ScriptedUser& u) {
        u.WaitForWindow(kFileManager);
        OpenItem(u, kPcList, u"Computer");
        OpenItem(u, kPcList, u"USBSTICK (E:)");
        OpenItem(u, kPcList, u"In");
        WaitForShown(u, kPcList, {}, "the stick's folder in the PC pane");
        OpenMachineSide(u, u"Built-in", {u"a.stx", u"b.stx"});
        Tick(u, kMachineList, u"a.stx");
        Tick(u, kMachineList, u"b.stx");
        // The stick comes out while the machine is still sending the files.
        Ctl({"fault", "UploadFile", "delay", "500", "--count", "2"});
        Press(u, kToPc);
        u.WaitUntil(
            [&](const Snapshot& s) { return s.Front() && s.Front()->strCaption != kFileManager; }, "the transfer under way");
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
    EXPECT_EQ(ReadAll(UserSt() / "a.stx"), Stx(5));
}

TEST_F(FileManagerPcFaultTest, FlashDriveFullThenTakenOutInTheMiddleOfACopyToIt)
{
    WriteAll(Desktop() / "a.stx", Stx(5));
    WriteAll(Desktop() / "b.stx", Stx(6));
    WriteAll(Desktop() / "c.stx", Stx(7));

    const auto onC = NamesIn(Drives().Host("c"));

    RunStx([&](ScriptedUser& u) {
        // The desktop opened last: C: is the current drive.
        OpenMachineSide(u, u"USBSTICK (E:)", {u"Ordf"});
        OpenDesktop(u, {u"a.stx", u"b.stx", u"c.stx"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx"})
            Tick(u, kPcList, name);
        SetWriteFault(u'E', ENOSPC);
        Press(u, kToMachine);
        // The first file does not fit; while its box is up the person pulls the stick out.
        u.ExpectMessageBox(u"Send Designs", u"There is not enough space on the disk.\r\n");
        RemoveDrive(u'E');
        u.Answer(IDOK);
        Expect(u, u"Error", u"The system cannot find the path specified.\r\nE:\\ORD\\b.stx\nE:\\ORD\\c.stx");
        WaitForShown(u, kMachineList, {u"Built-in", u"USB flash drive 1", u"USB flash drive 2"}, "the root view without the stick");
        Settled(u);
        u.Expect(NamesIn(StickOrd()) == std::vector<std::string>{"Ordf"}, "nothing on the stick");

        PutBackStick();
        WaitForShown(u, kMachineList, kRootWithStick, "the stick back");
        OpenMachineSide(u, u"USBSTICK (E:)", {u"Ordf"});
        for (const char16_t* name : {u"a.stx", u"b.stx", u"c.stx"})
            Tick(u, kPcList, name);
        Press(u, kToMachine);
        WaitForShown(u, kMachineList, {u"Ordf", u"a.stx", u"b.stx", u"c.stx"}, "all three copied on the second try");
        CloseDialog(u);
    });

    for (const auto& [name, points] : {std::pair{"a.stx", 5}, std::pair{"b.stx", 6}, std::pair{"c.stx", 7}}) {
        EXPECT_EQ(ReadAll(StickOrd() / name), Stx(points)) << name;
        EXPECT_EQ(ReadAll(Desktop() / name), Stx(points)) << name;
    }
    EXPECT_EQ(NamesIn(Drives().Host("c")), onC) << "nothing written outside the folder chosen";
}

} // namespace
