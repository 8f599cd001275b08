// What the GDI calls share inside the gdi room: finding a device context, the mapping of logical
// units to device pixels, and one pixel of a bitmap.
#pragma once

#include "platform/gdi/GdiHandleObjects.h"

#include <cmath>

namespace tavren {

// The device context of the drawing calls, or null. A design's stitches are thousands of LineTo
// calls on one DC, so each thread keeps the last one it looked up; a closed DC is looked up again
// (its handle may name something else by then). Valid until the next call on the same thread.
GdiDc* FindDc(HDC hdc);

// floor(v + 0.5); within the int range without calling floor (every LineTo rounds twice).
inline int RoundToInt(double v)
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

} // namespace tavren
