// The GDI object table: the stock objects, making, selecting and deleting device contexts,
// bitmaps, pens and brushes, and what a handle names.
#include "platform/gdi/Gdi.h"

#include "platform/gdi/GdiDevice.h"

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

// The last device context each thread looked up (FindDc).
struct LastDc {
    HDC h = 0;
    std::shared_ptr<GdiDc> p;
};
thread_local LastDc t_lastDc;

} // namespace

GdiDc* tavren::FindDc(HDC hdc)
{
    LastDc& last = t_lastDc;
    if (last.p && last.h == hdc && !last.p->m_bClosed.load(std::memory_order_acquire))
        return last.p.get();
    last.p = LookupGdi<GdiDc>(hdc);
    last.h = hdc;
    return last.p.get();
}

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
