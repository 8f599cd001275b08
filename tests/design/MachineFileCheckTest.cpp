// What the machine side takes: found, readable, at most 200 colour blocks and 200000 stitch words,
// and inside 140 mm to each side and 230 mm up and down around the design's position.
#include "design/MachineFileCheck.h"
#include "platform/file/DriveMap.h"
#include "tests/design/DesignTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace fixture;
using designtest::LoadWords;

namespace {

class MachineFileCheckTest : public ::testing::Test {
protected:

    std::u16string Put(const std::string& name, const Bytes& bytes)
    {
        const std::string host = m_dir + "/" + name;
        EXPECT_TRUE(WriteFile(host, bytes));
        return tavren::DriveMap::Instance().FromHost(host);
    }
    CMachineFileCheck::CheckResult Check(const std::string& name, const Bytes& bytes, int kind = 0)
    {
        return CMachineFileCheck::CheckSourceFile(Put(name, bytes).c_str(), kind);
    }

    tavren::test::ScratchDir m_scratch;
    std::string m_dir = m_scratch.path.string();
};

// A valid design whose cached extents and position are then set by hand.
void SizedDesign(CEmbData& data, double x, double y, EMBEXTENTS ext)
{
    LoadWords(data, Bytes{1, 1, 0x80, 0x10}, 1);
    ASSERT_TRUE(data.Validate());
    data.SetPosition(x, y);
    data.m_extents = ext;
}

} // namespace

TEST(MachineFileCheckLimits, SizeAtItsLimits)
{
    CEmbData data;
    auto check = [&](double x, double y, EMBEXTENTS ext) {
        SizedDesign(data, x, y, ext);
        return CMachineFileCheck::CheckDesignLimits(data);
    };
    EXPECT_EQ(check(0, 0, {0, 0, 1400, 0}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(0, 0, {0, 0, 1401, 0}), CMachineFileCheck::mfcTooLarge);
    EXPECT_EQ(check(0, 0, {1400, 0, 0, 0}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(0, 0, {1401, 0, 0, 0}), CMachineFileCheck::mfcTooLarge);
    EXPECT_EQ(check(0, 0, {0, 2300, 0, 0}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(0, 0, {0, 2301, 0, 0}), CMachineFileCheck::mfcTooLarge);
    EXPECT_EQ(check(0, 0, {0, 0, 0, 2300}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(0, 0, {0, 0, 0, 2301}), CMachineFileCheck::mfcTooLarge);
    // The position is rounded half away from zero before it is added.
    EXPECT_EQ(check(100.4, 0, {0, 0, 1300, 0}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(100.5, 0, {0, 0, 1300, 0}), CMachineFileCheck::mfcTooLarge);
    EXPECT_EQ(check(0, -300.5, {0, 2000, 0, 0}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(0, 300.5, {0, 1999, 0, 0}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(0, 300.5, {0, 2000, 0, 0}), CMachineFileCheck::mfcTooLarge);
    // Left and down are measured as |position - extent|: a design moved far right whose left
    // extent is small still fits on that side.
    EXPECT_EQ(check(1000, 0, {200, 0, 400, 0}), CMachineFileCheck::mfcOk);
    EXPECT_EQ(check(2000, 0, {200, 0, 0, 0}), CMachineFileCheck::mfcTooLarge);
    EXPECT_EQ(check(0, -2000, {0, 0, 0, 301}), CMachineFileCheck::mfcTooLarge);
}

TEST_F(MachineFileCheckTest, NotFoundAndErrorInFile)
{
    EXPECT_EQ(CMachineFileCheck::CheckSourceFile(u"C:\\no\\such\\folder\\rose.qef", 0), CMachineFileCheck::mfcNotFound);
    EXPECT_EQ(CMachineFileCheck::CheckSourceFile(u"C:\\no\\such\\folder\\p.stx", 1), CMachineFileCheck::mfcNotFound);
    EXPECT_EQ(Check("bad.qef", Bytes(50, 0)), CMachineFileCheck::mfcErrorInFile);
    EXPECT_EQ(Check("noext", MakeQef(LayoutFromStitches({Sew(1, 1), EndDesign()}))), CMachineFileCheck::mfcErrorInFile);
    EXPECT_EQ(Check("good.qef", MakeQef(LayoutFromStitches({Sew(1, 1), EndDesign()}))), CMachineFileCheck::mfcOk);
}

TEST_F(MachineFileCheckTest, ColourBlockLimit)
{
    DesignLayout layout;
    layout.words = MakeRandomWords(2000, 200, 1);
    layout.palette.assign(200, 5);
    EXPECT_EQ(Check("200.qpx", MakeQpx(layout)), CMachineFileCheck::mfcOk);
    layout.words = MakeRandomWords(2000, 201, 1);
    layout.palette.assign(201, 5);
    EXPECT_EQ(Check("201.qpx", MakeQpx(layout)), CMachineFileCheck::mfcTooManyLayers);
}

TEST_F(MachineFileCheckTest, StitchWordLimit)
{
    DesignLayout layout;
    layout.words = MakeRandomWords(200000, 3, 2);
    layout.palette = {1, 2, 3};
    EXPECT_EQ(Check("full.qef+", MakeQefPlus(layout)), CMachineFileCheck::mfcOk);
    layout.words = MakeRandomWords(200001, 3, 2);
    EXPECT_EQ(Check("over.qef+", MakeQefPlus(layout)), CMachineFileCheck::mfcTooManyStitches);
    // Too many blocks is reported before too many words.
    layout.words = MakeRandomWords(200001, 201, 2);
    layout.palette.assign(201, 1);
    EXPECT_EQ(Check("both.qef+", MakeQefPlus(layout)), CMachineFileCheck::mfcTooManyLayers);
}

TEST_F(MachineFileCheckTest, StxPatterns)
{
    EXPECT_EQ(Check("ok.stx", MakeStx(WellFormedStx(6)), 1), CMachineFileCheck::mfcOk);
    StxLayout broken = WellFormedStx(6);
    broken.records.pop_back();
    broken.records.pop_back();  // two trailing points left
    EXPECT_EQ(Check("broken.stx", MakeStx(broken), 1), CMachineFileCheck::mfcErrorInFile);
    EXPECT_EQ(Check("short.stx", Bytes(20, 0), 1), CMachineFileCheck::mfcErrorInFile);
}
