// Writes the fuzz seeds: the test fixtures' kinds of files (every format, with every optional
// block) and the real DST designs, each design prefixed by its type byte; the machine's listings and
// answer streams of the communication targets.
#include "design/EmbFile.h"
#include "tests/design/FixtureWriter.h"

#include <filesystem>
#include <iostream>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace fixture;

namespace {

// One machine listing record: length, kind (-1 folder), 8 bytes the list skips, the name.
void PutRecord(Bytes& b, const std::string& name, bool bFolder)
{
    const size_t at = b.size(), nLength = (16 + name.size() + 1 + 3) & ~size_t(3);
    Put32(b, static_cast<int32_t>(nLength));
    Put32(b, bFolder ? -1 : 0);
    b.resize(at + nLength, 0);
    std::copy(name.begin(), name.end(), b.begin() + static_cast<std::ptrdiff_t>(at + 16));
}

// A whole listing block as the machine answers it: count, records.
Bytes ListingBlock(const std::vector<std::pair<std::string, bool>>& entries)
{
    Bytes b;
    Put32(b, static_cast<int32_t>(entries.size()));
    for (const auto& [entry, bFolder] : entries)
        PutRecord(b, entry, bFolder);
    return b;
}

// A seed of the listing target: list kind and storage, level, the listing block.
void WriteListing(const std::string& dir, const std::string& name, uint8_t kindAndStorage, uint8_t level,
                  const std::vector<std::pair<std::string, bool>>& entries)
{
    Bytes b{kindAndStorage, level};
    PutBytes(b, ListingBlock(entries));
    WriteFile(dir + "/" + name, b);
}

// One answer of the fuzzed machine's stream: a success code and a block.
void PutAnswer(Bytes& b, const Bytes& block)
{
    b.push_back(0);
    Put16(b, static_cast<uint16_t>(block.size()));
    PutBytes(b, block);
}

// Seeds of the two targets of the fuzzed machine: a tree of two levels for the tree walks, and one
// ordinary answer stream per run kind.
void WriteMachineSeeds(const std::string& treeDir, const std::string& runsDir)
{
    for (uint8_t head : {uint8_t(0), uint8_t(1)}) {
        Bytes b{head};
        PutAnswer(b, ListingBlock({{"a.qef", false}, {"Sub", true}, {"b.qef", false}}));
        PutAnswer(b, ListingBlock({{"c.qef", false}, {"Deeper", true}}));
        PutAnswer(b, ListingBlock({{"d.qef", false}}));
        b.insert(b.end(), 8, 0); // erases and folder deletes succeed
        WriteFile(treeDir + "/tree-" + std::to_string(head), b);
    }
    // Names that, joined to the folder, would lead out of it or to another entry.
    Bytes hostile{0};
    PutAnswer(hostile, ListingBlock({{"..\\x.qef", false}, {"a\\b.qef", false}, {"", false}, {"..", true}, {"ok.qef", false}}));
    hostile.insert(hostile.end(), 8, 0);
    WriteFile(treeDir + "/tree-hostile", hostile);
    const Bytes listing = ListingBlock({{"a.qef", false}, {"Sub", true}});
    for (uint8_t kind = 0; kind < 9; kind++) {
        Bytes b{kind, 3};
        for (int i = 0; i < 3; i++)
            PutAnswer(b, kind == 7 ? (i == 0 ? listing : ListingBlock({{"x.qef", false}})) : Bytes{1, 2, 3, 4, 5});
        b.insert(b.end(), 6, 0);
        WriteFile(runsDir + "/run-" + std::to_string(kind), b);
    }
}

void Write(const std::string& dir, const std::string& name, uint8_t type, const Bytes& bytes)
{
    Bytes b{static_cast<uint8_t>(type - 1)};
    PutBytes(b, bytes);
    WriteFile(dir + "/" + name, b);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 7) {
        std::cerr << "usage: make_seeds EMB_DIR STX_DIR CORPUS_DIR LISTING_DIR TREE_DIR RUNS_DIR\n";
        return 2;
    }
    const std::string embDir = argv[1], stxDir = argv[2], corpus = argv[3], listingDir = argv[4];
    for (int i : {1, 2, 4, 5, 6})
        std::filesystem::create_directories(argv[i]);
    WriteListing(listingDir, "designs", 0x04, 2, {{"a.qef", false}, {"Sub", true}, {"b.qef+", false}, {"c.qpx", false}, {"d.txt", false}});
    WriteListing(listingDir, "stx-builtin", 0x05, 3, {{"(UserST)", true}, {"p.stx", false}, {"Deep", true}});
    WriteListing(listingDir, "ordplus-usb", 0x0A, 1, {{"q.ord+", false}, {"(UserST)", true}, {"r.stx", false}});
    WriteMachineSeeds(argv[5], argv[6]);

    DesignLayout layout = LayoutFromStitches({JumpBy(5, 5), Sew(10, 0), Sew(0, 10), ChangeColor(3, 3), Sew(-10, 0), Sew(0, -20),
                                        ChangeColor(), ChangeColor(1, 1), Sew(119, 0), JumpBy(119, 3), Sew(2, 2), EndDesign()});
    layout.extensionLevel = 20;
    layout.hoop = 5;
    layout.optionMarker = true;
    layout.designOption = 3;
    layout.enhance = {EnhanceEntry{1, {1, 2, 3}, std::nullopt}, EnhanceEntry{2, {4}, std::nullopt},
                    EnhanceEntry{0, ThreadBlock({CustomThread{1, 250, 250, 250, 0xFE, 3}}), std::nullopt}};
    layout.customThreads = {CustomThread{0, 9, 8, 7, 0, 1}};
    layout.edit = EditBlock{0, 40, {EditItem{1, 2, 3, 100, 5, 6, 7, 1, {9, 8, 7}}}, std::nullopt, std::nullopt};
    layout.qpxData = Bytes{1, 2, 3, 4};
    Write(embDir, "small.qef", CEmbFile::dftQef, MakeQef(layout));
    Write(embDir, "small.qef+", CEmbFile::dftQefPlus, MakeQefPlus(layout));
    Write(embDir, "small.qpx", CEmbFile::dftQpx, MakeQpx(layout));
    Write(embDir, "small.dst", CEmbFile::dftDst,
          MakeDst({Sew(5, 5), ChangeColor(3, 3), Sew(-300, 40), JumpBy(200, 200), Sew(1, 1), EndDesign()}));

    for (const auto& e : std::filesystem::directory_iterator(corpus))
        if (e.path().extension() == ".dst" || e.path().extension() == ".DST")
            Write(embDir, e.path().stem().string() + ".dst", CEmbFile::dftDst, ReadWholeFile(e.path().string()));

    WriteFile(stxDir + "/wellformed.stx", MakeStx(WellFormedStx(12)));
    StxLayout scaled = WellFormedStx(30);
    scaled.widthNum = 3;
    scaled.widthDen = 2;
    scaled.lengthNum = 1;
    scaled.lengthDen = 5;
    WriteFile(stxDir + "/scaled.stx", MakeStx(scaled));
    StxLayout broken = WellFormedStx(4);
    broken.records.insert(broken.records.begin(), StxCommand(0x04));
    WriteFile(stxDir + "/broken.stx", MakeStx(broken));
    return 0;
}
