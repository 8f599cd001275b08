// The renderer on a y-up canvas of one pixel per logical unit: what it draws and what it leaves
// out. What it draws of whole designs is pinned pixel for pixel in PictureIdentityTest.cpp.
#include "tests/gdi/Canvas.h"
#include "tests/preview/DesignBuilder.h"

#include "design/ThreadPalette.h"
#include "platform/kernel/Handle.h"
#include "preview/DrawCtrl.h"

#include <gtest/gtest.h>

using namespace testdesign;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A canvas of one pixel a logical unit, y upward, logical (0, 0) at device (ox, oy).
struct YUpCanvas : Canvas {
    YUpCanvas(int cx, int cy, int ox, int oy, COLORREF fill = kWhite) : Canvas(cx, cy, fill)
    {
        dc.SetMapMode(MM_ANISOTROPIC), dc.SetWindowExt(1, 1), dc.SetViewportExt(1, -1), dc.SetViewportOrg(ox, oy);
    }
};

TEST(DrawCtrl, JumpsAreDrawnDottedWhenAsked)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, Jump, {100, 0}, {0, 0}, {0, 10}, End}, 1));
    YUpCanvas c(100, 20, 10, 10);
    CDrawCtrl draw;
    draw.m_bDrawJumps = 1;
    draw.Draw(design, &c.dc, 0, 0);
    // From x 4 at y 0 (device row 10 from column 14): three pixels of thread, three of background, ...
    EXPECT_EQ(c.Rows(26, 11).substr(10 * 27 + 14, 12), "###...###...");
}

TEST(DrawCtrl, SoftenWhiteAndBlendChangeThePenColour)
{
    CEmbData design;
    ASSERT_TRUE(Build(design, {{10, 0}, End}, 1));
    CDrawCtrl draw, blend, forced;
    draw.m_bSoftenWhite = forced.m_bForcePaletteColors = 1;
    SetCustom(design, 0, RGB(255, 251, 241)); // green below 252: left alone
    EXPECT_EQ(draw.GetBlockColor(design, 0), RGB(255, 251, 241));
    SetCustom(design, 0, RGB(255, 255, 255));
    YUpCanvas c(20, 20, 10, 10, 0);
    draw.Draw(design, &c.dc, 0, 0);
    EXPECT_EQ(c.dc.GetPixel(1, 0), RGB(255, 251, 240));

    // Blend: 150 % acts as 100 %, and each channel is truncated on its own.
    SetCustom(design, 0, RGB(10, 20, 30));
    blend.m_crBlend = RGB(255, 255, 255);
    blend.m_nBlendPercent = 150;
    EXPECT_EQ(blend.GetBlockColor(design, 0), RGB(255, 255, 255));
    EXPECT_EQ(CDrawCtrl::BlendColor(RGB(10, 20, 30), RGB(255, 255, 255), 50), RGB(132, 137, 142));
    EXPECT_EQ(CDrawCtrl::BlendColor(RGB(10, 20, 30), RGB(0, 0, 0), -5), RGB(10, 20, 30));
    design.m_pColorBlocks[0].m_nPaletteIndex = 5; // custom colours give way to the palette when forced
    EXPECT_EQ(forced.GetBlockColor(design, 0), ThreadPaletteColor(5));
}

// An invalid design draws nothing; more colour changes than blocks keep the last block's pen;
// every pen made is released.
TEST(DrawCtrl, InvalidDesignsDrawNothingExtraChangesKeepTheLastPenAndPensAreReleased)
{
    CEmbData design;
    EXPECT_FALSE(Build(design, {{10, 0}, {10, 0}}, 1)); // no end
    YUpCanvas c(30, 30, 5, 25);
    GetStockObject(BLACK_PEN); // made on first use: not one of the drawing's handles
    const size_t nHandles = tavren::CountHandles();
    const HGDIOBJ hPenBefore = GetCurrentObject(c.dc, OBJ_PEN);
    CDrawCtrl draw;
    draw.Draw(design, &c.dc, 0, 0);
    EXPECT_EQ(c.dc.GetPixel(1, 0), kWhite);

    ASSERT_TRUE(Build(design, {{10, 0}, ColorChange, {0, 10}, {0, 0}, {10, 0}, ColorChange, {0, 10}, {0, 0}, {10, 0},
                               Skipped, Jump, {1, 1}, JumpAlt, {2, 2}, End}, 2, false));
    SetCustom(design, 1, RGB(0, 200, 0));
    draw.m_bDrawJumps = 1;
    draw.Draw(design, &c.dc, 0, 0);
    EXPECT_NE(c.dc.GetPixel(1, 0), kWhite);
    EXPECT_EQ(c.dc.GetPixel(9, 8), RGB(0, 200, 0)); // the third "block", (8, 8) to (12, 8) in block 1's colour
    EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), hPenBefore);
    EXPECT_EQ(tavren::CountHandles(), nHandles);
}

} // namespace
