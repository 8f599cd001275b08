// A bitmap filled whole with one colour keeps the colour as a value until it is drawn on: it must
// draw, copy, stretch and read exactly as a bitmap whose every pixel is stored, and a vast one
// must cost only the part drawn on.
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

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
    std::vector<uint8_t> Pixels() const
    {
        int w, h;
        std::vector<uint8_t> bgr;
        tavren::GetBitmapPixels(hbm, w, h, bgr);
        return bgr;
    }
};

// Two surfaces given the same calls; the second has every pixel put in place after each call
// (reading all pixels does that), so it takes the paths of a fully stored bitmap throughout.
struct Twin {
    Surface kept, stored;
    Twin(int cx, int cy) : kept(cx, cy), stored(cx, cy) {}
    template <class Fn>
    void Do(Fn fn)
    {
        fn(kept.hdc);
        fn(stored.hdc);
        stored.Pixels();
    }
};

constexpr int kW = 90, kH = 70;

TEST(SolidBitmap, DrawsCopiesAndReadsExactlyAsAStoredOne)
{
    std::mt19937 rng(20261206);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto colour = [&]() {
        // A few colours, so that ANDs and ORs and transparent copies meet equal pixels.
        static const COLORREF a[] = {RGB(255, 255, 255), 0, RGB(0x88, 0x9B, 0x9B), RGB(200, 30, 40), RGB(10, 200, 250)};
        return a[pick(0, 4)];
    };

    for (int nRound = 0; nRound < 60; ++nRound) {
        SCOPED_TRACE(nRound);
        Twin dst(kW, kH), src(pick(1, 160), pick(1, 120));
        for (int nStep = 0; nStep < 40; ++nStep) {
            SCOPED_TRACE(nStep);
            Twin& t = pick(0, 3) == 0 ? src : dst;
            const int op = pick(0, 9);
            if (op == 0) { // a fill, whole or not
                const COLORREF cr = colour();
                const bool bWhole = pick(0, 1) == 0;
                const int x = bWhole ? 0 : pick(-10, kW), y = bWhole ? 0 : pick(-10, kH);
                const int w = bWhole ? 1000 : pick(-20, 60), h = bWhole ? 1000 : pick(-20, 60);
                t.Do([&](HDC hdc) {
                    HBRUSH hBrush = CreateSolidBrush(cr);
                    HGDIOBJ hOldBrush = SelectObject(hdc, hBrush);
                    PatBlt(hdc, x, y, w, h, PATCOPY);
                    SelectObject(hdc, hOldBrush);
                    DeleteObject(hBrush);
                });
            } else if (op == 1) {
                static const DWORD rops[] = {WHITENESS, BLACKNESS, DSTINVERT, PATINVERT};
                const DWORD rop = rops[pick(0, 3)];
                const int x = pick(-10, kW), y = pick(-10, kH), w = pick(-30, 200), h = pick(-30, 200);
                t.Do([&](HDC hdc) { PatBlt(hdc, x, y, w, h, rop); });
            } else if (op <= 4) { // lines with every kind of pen, some leaving the bitmap
                static const int styles[] = {PS_SOLID, PS_DOT, PS_DASH, PS_SOLID};
                const int nStyle = styles[pick(0, 3)], nWidth = pick(0, 1) ? 0 : pick(0, 6);
                const COLORREF cr = colour();
                const bool bLometric = pick(0, 2) == 0;
                std::vector<POINT> pts(static_cast<size_t>(pick(2, 8)));
                for (POINT& p : pts)
                    p = bLometric ? POINT{pick(-150, 250), pick(-200, 60)} : POINT{pick(-20, kW + 20), pick(-20, kH + 20)};
                t.Do([&](HDC hdc) {
                    HPEN hPen = CreatePen(nStyle, nWidth, cr);
                    HGDIOBJ hOldPen = SelectObject(hdc, hPen);
                    if (bLometric) {
                        SetMapMode(hdc, MM_LOMETRIC);
                        SetViewportOrgEx(hdc, 10, 5, nullptr);
                    }
                    MoveToEx(hdc, pts[0].x, pts[0].y, nullptr);
                    for (size_t i = 1; i < pts.size(); ++i)
                        LineTo(hdc, pts[i].x, pts[i].y);
                    SetMapMode(hdc, MM_TEXT);
                    SetViewportOrgEx(hdc, 0, 0, nullptr);
                    SelectObject(hdc, hOldPen);
                    DeleteObject(hPen);
                });
            } else if (op == 5) {
                const int x = pick(-2, kW + 1), y = pick(-2, kH + 1);
                const COLORREF cr = colour();
                t.Do([&](HDC hdc) { SetPixel(hdc, x, y, cr); });
            } else if (op <= 8) { // stretches in every mode and direction, from the other or the same bitmap
                const bool bSelf = pick(0, 4) == 0;
                const int nMode = pick(BLACKONWHITE, HALFTONE);
                static const DWORD rops[] = {SRCCOPY, SRCAND, SRCPAINT, SRCINVERT};
                const DWORD rop = rops[pick(0, 3)];
                const int xd = pick(-10, 60), yd = pick(-10, 50), wd = pick(-70, 90), hd = pick(-70, 70);
                const int xs = pick(-10, 100), ys = pick(-10, 80), ws = pick(-120, 170), hs = pick(-120, 130);
                const bool bTransparent = op == 8;
                const COLORREF crTransparent = colour();
                auto blt = [&](HDC hdcDst, HDC hdcSrc) {
                    SetStretchBltMode(hdcDst, nMode);
                    if (bTransparent)
                        TransparentBlt(hdcDst, xd, yd, std::abs(wd), std::abs(hd), hdcSrc, xs, ys, std::abs(ws),
                                       std::abs(hs), crTransparent);
                    else
                        StretchBlt(hdcDst, xd, yd, wd, hd, hdcSrc, xs, ys, ws, hs, rop);
                };
                blt(dst.kept.hdc, bSelf ? dst.kept.hdc : src.kept.hdc);
                blt(dst.stored.hdc, bSelf ? dst.stored.hdc : src.stored.hdc);
                dst.stored.Pixels();
            } else { // single pixels read back
                for (int k = 0; k < 20; ++k) {
                    const int x = pick(-1, kW), y = pick(-1, kH);
                    ASSERT_EQ(GetPixel(dst.kept.hdc, x, y), GetPixel(dst.stored.hdc, x, y)) << x << "," << y;
                }
            }
        }
        ASSERT_EQ(dst.kept.Pixels(), dst.stored.Pixels());
        ASSERT_EQ(src.kept.Pixels(), src.stored.Pixels());
    }
}

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
