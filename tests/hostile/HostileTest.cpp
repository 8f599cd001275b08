// Hostile input end to end through the File Manager: design and STX files that pass the header
// checks and lie further on, listings the machine breaks, and names from the machine that a PC
// folder cannot take as they stand. What the person is told, and nothing written outside the
// folder chosen.
#include "tests/dialogs/FileManagerTransferFixture.h"

namespace {

using namespace fmtest;
using namespace fixture;
using tavren::test::NamesIn;

std::u16string Wide(const std::string& str) { return CString::FromUtf8(str).Str(); }

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
    // The one box the step brings up, answered with its first button; then the list shows these.
    static void AnswerBox(ScriptedUser& u, std::u16string_view strCaption, std::u16string_view strText, int nList,
                          const std::vector<std::u16string>& shown)
    {
        const tavren::WindowInfo& box = u.ExpectMessageBox(strCaption, strText);
        u.Answer(box.buttons.empty() ? IDOK : box.buttons.front());
        WaitForShown(u, nList, shown, "after the box");
    }
};

// Each file is good when ticked and lies by the time it is sent, so the send's own check meets
// it: counts beyond the file, offsets past its end, a header longer than the file, a file cut
// short. (The reader refuses such a file and the PC pane leaves it out: the design and list tests.)
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
    StxLayout count = WellFormedStx(10), header = WellFormedStx(10);
    count.recordCount = 60000;
    header.headerSize = 60000;
    const std::string qef = FromBytes(MakeQef(small())), qefPlus = FromBytes(MakeQefPlus(small())), qpx = FromBytes(MakeQpx(small()));
    struct File {
        std::string name, ticked, sent;
    };
    struct Case {
        bool bStx;
        std::vector<File> files;
        std::u16string strBox;
        std::vector<std::string> arrived;
    };
    const Case cases[] = {
        // An edit block out of reach is dropped silently: that design reads, and goes as it is.
        {false,
         {{"good.qef", qef, qef}, {"words.qef", qef, FromBytes(MakeQef(words))}, {"colors.qef+", qefPlus, FromBytes(MakeQefPlus(colors))},
          {"offset.qpx", qpx, FromBytes(MakeQpx(offset))}, {"edit.qpx", qpx, FromBytes(MakeQpx(edit))},
          {"cut.qef+", qefPlus, qefPlus.substr(0, qefPlus.size() / 2)}},
         u"There is an error in a file.\ncolors.qef+\ncut.qef+\noffset.qpx\nwords.qef", {"edit.qpx", "good.qef"}},
        {true,
         {{"good.stx", Stx(12), Stx(12)}, {"count.stx", Stx(20), FromBytes(MakeStx(count))},
          {"header.stx", Stx(20), FromBytes(MakeStx(header))}, {"cut.stx", Stx(20), Stx(40).substr(0, 70)}},
         u"There is an error in a file.\ncount.stx\ncut.stx\nheader.stx", {"good.stx"}},
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> all, arrived;
        for (const File& f : c.files) {
            WriteAll(Desktop() / f.name, f.ticked);
            all.push_back(Wide(f.name));
        }
        for (const std::string& name : c.arrived)
            arrived.push_back(Wide(name));
        Run([&](ScriptedUser& u) {
            OpenShowing(u, kPcList, u"Desktop", all);
            OpenShowing(u, kMachineList, u"Built-in", {});
            for (const std::u16string& name : all)
                Tick(u, kPcList, name);
            for (const File& f : c.files)
                WriteAll(Desktop() / f.name, f.sent);
            Press(u, kToMachine);
            AnswerBox(u, u"Confirm", c.strBox, kMachineList, arrived);
            CloseDialog(u);
        }, c.bStx);
        const fs::path dest = c.bStx ? UserSt() : Emb();
        EXPECT_EQ(NamesIn(dest), c.arrived);
        for (const File& f : c.files)
            if (fs::exists(dest / f.name)) {
                EXPECT_EQ(ReadAll(dest / f.name), f.sent) << f.name;
            }
    }
}

// A record of length zero, one that claims more bytes than the listing has, a count past the
// records and a negative count: the pane shows the records that can be read and nothing more
// (the machine lists folders first, so a broken first record leaves nothing), and the next
// listing, whole again, shows the folder as it is.
TEST_F(HostileTest, BrokenListingsShowTheReadableRecordsOnly)
{
    for (const char* name : {"a.qef", "b.qef", "Sub/c.qef"})
        WriteAll(Emb() / name, FromBytes(tavren::test::CorpusDesign("shamrockin.dst", ".qef")));
    const std::vector<std::u16string> whole = {u"Sub", u"a.qef", u"b.qef"};
    for (const auto& [how, shown] : std::vector<std::pair<std::string, std::vector<std::u16string>>>{
             {"zero-length", {}}, {"oversized-length", {}}, {"count-past-end", whole}, {"negative-count", {}}}) {
        SCOPED_TRACE(how);
        Ctl({"listing", how});
        Run([&](ScriptedUser& u) {
            OpenShowing(u, kMachineList, u"Built-in", shown);
            CloseDialog(u);
        }, false);
        Run([&](ScriptedUser& u) {
            OpenShowing(u, kMachineList, u"Built-in", whole);
            Open(u, kMachineList, u"Sub");
            WaitForShown(u, kMachineList, {u"c.qef"}, "the sub-folder after a broken listing");
            CloseDialog(u);
        }, false);
    }
}

// Names from the machine that a PC folder cannot take as they stand: separators, a climb out of
// the folder, a drive colon, characters outside the ANSI code page, a control character. The
// machine list shows each as the machine gave it; receiving writes nothing outside the PC folder.
// (Erasing such a name touches no other file: the communication runs' tests.)
TEST_F(HostileTest, NamesFromTheMachineAreReceivedOnlyInsideThePcFolder)
{
    constexpr UINT kMacMenuCheckAll = 32788;
    const std::string kAccentName = "Z\xC3\xBCrich.stx"; // a character the machine's code page has
    struct Case {
        std::vector<std::pair<std::string, int>> files; // as the machine keeps them, with their STX points
        std::vector<std::u16string> shown;              // as it lists them, the one right-clicked last
        std::u16string strCaption, strText;
        std::vector<std::string> onPc;
    };
    const Case cases[] = {
        // The names that would leave the folder are never fetched; "?" cannot be in a PC name.
        {{{"a\\b.stx", 11}, {"..\\x.stx", 12}, {"C:x.stx", 13}, {"\xE6\xBC\xA2.stx", 15}, {kAccentName, 16}},
         {u"a\\b.stx", u"..\\x.stx", u"C:x.stx", u"?.stx", u"Z\u00FCrich.stx"},
         u"Receive Designs", u"Files are not found.\n..\\x.stx\na\\b.stx\nC:x.stx\n?.stx\n",
         {"c/Users/Me/Desktop/" + kAccentName}},
        // The machine cannot find a name it cannot hold: the receive ends with its failure, and
        // the File Manager writes nothing of a receive that failed.
        {{{"t\x01" "ab.stx", 14}, {"fine.stx", 17}}, {u"t\x01" u"ab.stx", u"fine.stx"},
         u"Communication Error", u"The machine failed to open the file.", {}},
    };
    for (const Case& c : cases) {
        fs::remove_all(UserSt());
        fs::remove_all(Desktop());
        fs::create_directories(Desktop());
        for (const auto& [name, points] : c.files)
            WriteAll(UserSt() / name, Stx(points));
        const std::vector<std::u16string> received = c.onPc.empty() ? std::vector<std::u16string>{} : std::vector<std::u16string>{u"Z\u00FCrich.stx"};
        Run([&](ScriptedUser& u) {
            OpenShowing(u, kPcList, u"Desktop", {});
            OpenShowing(u, kMachineList, u"Built-in", c.shown);
            u.RightClickItem(kMachineList, WaitForItem(u, kMachineList, c.shown.back()));
            u.WaitForMenu();
            u.ChooseMenu(kMacMenuCheckAll);
            Press(u, kToPc);
            AnswerBox(u, c.strCaption, c.strText, kPcList, received);
            CloseDialog(u);
        }, true);
        EXPECT_EQ(FilesOnPc(), c.onPc);
        EXPECT_EQ(NamesIn(UserSt()).size(), c.files.size()) << "the machine keeps every file it had";
        if (!c.onPc.empty()) {
            EXPECT_EQ(ReadAll(Desktop() / kAccentName), Stx(16));
        }
    }
}

} // namespace
