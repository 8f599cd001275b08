#include "platform/gdi/Gdi.h"

#include "platform/gdi/GdiHandleObjects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tavren {

std::mutex& GdiLock()
{
    static std::mutex* pMutex = new std::mutex; // never destroyed: objects may die after statics
    return *pMutex;
}

} // namespace tavren

using namespace tavren;

namespace {

constexpr int kScreenDpi = 96;
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

template <class T>
HGDIOBJ Register(std::shared_ptr<T> pObject)
{
    HGDIOBJ h = AllocHandle(pObject);
    pObject->m_hSelf = h;
    return h;
}

// Black, as a new bitmap is.
std::shared_ptr<GdiBitmap> NewBitmap(int cx, int cy)
{
    return std::make_shared<GdiBitmap>(cx, cy, 0);
}

struct StockObjects {
    HGDIOBJ ah[NULL_PEN + 1] = {};
    HBITMAP hDefaultBitmap = 0; // the 1 x 1 bitmap every new memory DC starts with
};

StockObjects& Stock()
{
    static StockObjects* pStock = [] {
        auto* p = new StockObjects;
        const COLORREF brushes[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64), 0};
        for (int i = 0; i <= BLACK_BRUSH; ++i) {
            auto pBrush = std::make_shared<GdiBrush>();
            pBrush->m_color = brushes[i];
            pBrush->m_bStock = true;
            p->ah[i] = Register(pBrush);
        }
        auto pNullBrush = std::make_shared<GdiBrush>();
        pNullBrush->m_bNull = true;
        pNullBrush->m_bStock = true;
        p->ah[NULL_BRUSH] = Register(pNullBrush);
        const int penStyles[] = {PS_SOLID, PS_SOLID, PS_NULL};
        const COLORREF penColors[] = {RGB(255, 255, 255), 0, 0};
        for (int i = 0; i < 3; ++i) {
            auto pPen = std::make_shared<GdiPen>();
            pPen->m_nStyle = penStyles[i];
            pPen->m_color = penColors[i];
            pPen->m_bStock = true;
            p->ah[WHITE_PEN + i] = Register(pPen);
        }
        auto pBitmap = std::make_shared<GdiBitmap>(1, 1, RGB(255, 255, 255));
        pBitmap->m_bStock = true;
        p->hDefaultBitmap = Register(pBitmap);
        return p;
    }();
    return *pStock;
}

// The device context of the drawing calls. A design's stitches are thousands of LineTo calls on
// one DC, so each thread keeps the last one it looked up; a closed DC is looked up again (its
// handle may name something else by then). Valid until the next call on the same thread.
struct LastDc {
    HDC h = 0;
    std::shared_ptr<GdiDc> p;
};
thread_local LastDc t_lastDc;

GdiDc* FindDc(HDC hdc)
{
    LastDc& last = t_lastDc;
    if (last.p && last.h == hdc && !last.p->m_bClosed.load(std::memory_order_acquire))
        return last.p.get();
    last.p = LookupGdi<GdiDc>(hdc);
    last.h = hdc;
    return last.p.get();
}

// Called with GdiLock held when a DC lets go of an object.
void ReleaseSelection(GdiObjectBase& object, std::vector<HGDIOBJ>& toClose)
{
    if (object.m_nSelected > 0)
        --object.m_nSelected;
    if (object.m_nSelected == 0 && object.m_bDeletePending) {
        object.m_bDeletePending = false;
        toClose.push_back(object.m_hSelf);
    }
}

// ---- coordinates

// floor(v + 0.5); within the int range without calling floor (every LineTo rounds twice).
int RoundToInt(double v)
{
    const double f = v + 0.5;
    if (f > -2147483648.0 && f < 2147483648.0) {
        const int i = static_cast<int>(f);
        return static_cast<double>(i) > f ? i - 1 : i;
    }
    return static_cast<int>(std::floor(f));
}

struct Transform {
    double sx, sy, wox, woy, vox, voy;

    explicit Transform(const GdiDc& dc)
        : sx(static_cast<double>(dc.m_szViewportExt.cx) / dc.m_szWindowExt.cx),
          sy(static_cast<double>(dc.m_szViewportExt.cy) / dc.m_szWindowExt.cy),
          wox(dc.m_ptWindowOrg.x), woy(dc.m_ptWindowOrg.y), vox(dc.m_ptViewportOrg.x), voy(dc.m_ptViewportOrg.y)
    {
    }
    POINT ToDevice(int x, int y) const
    {
        return {RoundToInt((x - wox) * sx + vox), RoundToInt((y - woy) * sy + voy)};
    }
    POINT ToLogical(int x, int y) const
    {
        return {RoundToInt((x - vox) / sx + wox), RoundToInt((y - voy) / sy + woy)};
    }
};

// Keeps both axes at the same scale in MM_ISOTROPIC, shrinking the viewport extent of the axis
// that would come out larger, as Windows does.
void FixIsotropic(GdiDc& dc)
{
    if (dc.m_nMapMode != MM_ISOTROPIC)
        return;
    double sx = std::fabs(static_cast<double>(dc.m_szViewportExt.cx) / dc.m_szWindowExt.cx);
    double sy = std::fabs(static_cast<double>(dc.m_szViewportExt.cy) / dc.m_szWindowExt.cy);
    if (sx > sy) {
        int v = RoundToInt(std::fabs(static_cast<double>(dc.m_szWindowExt.cx)) * sy);
        dc.m_szViewportExt.cx = (dc.m_szViewportExt.cx < 0 ? -1 : 1) * std::max(v, 1);
    } else if (sy > sx) {
        int v = RoundToInt(std::fabs(static_cast<double>(dc.m_szWindowExt.cy)) * sx);
        dc.m_szViewportExt.cy = (dc.m_szViewportExt.cy < 0 ? -1 : 1) * std::max(v, 1);
    }
}

// ---- pixels

// Writes a pixel the caller has touched (GdiBitmap::Touch); pixels outside the bitmap are left out.
inline void PutPixel(GdiBitmap& bm, int x, int y, COLORREF color)
{
    if (x < 0 || y < 0 || x >= bm.m_nWidth || y >= bm.m_nHeight)
        return;
    uint8_t* p = bm.RawRow(y) + static_cast<size_t>(x) * 3;
    p[0] = GetBValue(color);
    p[1] = GetGValue(color);
    p[2] = GetRValue(color);
}

// Reads a pixel the caller has touched.
inline COLORREF ReadPixel(const GdiBitmap& bm, int x, int y)
{
    const uint8_t* p = bm.RawRow(y) + static_cast<size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

// Width of a pen in device pixels; 0 for the one-pixel (cosmetic) lines.
int PenPixelWidth(const GdiDc& dc, const GdiPen& pen)
{
    if (pen.m_nWidth <= 1 && dc.m_nMapMode == MM_TEXT)
        return 0;
    double sx = std::fabs(static_cast<double>(dc.m_szViewportExt.cx) / dc.m_szWindowExt.cx);
    int w = RoundToInt(pen.m_nWidth * sx);
    return w <= 1 ? 0 : w;
}

// The pixels of a disk of diameter nWidth about the pixel (0, 0); even widths lean to the upper
// left, as GDI's round pens do.
std::vector<POINT> DiskOffsets(int nWidth)
{
    std::vector<POINT> offsets;
    double r = nWidth / 2.0;
    int lo = -(nWidth / 2);
    int hi = lo + nWidth - 1;
    double c = (lo + hi) / 2.0;
    for (int j = lo; j <= hi; ++j)
        for (int i = lo; i <= hi; ++i) {
            double ddx = i - c, ddy = j - c;
            if (ddx * ddx + ddy * ddy <= r * r + 0.25)
                offsets.push_back({i, j});
        }
    return offsets;
}

// A line in device pixels from (x0, y0) toward (x1, y1): one-pixel lines leave out the end
// pixel (Bresenham with the degenerate cases first); wide lines have round ends at both points.
// nWidth: PenPixelWidth of the DC's pen.
void DrawDeviceLine(GdiDc& dc, int x0, int y0, int x1, int y1, int nWidth)
{
    if (!dc.m_pBitmap || !dc.m_pPen || dc.m_pPen->m_nStyle == PS_NULL)
        return;
    GdiBitmap& bm = *dc.m_pBitmap;
    const GdiPen& pen = *dc.m_pPen;
    if (x0 == x1 && y0 == y1 && nWidth == 0)
        return;

    int ddx = std::abs(x1 - x0), ddy = -std::abs(y1 - y0);
    int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;

    // Every pixel lies within the end points' box (widened by the pen): that much of the bitmap
    // is made real before drawing.
    const int nLo = nWidth > 0 ? -(nWidth / 2) : 0;
    const int nHi = nWidth > 0 ? nLo + nWidth - 1 : 0;
    bm.Touch(std::min(x0, x1) + nLo, std::min(y0, y1) + nLo, std::max(x0, x1) + nHi + 1, std::max(y0, y1) + nHi + 1);

    if (nWidth > 0) {
        // Wide pens are solid whatever their style, as for geometric pens on Windows.
        thread_local std::vector<POINT> disk;
        thread_local int nDiskWidth = 0;
        if (nDiskWidth != nWidth) {
            disk = DiskOffsets(nWidth);
            nDiskWidth = nWidth;
        }
        int err = ddx + ddy;
        int x = x0, y = y0;
        for (;;) {
            for (const POINT& o : disk)
                PutPixel(bm, x + o.x, y + o.y, pen.m_color);
            if (x == x1 && y == y1)
                break;
            int e2 = 2 * err;
            if (e2 >= ddy) { err += ddy; x += stepX; }
            if (e2 <= ddx) { err += ddx; y += stepY; }
        }
        return;
    }

    int nOn = 0, nOff = 0;
    if (pen.m_nStyle == PS_DOT) { nOn = 3; nOff = 3; }
    else if (pen.m_nStyle == PS_DASH) { nOn = 18; nOff = 6; }

    // A solid line inside the bitmap (the stitches of a design): the same steps, straight into
    // the rows.
    if (nOn == 0 && std::min(x0, x1) >= 0 && std::min(y0, y1) >= 0 && std::max(x0, x1) < bm.m_nWidth &&
        std::max(y0, y1) < bm.m_nHeight) {
        const uint8_t b = GetBValue(pen.m_color), g = GetGValue(pen.m_color), r = GetRValue(pen.m_color);
        const ptrdiff_t nRowStep = static_cast<ptrdiff_t>(bm.m_nWidth) * 3 * stepY;
        const ptrdiff_t nColStep = 3 * stepX;
        uint8_t* p = bm.RawRow(y0) + static_cast<size_t>(x0) * 3;
        int err = ddx + ddy;
        int x = x0, y = y0;
        while (x != x1 || y != y1) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
            int e2 = 2 * err;
            if (e2 >= ddy) { err += ddy; x += stepX; p += nColStep; }
            if (e2 <= ddx) { err += ddx; y += stepY; p += nRowStep; }
        }
        return;
    }
    auto plot = [&](int x, int y) {
        if (nOn == 0) {
            PutPixel(bm, x, y, pen.m_color);
            return;
        }
        bool bOn = (dc.m_nDashPos % (nOn + nOff)) < nOn;
        dc.m_nDashPos = (dc.m_nDashPos + 1) % (nOn + nOff);
        if (bOn)
            PutPixel(bm, x, y, pen.m_color);
        else if (dc.m_nBkMode == OPAQUE)
            PutPixel(bm, x, y, dc.m_crBk);
    };

    if (x0 == x1) { // vertical
        for (int y = y0; y != y1; y += stepY)
            plot(x0, y);
        return;
    }
    if (y0 == y1) { // horizontal
        for (int x = x0; x != x1; x += stepX)
            plot(x, y0);
        return;
    }
    int err = ddx + ddy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        plot(x, y);
        int e2 = 2 * err;
        if (e2 >= ddy) { err += ddy; x += stepX; }
        if (e2 <= ddx) { err += ddx; y += stepY; }
    }
}

// A device rectangle from two logical corners, ordered, clipped to the bitmap.
bool DeviceRect(const GdiDc& dc, int x, int y, int w, int h, RECT& rc)
{
    if (!dc.m_pBitmap)
        return false;
    Transform t(dc);
    POINT a = t.ToDevice(x, y), b = t.ToDevice(x + w, y + h);
    rc.left = std::max(0, std::min(a.x, b.x));
    rc.right = std::min(dc.m_pBitmap->m_nWidth, std::max(a.x, b.x));
    rc.top = std::max(0, std::min(a.y, b.y));
    rc.bottom = std::min(dc.m_pBitmap->m_nHeight, std::max(a.y, b.y));
    return rc.left < rc.right && rc.top < rc.bottom;
}

uint32_t CombineRop(DWORD rop, uint32_t dst, uint32_t src)
{
    switch (rop) {
    case SRCAND: return dst & src;
    case SRCPAINT: return dst | src;
    case SRCINVERT: return dst ^ src;
    default: return src;
    }
}

// out[k] &= in[k] (or |=) for n bytes, eight at a time.
void CombineBytes(uint8_t* pOut, const uint8_t* pIn, size_t n, bool bAnd)
{
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        uint64_t a, b;
        std::memcpy(&a, pOut + k, 8);
        std::memcpy(&b, pIn + k, 8);
        a = bAnd ? (a & b) : (a | b);
        std::memcpy(pOut + k, &a, 8);
    }
    for (; k < n; ++k)
        pOut[k] = bAnd ? (pOut[k] & pIn[k]) : (pOut[k] | pIn[k]);
}

// One axis of a stretch: for destination pixel i (already mirrored), the source run [a, b).
inline void SourceRun(int i, int nDst, int nSrc, int& a, int& b)
{
    a = static_cast<int>(static_cast<int64_t>(i) * nSrc / nDst);
    if (nSrc > nDst) {
        b = static_cast<int>(static_cast<int64_t>(i + 1) * nSrc / nDst);
        if (b <= a)
            b = a + 1;
    } else {
        b = a + 1;
    }
}

BOOL StretchDevice(GdiDc& dst, int dx, int dy, int dw, int dh, GdiDc& src, int sx, int sy, int sw, int sh,
                   DWORD rop, bool bTransparent, COLORREF crTransparent)
{
    if (!dst.m_pBitmap || !src.m_pBitmap)
        return FALSE;
    // A negative extent mirrors; the rectangle then ends at its start pixel, as in the usual
    // idiom StretchBlt(x + w - 1, ..., -w, ...).
    bool bFlipX = false, bFlipY = false;
    if (dw < 0) { dx += dw + 1; dw = -dw; bFlipX = !bFlipX; }
    if (dh < 0) { dy += dh + 1; dh = -dh; bFlipY = !bFlipY; }
    if (sw < 0) { sx += sw + 1; sw = -sw; bFlipX = !bFlipX; }
    if (sh < 0) { sy += sh + 1; sh = -sh; bFlipY = !bFlipY; }
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0)
        return TRUE;

    GdiBitmap& bmDst = *dst.m_pBitmap;
    // Copy the source first when both are the same bitmap, so overlapping copies read old pixels.
    std::unique_ptr<GdiBitmap> pCopy;
    GdiBitmap* pSrc = src.m_pBitmap.get();
    if (pSrc == &bmDst) {
        pCopy = std::make_unique<GdiBitmap>(pSrc->m_nWidth, pSrc->m_nHeight, 0);
        std::memcpy(pCopy->Row(0), pSrc->Row(0), pSrc->ByteCount());
        pSrc = pCopy.get();
    }
    GdiBitmap& bmSrc = *pSrc;
    int nMode = dst.m_nStretchMode;
    if (bTransparent)
        nMode = COLORONCOLOR;

    // Each destination column's source run, clamped to the source bitmap; xa == xb leaves the
    // column alone (outside the destination, or no source pixel under it).
    struct Run {
        int a = 0, b = 0;
    };
    thread_local std::vector<Run> cols;
    thread_local std::vector<Run> rows;
    cols.assign(static_cast<size_t>(dw), Run());
    rows.assign(static_cast<size_t>(dh), Run());
    for (int i = 0; i < dw; ++i) {
        int x = dx + i;
        if (x < 0 || x >= bmDst.m_nWidth)
            continue;
        int xa, xb;
        SourceRun(bFlipX ? dw - 1 - i : i, dw, sw, xa, xb);
        xa = std::max(xa + sx, 0);
        xb = std::min(xb + sx, bmSrc.m_nWidth);
        if (xa < xb)
            cols[static_cast<size_t>(i)] = {xa, xb};
    }
    for (int j = 0; j < dh; ++j) {
        int y = dy + j;
        if (y < 0 || y >= bmDst.m_nHeight)
            continue;
        int ya, yb;
        SourceRun(bFlipY ? dh - 1 - j : j, dh, sh, ya, yb);
        ya = std::max(ya + sy, 0);
        yb = std::min(yb + sy, bmSrc.m_nHeight);
        if (ya < yb)
            rows[static_cast<size_t>(j)] = {ya, yb};
    }

    // A source still one colour outside what was drawn on it is read only where drawn: a run
    // block that misses the touched rectangle is that colour whatever the mode. The blocks that
    // meet it are made real first (runs never overlap unless equal, so they stay inside).
    const bool bSolidOutside = bmSrc.IsSolidOutside();
    const COLORREF crSolid = bmSrc.SolidColor();
    const RECT rcDrawn = bSolidOutside ? bmSrc.Touched() : RECT{0, 0, bmSrc.m_nWidth, bmSrc.m_nHeight};
    auto meets = [](const Run& r, LONG lo, LONG hi) { return r.a < r.b && r.a < hi && r.b > lo; };
    int nUsedLeft = bmSrc.m_nWidth, nUsedRight = 0, nUsedTop = bmSrc.m_nHeight, nUsedBottom = 0;
    for (const Run& r : cols)
        if (meets(r, rcDrawn.left, rcDrawn.right)) {
            nUsedLeft = std::min(nUsedLeft, r.a);
            nUsedRight = std::max(nUsedRight, r.b);
        }
    for (const Run& r : rows)
        if (meets(r, rcDrawn.top, rcDrawn.bottom)) {
            nUsedTop = std::min(nUsedTop, r.a);
            nUsedBottom = std::max(nUsedBottom, r.b);
        }
    if (bSolidOutside && nUsedLeft < nUsedRight && nUsedTop < nUsedBottom)
        bmSrc.Touch(nUsedLeft, nUsedTop, nUsedRight, nUsedBottom);
    bmDst.Touch(dx, dy, dx + dw, dy + dh);

    // BLACKONWHITE keeps dark pixels (AND), WHITEONBLACK light ones (OR). AND and OR work on
    // red, green and blue apart, so the source rows of a destination row are first combined byte
    // by byte into one row, then each run of that row into one pixel.
    const bool bCombine = nMode == BLACKONWHITE || nMode == WHITEONBLACK;
    const bool bAnd = nMode != WHITEONBLACK;
    thread_local std::vector<uint8_t> combined;

    for (int j = 0; j < dh; ++j) {
        const int ya = rows[static_cast<size_t>(j)].a, yb = rows[static_cast<size_t>(j)].b;
        if (ya >= yb)
            continue;
        const bool bRowDrawn = meets(rows[static_cast<size_t>(j)], rcDrawn.top, rcDrawn.bottom);
        // The source row the runs of this destination row read: the source row itself, or the
        // rows combined. Indexed by source column as the source rows are.
        const uint8_t* pRow = bmSrc.RawRow(ya);
        if (bRowDrawn && bCombine && yb - ya > 1 && nUsedLeft < nUsedRight) {
            const size_t nLeft = static_cast<size_t>(nUsedLeft) * 3;
            const size_t nBytes = static_cast<size_t>(nUsedRight - nUsedLeft) * 3;
            combined.resize(static_cast<size_t>(nUsedRight) * 3);
            uint8_t* pOut = combined.data() + nLeft;
            std::memcpy(pOut, bmSrc.RawRow(ya) + nLeft, nBytes);
            for (int v = ya + 1; v < yb; ++v)
                CombineBytes(pOut, bmSrc.RawRow(v) + nLeft, nBytes, bAnd);
            pRow = combined.data();
        }
        uint8_t* pDstRow = bmDst.RawRow(dy + j);
        for (int i = 0; i < dw; ++i) {
            const Run& col = cols[static_cast<size_t>(i)];
            const int xa = col.a, xb = col.b;
            if (xa >= xb)
                continue;
            const int x = dx + i;
            uint32_t c;
            if (!bRowDrawn || !meets(col, rcDrawn.left, rcDrawn.right)) {
                c = crSolid;
            } else if (nMode == COLORONCOLOR) {
                c = ReadPixel(bmSrc, xa, ya);
            } else if (nMode == HALFTONE) {
                uint32_t r = 0, g = 0, b = 0, n = 0;
                for (int v = ya; v < yb; ++v)
                    for (int u = xa; u < xb; ++u) {
                        COLORREF p = ReadPixel(bmSrc, u, v);
                        r += GetRValue(p); g += GetGValue(p); b += GetBValue(p); ++n;
                    }
                c = RGB(static_cast<BYTE>(r / n), static_cast<BYTE>(g / n), static_cast<BYTE>(b / n));
            } else {
                uint8_t bgr[3];
                const uint8_t* p = pRow + static_cast<size_t>(xa) * 3;
                bgr[0] = p[0];
                bgr[1] = p[1];
                bgr[2] = p[2];
                for (int u = xa + 1; u < xb; ++u) {
                    p += 3;
                    for (int k = 0; k < 3; ++k)
                        bgr[k] = bAnd ? (bgr[k] & p[k]) : (bgr[k] | p[k]);
                }
                c = RGB(bgr[2], bgr[1], bgr[0]);
            }
            if (bTransparent && c == (crTransparent & 0xFFFFFFu))
                continue;
            uint8_t* p = pDstRow + static_cast<size_t>(x) * 3;
            uint32_t d = RGB(p[2], p[1], p[0]);
            uint32_t out = bTransparent ? c : CombineRop(rop, d, c);
            p[0] = GetBValue(out);
            p[1] = GetGValue(out);
            p[2] = GetRValue(out);
        }
    }
    return TRUE;
}

bool IsSourceRop(DWORD rop)
{
    return rop == SRCCOPY || rop == SRCAND || rop == SRCPAINT || rop == SRCINVERT;
}

} // namespace

// ---- objects

HDC CreateCompatibleDC(HDC)
{
    auto pDc = std::make_shared<GdiDc>();
    pDc->m_pBitmap = LookupGdi<GdiBitmap>(Stock().hDefaultBitmap);
    pDc->m_pPen = LookupGdi<GdiPen>(Stock().ah[BLACK_PEN]);
    pDc->m_pBrush = LookupGdi<GdiBrush>(Stock().ah[WHITE_BRUSH]);
    return Register(pDc);
}

BOOL DeleteDC(HDC hdc)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    std::vector<HGDIOBJ> toClose;
    {
        std::lock_guard<std::mutex> lock(GdiLock());
        if (pDc->m_pBitmap)
            ReleaseSelection(*pDc->m_pBitmap, toClose);
        if (pDc->m_pPen)
            ReleaseSelection(*pDc->m_pPen, toClose);
        if (pDc->m_pBrush)
            ReleaseSelection(*pDc->m_pBrush, toClose);
        // A thread may still hold the DC object (FindDc): it keeps nothing else alive.
        pDc->m_pBitmap.reset();
        pDc->m_pPen.reset();
        pDc->m_pBrush.reset();
    }
    if (t_lastDc.p == pDc)
        t_lastDc = LastDc();
    for (HGDIOBJ h : toClose)
        CloseHandle(h);
    return CloseHandle(hdc);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ hObject)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    auto pObject = LookupGdi<GdiObjectBase>(hObject);
    if (!pDc || !pObject)
        return 0;
    std::vector<HGDIOBJ> toClose;
    HGDIOBJ hOld = 0;
    {
        std::lock_guard<std::mutex> lock(GdiLock());
        auto swap = [&](auto& slot, auto pNew) {
            using T = typename std::remove_reference_t<decltype(slot)>::element_type;
            if (!pNew)
                return;
            hOld = slot ? slot->m_hSelf : 0;
            if (slot.get() == pNew.get())
                return;
            ++pNew->m_nSelected;
            if (slot)
                ReleaseSelection(*slot, toClose);
            slot = std::static_pointer_cast<T>(pNew);
        };
        switch (pObject->Kind()) {
        case OBJ_BITMAP: {
            auto pBitmap = std::static_pointer_cast<GdiBitmap>(pObject);
            // A bitmap can be selected into one device context at a time.
            if (!pBitmap->m_bStock && pBitmap->m_nSelected > 0 && pDc->m_pBitmap != pBitmap)
                return 0;
            swap(pDc->m_pBitmap, pBitmap);
            break;
        }
        case OBJ_PEN:
            swap(pDc->m_pPen, std::static_pointer_cast<GdiPen>(pObject));
            pDc->m_nDashPos = 0;
            break;
        case OBJ_BRUSH:
            swap(pDc->m_pBrush, std::static_pointer_cast<GdiBrush>(pObject));
            break;
        default:
            return 0;
        }
    }
    for (HGDIOBJ h : toClose)
        CloseHandle(h);
    return hOld;
}

BOOL DeleteObject(HGDIOBJ hObject)
{
    auto pObject = LookupGdi<GdiObjectBase>(hObject);
    if (!pObject || pObject->Kind() == OBJ_MEMDC)
        return FALSE;
    {
        std::lock_guard<std::mutex> lock(GdiLock());
        if (pObject->m_bStock)
            return TRUE;
        if (pObject->m_nSelected > 0) {
            pObject->m_bDeletePending = true;
            return TRUE;
        }
    }
    return CloseHandle(hObject);
}

HGDIOBJ GetStockObject(int nIndex)
{
    if (nIndex < 0 || nIndex > NULL_PEN)
        return 0;
    return Stock().ah[nIndex];
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT uType)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return 0;
    std::lock_guard<std::mutex> lock(GdiLock());
    switch (uType) {
    case OBJ_PEN: return pDc->m_pPen ? pDc->m_pPen->m_hSelf : 0;
    case OBJ_BRUSH: return pDc->m_pBrush ? pDc->m_pBrush->m_hSelf : 0;
    case OBJ_BITMAP: return pDc->m_pBitmap ? pDc->m_pBitmap->m_hSelf : 0;
    default: return 0;
    }
}

DWORD GetObjectType(HGDIOBJ hObject)
{
    auto pObject = LookupGdi<GdiObjectBase>(hObject);
    return pObject ? pObject->Kind() : 0;
}

int GetObject(HGDIOBJ hObject, int cbBuffer, LPVOID lpvObject)
{
    auto pObject = LookupGdi<GdiObjectBase>(hObject);
    if (!pObject)
        return 0;
    if (auto pBitmap = std::dynamic_pointer_cast<GdiBitmap>(pObject)) {
        if (!lpvObject)
            return sizeof(BITMAP);
        if (cbBuffer < static_cast<int>(sizeof(BITMAP)))
            return 0;
        BITMAP bm = {0, pBitmap->m_nWidth, pBitmap->m_nHeight, pBitmap->m_nWidth * 3, 1, 24, nullptr};
        std::memcpy(lpvObject, &bm, sizeof bm);
        return sizeof(BITMAP);
    }
    if (auto pPen = std::dynamic_pointer_cast<GdiPen>(pObject)) {
        if (!lpvObject)
            return sizeof(LOGPEN);
        if (cbBuffer < static_cast<int>(sizeof(LOGPEN)))
            return 0;
        LOGPEN lp = {static_cast<UINT>(pPen->m_nStyle), {pPen->m_nWidth, 0}, pPen->m_color};
        std::memcpy(lpvObject, &lp, sizeof lp);
        return sizeof(LOGPEN);
    }
    return 0;
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color)
{
    if (iStyle != PS_SOLID && iStyle != PS_DASH && iStyle != PS_DOT && iStyle != PS_NULL)
        iStyle = PS_SOLID;
    auto pPen = std::make_shared<GdiPen>();
    pPen->m_nStyle = iStyle;
    pPen->m_nWidth = std::max(cWidth, 0);
    pPen->m_color = color & 0xFFFFFFu;
    return Register(pPen);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto pBrush = std::make_shared<GdiBrush>();
    pBrush->m_color = color & 0xFFFFFFu;
    return Register(pBrush);
}

HBITMAP CreateCompatibleBitmap(HDC, int cx, int cy)
{
    return CreateBitmap(cx, cy, 1, 24, nullptr);
}

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits)
{
    // A limit that keeps width * height * 3 well inside memory and int arithmetic.
    constexpr int64_t kMaxPixels = 64ll * 1024 * 1024;
    if (nWidth <= 0 || nHeight <= 0 || nPlanes != 1 || nBitCount != 24 ||
        static_cast<int64_t>(nWidth) * nHeight > kMaxPixels)
        return 0;
    auto pBitmap = NewBitmap(nWidth, nHeight);
    if (lpBits) {
        pBitmap->Touch(0, 0, nWidth, nHeight);
        std::memcpy(pBitmap->RawRow(0), lpBits, pBitmap->ByteCount());
    }
    return Register(pBitmap);
}

// ---- state

int GetDeviceCaps(HDC, int index)
{
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return kScreenDpi;
    case BITSPIXEL: return 24;
    case PLANES: return 1;
    case HORZRES: return kScreenWidth;
    case VERTRES: return kScreenHeight;
    default: return 0;
    }
}

int SetMapMode(HDC hdc, int iMode)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return 0;
    int nOld = pDc->m_nMapMode;
    switch (iMode) {
    case MM_TEXT:
        pDc->m_szWindowExt = {1, 1};
        pDc->m_szViewportExt = {1, 1};
        break;
    case MM_LOMETRIC:
        // 0.1 mm a unit, y upward: 254 units an inch of 96 pixels.
        pDc->m_szWindowExt = {254, 254};
        pDc->m_szViewportExt = {kScreenDpi, -kScreenDpi};
        break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        break; // keep the extents of the mode before, as Windows does
    default:
        return 0;
    }
    pDc->m_nMapMode = iMode;
    FixIsotropic(*pDc);
    return nOld;
}

int GetMapMode(HDC hdc)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    return pDc ? pDc->m_nMapMode : 0;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* lppt)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    if (lppt)
        *lppt = pDc->m_ptViewportOrg;
    pDc->m_ptViewportOrg = {x, y};
    return TRUE;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* lppt)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    if (lppt)
        *lppt = pDc->m_ptWindowOrg;
    pDc->m_ptWindowOrg = {x, y};
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, POINT* lppt)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || !lppt)
        return FALSE;
    *lppt = pDc->m_ptViewportOrg;
    return TRUE;
}

BOOL GetWindowOrgEx(HDC hdc, POINT* lppt)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || !lppt)
        return FALSE;
    *lppt = pDc->m_ptWindowOrg;
    return TRUE;
}

BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* lpsz)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    if (lpsz)
        *lpsz = pDc->m_szWindowExt;
    if (pDc->m_nMapMode != MM_ISOTROPIC && pDc->m_nMapMode != MM_ANISOTROPIC)
        return TRUE;
    if (x == 0 || y == 0)
        return FALSE;
    pDc->m_szWindowExt = {x, y};
    FixIsotropic(*pDc);
    return TRUE;
}

BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* lpsz)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    if (lpsz)
        *lpsz = pDc->m_szViewportExt;
    if (pDc->m_nMapMode != MM_ISOTROPIC && pDc->m_nMapMode != MM_ANISOTROPIC)
        return TRUE;
    if (x == 0 || y == 0)
        return FALSE;
    pDc->m_szViewportExt = {x, y};
    FixIsotropic(*pDc);
    return TRUE;
}

BOOL LPtoDP(HDC hdc, POINT* lppt, int c)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || (!lppt && c > 0))
        return FALSE;
    Transform t(*pDc);
    for (int i = 0; i < c; ++i)
        lppt[i] = t.ToDevice(lppt[i].x, lppt[i].y);
    return TRUE;
}

BOOL DPtoLP(HDC hdc, POINT* lppt, int c)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || (!lppt && c > 0))
        return FALSE;
    Transform t(*pDc);
    for (int i = 0; i < c; ++i)
        lppt[i] = t.ToLogical(lppt[i].x, lppt[i].y);
    return TRUE;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return CLR_INVALID;
    COLORREF old = pDc->m_crBk;
    pDc->m_crBk = color & 0xFFFFFFu;
    return old;
}

COLORREF GetBkColor(HDC hdc)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    return pDc ? pDc->m_crBk : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    int old = pDc->m_nBkMode;
    pDc->m_nBkMode = mode;
    return old;
}

int SetStretchBltMode(HDC hdc, int mode)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    int old = pDc->m_nStretchMode;
    pDc->m_nStretchMode = mode;
    return old;
}

int GetStretchBltMode(HDC hdc)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    return pDc ? pDc->m_nStretchMode : 0;
}

// ---- drawing

BOOL MoveToEx(HDC hdc, int x, int y, POINT* lppt)
{
    GdiDc* pDc = FindDc(hdc);
    if (!pDc)
        return FALSE;
    if (lppt)
        *lppt = pDc->m_ptCurrent;
    pDc->m_ptCurrent = {x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    GdiDc* pDc = FindDc(hdc);
    if (!pDc)
        return FALSE;
    Transform t(*pDc);
    POINT a = t.ToDevice(pDc->m_ptCurrent.x, pDc->m_ptCurrent.y);
    POINT b = t.ToDevice(x, y);
    DrawDeviceLine(*pDc, a.x, a.y, b.x, b.y, pDc->m_pPen ? PenPixelWidth(*pDc, *pDc->m_pPen) : 0);
    pDc->m_ptCurrent = {x, y};
    return TRUE;
}

BOOL PolylineTo(HDC hdc, const POINT* apt, DWORD cpt)
{
    GdiDc* pDc = FindDc(hdc);
    if (!pDc || (!apt && cpt > 0))
        return FALSE;
    // As LineTo one point after the other: each line starts where the one before ended.
    Transform t(*pDc);
    const int nWidth = pDc->m_pPen ? PenPixelWidth(*pDc, *pDc->m_pPen) : 0;
    POINT a = t.ToDevice(pDc->m_ptCurrent.x, pDc->m_ptCurrent.y);
    for (DWORD i = 0; i < cpt; ++i) {
        POINT b = t.ToDevice(apt[i].x, apt[i].y);
        DrawDeviceLine(*pDc, a.x, a.y, b.x, b.y, nWidth);
        a = b;
        pDc->m_ptCurrent = apt[i];
    }
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt)
{
    if (!apt || cpt < 2)
        return FALSE;
    POINT ptOld;
    if (!MoveToEx(hdc, apt[0].x, apt[0].y, &ptOld))
        return FALSE;
    for (int i = 1; i < cpt; ++i)
        LineTo(hdc, apt[i].x, apt[i].y);
    MoveToEx(hdc, ptOld.x, ptOld.y, nullptr); // Polyline leaves the current position alone
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || !pDc->m_pBitmap)
        return CLR_INVALID;
    POINT p = Transform(*pDc).ToDevice(x, y);
    if (p.x < 0 || p.y < 0 || p.x >= pDc->m_pBitmap->m_nWidth || p.y >= pDc->m_pBitmap->m_nHeight)
        return CLR_INVALID;
    pDc->m_pBitmap->Touch(p.x, p.y, p.x + 1, p.y + 1);
    PutPixel(*pDc->m_pBitmap, p.x, p.y, color);
    return color & 0xFFFFFFu;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || !pDc->m_pBitmap)
        return CLR_INVALID;
    POINT p = Transform(*pDc).ToDevice(x, y);
    if (p.x < 0 || p.y < 0 || p.x >= pDc->m_pBitmap->m_nWidth || p.y >= pDc->m_pBitmap->m_nHeight)
        return CLR_INVALID;
    return pDc->m_pBitmap->PixelAt(p.x, p.y);
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    RECT rc;
    if (!DeviceRect(*pDc, x, y, w, h, rc))
        return TRUE;
    GdiBitmap& bm = *pDc->m_pBitmap;
    COLORREF brush = pDc->m_pBrush ? pDc->m_pBrush->m_color : 0;
    bool bNullBrush = !pDc->m_pBrush || pDc->m_pBrush->m_bNull;
    if ((rop == PATCOPY || rop == PATINVERT) && bNullBrush)
        return TRUE;
    if (rop != PATCOPY && rop != PATINVERT && rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS)
        return FALSE;
    if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS) {
        // Plain fills: the whole bitmap becomes one colour at once; else one row made, then copied.
        COLORREF fill = rop == PATCOPY ? brush : rop == BLACKNESS ? 0 : 0xFFFFFFu;
        if (rc.left == 0 && rc.top == 0 && rc.right == bm.m_nWidth && rc.bottom == bm.m_nHeight) {
            bm.FillSolid(fill);
            return TRUE;
        }
        bm.Touch(rc.left, rc.top, rc.right, rc.bottom);
        const size_t nBytes = static_cast<size_t>(rc.right - rc.left) * 3;
        uint8_t* pFirst = bm.RawRow(rc.top) + static_cast<size_t>(rc.left) * 3;
        for (size_t i = 0; i < nBytes; i += 3) {
            pFirst[i] = GetBValue(fill);
            pFirst[i + 1] = GetGValue(fill);
            pFirst[i + 2] = GetRValue(fill);
        }
        for (int yy = rc.top + 1; yy < rc.bottom; ++yy)
            std::memcpy(bm.RawRow(yy) + static_cast<size_t>(rc.left) * 3, pFirst, nBytes);
        return TRUE;
    }
    bm.Touch(rc.left, rc.top, rc.right, rc.bottom);
    for (int yy = rc.top; yy < rc.bottom; ++yy) {
        uint8_t* p = bm.RawRow(yy) + static_cast<size_t>(rc.left) * 3;
        for (int xx = rc.left; xx < rc.right; ++xx, p += 3) {
            uint32_t d = RGB(p[2], p[1], p[0]);
            uint32_t out;
            switch (rop) {
            case PATCOPY: out = brush; break;
            case PATINVERT: out = d ^ brush; break;
            case DSTINVERT: out = ~d & 0xFFFFFFu; break;
            case BLACKNESS: out = 0; break;
            default: out = 0xFFFFFFu; break;
            }
            p[0] = GetBValue(out);
            p[1] = GetGValue(out);
            p[2] = GetRValue(out);
        }
    }
    return TRUE;
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop)
{
    if (!IsSourceRop(rop))
        return PatBlt(hdc, x, y, cx, cy, rop);
    return StretchBlt(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop)
{
    if (!IsSourceRop(rop))
        return PatBlt(hdcDest, xDest, yDest, wDest, hDest, rop);
    auto pDst = LookupGdi<GdiDc>(hdcDest);
    auto pSrc = LookupGdi<GdiDc>(hdcSrc);
    if (!pDst || !pSrc)
        return FALSE;
    Transform td(*pDst), ts(*pSrc);
    POINT d0 = td.ToDevice(xDest, yDest), d1 = td.ToDevice(xDest + wDest, yDest + hDest);
    POINT s0 = ts.ToDevice(xSrc, ySrc), s1 = ts.ToDevice(xSrc + wSrc, ySrc + hSrc);
    return StretchDevice(*pDst, d0.x, d0.y, d1.x - d0.x, d1.y - d0.y, *pSrc, s0.x, s0.y, s1.x - s0.x, s1.y - s0.y,
                         rop, false, 0);
}

BOOL TransparentBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                    int wSrc, int hSrc, UINT crTransparent)
{
    if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0)
        return FALSE; // no mirroring here, as on Windows
    auto pDst = LookupGdi<GdiDc>(hdcDest);
    auto pSrc = LookupGdi<GdiDc>(hdcSrc);
    if (!pDst || !pSrc)
        return FALSE;
    Transform td(*pDst), ts(*pSrc);
    POINT d0 = td.ToDevice(xDest, yDest), d1 = td.ToDevice(xDest + wDest, yDest + hDest);
    POINT s0 = ts.ToDevice(xSrc, ySrc), s1 = ts.ToDevice(xSrc + wSrc, ySrc + hSrc);
    return StretchDevice(*pDst, d0.x, d0.y, d1.x - d0.x, d1.y - d0.y, *pSrc, s0.x, s0.y, s1.x - s0.x, s1.y - s0.y,
                         SRCCOPY, true, crTransparent);
}

namespace tavren {

bool GetBitmapPixels(HBITMAP hBitmap, int& nWidth, int& nHeight, std::vector<uint8_t>& bgr)
{
    auto pBitmap = LookupGdi<GdiBitmap>(hBitmap);
    if (!pBitmap)
        return false;
    nWidth = pBitmap->m_nWidth;
    nHeight = pBitmap->m_nHeight;
    const uint8_t* pBits = pBitmap->Row(0);
    bgr.assign(pBits, pBits + pBitmap->ByteCount());
    return true;
}

bool SetBitmapPixels(HBITMAP hBitmap, const std::vector<uint8_t>& bgr)
{
    auto pBitmap = LookupGdi<GdiBitmap>(hBitmap);
    if (!pBitmap || bgr.size() != pBitmap->ByteCount())
        return false;
    std::memcpy(pBitmap->Row(0), bgr.data(), bgr.size());
    return true;
}

} // namespace tavren
