// Copies between bitmaps: stretching both ways, the stretch modes, transparent copies, and the
// image list built on them.
#include "tests/gdi/Canvas.h"

#include "platform/afx/ImageList.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST(StretchBlt, ShrinkingEightToOneKeepsAOnePixelDarkLine)
{
    Canvas src(64, 64, kWhite);
    src.dc.MoveTo(13, 0);
    src.dc.LineTo(13, 64);   // one pixel wide, at a column that is not the first of its group
    src.dc.MoveTo(0, 42);
    src.dc.LineTo(64, 42);
    Canvas dst(8, 8, kRed);
    EXPECT_EQ(dst.dc.GetStretchBltMode(), BLACKONWHITE);
    ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 8, 8, &src.dc, 0, 0, 64, 64, SRCCOPY));
    EXPECT_EQ(dst.Rows(8, 8),
              ".#......\n"
              ".#......\n"
              ".#......\n"
              ".#......\n"
              ".#......\n"
              "########\n"
              ".#......\n"
              ".#......\n");

    // Dropping rows and columns instead loses the line: the default mode is what keeps it.
    dst.dc.SetStretchBltMode(COLORONCOLOR);
    dst.dc.StretchBlt(0, 0, 8, 8, &src.dc, 0, 0, 64, 64, SRCCOPY);
    EXPECT_EQ(dst.dc.GetPixel(1, 0), kWhite);
}

TEST(StretchBlt, BothModesOfThePicturesCombineTheDroppedPixelsAsDocumented)
{
    // Two to one both ways: each destination pixel stands for a 2 x 2 block of the grey-blue a,
    // the left block holding one light pixel b, the right one a dark pixel c.
    const COLORREF a = RGB(0x88, 0x9B, 0x9B), b = RGB(0xFC, 0xFF, 0xFF), c = RGB(0x08, 0x1B, 0x1B);
    Canvas src(4, 2, a);
    src.dc.SetPixel(1, 1, b);
    src.dc.SetPixel(3, 0, c);
    struct Case {
        int nMode;
        COLORREF crLeft, crRight;
    };
    const Case aCases[] = {
        {BLACKONWHITE, a & b, a & c},  // AND: dark wins
        {WHITEONBLACK, a | b, a | c},  // OR: light wins (the pictures of light threads)
    };
    for (const Case& k : aCases) {
        SCOPED_TRACE(k.nMode);
        Canvas dst(2, 1, kRed);
        EXPECT_EQ(dst.dc.SetStretchBltMode(k.nMode), BLACKONWHITE);
        ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 2, 1, &src.dc, 0, 0, 4, 2, SRCCOPY));
        EXPECT_EQ(dst.dc.GetPixel(0, 0), k.crLeft);
        EXPECT_EQ(dst.dc.GetPixel(1, 0), k.crRight);

        // Enlarging drops nothing: every mode repeats each pixel.
        Canvas big(8, 4, kRed);
        big.dc.SetStretchBltMode(k.nMode);
        ASSERT_TRUE(big.dc.StretchBlt(0, 0, 8, 4, &src.dc, 0, 0, 4, 2, SRCCOPY));
        EXPECT_EQ(big.dc.GetPixel(2, 2), b);
        EXPECT_EQ(big.dc.GetPixel(3, 3), b);
        EXPECT_EQ(big.dc.GetPixel(7, 0), c);
        EXPECT_EQ(big.dc.GetPixel(0, 0), a);
    }

    // The destination's mode is the one that counts.
    Canvas dst(2, 1, kRed);
    src.dc.SetStretchBltMode(WHITEONBLACK);
    ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 2, 1, &src.dc, 0, 0, 4, 2, SRCCOPY));
    EXPECT_EQ(dst.dc.GetPixel(0, 0), a & b);
}

TEST(TransparentBlt, SkipsTheTransparentColour)
{
    Canvas src(2, 2, kWhite);
    src.dc.SetPixel(1, 0, kBlue);
    src.dc.SetPixel(0, 1, RGB(254, 255, 255)); // near white is not white
    Canvas dst(4, 4, kRed);
    ASSERT_TRUE(dst.dc.TransparentBlt(2, 2, 2, 2, &src.dc, 0, 0, 2, 2, kWhite));
    EXPECT_EQ(dst.dc.GetPixel(2, 2), kRed);
    EXPECT_EQ(dst.dc.GetPixel(3, 2), kBlue);
    EXPECT_EQ(dst.dc.GetPixel(2, 3), RGB(254, 255, 255));
    EXPECT_EQ(dst.dc.GetPixel(3, 3), kRed);
    EXPECT_EQ(dst.dc.GetPixel(1, 1), kRed);
}

// A strip of n cx x cy pictures, picture i filled with colour RGB(i, 10, 20).
void MakeStrip(CBitmap& bm, int n, int cx, int cy)
{
    Canvas c(n * cx, cy, kWhite);
    for (int i = 0; i < n; ++i)
        c.dc.FillSolidRect(i * cx, 0, cx, cy, RGB(i, 10, 20));
    c.dc.SelectObject(c.pOld);
    c.pOld = c.dc.SelectObject(&c.bm);
    std::vector<uint8_t> bits;
    int w, h;
    ASSERT_TRUE(tavren::GetBitmapPixels(c.bm, w, h, bits));
    bm.CreateBitmap(w, h, 1, 24, bits.data());
}

TEST(ImageList, AStripAddsOnePicturePerWidthAndIndexesFollowOn)
{
    CImageList iml;
    ASSERT_TRUE(iml.Create(16, 16, ILC_COLOR24, 13, 100));
    CBitmap strip, single;
    MakeStrip(strip, 3, 16, 16);
    MakeStrip(single, 1, 16, 16);
    EXPECT_EQ(iml.Add(&strip, static_cast<CBitmap*>(nullptr)), 0);
    EXPECT_EQ(iml.GetImageCount(), 3);
    EXPECT_EQ(iml.Add(&single, kWhite), 3); // no ILC_MASK: the colour is ignored
    EXPECT_EQ(iml.GetImageCount(), 4);
    tavren::ImageListPicture pic;
    ASSERT_TRUE(tavren::GetImageListPicture(iml, 2, pic));
    EXPECT_EQ(pic.cx, 16);
    EXPECT_EQ(pic.bgr[0], 20);  // blue
    EXPECT_EQ(pic.bgr[2], 2);   // red = picture number
    EXPECT_EQ(pic.transparent[0], 0);
    EXPECT_FALSE(tavren::GetImageListPicture(iml, 4, pic));
    EXPECT_FALSE(tavren::GetImageListPicture(iml, -1, pic));

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
    pic.dc.SelectObject(pic.pOld);
    EXPECT_EQ(iml.Add(&pic.bm, kWhite), 0);
    pic.pOld = pic.dc.SelectObject(&pic.bm);

    tavren::ImageListPicture out;
    ASSERT_TRUE(tavren::GetImageListPicture(iml, 0, out));
    EXPECT_EQ(out.transparent[0], 1);
    EXPECT_EQ(out.transparent[5], 0);
    EXPECT_EQ(out.bgr[0], 0); // masked pixels turn black

    Canvas dst(6, 6, kRed);
    ASSERT_TRUE(iml.Draw(&dst.dc, 0, POINT{2, 2}, ILD_TRANSPARENT));
    EXPECT_EQ(dst.dc.GetPixel(3, 3), kBlue);
    EXPECT_EQ(dst.dc.GetPixel(2, 2), kRed);
}

} // namespace
