// The objects behind GDI handles, for the layer's own GDI and image-list code only (module code
// goes through Gdi.h and the C-classes, CGdiObject in afx/GdiObject.h being the wrapper of one
// handle). Each is a handle-table object (Handle.h).
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Handle.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tavren {

// Guards selection counts and pending deletions of every GDI object.
std::mutex& GdiLock();

class GdiObjectBase : public HandleObject {
public:
    virtual UINT Kind() const = 0;
    bool m_bStock = false;
    int m_nSelected = 0;          // device contexts it is selected into (guarded by GdiLock)
    bool m_bDeletePending = false;
    HGDIOBJ m_hSelf = 0;
};

// 24-bit BGR, top-down, rows of nWidth * 3 bytes.
class GdiBitmap : public GdiObjectBase {
public:
    UINT Kind() const override { return OBJ_BITMAP; }
    uint8_t* Row(int y) { return m_bits.data() + static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) * 3; }
    const uint8_t* Row(int y) const { return m_bits.data() + static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) * 3; }
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint8_t> m_bits;
};

class GdiPen : public GdiObjectBase {
public:
    UINT Kind() const override { return OBJ_PEN; }
    int m_nStyle = PS_SOLID;
    int m_nWidth = 0;             // logical units
    COLORREF m_color = 0;
};

class GdiBrush : public GdiObjectBase {
public:
    UINT Kind() const override { return OBJ_BRUSH; }
    bool m_bNull = false;
    COLORREF m_color = 0;
};

class GdiDc : public GdiObjectBase {
public:
    UINT Kind() const override { return OBJ_MEMDC; }
    std::shared_ptr<GdiBitmap> m_pBitmap;
    std::shared_ptr<GdiPen> m_pPen;
    std::shared_ptr<GdiBrush> m_pBrush;
    int m_nMapMode = MM_TEXT;
    POINT m_ptWindowOrg = {0, 0};
    POINT m_ptViewportOrg = {0, 0};
    SIZE m_szWindowExt = {1, 1};
    SIZE m_szViewportExt = {1, 1};
    POINT m_ptCurrent = {0, 0};   // logical
    COLORREF m_crBk = RGB(255, 255, 255);
    int m_nBkMode = OPAQUE;
    int m_nStretchMode = BLACKONWHITE;
    int m_nDashPos = 0;           // where a styled pen's pattern stands; restarts when a pen is selected
};

template <class T>
std::shared_ptr<T> LookupGdi(HGDIOBJ h)
{
    return LookupHandleAs<T>(h);
}

} // namespace tavren
