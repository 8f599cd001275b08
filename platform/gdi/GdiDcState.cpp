// The state of a device context: the mapping mode with its origins and extents, the
// conversions between logical units and device pixels, and the background and stretch modes.
#include "platform/gdi/Gdi.h"

#include "platform/gdi/GdiDevice.h"

#include <algorithm>

using namespace tavren;

namespace {

constexpr int kScreenDpi = 96;
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

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

} // namespace

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

namespace {

// The origins and extents are the same few steps, each on its own member of the DC.
BOOL SetOrigin(HDC hdc, POINT GdiDc::*pOrigin, int x, int y, POINT* lppt)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    if (lppt)
        *lppt = (*pDc).*pOrigin;
    (*pDc).*pOrigin = {x, y};
    return TRUE;
}

BOOL GetOrigin(HDC hdc, POINT GdiDc::*pOrigin, POINT* lppt)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc || !lppt)
        return FALSE;
    *lppt = (*pDc).*pOrigin;
    return TRUE;
}

// Only the two modes of free scale take an extent; the others keep theirs and still succeed.
BOOL SetExtent(HDC hdc, SIZE GdiDc::*pExtent, int x, int y, SIZE* lpsz)
{
    auto pDc = LookupGdi<GdiDc>(hdc);
    if (!pDc)
        return FALSE;
    if (lpsz)
        *lpsz = (*pDc).*pExtent;
    if (pDc->m_nMapMode != MM_ISOTROPIC && pDc->m_nMapMode != MM_ANISOTROPIC)
        return TRUE;
    if (x == 0 || y == 0)
        return FALSE;
    (*pDc).*pExtent = {x, y};
    FixIsotropic(*pDc);
    return TRUE;
}

} // namespace

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* lppt) { return SetOrigin(hdc, &GdiDc::m_ptViewportOrg, x, y, lppt); }
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* lppt) { return SetOrigin(hdc, &GdiDc::m_ptWindowOrg, x, y, lppt); }
BOOL GetViewportOrgEx(HDC hdc, POINT* lppt) { return GetOrigin(hdc, &GdiDc::m_ptViewportOrg, lppt); }
BOOL GetWindowOrgEx(HDC hdc, POINT* lppt) { return GetOrigin(hdc, &GdiDc::m_ptWindowOrg, lppt); }
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* lpsz) { return SetExtent(hdc, &GdiDc::m_szWindowExt, x, y, lpsz); }
BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* lpsz) { return SetExtent(hdc, &GdiDc::m_szViewportExt, x, y, lpsz); }

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
