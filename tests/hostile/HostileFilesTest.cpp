// Design and STX files that pass the header checks and lie further on: counts beyond the file,
// offsets past its end, a header that claims to be longer than the file, a file cut short. (The
// reader refuses such a file and the PC pane leaves it out: the design and list tests.) One that
// turns into a liar after it was ticked is refused by the send's own check with the error-in-a-file
// message, and the good files beside it go unchanged.
#include "tests/hostile/HostileFixture.h"


namespace {

using namespace hostile;
using namespace fixture;

class HostileFilesTest : public HostileFixture {};

DesignLayout Small()
{
    return LayoutFromStitches({JumpBy(5, 5), Sew(40, 0), Sew(0, 40), ChangeColor(3, 3), Sew(-40, 0), EndDesign()});
}

std::string Cut(const Bytes& bytes, size_t nKeep) { return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(nKeep)); }

// Each file is good when ticked and lies by the time it is sent, so the send's own check meets it.
TEST_F(HostileFilesTest, LyingDesignsAreRefusedAndTheGoodOneArrives)
{
    DesignLayout words = Small();
    words.wordCount = 1000000;
    DesignLayout colors = Small();
    colors.colorCount = 100000;
    DesignLayout offset = Small();
    offset.stitchOffset = 0x7FFFFFF0u;
    DesignLayout edit = Small();
    edit.edit = EditBlock{0, 40, {EditItem{1, 2, 3, 100, 5, 6, 7, 1, {9, 8, 7}}}, std::nullopt, std::nullopt};
    edit.editOffset = 0x7FFFFFF0;
    const Bytes whole = MakeQefPlus(Small());
    const std::vector<std::pair<std::string, std::string>> lies = {
        {"words.qef", FromBytes(MakeQef(words))},     {"colors.qef+", FromBytes(MakeQefPlus(colors))},
        {"offset.qpx", FromBytes(MakeQpx(offset))},   {"edit.qpx", FromBytes(MakeQpx(edit))},
        {"cut.qef+", Cut(whole, whole.size() / 2)},
    };
    std::vector<std::u16string> all = {u"good.qef"};
    WriteAll(Desktop() / "good.qef", FromBytes(MakeQef(Small())));
    for (const auto& [name, bytes] : lies) {
        const fs::path path = Desktop() / name;
        WriteAll(path, name.ends_with(".qpx") ? FromBytes(MakeQpx(Small()))
                                              : name.ends_with("+") ? FromBytes(MakeQefPlus(Small())) : FromBytes(MakeQef(Small())));
        all.push_back(std::u16string(name.begin(), name.end()));
    }
    std::vector<std::u16string> boxes;

    RunDesigns([&](ScriptedUser& u) {
        OpenDesktop(u, all);
        OpenMachineSide(u, u"Built-in", {});
        for (const std::u16string& name : all)
            Tick(u, kPcList, name);
        for (const auto& [name, bytes] : lies)
            WriteAll(Desktop() / name, bytes);
        Press(u, kToMachine);
        // An edit block out of reach is dropped silently: that design reads, and goes as it is.
        boxes = AnswerBoxes(u, 1, kMachineList, {u"edit.qpx", u"good.qef"});
        CloseDialog(u);
    });
    EXPECT_EQ(boxes, std::vector<std::u16string>{u"Confirm|There is an error in a file.\ncolors.qef+\ncut.qef+\noffset.qpx\nwords.qef"});
    EXPECT_EQ(NamesIn(Emb()), (std::vector<std::string>{"edit.qpx", "good.qef"}));
    EXPECT_EQ(ReadAll(Emb() / "good.qef"), FromBytes(MakeQef(Small())));
    EXPECT_EQ(ReadAll(Emb() / "edit.qpx"), lies[3].second);
}

TEST_F(HostileFilesTest, LyingStxFilesAreRefusedAndTheGoodOneArrives)
{
    StxLayout count = WellFormedStx(10);
    count.recordCount = 60000;
    StxLayout header = WellFormedStx(10);
    header.headerSize = 60000;
    const Bytes whole = MakeStx(WellFormedStx(40));
    const std::vector<std::pair<std::string, std::string>> lies = {
        {"count.stx", FromBytes(MakeStx(count))}, {"header.stx", FromBytes(MakeStx(header))}, {"cut.stx", Cut(whole, 70)}};
    std::vector<std::u16string> all = {u"good.stx"};
    WriteAll(Desktop() / "good.stx", Stx(12));
    for (const auto& [name, bytes] : lies) {
        WriteAll(Desktop() / name, Stx(20));
        all.push_back(std::u16string(name.begin(), name.end()));
    }
    std::vector<std::u16string> boxes;

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, all);
        OpenMachineSide(u, u"Built-in", {});
        for (const std::u16string& name : all)
            Tick(u, kPcList, name);
        for (const auto& [name, bytes] : lies)
            WriteAll(Desktop() / name, bytes);
        Press(u, kToMachine);
        boxes = AnswerBoxes(u, 1, kMachineList, {u"good.stx"});
        CloseDialog(u);
    });
    EXPECT_EQ(boxes, std::vector<std::u16string>{u"Confirm|There is an error in a file.\ncount.stx\ncut.stx\nheader.stx"});
    EXPECT_EQ(NamesIn(UserSt()), std::vector<std::string>{"good.stx"});
    EXPECT_EQ(ReadAll(UserSt() / "good.stx"), Stx(12));
}

} // namespace
