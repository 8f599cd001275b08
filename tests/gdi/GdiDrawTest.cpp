// Lines and pens, checked pixel by pixel on small bitmaps. How MM_LOMETRIC maps is seen in a pen's
// width here and in the list pictures' size (tests/preview/ListPictureTest.cpp); the dotted pen
// in the jumps the preview draws (tests/preview/DrawCtrlTest.cpp).
#include "tests/gdi/Canvas.h"

#include "platform/kernel/Handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Each line leaves out its last pixel (so a closed figure draws each corner once) and steps one
// pixel at a time whatever its slope.
TEST(LineTo, LeavesOutTheLastPixelAtEverySlope)
{
    const std::tuple<const char*, std::vector<std::pair<POINT, POINT>>, int, std::string> cases[] = {
        {"straight and diagonal", {{{1, 1}, {5, 1}}, {{6, 1}, {6, 5}}, {{0, 3}, {3, 6}}}, 8,
         "........\n.####.#.\n......#.\n#.....#.\n.#....#.\n..#.....\n........\n........\n"},
        {"a closed frame", {{{0, 0}, {0, 3}}, {{0, 3}, {3, 3}}, {{3, 3}, {3, 0}}, {{3, 0}, {0, 0}}}, 4, "####\n#..#\n#..#\n####\n"},
        {"shallow and steep", {{{0, 0}, {7, 2}}, {{7, 7}, {5, 0}}}, 8,
         "##......\n..####..\n......#.\n......#.\n......#.\n......#.\n.......#\n.......#\n"},
    };
    for (const auto& [pszWhat, lines, nSize, strRows] : cases) {
        SCOPED_TRACE(pszWhat);
        Canvas c(nSize, nSize, kWhite);
        for (const auto& [from, to] : lines) {
            c.dc.MoveTo(from.x, from.y);
            c.dc.LineTo(to.x, to.y);
        }
        EXPECT_EQ(c.Rows(nSize, nSize), strRows);
    }
}

TEST(Pen, WidthIsInLogicalUnits)
{
    Canvas c(40, 40, kWhite);
    c.dc.SetMapMode(MM_LOMETRIC);
    c.dc.SetViewportOrg(0, 40);
    // 1 unit of 0.1 mm is far below a pixel: a one-pixel line.
    CPen thin(PS_SOLID, 1, 0);
    CPen* pOld = c.dc.SelectObject(&thin);
    c.dc.MoveTo(0, 26); // 26 * 96 / 254 = 9.8 -> row 40 - 10 = 30
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
    const std::string rows = c.Rows(40, 40);
    const auto nRed = std::count(rows.begin(), rows.end(), '?');
    EXPECT_GT(nRed, 60);
    EXPECT_LT(nRed, 130);
}

} // namespace
