// Lines and single pixels: MoveToEx, LineTo, Polyline, SetPixel and GetPixel, with the pens'
// widths and dot patterns.
#include "platform/gdi/Gdi.h"

#include "platform/gdi/GdiDevice.h"

#include <algorithm>
#include <cstdlib>

using namespace tavren;

namespace {

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

} // namespace

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
