// What the machine side takes: found, readable, at most 200 colour blocks and 200000 stitch words,
// and inside 140 mm to each side and 230 mm up and down around the design's position.
#include "design/EmbFile.h"
#include "design/MachineFileCheck.h"
#include "platform/file/DriveMap.h"
#include "tests/design/FixtureWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace fixture;

// Each case a design's position and cached extents (left, up, right, down), and whether it fits.
TEST(MachineFileCheckLimits, SizeAtItsLimits)
{
    struct Case { double x, y; EMBEXTENTS ext; bool bFits; };
    const Case cases[] = {
        {0, 0, {0, 0, 1400, 0}, true},  {0, 0, {0, 0, 1401, 0}, false}, {0, 0, {1400, 0, 0, 0}, true},
        {0, 0, {1401, 0, 0, 0}, false}, {0, 0, {0, 2300, 0, 0}, true},  {0, 0, {0, 2301, 0, 0}, false},
        {0, 0, {0, 0, 0, 2300}, true},  {0, 0, {0, 0, 0, 2301}, false},
        // The position is rounded half away from zero before it is added.
        {100.4, 0, {0, 0, 1300, 0}, true}, {100.5, 0, {0, 0, 1300, 0}, false}, {0, -300.5, {0, 2000, 0, 0}, true},
        {0, 300.5, {0, 1999, 0, 0}, true}, {0, 300.5, {0, 2000, 0, 0}, false},
        // Left and down are measured as |position - extent|: a design moved far right whose left
        // extent is small still fits on that side.
        {1000, 0, {200, 0, 400, 0}, true}, {2000, 0, {200, 0, 0, 0}, false}, {0, -2000, {0, 0, 0, 301}, false}};
    CEmbData data;
    const Bytes qef = MakeQef(LayoutFromStitches({Sew(1, 1), EndDesign()}));
    ASSERT_TRUE(CEmbFile(CEmbFile::dftQef).ReadBuffer(qef.data(), qef.size(), data));
    for (const Case& c : cases) {
        data.SetPosition(c.x, c.y);
        data.m_extents = c.ext;
        EXPECT_EQ(CMachineFileCheck::CheckDesignLimits(data), c.bFits ? CMachineFileCheck::mfcOk : CMachineFileCheck::mfcTooLarge)
            << c.x << ", " << c.y << ": " << c.ext.nLeft << " " << c.ext.nUp << " " << c.ext.nRight << " " << c.ext.nDown;
    }
}

// Each file's verdict; too many blocks is reported before too many words.
TEST(MachineFileCheckTest, FilesAtTheirLimits)
{
    // The verdict on the bytes written as a file of that name (kind 0 a design, 1 an STX pattern).
    const tavren::test::ScratchDir scratch;
    auto check = [&](const std::string& name, const Bytes& bytes, int kind) {
        EXPECT_TRUE(WriteFile((scratch.path / name).string(), bytes));
        return CMachineFileCheck::CheckSourceFile(tavren::DriveMap::Instance().FromHost((scratch.path / name).string()).c_str(), kind);
    };
    auto words = [](int nWords, int nColors, const char* pszFormat) {
        const DesignLayout layout{.words = MakeRandomWords(nWords, nColors, 1), .palette = std::vector<int32_t>(size_t(nColors), 5)};
        return std::string(pszFormat) == "qpx" ? MakeQpx(layout) : MakeQefPlus(layout);
    };
    const Bytes small = MakeQef(LayoutFromStitches({Sew(1, 1), EndDesign()}));
    StxLayout broken = WellFormedStx(6);
    broken.records.resize(broken.records.size() - 2); // two trailing points left
    struct Case {
        const char* name;
        Bytes bytes;
        int kind;
        CMachineFileCheck::CheckResult result;
    };
    const Case cases[] = {
        {"good.qef", small, 0, CMachineFileCheck::mfcOk},
        {"bad.qef", Bytes(50, 0), 0, CMachineFileCheck::mfcErrorInFile},
        {"noext", small, 0, CMachineFileCheck::mfcErrorInFile},
        {"200.qpx", words(2000, 200, "qpx"), 0, CMachineFileCheck::mfcOk},
        {"201.qpx", words(2000, 201, "qpx"), 0, CMachineFileCheck::mfcTooManyLayers},
        {"full.qef+", words(200000, 3, "qef+"), 0, CMachineFileCheck::mfcOk},
        {"over.qef+", words(200001, 3, "qef+"), 0, CMachineFileCheck::mfcTooManyStitches},
        {"both.qef+", words(200001, 201, "qef+"), 0, CMachineFileCheck::mfcTooManyLayers},
        {"ok.stx", MakeStx(WellFormedStx(6)), 1, CMachineFileCheck::mfcOk},
        {"broken.stx", MakeStx(broken), 1, CMachineFileCheck::mfcErrorInFile},
        {"short.stx", Bytes(20, 0), 1, CMachineFileCheck::mfcErrorInFile},
    };
    for (const Case& c : cases)
        EXPECT_EQ(check(c.name, c.bytes, c.kind), c.result) << c.name;
    EXPECT_EQ(CMachineFileCheck::CheckSourceFile(u"C:\\no\\such\\folder\\rose.qef", 0), CMachineFileCheck::mfcNotFound);
    EXPECT_EQ(CMachineFileCheck::CheckSourceFile(u"C:\\no\\such\\folder\\p.stx", 1), CMachineFileCheck::mfcNotFound);
}
