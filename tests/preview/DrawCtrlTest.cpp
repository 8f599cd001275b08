// The renderer on a y-up canvas of one pixel per logical unit (scale > 1 where marks are small):
// what it draws and what it leaves out.
#include "tests/gdi/Canvas.h"
#include "tests/preview/DesignBuilder.h"

#include "design/ThreadPalette.h"
#include "platform/kernel/Handle.h"
#include "preview/DrawCtrl.h"

#include <gtest/gtest.h>

using namespace testdesign;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(200, 0, 0);

// A canvas whose logical units are nScale pixels, y upward, logical (0, 0) at device (ox, oy).
struct YUpCanvas : Canvas {
    YUpCanvas(int cx, int cy, int ox, int oy, int nScale = 1, COLORREF fill = kWhite) : Canvas(cx, cy, fill)
    {
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowExt(1, 1);
        dc.SetViewportExt(nScale, -nScale);
        dc.SetViewportOrg(ox, oy);
    }
    bool Inked(int x, int y) const { return dc.GetPixel(x, y) != kWhite; }
};

TEST(DrawCtrl, DesignStartingWithAJumpDrawsNoLineFromTheOrigin)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {Jump, {50, 0}, {10, 0}, {10, 0}, End}, 1));
    ASSERT_EQ(design.m_nStatus, CEmbData::scStartsWithJump);
    YUpCanvas c(100, 20, 10, 10);
    CDrawCtrl().Draw(design, &c.dc, 0, 0);
    // The jump and the stitch after it are one move to 60 units = 24; then a stitch to 28.
    for (int x = -5; x < 24; ++x)
        EXPECT_FALSE(c.Inked(x, 0)) << x;
    for (int x = 24; x < 28; ++x)
        EXPECT_TRUE(c.Inked(x, 0)) << x;
    EXPECT_FALSE(c.Inked(28, 0));
}

TEST(DrawCtrl, JumpOf119IsALongStitchAndOtherJumpsAreNotDrawn)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, Jump, {119, 0}, {10, 0}, End}, 1));
    YUpCanvas c(100, 20, 10, 10);
    CDrawCtrl().Draw(design, &c.dc, 0, 0);
    for (int x : {0, 3, 4, 30, 55})
        EXPECT_TRUE(c.Inked(x, 0)) << x;  // 4 .. 55.6 -> 56 as one line
    EXPECT_FALSE(c.Inked(56, 0));

    ASSERT_TRUE(Build(design, {{10, 0}, Jump, {118, 0}, {10, 0}, {0, 10}, End}, 1));
    YUpCanvas d(100, 20, 10, 10);
    CDrawCtrl().Draw(design, &d.dc, 0, 0);
    EXPECT_TRUE(d.Inked(3, 0));
    EXPECT_FALSE(d.Inked(30, 0));
    EXPECT_TRUE(d.Inked(55, 1)); // the stitch after the jump, from (55, 0) up
}

TEST(DrawCtrl, JumpsAreDrawnDottedOnlyWhenAsked)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, Jump, {100, 0}, {0, 0}, {0, 10}, End}, 1));
    YUpCanvas c(100, 20, 10, 10);
    CDrawCtrl draw;
    draw.m_bDrawJumps = 1;
    draw.Draw(design, &c.dc, 0, 0);
    c.dc.SetMapMode(MM_TEXT);
    c.dc.SetViewportOrg(0, 0);
    // From x 4 to 44 at y 0: three pixels of thread, three of background, and so on.
    std::string row;
    for (int x = 14; x < 26; ++x)
        row += c.dc.GetPixel(x, 10) == 0 ? '#' : '.';
    EXPECT_EQ(row, "###...###...");
}

TEST(DrawCtrl, Angle90SendsAStitchOf10DownwardWithLength4)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, End}, 1));
    design.SetAngle(90);
    YUpCanvas c(20, 20, 10, 10);
    CDrawCtrl().Draw(design, &c.dc, 0, 0);
    for (int y = 0; y > -4; --y)
        EXPECT_TRUE(c.Inked(0, y)) << y;
    EXPECT_FALSE(c.Inked(0, -4)); // the end pixel
    EXPECT_FALSE(c.Inked(1, 0));
    EXPECT_FALSE(c.Inked(0, 1));
}

TEST(DrawCtrl, MirrorFlagsNegateTheirAxis)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, {0, 10}, End}, 1));
    design.m_bMirrorHorizontal = 1;
    YUpCanvas c(20, 20, 10, 10);
    CDrawCtrl().Draw(design, &c.dc, 0, 0);
    EXPECT_TRUE(c.Inked(-2, 0));
    EXPECT_FALSE(c.Inked(2, 0));
    EXPECT_TRUE(c.Inked(-4, 2));

    design.m_bMirrorHorizontal = 0;
    design.m_bMirrorVertical = 1;
    YUpCanvas d(20, 20, 10, 10);
    CDrawCtrl().Draw(design, &d.dc, 0, 0);
    EXPECT_TRUE(d.Inked(2, 0));
    EXPECT_TRUE(d.Inked(4, -2));
    EXPECT_FALSE(d.Inked(4, 2));

    // Without placement the flags are ignored.
    YUpCanvas e(20, 20, 10, 10);
    CDrawCtrl plain;
    plain.m_bApplyPlacement = 0;
    plain.Draw(design, &e.dc, 0, 0);
    EXPECT_TRUE(e.Inked(4, 2));
}

TEST(DrawCtrl, PositionScaleAndOffsetMoveTheDrawing)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, End}, 1));
    design.SetPosition(24.5, 0.0);   // rounds to 25 -> 10 logical
    design.SetScale(200);
    YUpCanvas c(60, 20, 10, 10);
    CDrawCtrl().Draw(design, &c.dc, 0, 5); // offset y 5 -> 2 logical
    EXPECT_TRUE(c.Inked(10, 2));
    EXPECT_TRUE(c.Inked(17, 2));     // 20 units at 200 % = 8 logical
    EXPECT_FALSE(c.Inked(18, 2));
    EXPECT_FALSE(c.Inked(10, 0));
}

TEST(DrawCtrl, SoftenWhiteAndBlendChangeThePenColour)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, End}, 1));
    SetCustom(design, 0, RGB(255, 255, 255));
    CDrawCtrl draw;
    EXPECT_EQ(draw.GetBlockColor(design, 0), RGB(255, 255, 255));
    draw.m_bSoftenWhite = 1;
    EXPECT_EQ(draw.GetBlockColor(design, 0), RGB(255, 251, 240));
    YUpCanvas c(20, 20, 10, 10, 1, 0);
    draw.Draw(design, &c.dc, 0, 0);
    EXPECT_EQ(c.dc.GetPixel(1, 0), RGB(255, 251, 240));
    SetCustom(design, 0, RGB(255, 251, 241)); // green below 252: left alone
    EXPECT_EQ(draw.GetBlockColor(design, 0), RGB(255, 251, 241));

    // Blend: 150 % acts as 100 %, and each channel is truncated on its own.
    SetCustom(design, 0, RGB(10, 20, 30));
    CDrawCtrl blend;
    blend.m_crBlend = RGB(255, 255, 255);
    blend.m_nBlendPercent = 150;
    EXPECT_EQ(blend.GetBlockColor(design, 0), RGB(255, 255, 255));
    EXPECT_EQ(CDrawCtrl::BlendColor(RGB(10, 20, 30), RGB(255, 255, 255), 50), RGB(132, 137, 142));
    EXPECT_EQ(CDrawCtrl::BlendColor(RGB(10, 20, 30), RGB(0, 0, 0), -5), RGB(10, 20, 30));
    // Custom colours give way to the palette when forced.
    CDrawCtrl forced;
    forced.m_bForcePaletteColors = 1;
    design.m_pColorBlocks[0].m_nPaletteIndex = 5;
    EXPECT_EQ(forced.GetBlockColor(design, 0), ThreadPaletteColor(5));
}

TEST(DrawCtrl, EachBlockHasItsColourAndMarkBlocksAfterTheFirstAreBlack)
{
    CEmbData design;
    // After a colour change the move takes the first stitch with it: {0, 0} here.
    ASSERT_TRUE(Build(design, {{10, 0}, ColorChange, {0, 10}, {0, 0}, {10, 0}, ColorChange, {0, 10}, {0, 0}, {10, 0}, End},
                      3));
    SetCustom(design, 0, kRed, MARKER_PLACEMENT, 1);
    SetCustom(design, 1, RGB(0, 200, 0));
    SetCustom(design, 2, RGB(0, 0, 200), MARKER_PLACEMENT, 1);
    CDrawCtrl draw;
    EXPECT_EQ(draw.GetBlockColor(design, 0), kRed);       // the first block keeps its colour
    EXPECT_EQ(draw.GetBlockColor(design, 1), RGB(0, 200, 0));
    EXPECT_EQ(draw.GetBlockColor(design, 2), 0u);
    design.m_pColorBlocks[0].m_bCustom = 0;
    design.m_pColorBlocks[0].m_nPaletteIndex = 7;
    EXPECT_EQ(draw.GetBlockColor(design, 0), ThreadPaletteColor(7));

    // Drawn: block 1's stitch from (4, 4) to (8, 4) in green, block 2's marks in black.
    YUpCanvas c(30, 30, 5, 5);
    draw.Draw(design, &c.dc, 0, 0);
    EXPECT_EQ(c.dc.GetPixel(5, 4), RGB(0, 200, 0));
}

struct MarkCase {
    int nDirection;
    int dx, dy;  // where the mark points, in logical units of 4 design units (1.6 -> 2)
};

class PlacementMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(PlacementMarks, PointInTheirDirectionAndSkipTheStitch)
{
    const MarkCase& m = GetParam();
    CEmbData design;
    // Block 0 ends at (50, 50); block 1 is a mark block with one stitch to (100, 50).
    ASSERT_TRUE(Build(design, {{50, 50}, ColorChange, {0, 0}, {0, 0}, {50, 0}, End}, 2));
    SetCustom(design, 1, kRed, MARKER_PLACEMENT, m.nDirection);
    YUpCanvas c(100, 100, 10, 90, 2);   // 2 pixels a logical unit
    CDrawCtrl().Draw(design, &c.dc, 0, 0);
    // From (20, 20) a black mark of two logical units toward (dx, dy).
    EXPECT_EQ(c.dc.GetPixel(20, 20), 0u);
    EXPECT_EQ(c.dc.GetPixel(20 + m.dx / 2, 20 + m.dy / 2), 0u);
    // No thread between the mark's start and the stitch's end at (40, 20).
    EXPECT_EQ(c.dc.GetPixel(30, 20), RGB(255, 255, 255));
    EXPECT_EQ(c.dc.GetPixel(39, 20), RGB(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(DrawCtrl, PlacementMarks,
                         ::testing::Values(MarkCase{1, 2, 0}, MarkCase{3, 0, -2}, MarkCase{4, 2, -2},
                                           MarkCase{0, -2, -2}, MarkCase{7, -2, -2}));

TEST(DrawCtrl, MoreColourChangesThanBlocksKeepTheLastBlocksPens)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, ColorChange, {0, 10}, {0, 0}, {10, 0}, ColorChange, {0, 10}, {0, 0}, {10, 0}, End},
                      2, false));
    SetCustom(design, 1, RGB(0, 200, 0));
    YUpCanvas c(30, 30, 5, 25);
    CDrawCtrl().Draw(design, &c.dc, 0, 0);
    EXPECT_EQ(c.dc.GetPixel(9, 8), RGB(0, 200, 0)); // the third "block", (8, 8) to (12, 8) in block 1's colour
}

TEST(DrawCtrl, InvalidDesignsDrawNothingAndPensAreReleased)
{
    CEmbData design;
    EXPECT_FALSE(Build(design, {{10, 0}, {10, 0}}, 1)); // no end
    YUpCanvas c(30, 30, 5, 5);
    GetStockObject(BLACK_PEN);
    size_t nHandles = tavren::CountHandles();
    HGDIOBJ hPenBefore = GetCurrentObject(c.dc, OBJ_PEN);
    CDrawCtrl().Draw(design, &c.dc, 0, 0);
    EXPECT_FALSE(c.Inked(1, 0));

    ASSERT_TRUE(Build(design, {{10, 0}, ColorChange, {0, 10}, {10, 0}, Skipped, Jump, {1, 1}, JumpAlt, {2, 2}, End}, 2));
    CDrawCtrl draw;
    draw.m_bDrawJumps = 1;
    draw.Draw(design, &c.dc, 0, 0);
    EXPECT_TRUE(c.Inked(1, 0));
    EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), hPenBefore);
    EXPECT_EQ(tavren::CountHandles(), nHandles);
}

} // namespace
