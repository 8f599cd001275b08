// Blits: PatBlt, BitBlt, StretchBlt and TransparentBlt, with the raster operations and the
// stretch modes.
#include "platform/gdi/Gdi.h"

#include "platform/gdi/GdiDevice.h"

#include <algorithm>
#include <cstring>

using namespace tavren;

namespace {

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

    // Each destination column's and row's source run, clamped to the source bitmap; a == b leaves
    // the column or row alone (outside the destination, or no source pixel under it).
    struct Run {
        int a = 0, b = 0;
    };
    thread_local std::vector<Run> cols;
    thread_local std::vector<Run> rows;
    const auto fillRuns = [](std::vector<Run>& runs, int n, int d0, int nDstLimit, bool bFlip, int nSrc, int s0, int nSrcLimit) {
        runs.assign(static_cast<size_t>(n), Run());
        for (int i = 0; i < n; ++i) {
            if (d0 + i < 0 || d0 + i >= nDstLimit)
                continue;
            int a, b;
            SourceRun(bFlip ? n - 1 - i : i, n, nSrc, a, b);
            a = std::max(a + s0, 0);
            b = std::min(b + s0, nSrcLimit);
            if (a < b)
                runs[static_cast<size_t>(i)] = {a, b};
        }
    };
    fillRuns(cols, dw, dx, bmDst.m_nWidth, bFlipX, sw, sx, bmSrc.m_nWidth);
    fillRuns(rows, dh, dy, bmDst.m_nHeight, bFlipY, sh, sy, bmSrc.m_nHeight);

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
