// The 48 x 48 list pictures: the working size and the STX outline squeezed into the top 38 rows
// (every picture itself is pinned in PictureIdentityTest.cpp, with the stand-in boxes).
#include "tests/gdi/Canvas.h"
#include "tests/preview/DesignBuilder.h"

#include "design/StxFile.h"
#include "tests/design/FixtureWriter.h"
#include "preview/ListPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace testdesign;

namespace {

TEST(ListPicture, WorkingBitmapIsTheExtentInScreenPixelsAndAnUnreadDesignHasNone)
{
    CEmbData design;
    // Ten stitches of 100 to the right: 100 mm wide, no height.
    ASSERT_TRUE(Build(design, {{100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, End}, 1));
    EXPECT_EQ(CListPicture::GetWorkingSide(design), 378); // 1000 * 96 / 254 = 377.95
    ASSERT_TRUE(Build(design, {{0, 0}, End}, 1));
    EXPECT_EQ(CListPicture::GetWorkingSide(design), 1);   // never empty
    // A design that did not read makes no picture.
    CEmbData unread;
    CBitmap first, second;
    EXPECT_FALSE(CListPicture::MakeDesignPair(unread, TRUE, first, second) || first.m_hObject);
}

TEST(StxPicture, NegativeFeedMovesTheOutlineDownAndAnEmptyOutlineDrawsNothing)
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
    int w, h;
    std::vector<uint8_t> bits;
    ASSERT_TRUE(tavren::GetBitmapPixels(bm.m_hObject, w, h, bits));
    // Rows 1 to 4 hold 4 x 46 white pixels inside the black frame only if nothing is drawn there.
    EXPECT_LT(std::count(bits.begin() + 48 * 3, bits.begin() + 5 * 48 * 3, 255), 4 * 46 * 3) << "ink near the top";

    Canvas c(8, 8, RGB(255, 255, 255));
    CStxFile().DrawOutline(c.dc, 0, 0);
    EXPECT_EQ(c.Rows(8, 8).find_first_not_of(".\n"), std::string::npos);
}

} // namespace
