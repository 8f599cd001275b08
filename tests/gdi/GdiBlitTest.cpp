// Copies between bitmaps: stretching both ways, the stretch modes, transparent copies, and the
// image list built on them.
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

TEST(StretchBlt, ShrinkingEightToOneKeepsAOnePixelDarkLine)
{
    Canvas src(64, 64, kWhite);
    src.dc.MoveTo(13, 0);
    src.dc.LineTo(13, 64); // one pixel wide, at a column that is not the first of its group
    src.dc.MoveTo(0, 42);
    src.dc.LineTo(64, 42);
    Canvas dst(8, 8, kRed);
    EXPECT_EQ(dst.dc.GetStretchBltMode(), BLACKONWHITE);
    ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 8, 8, &src.dc, 0, 0, 64, 64, SRCCOPY));
    EXPECT_EQ(dst.Rows(8, 8), ".#......\n.#......\n.#......\n.#......\n.#......\n########\n.#......\n.#......\n");
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

TEST(TransparentBlt, SkipsTheTransparentColour)
{
    const COLORREF crNearWhite = RGB(254, 255, 255); // near white is not white
    Canvas src(2, 2, kWhite);
    src.dc.SetPixel(1, 0, kBlue);
    src.dc.SetPixel(0, 1, crNearWhite);
    Canvas dst(4, 4, kRed);
    ASSERT_TRUE(dst.dc.TransparentBlt(2, 2, 2, 2, &src.dc, 0, 0, 2, 2, kWhite));
    EXPECT_EQ(At(dst, {{2, 2}, {3, 2}, {2, 3}, {3, 3}, {1, 1}}), (std::vector<COLORREF>{kRed, kBlue, crNearWhite, kRed, kRed}));
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

TEST(ImageList, AStripAddsOnePicturePerWidthAndIndexesFollowOn)
{
    CImageList iml;
    ASSERT_TRUE(iml.Create(16, 16, ILC_COLOR24, 13, 100));
    CBitmap strip, single;
    MakeStrip(strip, 3, 16, 16);
    MakeStrip(single, 1, 16, 16);
    EXPECT_EQ(iml.Add(&strip, static_cast<CBitmap*>(nullptr)), 0);
    EXPECT_EQ(iml.Add(&single, kWhite), 3); // no ILC_MASK: the colour is ignored
    tavren::ImageListPicture pic;
    ASSERT_TRUE(tavren::GetImageListPicture(iml, 2, pic));
    EXPECT_EQ(pic.cx, 16);
    EXPECT_EQ(pic.bgr[0] * 1000 + pic.bgr[2], 20002) << "blue 20, red the picture's number";
    EXPECT_EQ(pic.transparent[0], 0);
    EXPECT_FALSE(tavren::GetImageListPicture(iml, 4, pic) || tavren::GetImageListPicture(iml, -1, pic));

    ASSERT_TRUE(iml.Replace(1, &single, nullptr));
    ASSERT_TRUE(tavren::GetImageListPicture(iml, 1, pic));
    EXPECT_EQ(pic.bgr[2], 0);
    EXPECT_FALSE(iml.Replace(9, &single, nullptr));
}

TEST(ImageList, MaskColourMakesPixelsTransparentAndDrawSkipsThem)
{
    CImageList iml;
    ASSERT_TRUE(iml.Create(4, 4, ILC_COLOR24 | ILC_MASK, 0, 0));
    Canvas pic(4, 4, kWhite);
    pic.dc.SetPixel(1, 1, kBlue);
    CBitmap bm;
    CopyOut(pic, bm);
    EXPECT_EQ(iml.Add(&bm, kWhite), 0);
    tavren::ImageListPicture out;
    ASSERT_TRUE(tavren::GetImageListPicture(iml, 0, out));
    EXPECT_EQ(out.transparent[0], 1);
    EXPECT_EQ(out.transparent[5], 0);
    EXPECT_EQ(out.bgr[0], 0); // masked pixels turn black

    Canvas dst(6, 6, kRed);
    ASSERT_TRUE(iml.Draw(&dst.dc, 0, POINT{2, 2}, ILD_TRANSPARENT));
    EXPECT_EQ(At(dst, {{3, 3}, {2, 2}}), (std::vector<COLORREF>{kBlue, kRed}));
}

} // namespace
