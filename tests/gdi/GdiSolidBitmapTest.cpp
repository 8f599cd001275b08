// A bitmap filled whole with one colour keeps the colour as a value until it is drawn on: a vast
// one costs only what is drawn on it, and shrinks to the picture its stored pixels would give.
#include "tests/gdi/Canvas.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

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
    Canvas work(8000, 8000, RGB(255, 255, 255)), picture(48, 48, 0);
    work.dc.MoveTo(3900, 3900);
    work.dc.LineTo(4100, 4100);
    work.dc.LineTo(4100, 3900);
    ASSERT_TRUE(picture.dc.StretchBlt(0, 0, 48, 48, &work.dc, 0, 0, 8000, 8000, SRCCOPY));
    EXPECT_LT(ResidentKilobytes() - nBefore, 32 * 1024) << "kB taken by a bitmap that is mostly one colour";

    // The shrunk picture: white with the two lines where they were drawn (each destination pixel
    // stands for 166 or 167 columns and rows: the lines' 3900 .. 4100 are pixels 23.4 .. 24.6).
    const std::string rows = picture.Rows(48, 48);
    EXPECT_EQ(rows.find_first_not_of(".\n"), 23u * 49 + 23) << "white down to the first line";
    EXPECT_EQ(rows.find_last_not_of(".\n"), 24u * 49 + 24);
    std::string block; // columns 22 to 25 of rows 22 to 25
    for (int y = 22; y < 26; ++y)
        block += rows.substr(y * 49 + 22, 4) + "\n";
    EXPECT_EQ(block, "....\n.##.\n..#.\n....\n");
}

} // namespace
