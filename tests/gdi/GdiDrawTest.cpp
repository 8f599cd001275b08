// Lines, pens, mapping modes and fills, checked pixel by pixel on small bitmaps.
#include "tests/gdi/Canvas.h"

#include "platform/kernel/Handle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Each line leaves out its last pixel (so a closed figure draws each corner once) and steps one
// pixel at a time whatever its slope.
TEST(LineTo, LeavesOutTheLastPixelAtEverySlope)
{
    struct Case {
        const char* what;
        std::vector<std::pair<POINT, POINT>> lines;
        int size;
        std::string rows;
    };
    const Case cases[] = {
        {"straight and diagonal", {{{1, 1}, {5, 1}}, {{6, 1}, {6, 5}}, {{0, 3}, {3, 6}}}, 8,
         "........\n.####.#.\n......#.\n#.....#.\n.#....#.\n..#.....\n........\n........\n"},
        {"a closed frame", {{{0, 0}, {0, 3}}, {{0, 3}, {3, 3}}, {{3, 3}, {3, 0}}, {{3, 0}, {0, 0}}}, 4,
         "####\n#..#\n#..#\n####\n"},
        {"shallow and steep", {{{0, 0}, {7, 2}}, {{7, 7}, {5, 0}}}, 8,
         "##......\n..####..\n......#.\n......#.\n......#.\n......#.\n.......#\n.......#\n"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Canvas c(k.size, k.size, kWhite);
        for (const auto& [from, to] : k.lines) {
            c.dc.MoveTo(from.x, from.y);
            c.dc.LineTo(to.x, to.y);
        }
        EXPECT_EQ(c.Rows(k.size, k.size), k.rows);
    }
}

TEST(Pen, DottedPenIsThreeOnThreeOffAndRunsOnAcrossLines)
{
    Canvas c(16, 2, kRed);
    CPen dot(PS_DOT, 1, 0);
    CPen* pOld = c.dc.SelectObject(&dot);
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.MoveTo(0, 0);
    c.dc.LineTo(4, 0);
    c.dc.LineTo(13, 0);
    std::string row;
    for (int x = 0; x < 14; ++x)
        row += c.dc.GetPixel(x, 0) == 0 ? '#' : 'r';
    EXPECT_EQ(row, "###rrr###rrr#r");

    // In the default OPAQUE mode the gaps take the background colour.
    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(kWhite);
    c.dc.SelectObject(pOld);
    c.dc.SelectObject(&dot); // selecting a pen restarts its pattern
    c.dc.MoveTo(0, 1);
    c.dc.LineTo(8, 1);
    EXPECT_EQ(c.Rows(9, 2).substr(10), "###...##?\n");
    c.dc.SelectObject(pOld);
}

TEST(Pen, WidthIsInLogicalUnits)
{
    Canvas c(40, 40, kWhite);
    c.dc.SetMapMode(MM_LOMETRIC);
    c.dc.SetViewportOrg(0, 40);
    // 1 unit of 0.1 mm is far below a pixel: a one-pixel line.
    CPen thin(PS_SOLID, 1, 0);
    CPen* pOld = c.dc.SelectObject(&thin);
    c.dc.MoveTo(0, 26);     // 26 * 96 / 254 = 9.8 -> row 40 - 10 = 30
    c.dc.LineTo(100, 26);
    EXPECT_EQ(c.dc.GetPixel(20, 26), 0u);
    EXPECT_EQ(c.dc.GetPixel(20, 26 + 3), kWhite); // the row above in device space
    EXPECT_EQ(c.dc.GetPixel(20, 26 - 3), kWhite);
    // 26 units are about 10 pixels wide.
    CPen wide(PS_SOLID, 26, kRed);
    c.dc.SelectObject(&wide);
    c.dc.MoveTo(50, 80);
    c.dc.LineTo(51, 80);
    c.dc.SelectObject(pOld);
    int n = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            POINT p = {x, y};
            c.dc.DPtoLP(&p);
            n += c.dc.GetPixel(p.x, p.y) == kRed;
        }
    EXPECT_GT(n, 60);
    EXPECT_LT(n, 130);
}

TEST(MapMode, LometricHasYUpwardAndTheViewportOrigin)
{
    Canvas c(100, 100, kWhite);
    EXPECT_EQ(c.dc.GetDeviceCaps(LOGPIXELSX), 96);
    EXPECT_EQ(c.dc.GetDeviceCaps(LOGPIXELSY), 96);
    EXPECT_EQ(c.dc.SetMapMode(MM_LOMETRIC), MM_TEXT);
    c.dc.SetViewportOrg(50, 50);
    POINT pts[3] = {{0, 0}, {254, 254}, {-127, 10}};
    c.dc.LPtoDP(pts, 3);
    EXPECT_EQ(pts[0].x, 50); EXPECT_EQ(pts[0].y, 50);
    EXPECT_EQ(pts[1].x, 146); EXPECT_EQ(pts[1].y, -46);
    EXPECT_EQ(pts[2].x, 2); EXPECT_EQ(pts[2].y, 46); // 10 units = 3.8 px up

    // A line drawn upward in logical units goes up the bitmap from the centre.
    c.dc.MoveTo(0, 0);
    c.dc.LineTo(0, 100);  // 37.8 -> 38 px
    c.dc.SetMapMode(MM_TEXT);
    c.dc.SetViewportOrg(0, 0);
    EXPECT_EQ(c.dc.GetPixel(50, 50), 0u);
    EXPECT_EQ(c.dc.GetPixel(50, 13), 0u);
    EXPECT_EQ(c.dc.GetPixel(50, 12), kWhite); // the end pixel, left out
    EXPECT_EQ(c.dc.GetPixel(50, 51), kWhite);
}

} // namespace
