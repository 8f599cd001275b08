// A bitmap filled whole with one colour keeps the colour as a value until it is drawn on: a vast
// one costs only what is drawn on it, and shrinks to the picture its stored pixels would give.
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// A memory DC with its own bitmap.
struct Surface {
    HDC hdc = 0;
    HBITMAP hbm = 0;
    HGDIOBJ hOld = 0;
    Surface(int cx, int cy)
    {
        hdc = CreateCompatibleDC(0);
        hbm = CreateCompatibleBitmap(hdc, cx, cy);
        hOld = SelectObject(hdc, hbm);
    }
    ~Surface()
    {
        SelectObject(hdc, hOld);
        DeleteObject(hbm);
        DeleteDC(hdc);
    }
};

long ResidentKilobytes()
{
    long nPages = 0, nResident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &nPages, &nResident) != 2)
            nResident = 0;
        std::fclose(f);
    }
    return nResident * 4;
}

TEST(SolidBitmap, AVastBitmapCostsOnlyWhatIsDrawnOnIt)
{
    // 8000 x 8000 is 192 MB of pixels: filled, a few lines drawn in the middle, shrunk to 48 x 48.
    const long nBefore = ResidentKilobytes();
    Surface work(8000, 8000), picture(48, 48);
    PatBlt(work.hdc, 0, 0, 8000, 8000, WHITENESS);
    MoveToEx(work.hdc, 3900, 3900, nullptr);
    LineTo(work.hdc, 4100, 4100);
    LineTo(work.hdc, 4100, 3900);
    PatBlt(picture.hdc, 0, 0, 48, 48, BLACKNESS);
    ASSERT_TRUE(StretchBlt(picture.hdc, 0, 0, 48, 48, work.hdc, 0, 0, 8000, 8000, SRCCOPY));
    const long nGrowth = ResidentKilobytes() - nBefore;
    EXPECT_LT(nGrowth, 32 * 1024) << "kB taken by a bitmap that is mostly one colour";

    // The shrunk picture: white with the two lines where they were drawn (each destination pixel
    // stands for 166 or 167 columns and rows).
    EXPECT_EQ(GetPixel(picture.hdc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(picture.hdc, 47, 47), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(picture.hdc, 23, 23), 0u);  // (3900 .. 4100) / 166.7 = 23.4 .. 24.6
    EXPECT_EQ(GetPixel(picture.hdc, 24, 24), 0u);
    EXPECT_EQ(GetPixel(picture.hdc, 24, 23), 0u);  // the vertical line at x 4100
    EXPECT_EQ(GetPixel(picture.hdc, 22, 23), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(picture.hdc, 25, 25), RGB(255, 255, 255));
}

} // namespace
