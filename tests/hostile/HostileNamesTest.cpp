// Names from the machine that a PC folder cannot take as they stand: separators, a climb out of
// the folder, a drive colon, control characters and characters outside the ANSI code page. The
// machine list shows each as the machine gave it, and receiving writes nothing outside the PC
// folder. (Erasing such a name touches no other file: the communication runs' tests.)
#include "tests/hostile/HostileFixture.h"

namespace {

using namespace hostile;

class HostileNamesTest : public HostileFixture {};

// The names as the machine keeps them on its disk, and as it lists them.
const std::string kSlashName = "a\\b.stx";
const std::string kClimbName = "..\\x.stx";
const std::string kDriveName = "C:x.stx";
const std::string kControlName = "t\x01" "ab.stx";
const std::string kWideName = "\xE6\xBC\xA2.stx";      // a character no ANSI code page of ours has
const std::string kAccentName = "Z\xC3\xBCrich.stx";   // one the machine's code page has

constexpr UINT kMacMenuCheckAll = 32788;

TEST_F(HostileNamesTest, ReceivingWritesOnlyInsideThePcFolder)
{
    WriteAll(UserSt() / kSlashName, Stx(11));
    WriteAll(UserSt() / kClimbName, Stx(12));
    WriteAll(UserSt() / kDriveName, Stx(13));
    WriteAll(UserSt() / kWideName, Stx(15));
    WriteAll(UserSt() / kAccentName, Stx(16));
    std::vector<std::u16string> boxes;

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {});
        OpenMachineSide(u, u"Built-in", {u"a\\b.stx", u"..\\x.stx", u"C:x.stx", u"?.stx", u"Z\u00FCrich.stx"});
        u.RightClickItem(kMachineList, IndexOf(u, kMachineList, u"C:x.stx"));
        u.WaitForMenu();
        u.ChooseMenu(kMacMenuCheckAll);
        Press(u, kToPc);
        // The names that would leave the folder are never fetched; "?" cannot be in a PC name.
        boxes = AnswerBoxes(u, 1, kPcList, {u"Z\u00FCrich.stx"});
        CloseDialog(u);
    });
    EXPECT_EQ(boxes, std::vector<std::u16string>{u"Receive Designs|Files are not found.\n..\\x.stx\na\\b.stx\nC:x.stx\n?.stx\n"});
    EXPECT_EQ(FilesOnPc(), std::vector<std::string>{"c/Users/Me/Desktop/" + kAccentName});
    EXPECT_EQ(ReadAll(Desktop() / kAccentName), Stx(16));
    // The machine keeps every file it had.
    EXPECT_EQ(NamesIn(UserSt()).size(), 5u);
}

TEST_F(HostileNamesTest, ControlCharacterNameIsReported)
{
    WriteAll(UserSt() / kControlName, Stx(14));
    WriteAll(UserSt() / "fine.stx", Stx(17));
    std::vector<std::u16string> boxes;

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {});
        OpenMachineSide(u, u"Built-in", {u"t\x01" u"ab.stx", u"fine.stx"});
        u.RightClickItem(kMachineList, IndexOf(u, kMachineList, u"fine.stx"));
        u.WaitForMenu();
        u.ChooseMenu(kMacMenuCheckAll);
        Press(u, kToPc);
        boxes = AnswerBoxes(u, 1, kPcList, {});
        CloseDialog(u);
    });
    // The machine cannot find a name it cannot hold: the receive ends with its failure, and the
    // File Manager writes nothing of a receive that failed.
    EXPECT_EQ(boxes, std::vector<std::u16string>{u"Communication Error|The machine failed to open the file."});
    EXPECT_EQ(FilesOnPc(), std::vector<std::string>{});
}

} // namespace
