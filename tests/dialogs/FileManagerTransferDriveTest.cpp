// Copies between the PC and a USB flash drive attached to it: files arriving byte for byte both
// ways, a read-only file arriving writable, and failed copies gathered under the system's own
// message.
#include "tests/dialogs/FileManagerTransferFixture.h"

namespace {

using namespace fmtest;

class FileManagerTransferDriveTest : public FileManagerTransferFixture {};

bool Writable(const fs::path& p)
{
    return (fs::status(p).permissions() & fs::perms::owner_write) != fs::perms::none;
}

TEST_F(FileManagerTransferDriveTest, FlashDriveCopiesBothWaysAndFailedOnesAreGatheredUnderTheSystemsMessage)
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
