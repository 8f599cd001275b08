// The 48 x 48 list pictures: working size, background, frame, where the design lands, the check
// boxes, and the STX outline squeezed into the top 38 rows.
#include "tests/gdi/Canvas.h"
#include "tests/preview/DesignBuilder.h"

#include "design/StxFile.h"
#include "design/ThreadPalette.h"
#include "preview/ListPicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace testdesign;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

COLORREF PixelOf(const CBitmap& bm, int x, int y)
{
    int w, h;
    std::vector<uint8_t> bits;
    if (!tavren::GetBitmapPixels(bm.m_hObject, w, h, bits) || x < 0 || y < 0 || x >= w || y >= h)
        return CLR_INVALID;
    const uint8_t* p = bits.data() + (static_cast<size_t>(y) * w + x) * 3;
    return RGB(p[2], p[1], p[0]);
}

bool SamePixels(const CBitmap& a, const CBitmap& b)
{
    int wa, ha, wb, hb;
    std::vector<uint8_t> pa, pb;
    return tavren::GetBitmapPixels(a.m_hObject, wa, ha, pa) && tavren::GetBitmapPixels(b.m_hObject, wb, hb, pb) &&
           wa == wb && ha == hb && pa == pb;
}

// Ten stitches of 100 to the right: 100 mm wide, no height.
void MakeLine(CEmbData& design)
{
    ASSERT_TRUE(Build(design, {{100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 0},
                               {100, 0}, {100, 0}, End}, 1));
}

// Marker boxes: white (left out) except a coloured pixel in two corners.
void MakeBox(CBitmap& bm, COLORREF cr)
{
    Canvas c(16, 16, kWhite);
    c.dc.SetPixel(0, 0, cr);
    c.dc.SetPixel(15, 15, cr);
    c.dc.SelectObject(c.pOld);
    int w, h;
    std::vector<uint8_t> bits;
    tavren::GetBitmapPixels(c.bm, w, h, bits);
    bm.CreateBitmap(16, 16, 1, 24, bits.data());
    c.pOld = c.dc.SelectObject(&c.bm);
}

TEST(ListPicture, WorkingBitmapIsTheExtentInScreenPixels)
{
    CEmbData design;
    MakeLine(design);
    EXPECT_EQ(CListPicture::GetWorkingSide(design), 378); // 1000 * 96 / 254 = 377.95
    ASSERT_TRUE(Build(design, {{0, 0}, End}, 1));
    EXPECT_EQ(CListPicture::GetWorkingSide(design), 1);   // never empty
}

TEST(ListPicture, FramedDesignDrawnFromTheCentreAndShrunkWithoutLosingTheLine)
{
    CEmbData design;
    MakeLine(design);
    CBitmap bm;
    ASSERT_TRUE(CListPicture::DrawDesignPicture(design, bm));
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(PixelOf(bm, i, 0), 0u) << i;
        EXPECT_EQ(PixelOf(bm, i, 47), 0u) << i;
        EXPECT_EQ(PixelOf(bm, 0, i), 0u) << i;
        EXPECT_EQ(PixelOf(bm, 47, i), 0u) << i;
    }
    // The line starts at the centre (row and column 24 of 48) and reaches 40 % of the working
    // side to the right: 151 of 378 pixels -> about 19 of 48.
    EXPECT_EQ(PixelOf(bm, 24, 24), 0u);
    EXPECT_EQ(PixelOf(bm, 42, 24), 0u);
    EXPECT_EQ(PixelOf(bm, 44, 24), kWhite);
    EXPECT_EQ(PixelOf(bm, 20, 24), kWhite);
    EXPECT_EQ(PixelOf(bm, 30, 20), kWhite);
}

TEST(ListPicture, BackgroundTurnsGreyBlueOnlyWhenEveryThreadIsLight)
{
    CEmbData design;
    MakeLine(design);
    CBitmap bm;
    ASSERT_TRUE(CListPicture::DrawDesignPicture(design, bm));
    EXPECT_EQ(PixelOf(bm, 5, 5), kWhite);

    SetCustom(design, 0, RGB(221, 230, 255));
    CBitmap light;
    ASSERT_TRUE(CListPicture::DrawDesignPicture(design, light));
    EXPECT_EQ(PixelOf(light, 5, 5), RGB(0x88, 0x9B, 0x9B));
    EXPECT_EQ(PixelOf(light, 0, 5), 0u); // the frame stays black

    SetCustom(design, 0, RGB(220, 230, 255));
    CBitmap dark;
    ASSERT_TRUE(CListPicture::DrawDesignPicture(design, dark));
    EXPECT_EQ(PixelOf(dark, 5, 5), kWhite);
}

int PaletteRowNamed(const char* pszName)
{
    for (int i = 0; i < THREAD_PALETTE_SIZE; ++i)
        if (std::strcmp(g_aThreadPalette[i].szName, pszName) == 0)
            return i;
    return -1;
}

TEST(ListPicture, LightThreadsStayVisibleInTheShrunkPicture)
{
    // A square of 40 mm sides with a diagonal, sewn in one light palette thread: the working
    // bitmap gets the grey-blue background, and the threads must still show in 48 x 48.
    for (const char* pszThread : {"White", "Ivory White", "Silver Gray"}) {
        SCOPED_TRACE(pszThread);
        const int nRow = PaletteRowNamed(pszThread);
        ASSERT_GT(nRow, 0);
        CEmbData design;
        ASSERT_TRUE(Build(design, {{100, 0}, {100, 0}, {100, 0}, {100, 0}, {0, 100}, {0, 100}, {0, 100},
                                   {0, 100}, {-100, 0}, {-100, 0}, {-100, 0}, {-100, 0}, {0, -100}, {0, -100},
                                   {0, -100}, {0, -100}, {100, 100}, {100, 100}, {100, 100}, {100, 100}, End},
                          1));
        design.m_pColorBlocks[0].m_nPaletteIndex = nRow;
        ASSERT_TRUE(design.IsAllLight());
        CBitmap bm;
        ASSERT_TRUE(CListPicture::DrawDesignPicture(design, bm));
        int nThread = 0;
        for (int y = 1; y < 47; ++y)
            for (int x = 1; x < 47; ++x) {
                const COLORREF cr = PixelOf(bm, x, y);
                if (cr == CListPicture::LIGHT_THREAD_BACKGROUND)
                    continue;
                ++nThread;
                // What shows is the light thread, not a darkened background.
                EXPECT_GE(GetRValue(cr), 0x88) << x << "," << y;
                EXPECT_GE(GetGValue(cr), 0x9B) << x << "," << y;
                EXPECT_GE(GetBValue(cr), 0x9B) << x << "," << y;
            }
        // Four sides and a diagonal of about 16 pixels each.
        EXPECT_GE(nThread, 60);
        EXPECT_EQ(PixelOf(bm, 3, 3), CListPicture::LIGHT_THREAD_BACKGROUND);
    }
}

TEST(ListPicture, BoxesGoIntoTheBottomRightCornerLeavingWhiteOut)
{
    CEmbData design;
    MakeLine(design);
    CBitmap boxEmpty, boxTicked, first, second, plain;
    MakeBox(boxEmpty, kRed);
    MakeBox(boxTicked, kBlue);
    ASSERT_TRUE(CListPicture::DrawDesignPicture(design, plain));
    ASSERT_TRUE(CListPicture::MakeDesignPair(design, TRUE, first, second, &boxEmpty, &boxTicked));
    EXPECT_EQ(PixelOf(first, 32, 32), kRed);
    EXPECT_EQ(PixelOf(first, 47, 47), kRed);
    EXPECT_EQ(PixelOf(first, 31, 31), PixelOf(plain, 31, 31));
    EXPECT_EQ(PixelOf(first, 40, 40), PixelOf(plain, 40, 40));
    EXPECT_EQ(PixelOf(first, 33, 32), PixelOf(plain, 33, 32));
    EXPECT_EQ(PixelOf(second, 32, 32), kBlue);

    // Without checks: the plain picture, then the ticked one.
    CBitmap first2, second2;
    ASSERT_TRUE(CListPicture::MakeDesignPair(design, FALSE, first2, second2, &boxEmpty, &boxTicked));
    EXPECT_TRUE(SamePixels(first2, plain));
    EXPECT_EQ(PixelOf(second2, 47, 47), kBlue);
}

TEST(ListPicture, DesignThatDidNotReadMakesNoPicture)
{
    CEmbData design;
    CBitmap first, second;
    EXPECT_FALSE(CListPicture::MakeDesignPair(design, TRUE, first, second));
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

// An STX file: 68-byte header, then the records.
std::vector<BYTE> MakeStx(const std::vector<std::pair<int, int>>& points, int nTrailing = 3)
{
    std::vector<std::pair<int, int>> records;
    records.push_back({0x80, 0x03});
    for (auto p : points)
        records.push_back({22 - p.first, p.second}); // b0 = 22 - swing
    records.push_back({0x80, 0x00});
    for (int i = 0; i < nTrailing; ++i)
        records.push_back({22, 0});
    records.push_back({0x80, 0xFF});
    std::vector<BYTE> bytes(68 + records.size() * 4, 0);
    auto put16 = [&](size_t at, int v) { bytes[at] = static_cast<BYTE>(v); bytes[at + 1] = static_cast<BYTE>(v >> 8); };
    put16(36, 68);
    put16(40, static_cast<int>(records.size()));
    put16(52, 1); // feed numerator and denominator: feed as written
    put16(54, 1);
    for (size_t i = 0; i < records.size(); ++i) {
        bytes[68 + i * 4] = static_cast<BYTE>(records[i].first);
        bytes[68 + i * 4 + 1] = static_cast<BYTE>(records[i].second);
    }
    return bytes;
}

TEST(StxOutline, PointsAreFortyPercentFromTheTruncatedOrigin)
{
    // Swings 0, 20, -20, 0 with feeds 0, 10, 10: outline (0,0) (20,0) (-20,10) (0,20).
    auto bytes = MakeStx({{0, 0}, {20, 10}, {-20, 10}, {0, 10}});
    CStxFile stx;
    ASSERT_TRUE(stx.ReadBuffer(bytes.data(), bytes.size()));
    ASSERT_EQ(stx.GetOutline().GetSize(), 4);
    Canvas c(48, 48, kWhite);
    stx.DrawOutline(c.dc, 22, 9); // origin (8, 3): 22 * 40 / 100 = 8.8 and 3.6 truncate
    EXPECT_EQ(c.dc.GetPixel(8, 3), 0u);
    EXPECT_EQ(c.dc.GetPixel(15, 3), 0u);
    EXPECT_EQ(c.dc.GetPixel(16, 3), 0u);  // the next segment starts here
    EXPECT_EQ(c.dc.GetPixel(0, 7), 0u);
    EXPECT_EQ(c.dc.GetPixel(4, 9), 0u);   // (0, 7) -> (8, 11), end left out
    EXPECT_EQ(c.dc.GetPixel(8, 11), kWhite);
    EXPECT_EQ(c.dc.GetPixel(17, 3), kWhite);
}

TEST(StxOutline, EmptyOutlineDrawsNothing)
{
    CStxFile stx;
    Canvas c(8, 8, kWhite);
    stx.DrawOutline(c.dc, 0, 0);
    EXPECT_EQ(c.Rows(8, 8), std::string(8, '.') + "\n" + std::string(8, '.') + "\n" + std::string(8, '.') + "\n" +
                                std::string(8, '.') + "\n" + std::string(8, '.') + "\n" + std::string(8, '.') + "\n" +
                                std::string(8, '.') + "\n" + std::string(8, '.') + "\n");
}

TEST(StxPicture, OutlineIsSqueezedIntoTheTopThirtyEightRows)
{
    // A long pattern: feed reaches 110 (44 pixels from row 2) - the bottom of the working bitmap.
    auto bytes = MakeStx({{0, 0}, {10, 100}, {-10, 10}, {0, 0}});
    CStxFile stx;
    ASSERT_TRUE(stx.ReadBuffer(bytes.data(), bytes.size()));
    CBitmap bm;
    ASSERT_TRUE(CListPicture::DrawStxPicture(stx, bm));
    bool bInkAbove = false;
    for (int y = 1; y < 38; ++y)
        for (int x = 1; x < 47; ++x)
            bInkAbove |= PixelOf(bm, x, y) != kWhite;
    EXPECT_TRUE(bInkAbove);
    for (int y = 38; y < 47; ++y)
        for (int x = 1; x < 47; ++x)
            ASSERT_EQ(PixelOf(bm, x, y), kWhite) << x << "," << y;
    EXPECT_EQ(PixelOf(bm, 0, 40), 0u);
    EXPECT_EQ(PixelOf(bm, 47, 47), 0u);
}

TEST(StxPicture, NegativeFeedMovesTheOutlineDown)
{
    // Feeds -30 then back: minimum feed -30, so the offset is 6 + 30 and the top point stays in.
    auto bytes = MakeStx({{0, 0}, {0, -30}, {10, 0}, {10, 30}});
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

TEST(StxPicture, WithoutChecksBothPicturesArePlain)
{
    auto bytes = MakeStx({{0, 0}, {20, 10}, {-20, 10}, {0, 10}});
    CStxFile stx;
    ASSERT_TRUE(stx.ReadBuffer(bytes.data(), bytes.size()));
    CBitmap boxEmpty, boxTicked, plain, first, second;
    MakeBox(boxEmpty, kRed);
    MakeBox(boxTicked, kBlue);
    ASSERT_TRUE(CListPicture::DrawStxPicture(stx, plain));
    ASSERT_TRUE(CListPicture::MakeStxPair(stx, FALSE, first, second, &boxEmpty, &boxTicked));
    EXPECT_TRUE(SamePixels(first, plain));
    EXPECT_TRUE(SamePixels(second, plain));
    ASSERT_TRUE(CListPicture::MakeStxPair(stx, TRUE, first, second, &boxEmpty, &boxTicked));
    EXPECT_EQ(PixelOf(first, 32, 32), kRed);
    EXPECT_EQ(PixelOf(second, 47, 47), kBlue);
}

} // namespace
