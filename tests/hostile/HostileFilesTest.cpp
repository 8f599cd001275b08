// Design and STX files that pass the header checks and lie further on: counts beyond the file,
// offsets past its end, a header that claims to be longer than the file, a file cut short. The
// File Manager lists them (a thumbnail it cannot draw falls back to the plain picture), refuses
// to send them with the error-in-a-file message, and sends the good file beside them unchanged.
#include "tests/hostile/HostileFixture.h"

#include <iostream>

namespace {

using namespace hostile;
using namespace fixture;

class HostileFilesTest : public HostileFixture {};

DesignLayout Small()
{
    return LayoutFromStitches({JumpBy(5, 5), Sew(40, 0), Sew(0, 40), ChangeColor(3, 3), Sew(-40, 0), EndDesign()});
}

std::string Cut(const Bytes& bytes, size_t nKeep) { return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(nKeep)); }

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
    WriteAll(Desktop() / "words.qef", FromBytes(MakeQef(words)));
    WriteAll(Desktop() / "colors.qef+", FromBytes(MakeQefPlus(colors)));
    WriteAll(Desktop() / "offset.qpx", FromBytes(MakeQpx(offset)));
    WriteAll(Desktop() / "edit.qpx", FromBytes(MakeQpx(edit)));
    WriteAll(Desktop() / "cut.qef+", Cut(whole, whole.size() / 2));
    WriteAll(Desktop() / "good.qef", FromBytes(MakeQef(Small())));
    std::vector<std::u16string> boxes;
    const std::vector<std::u16string> all = {u"words.qef", u"colors.qef+", u"offset.qpx", u"edit.qpx", u"cut.qef+", u"good.qef"};

    RunDesigns([&](ScriptedUser& u) {
        OpenDesktop(u, all);
        OpenMachineSide(u, u"Built-in", {});
        for (const std::u16string& name : all)
            Tick(u, kPcList, name);
        Press(u, kToMachine);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        boxes = AnswerBoxes(u, kMachineList, {u"good.qef"});
        CloseDialog(u);
    });
    for (auto& b : boxes)
        std::cerr << "BOX: " << Narrow(b) << "\n";
    for (auto& f : FilesIn(Emb()))
        std::cerr << "MAC: " << f << "\n";
}

TEST_F(HostileFilesTest, LyingStxFilesAreRefusedAndTheGoodOneArrives)
{
    StxLayout count = WellFormedStx(10);
    count.recordCount = 60000;
    StxLayout header = WellFormedStx(10);
    header.headerSize = 60000;
    const Bytes whole = MakeStx(WellFormedStx(40));
    WriteAll(Desktop() / "count.stx", FromBytes(MakeStx(count)));
    WriteAll(Desktop() / "header.stx", FromBytes(MakeStx(header)));
    WriteAll(Desktop() / "cut.stx", Cut(whole, 70));
    WriteAll(Desktop() / "good.stx", Stx(12));
    std::vector<std::u16string> boxes;
    const std::vector<std::u16string> all = {u"count.stx", u"header.stx", u"cut.stx", u"good.stx"};

    RunStx([&](ScriptedUser& u) {
        OpenDesktop(u, all);
        OpenMachineSide(u, u"Built-in", {});
        for (const std::u16string& name : all)
            Tick(u, kPcList, name);
        Press(u, kToMachine);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        boxes = AnswerBoxes(u, kMachineList, {u"good.stx"});
        CloseDialog(u);
    });
    for (auto& b : boxes)
        std::cerr << "BOX: " << Narrow(b) << "\n";
    for (auto& f : FilesIn(UserSt()))
        std::cerr << "MAC: " << f << "\n";
}

} // namespace
