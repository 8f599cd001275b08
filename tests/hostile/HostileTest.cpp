// Hostile input end to end through the File Manager: design and STX files that pass the header
// checks and lie further on, and names from the machine that a PC folder cannot take as they
// stand (broken listings: ListingReader.WholeAndBrokenListings and the comm runs' tests). What the person is told, and nothing written outside the
// folder chosen.
#include "tests/dialogs/FileManagerTransferFixture.h"

namespace {

using namespace fmtest;
using namespace fixture;
using tavren::test::NamesIn;

class HostileTest : public FileManagerFixture {
protected:
    // Every file below the drive map's root but the user's folder settings, relative to it.
    std::vector<std::string> FilesOnPc() const
    {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(Drives().Root()))
            if (entry.is_regular_file() && entry.path().filename() != "user-dirs.dirs")
                files.push_back(entry.path().lexically_relative(Drives().Root()).generic_string());
        std::sort(files.begin(), files.end());
        return files;
    }
};

// Each design is good when ticked and lies by the time it is sent, so the send's own check meets
// it: counts beyond the file, offsets past its end, a file cut short; an edit block out of reach is
// dropped silently: that design reads, and goes as it is. (The reader refuses such a file and the
// PC pane leaves it out: the design and list tests; STX patterns that lie the same way:
// StxFileRead.HeaderChecks and MachineFileCheckTest.FilesAtTheirLimits.)
TEST_F(HostileTest, LyingFilesAreRefusedAtTheSendAndTheGoodOnesArriveUnchanged)
{
    const auto small = [] {
        return LayoutFromStitches({JumpBy(5, 5), Sew(40, 0), Sew(0, 40), ChangeColor(3, 3), Sew(-40, 0), EndDesign()});
    };
    DesignLayout words = small(), colors = small(), offset = small(), edit = small();
    words.wordCount = 1000000;
    colors.colorCount = 100000;
    offset.stitchOffset = 0x7FFFFFF0u;
    edit.edit = EditBlock{0, 40, {EditItem{1, 2, 3, 100, 5, 6, 7, 1, {9, 8, 7}}}, std::nullopt, std::nullopt};
    edit.editOffset = 0x7FFFFFF0;
    const std::string qef = FromBytes(MakeQef(small())), qefPlus = FromBytes(MakeQefPlus(small())), qpx = FromBytes(MakeQpx(small()));
    struct File {
        std::string name, ticked, sent;
    };
    const File files[] = {{"good.qef", qef, qef}, {"words.qef", qef, FromBytes(MakeQef(words))},
                          {"colors.qef+", qefPlus, FromBytes(MakeQefPlus(colors))}, {"offset.qpx", qpx, FromBytes(MakeQpx(offset))},
                          {"edit.qpx", qpx, FromBytes(MakeQpx(edit))}, {"cut.qef+", qefPlus, qefPlus.substr(0, qefPlus.size() / 2)}};
    std::vector<std::u16string> all;
    for (const File& f : files) {
        WriteAll(Desktop() / f.name, f.ticked);
        all.push_back(std::u16string(f.name.begin(), f.name.end()));
    }
    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", all);
        OpenShowing(u, kMachineList, u"Built-in", {});
        TickAll(u, kPcList, all);
        for (const File& f : files)
            WriteAll(Desktop() / f.name, f.sent);
        Press(u, kToMachine);
        u.ExpectMessageBox(u"Confirm", u"There is an error in a file.\ncolors.qef+\ncut.qef+\noffset.qpx\nwords.qef");
        u.Answer(IDOK);
        WaitForShown(u, kMachineList, {u"edit.qpx", u"good.qef"}, "the two good designs sent");
        CloseDialog(u);
    }, false);
    EXPECT_EQ(NamesIn(Emb()), (std::vector<std::string>{"edit.qpx", "good.qef"}));
    EXPECT_EQ(ReadAll(Emb() / "edit.qpx"), files[4].sent);
    EXPECT_EQ(ReadAll(Emb() / "good.qef"), qef);
}

// Names from the machine that a PC folder cannot take as they stand: separators, a climb out of
// the folder, a drive colon, characters outside the ANSI code page. The machine list shows each as
// the machine gave it; receiving writes nothing outside the PC folder: the names that would leave
// it are never fetched, and "?" cannot be in a PC name. (Erasing such a name touches no other
// file: the communication runs' tests; a receive that fails writes nothing: the fault tests.)
TEST_F(HostileTest, NamesFromTheMachineAreReceivedOnlyInsideThePcFolder)
{
    constexpr UINT kMacMenuCheckAll = 32788;
    const std::string kAccentName = "Z\xC3\xBCrich.stx"; // a character the machine's code page has
    PutStx(UserSt(), {{"a\\b.stx", 11}, {"..\\x.stx", 12}, {"C:x.stx", 13}, {"\xE6\xBC\xA2.stx", 15}, {kAccentName, 16}});
    const std::vector<std::u16string> shown = {u"a\\b.stx", u"..\\x.stx", u"C:x.stx", u"?.stx", u"Z\u00FCrich.stx"};
    Run([&](ScriptedUser& u) {
        OpenShowing(u, kPcList, u"Desktop", {});
        OpenShowing(u, kMachineList, u"Built-in", shown);
        u.RightClickItem(kMachineList, WaitForItem(u, kMachineList, shown.back()));
        u.WaitForMenu();
        u.ChooseMenu(kMacMenuCheckAll);
        Press(u, kToPc);
        u.ExpectMessageBox(u"Receive Designs", u"Files are not found.\n..\\x.stx\na\\b.stx\nC:x.stx\n?.stx\n");
        u.Answer(IDOK);
        WaitForShown(u, kPcList, {u"Z\u00FCrich.stx"}, "the one name a PC folder takes received");
        CloseDialog(u);
    }, true);
    EXPECT_EQ(FilesOnPc(), std::vector<std::string>{"c/Users/Me/Desktop/" + kAccentName});
    EXPECT_EQ(ReadAll(Desktop() / kAccentName), Stx(16));
    EXPECT_EQ(NamesIn(UserSt()).size(), 5u) << "the machine keeps every file it had";
}

} // namespace
