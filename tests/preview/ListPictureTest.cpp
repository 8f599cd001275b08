// The 48 x 48 list pictures: working size, background, frame, where the design lands, the check
// boxes, and the STX outline squeezed into the top 38 rows.
#include "tests/gdi/Canvas.h"
#include "tests/preview/DesignBuilder.h"

#include "design/StxFile.h"
#include "tests/design/FixtureWriter.h"
#include "preview/ListPicture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testdesign;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

COLORREF PixelOf(const CBitmap& bm, int x, int y)
{
    int w, h;
    std::vector<uint8_t> bits;
    if (!tavren::GetBitmapPixels(bm.m_hObject, w, h, bits) || x < 0 || y < 0 || x >= w || y >= h)
        return CLR_INVALID;
    const uint8_t* p = bits.data() + (static_cast<size_t>(y) * w + x) * 3;
    return RGB(p[2], p[1], p[0]);
}

// Ten stitches of 100 to the right: 100 mm wide, no height.
void MakeLine(CEmbData& design)
{
    ASSERT_TRUE(Build(design, {{100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0},
                               {100, 0}, {100, 0}, End}, 1));
}

TEST(ListPicture, WorkingBitmapIsTheExtentInScreenPixelsAndAnUnreadDesignHasNone)
{
    CEmbData design;
    MakeLine(design);
    EXPECT_EQ(CListPicture::GetWorkingSide(design), 378); // 1000 * 96 / 254 = 377.95
    ASSERT_TRUE(Build(design, {{0, 0}, End}, 1));
    EXPECT_EQ(CListPicture::GetWorkingSide(design), 1);   // never empty
    // A design that did not read makes no picture.
    CEmbData unread;
    CBitmap first, second;
    EXPECT_FALSE(CListPicture::MakeDesignPair(unread, TRUE, first, second));
    EXPECT_EQ(first.m_hObject, 0u);
}

TEST(ListPicture, StandInBoxesWhenTheResourcesLackThem)
{
    // No resource module in this process: the drawn boxes, an empty and a ticked one.
    CBitmap empty, ticked;
    ASSERT_TRUE(CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, empty));
    ASSERT_TRUE(CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, ticked));
    BITMAP info;
    ASSERT_TRUE(ticked.GetBitmap(&info));
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 16);
    EXPECT_EQ(PixelOf(empty, 2, 2), 0u);        // the square's corner
    EXPECT_EQ(PixelOf(empty, 0, 0), kWhite);    // left out when drawn over a picture
    EXPECT_NE(PixelOf(empty, 7, 9), 0u);
    EXPECT_EQ(PixelOf(ticked, 7, 9), 0u);       // the tick
}

TEST(StxOutline, EmptyOutlineDrawsNothing)
{
    CStxFile stx;
    Canvas c(8, 8, kWhite);
    stx.DrawOutline(c.dc, 0, 0);
    std::string blank;
    for (int y = 0; y < 8; ++y)
        blank += "........\n";
    EXPECT_EQ(c.Rows(8, 8), blank);
}

TEST(StxPicture, NegativeFeedMovesTheOutlineDown)
{
    // Feeds -30 then back: minimum feed -30, so the offset is 6 + 30 and the top point stays in.
    using namespace fixture;
    StxLayout layout;
    layout.records = {StxCommand(0x03), StxPoint(22, 0), StxPoint(22, -30), StxPoint(12, 0), StxPoint(12, 30),
                      StxCommand(0x00), StxPoint(22, 0), StxPoint(22, 0), StxPoint(22, 0), StxCommand(0xFF)};
    const Bytes bytes = MakeStx(layout);
    CStxFile stx;
    ASSERT_TRUE(stx.ReadBuffer(bytes.data(), bytes.size()));
    ASSERT_EQ(stx.GetMinFeed(), -30);
    CBitmap bm;
    ASSERT_TRUE(CListPicture::DrawStxPicture(stx, bm));
    // Working rows: origin 36 * 40 / 100 = 14; the point at feed -30 lands on row 2 (the line
    // toward it inks row 3), picture row 3. With the plain offset of 6 it would be above the top.
    bool bInk = false;
    for (int y = 1; y <= 4; ++y)
        for (int x = 1; x < 47; ++x)
            bInk |= PixelOf(bm, x, y) != kWhite;
    EXPECT_TRUE(bInk);
}

} // namespace
