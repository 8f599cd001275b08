// STX patterns: the header checks, the swing and feed scaling, the outline, the measures and the
// structure rules that mark a pattern broken.
#include "design/StxFile.h"
#include "tests/design/FixtureWriter.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace fixture;

namespace {

bool ReadStx(CStxFile& stx, const Bytes& bytes) { return stx.ReadBuffer(bytes.data(), bytes.size()); }

// opening, 5 points, closing, 3 points, end
StxLayout FivePointPattern()
{
    return {{StxCommand(0x03), StxPoint(22, 5), StxPoint(12, 5), StxPoint(32, 5), StxPoint(22, -5), StxPoint(2, 0),
             StxCommand(0x00), StxPoint(22, 1), StxPoint(22, 1), StxPoint(22, 1), StxCommand(0xFF)}};
}

std::vector<CPoint> Outline(const CStxFile& stx) { return {stx.GetOutline().begin(), stx.GetOutline().end()}; }

} // namespace

TEST(StxFileRead, HeaderChecks)
{
    const Bytes good = MakeStx(FivePointPattern());
    StxLayout badSize = FivePointPattern(), badCount = FivePointPattern();
    badSize.headerSize = 0x40;
    badCount.recordCount = 65535;  // far more records than the file holds
    const std::pair<Bytes, int> cases[] = {  // the bytes and the failure (-1: any)
        {Bytes(good.begin(), good.begin() + 67), CStxFile::sfShortHeader},
        {MakeStx(badSize), CStxFile::sfHeaderSize},
        {Bytes(good.begin(), good.end() - 1), CStxFile::sfRecords},
        {MakeStx(badCount), -1}};
    CStxFile stx;
    for (const auto& [bytes, nFailure] : cases) {
        EXPECT_TRUE(ReadStx(stx, good) && !stx.IsBroken()) << "a good read clears the broken flag";
        EXPECT_FALSE(ReadStx(stx, bytes));
        EXPECT_TRUE(stx.IsBroken());
        EXPECT_TRUE(nFailure < 0 || stx.GetLastReadFailure() == nFailure) << nFailure;
    }
}

TEST(StxFileRead, OutlineSwingAndFeedWithTheirScaling)
{
    StxLayout layout = FivePointPattern();
    CStxFile stx;
    ASSERT_TRUE(ReadStx(stx, MakeStx(layout)));  // LN = LD = 1: r = 10, feed as is
    // swing 22 - b0; the feed of a point moves the next one
    EXPECT_EQ(Outline(stx), (std::vector<CPoint>{{0, 0}, {10, 5}, {-10, 10}, {0, 15}, {20, 10}}));
    EXPECT_EQ(std::make_tuple(stx.GetWidth(), stx.GetLength(), stx.GetMinFeed()), std::make_tuple(30, 15, 0)); // the last feed (0) counts too

    // Swing halved, truncating: 10 -> 5, -10 -> -5, 20 -> 10; r = 2, r' = 3: feed 5 -> 1, -5 -> -1.
    std::tie(layout.widthNum, layout.widthDen, layout.lengthNum, layout.lengthDen) = std::make_tuple(1, 2, 1, 5);
    ASSERT_TRUE(ReadStx(stx, MakeStx(layout)));
    EXPECT_EQ(Outline(stx), (std::vector<CPoint>{{0, 0}, {5, 1}, {-5, 2}, {0, 3}, {10, 2}}));
    EXPECT_EQ(std::make_pair(stx.GetWidth(), stx.GetLength()), std::make_pair(15, 3));
    layout.widthDen = layout.lengthDen = 0; // no width scaling, no feed at all
    ASSERT_TRUE(ReadStx(stx, MakeStx(layout)));
    EXPECT_EQ(std::make_pair(stx.GetOutline()[4], stx.GetLength()), std::make_pair(CPoint(20, 0), 1));  // length 0 becomes 1
    std::tie(layout.lengthNum, layout.lengthDen) = std::make_pair(3, 10); // r = 3 is not above 3: r' = 4, feed 5 -> 2
    ASSERT_TRUE(ReadStx(stx, MakeStx(layout)));
    EXPECT_EQ(stx.GetOutline()[1], CPoint(10, 2));
}

TEST(StxFileStructure, RulesMarkBrokenButStillRead)
{
    auto broken = [](std::vector<StxRecord> records) {
        CStxFile stx;
        EXPECT_TRUE(ReadStx(stx, MakeStx({std::move(records)})));
        return stx.IsBroken();
    };
    const StxRecord o = StxCommand(0x03), c = StxCommand(0x00), e = StxCommand(0xFF), k = StxCommand(0x04), p = StxPoint(22, 1);
    EXPECT_FALSE(broken({o, p, p, p, p, p, c, p, p, p, e}));
    EXPECT_TRUE(broken({o, p, p, p, p, p, c, p, p, e}));        // two trailing points
    EXPECT_TRUE(broken({o, o, p, p, p, p, c, p, p, p, e}));     // two openings
    EXPECT_TRUE(broken({o, p, p, p, p, c, c, p, p, p, e}));     // two closings
    EXPECT_FALSE(broken({o, p, k, p, p, p, c, p, p, p, e}));    // one 0x04 is fine
    EXPECT_TRUE(broken({o, k, p, k, p, p, c, p, p, p, e}));     // two are not
    EXPECT_TRUE(broken({p, p, p, p, p, o, c, p, p, p, e}));     // first command in the second half
    EXPECT_TRUE(broken({o, p, p, p, p, p, c, p, p, p, k, e}));  // last command not the closing one
    EXPECT_TRUE(broken({o, p, p, p, p, p, p, p, p, e}));        // no closing command
    EXPECT_TRUE(broken({}));                                    // no records
    EXPECT_FALSE(broken({o, p, p, p, p, p, c, p, p, p}));       // the end command may be missing
}
