// Lines, pens, mapping modes and fills, checked pixel by pixel on small bitmaps.
#include "tests/gdi/Canvas.h"

#include "platform/kernel/Handle.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(LineTo, OmitsLastPixel)
{
    Canvas c(8, 8, kWhite);
    c.dc.MoveTo(1, 1);
    c.dc.LineTo(5, 1);   // horizontal
    c.dc.MoveTo(6, 1);
    c.dc.LineTo(6, 5);   // vertical
    c.dc.MoveTo(0, 3);
    c.dc.LineTo(3, 6);   // diagonal
    EXPECT_EQ(c.Rows(8, 8),
              "........\n"
              ".####.#.\n"
              "......#.\n"
              "#.....#.\n"
              ".#....#.\n"
              "..#.....\n"
              "........\n"
              "........\n");
}

TEST(LineTo, ClosedFigureDrawsEveryCorner)
{
    // A frame drawn back to its start: each segment's left-out end is the next one's first pixel.
    Canvas c(4, 4, kWhite);
    c.dc.MoveTo(0, 0);
    c.dc.LineTo(0, 3);
    c.dc.LineTo(3, 3);
    c.dc.LineTo(3, 0);
    c.dc.LineTo(0, 0);
    EXPECT_EQ(c.Rows(4, 4), "####\n#..#\n#..#\n####\n");
}

TEST(LineTo, ZeroLengthDrawsNothingAndOutsidePixelsAreClipped)
{
    Canvas c(4, 4, kWhite);
    c.dc.MoveTo(2, 2);
    c.dc.LineTo(2, 2);
    c.dc.MoveTo(-100, 1);
    c.dc.LineTo(100000, 1);
    c.dc.MoveTo(-7, -7);
    c.dc.LineTo(-1, 40);
    EXPECT_EQ(c.Rows(4, 4), "....\n####\n....\n....\n");
    EXPECT_EQ(c.dc.GetPixel(2, 2), kWhite);
}

TEST(PolylineTo, DrawsAsLineToPointAfterPointAndEndsAtTheLast)
{
    // A dotted pen, whose pattern runs on from line to line, and points inside and outside.
    const POINT apt[] = {{1, 1}, {17, 3}, {17, 17}, {-5, 9}, {3, 3}, {3, 3}, {12, 30}, {9, 2}};
    Canvas byLines(16, 16, kWhite), byPolyline(16, 16, kWhite);
    for (Canvas* c : {&byLines, &byPolyline}) {
        CPen dotted(PS_DOT, 0, kRed);
        CPen* pOld = c->dc.SelectObject(&dotted);
        c->dc.MoveTo(4, 0);
        if (c == &byLines) {
            for (const POINT& p : apt)
                c->dc.LineTo(p.x, p.y);
        } else {
            ASSERT_TRUE(::PolylineTo(c->dc, apt, sizeof apt / sizeof apt[0]));
        }
        c->dc.LineTo(0, 15); // on from where the lines ended, in the same pattern
        c->dc.SelectObject(pOld);
    }
    int w, h;
    std::vector<uint8_t> a, b;
    ASSERT_TRUE(tavren::GetBitmapPixels(byLines.bm, w, h, a));
    ASSERT_TRUE(tavren::GetBitmapPixels(byPolyline.bm, w, h, b));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, std::vector<uint8_t>(a.size(), 0xFF)); // something was drawn
    EXPECT_FALSE(::PolylineTo(0, apt, 1));
}

TEST(LineTo, ShallowAndSteepSlopesStepOnePixelAtATime)
{
    Canvas c(8, 8, kWhite);
    c.dc.MoveTo(0, 0);
    c.dc.LineTo(7, 2);
    c.dc.MoveTo(7, 7);
    c.dc.LineTo(5, 0);
    EXPECT_EQ(c.Rows(8, 8),
              "##......\n"
              "..####..\n"
              "......#.\n"
              "......#.\n"
              "......#.\n"
              "......#.\n"
              ".......#\n"
              ".......#\n");
}

TEST(Pen, SelectObjectReturnsThePreviousPen)
{
    Canvas c(8, 8, kWhite);
    CPen red(PS_SOLID, 1, kRed);
    CPen* pOld = c.dc.SelectObject(&red);
    ASSERT_NE(pOld, nullptr);
    EXPECT_EQ(pOld->m_hObject, GetStockObject(BLACK_PEN));
    c.dc.MoveTo(0, 0);
    c.dc.LineTo(3, 0);
    EXPECT_EQ(c.dc.GetPixel(0, 0), kRed);
    CPen* pRed = c.dc.SelectObject(pOld);
    ASSERT_NE(pRed, nullptr);
    EXPECT_EQ(pRed->m_hObject, red.m_hObject);
    c.dc.MoveTo(0, 1);
    c.dc.LineTo(3, 1);
    EXPECT_EQ(c.dc.GetPixel(0, 1), 0u);
}

TEST(Pen, DeletingASelectedPenWaitsUntilItIsDeselected)
{
    Canvas c(8, 8, kWhite);
    CPen* pRed = new CPen(PS_SOLID, 1, kRed);
    HPEN hRed = *pRed;
    CPen* pOld = c.dc.SelectObject(pRed);
    delete pRed; // deletes the handle while selected
    EXPECT_EQ(GetObjectType(hRed), OBJ_PEN);
    c.dc.MoveTo(0, 0);
    c.dc.LineTo(2, 0);
    EXPECT_EQ(c.dc.GetPixel(1, 0), kRed);
    c.dc.SelectObject(pOld);
    EXPECT_EQ(GetObjectType(hRed), 0u);
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

TEST(MapMode, AnisotropicScalesEachAxis)
{
    Canvas c(20, 20, kWhite);
    c.dc.SetMapMode(MM_ANISOTROPIC);
    c.dc.SetWindowExt(100, 100);
    c.dc.SetViewportExt(10, -20);
    c.dc.SetViewportOrg(0, 20);
    POINT p = {50, 50};
    c.dc.LPtoDP(&p);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 10);
    c.dc.SetMapMode(MM_ISOTROPIC); // keeps the smaller scale on both axes
    p = {50, 50};
    c.dc.LPtoDP(&p);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 15);
}

TEST(Fill, PatBltAndFillSolidRect)
{
    Canvas c(6, 2, kRed);
    c.dc.PatBlt(0, 0, 2, 2, BLACKNESS);
    c.dc.PatBlt(2, 0, 2, 2, WHITENESS);
    CBrush blue(RGB(0, 0, 255));
    CBrush* pOld = c.dc.SelectObject(&blue);
    c.dc.PatBlt(4, 0, 1, 2, PATCOPY);
    c.dc.SelectObject(pOld);
    EXPECT_EQ(c.dc.GetPixel(1, 1), 0u);
    EXPECT_EQ(c.dc.GetPixel(3, 1), kWhite);
    EXPECT_EQ(c.dc.GetPixel(4, 1), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetPixel(5, 1), kRed);
    c.dc.FillSolidRect(5, 0, 1, 1, RGB(1, 2, 3));
    EXPECT_EQ(c.dc.GetPixel(5, 0), RGB(1, 2, 3));
    EXPECT_EQ(c.dc.GetBkColor(), RGB(1, 2, 3));
    // Outside the bitmap: nothing happens, nothing breaks.
    c.dc.PatBlt(-1000, -1000, 5000, 2, BLACKNESS);
    EXPECT_EQ(c.dc.GetPixel(5, 0), RGB(1, 2, 3));
}

TEST(Bitmap, BadSizesAndDoubleSelectionAreRefused)
{
    CBitmap bm;
    EXPECT_FALSE(bm.CreateBitmap(0, 5, 1, 24, nullptr));
    EXPECT_FALSE(bm.CreateBitmap(-3, 5, 1, 24, nullptr));
    EXPECT_FALSE(bm.CreateBitmap(100000, 100000, 1, 24, nullptr));
    EXPECT_FALSE(bm.CreateBitmap(5, 5, 1, 8, nullptr));
    ASSERT_TRUE(bm.CreateBitmap(2, 1, 1, 24, "\x01\x02\x03\x04\x05\x06"));
    BITMAP info;
    ASSERT_EQ(bm.GetBitmap(&info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, 2);
    EXPECT_EQ(info.bmBitsPixel, 24);

    CDC a, b;
    a.CreateCompatibleDC(nullptr);
    b.CreateCompatibleDC(nullptr);
    CBitmap* pOldA = a.SelectObject(&bm);
    ASSERT_NE(pOldA, nullptr);
    EXPECT_EQ(a.GetPixel(1, 0), RGB(6, 5, 4)); // rows are BGR
    EXPECT_EQ(b.SelectObject(&bm), nullptr);
    a.SelectObject(pOldA);
    CBitmap* pOldB = b.SelectObject(&bm);
    EXPECT_NE(pOldB, nullptr);
    b.SelectObject(pOldB);
}

TEST(Handles, DrawingLeavesNoHandlesBehind)
{
    GetStockObject(WHITE_BRUSH); // the stock objects are made on first use
    size_t nBefore = tavren::CountHandles();
    {
        Canvas c(10, 10, kWhite);
        for (int i = 0; i < 20; ++i) {
            CPen pen(PS_DOT, 1, RGB(i, 0, 0));
            CPen* pOld = c.dc.SelectObject(&pen);
            c.dc.LineTo(i % 10, 9 - i % 10);
            c.dc.SelectObject(pOld);
        }
    }
    EXPECT_EQ(tavren::CountHandles(), nBefore);
}

} // namespace
