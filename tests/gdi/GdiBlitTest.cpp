// Copies between bitmaps: stretching both ways and the stretch modes, and the image list built on
// them. A one-pixel line kept through a vast shrink is the solid bitmap's test
// (GdiSolidBitmapTest.cpp); a transparent copy, the module's check boxes with their white left
// out (tests/module/ListPictureBoxTest.cpp).
#include "tests/gdi/Canvas.h"

#include "platform/afx/ImageList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The colours at the points, to compare several at once.
std::vector<COLORREF> At(const Canvas& c, std::initializer_list<POINT> points)
{
    std::vector<COLORREF> v;
    for (POINT p : points)
        v.push_back(c.dc.GetPixel(p.x, p.y));
    return v;
}

TEST(StretchBlt, BothModesOfThePicturesCombineTheDroppedPixelsAsDocumented)
{
    // Two to one both ways: each destination pixel stands for a 2 x 2 block of the grey-blue a,
    // the left block holding one light pixel b, the right one a dark pixel c.
    const COLORREF a = RGB(0x88, 0x9B, 0x9B), b = RGB(0xFC, 0xFF, 0xFF), c = RGB(0x08, 0x1B, 0x1B);
    Canvas src(4, 2, a);
    src.dc.SetPixel(1, 1, b);
    src.dc.SetPixel(3, 0, c);
    const std::tuple<int, COLORREF, COLORREF> cases[] = {
        {BLACKONWHITE, a & b, a & c}, // AND: dark wins
        {WHITEONBLACK, a | b, a | c}, // OR: light wins (the pictures of light threads)
    };
    for (const auto& [nMode, crLeft, crRight] : cases) {
        SCOPED_TRACE(nMode);
        Canvas dst(2, 1, kRed);
        EXPECT_EQ(dst.dc.SetStretchBltMode(nMode), BLACKONWHITE);
        ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 2, 1, &src.dc, 0, 0, 4, 2, SRCCOPY));
        EXPECT_EQ(At(dst, {{0, 0}, {1, 0}}), (std::vector<COLORREF>{crLeft, crRight}));

        // Enlarging drops nothing: every mode repeats each pixel.
        Canvas big(8, 4, kRed);
        big.dc.SetStretchBltMode(nMode);
        ASSERT_TRUE(big.dc.StretchBlt(0, 0, 8, 4, &src.dc, 0, 0, 4, 2, SRCCOPY));
        EXPECT_EQ(At(big, {{2, 2}, {3, 3}, {7, 0}, {0, 0}}), (std::vector<COLORREF>{b, b, c, a}));
    }

    // The destination's mode is the one that counts.
    Canvas dst(2, 1, kRed);
    src.dc.SetStretchBltMode(WHITEONBLACK);
    ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 2, 1, &src.dc, 0, 0, 4, 2, SRCCOPY));
    EXPECT_EQ(dst.dc.GetPixel(0, 0), a & b);
}

// The canvas's pixels as a bitmap of their own.
void CopyOut(const Canvas& c, CBitmap& bm)
{
    std::vector<uint8_t> bits;
    int w, h;
    ASSERT_TRUE(tavren::GetBitmapPixels(c.bm, w, h, bits));
    bm.CreateBitmap(w, h, 1, 24, bits.data());
}

// A bitmap of n cx x cy pictures side by side, picture i filled with colour RGB(i, 10, 20).
void MakeStrip(CBitmap& bm, int n, int cx, int cy)
{
    Canvas c(n * cx, cy, kWhite);
    for (int i = 0; i < n; ++i)
        c.dc.FillSolidRect(i * cx, 0, cx, cy, RGB(i, 10, 20));
    CopyOut(c, bm);
}

// A strip adds one picture a width; with ILC_MASK the mask colour's pixels turn transparent (and
// black), without it the colour is ignored. (No module code draws an image list itself: the front
// ends read its pictures.)
TEST(ImageList, AStripAddsOnePicturePerWidthAndAMaskColourMakesPixelsTransparent)
{
    CImageList iml, masked;
    ASSERT_TRUE(iml.Create(16, 16, ILC_COLOR24, 13, 100));
    CBitmap strip, single;
    MakeStrip(strip, 3, 16, 16);
    MakeStrip(single, 1, 16, 16);
    EXPECT_EQ(iml.Add(&strip, static_cast<CBitmap*>(nullptr)), 0);
    EXPECT_EQ(iml.Add(&single, kWhite), 3);
    tavren::ImageListPicture pic;
    ASSERT_TRUE(tavren::GetImageListPicture(iml, 2, pic));
    EXPECT_EQ(pic.cx, 16);
    EXPECT_EQ(pic.bgr[0] * 1000 + pic.bgr[2], 20002) << "blue 20, red the picture's number";
    EXPECT_EQ(pic.transparent[0], 0);
    EXPECT_FALSE(tavren::GetImageListPicture(iml, 4, pic) || tavren::GetImageListPicture(iml, -1, pic));

    ASSERT_TRUE(masked.Create(4, 4, ILC_COLOR24 | ILC_MASK, 0, 0));
    Canvas c(4, 4, kWhite);
    c.dc.SetPixel(1, 1, kBlue);
    CBitmap bm;
    CopyOut(c, bm);
    EXPECT_EQ(masked.Add(&bm, kWhite), 0);
    ASSERT_TRUE(tavren::GetImageListPicture(masked, 0, pic));
    EXPECT_EQ(pic.transparent[0] * 10 + pic.transparent[5], 10);
    EXPECT_EQ(pic.bgr[0], 0);
    EXPECT_EQ(pic.bgr[15], 255) << "the blue pixel kept";
}

} // namespace
