// Names from the machine that a PC folder cannot take as they stand: separators, a climb out of
// the folder, a drive colon, control characters and characters outside the ANSI code page. The
// machine list shows each as the machine gave it, receiving writes nothing outside the PC folder,
// and erasing them ends with the machine's answer, the dialog still working.
#include "tests/hostile/HostileFixture.h"

#include <iostream>

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

constexpr UINT kMacMenuDelete = 32787, kMacMenuCheckAll = 32788;

TEST_F(HostileNamesTest, ReceivingWritesOnlyInsideThePcFolder)
{
    WriteAll(UserSt() / kSlashName, Stx(11));
    WriteAll(UserSt() / kClimbName, Stx(12));
    WriteAll(UserSt() / kDriveName, Stx(13));
    WriteAll(UserSt() / kControlName, Stx(14));
    WriteAll(UserSt() / kWideName, Stx(15));
    WriteAll(UserSt() / kAccentName, Stx(16));
    std::vector<std::u16string> boxes;

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, {});
        OpenMachineSide(u, u"Built-in",
                        {u"a\\b.stx", u"..\\x.stx", u"C:x.stx", u"t\x01" u"ab.stx", u"?.stx", u"Z\u00FCrich.stx"});
        u.RightClickItem(kMachineList, IndexOf(u, kMachineList, u"C:x.stx"));
        u.WaitForMenu();
        u.ChooseMenu(kMacMenuCheckAll);
        Press(u, kToPc);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        boxes = AnswerBoxes(u, kPcList, {u"?.stx", u"Z\u00FCrich.stx"});
        CloseDialog(u);
    });
    for (auto& b : boxes)
        std::cerr << "BOX: " << Narrow(b) << "\n";
    for (auto& f : FilesOnPc())
        std::cerr << "FILE: " << f << "\n";
}

} // namespace
