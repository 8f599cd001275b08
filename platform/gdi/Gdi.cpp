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

std::shared_ptr<GdiBitmap> NewBitmap(int cx, int cy)
{
    auto pBitmap = std::make_shared<GdiBitmap>();
    pBitmap->m_nWidth = cx;
    pBitmap->m_nHeight = cy;
    pBitmap->m_bits.assign(static_cast<size_t>(cx) * static_cast<size_t>(cy) * 3, 0);
    return pBitmap;
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
        auto pBitmap = NewBitmap(1, 1);
        pBitmap->m_bits.assign(3, 0xFF);
        pBitmap->m_bStock = true;
        p->hDefaultBitmap = Register(pBitmap);
        return p;
    }();
    return *pStock;
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

int RoundToInt(double v)
{
    return static_cast<int>(std::floor(v + 0.5));
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

inline void PutPixel(GdiBitmap& bm, int x, int y, COLORREF color)
{
    if (x < 0 || y < 0 || x >= bm.m_nWidth || y >= bm.m_nHeight)
        return;
    uint8_t* p = bm.Row(y) + static_cast<size_t>(x) * 3;
    p[0] = GetBValue(color);
    p[1] = GetGValue(color);
    p[2] = GetRValue(color);
}

inline COLORREF ReadPixel(const GdiBitmap& bm, int x, int y)
{
    const uint8_t* p = bm.Row(y) + static_cast<size_t>(x) * 3;
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
void DrawDeviceLine(GdiDc& dc, int x0, int y0, int x1, int y1)
{
    if (!dc.m_pBitmap || !dc.m_pPen || dc.m_pPen->m_nStyle == PS_NULL)
        return;
    GdiBitmap& bm = *dc.m_pBitmap;
    const GdiPen& pen = *dc.m_pPen;
    int nWidth = PenPixelWidth(dc, pen);
    if (x0 == x1 && y0 == y1 && nWidth == 0)
        return;

    int ddx = std::abs(x1 - x0), ddy = -std::abs(y1 - y0);
    int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;

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
    GdiBitmap copy;
    const GdiBitmap* pSrc = src.m_pBitmap.get();
    if (pSrc == &bmDst) {
        copy.m_nWidth = pSrc->m_nWidth;
        copy.m_nHeight = pSrc->m_nHeight;
        copy.m_bits = pSrc->m_bits;
        pSrc = &copy;
    }
    const GdiBitmap& bmSrc = *pSrc;
    int nMode = dst.m_nStretchMode;
    if (bTransparent)
        nMode = COLORONCOLOR;

    for (int j = 0; j < dh; ++j) {
        int y = dy + j;
        if (y < 0 || y >= bmDst.m_nHeight)
            continue;
        int ya, yb;
        SourceRun(bFlipY ? dh - 1 - j : j, dh, sh, ya, yb);
        ya += sy;
        yb += sy;
        ya = std::max(ya, 0);
        yb = std::min(yb, bmSrc.m_nHeight);
        if (ya >= yb)
            continue;
        uint8_t* pDstRow = bmDst.Row(y);
        for (int i = 0; i < dw; ++i) {
            int x = dx + i;
            if (x < 0 || x >= bmDst.m_nWidth)
                continue;
            int xa, xb;
            SourceRun(bFlipX ? dw - 1 - i : i, dw, sw, xa, xb);
            xa += sx;
            xb += sx;
            xa = std::max(xa, 0);
            xb = std::min(xb, bmSrc.m_nWidth);
            if (xa >= xb)
                continue;
            uint32_t c;
            if (nMode == COLORONCOLOR) {
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
                // BLACKONWHITE keeps dark pixels (AND), WHITEONBLACK light ones (OR).
                bool bAnd = nMode != WHITEONBLACK;
                c = bAnd ? 0xFFFFFFu : 0;
                for (int v = ya; v < yb; ++v)
                    for (int u = xa; u < xb; ++u)
                        c = bAnd ? (c & ReadPixel(bmSrc, u, v)) : (c | ReadPixel(bmSrc, u, v));
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
    }
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
    if (lpBits)
        std::memcpy(pBitmap->m_bits.data(), lpBits, pBitmap->m_bits.size());
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
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    if (lppt)
        *lppt = pDc->m_ptCurrent;
    pDc->m_ptCurrent = {x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    Transform t(*pDc);
    POINT a = t.ToDevice(pDc->m_ptCurrent.x, pDc->m_ptCurrent.y);
    POINT b = t.ToDevice(x, y);
    DrawDeviceLine(*pDc, a.x, a.y, b.x, b.y);
    pDc->m_ptCurrent = {x, y};
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
    return ReadPixel(*pDc->m_pBitmap, p.x, p.y);
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
        // Plain fills: one row made, then copied.
        COLORREF fill = rop == PATCOPY ? brush : rop == BLACKNESS ? 0 : 0xFFFFFFu;
        const size_t nBytes = static_cast<size_t>(rc.right - rc.left) * 3;
        uint8_t* pFirst = bm.Row(rc.top) + static_cast<size_t>(rc.left) * 3;
        for (size_t i = 0; i < nBytes; i += 3) {
            pFirst[i] = GetBValue(fill);
            pFirst[i + 1] = GetGValue(fill);
            pFirst[i + 2] = GetRValue(fill);
        }
        for (int yy = rc.top + 1; yy < rc.bottom; ++yy)
            std::memcpy(bm.Row(yy) + static_cast<size_t>(rc.left) * 3, pFirst, nBytes);
        return TRUE;
    }
    for (int yy = rc.top; yy < rc.bottom; ++yy) {
        uint8_t* p = bm.Row(yy) + static_cast<size_t>(rc.left) * 3;
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
    bgr = pBitmap->m_bits;
    return true;
}

bool SetBitmapPixels(HBITMAP hBitmap, const std::vector<uint8_t>& bgr)
{
    auto pBitmap = LookupGdi<GdiBitmap>(hBitmap);
    if (!pBitmap || bgr.size() != pBitmap->m_bits.size())
        return false;
    pBitmap->m_bits = bgr;
    return true;
}

} // namespace tavren
