// The objects behind GDI handles, for the layer's own GDI and image-list code only (module code
// goes through Gdi.h and the C-classes, CGdiObject in afx/GdiObject.h being the wrapper of one
// handle). Each is a handle-table object (Handle.h).
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Handle.h"

#include <atomic>
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
//
// A bitmap that was just made or filled whole with one colour keeps that colour as a value rather
// than in every pixel: only a rectangle around what has been drawn since (the touched rectangle)
// holds real pixels; everything outside it is the solid colour, and its bytes are not even
// written yet. Drawing touches the rectangle it is about to write first, which grows the touched
// rectangle and fills what it gains with the solid colour. So a large working bitmap costs only
// the area drawn on, and a shrink reads only that area (list pictures of large designs). Row()
// first puts every pixel in place; the layer's own drawing code uses RawRow() inside what it has
// touched.
class GdiBitmap : public GdiObjectBase {
public:
    GdiBitmap(int nWidth, int nHeight, COLORREF crSolid);
    UINT Kind() const override { return OBJ_BITMAP; }
    size_t ByteCount() const { return m_nBytes; }

    // A row with every pixel in place, for any reader or writer.
    uint8_t* Row(int y)
    {
        Materialize();
        return RawRow(y);
    }
    const uint8_t* Row(int y) const
    {
        Materialize();
        return RawRow(y);
    }
    // A row as stored: real pixels only inside the touched rectangle while IsSolidOutside().
    uint8_t* RawRow(int y) { return m_pBits.get() + static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) * 3; }
    const uint8_t* RawRow(int y) const
    {
        return m_pBits.get() + static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) * 3;
    }

    // Every pixel one colour, in O(1).
    void FillSolid(COLORREF cr);
    // Makes the pixels of [left, right) x [top, bottom) (clipped to the bitmap) real, so that they
    // can be read and written through RawRow.
    void Touch(int left, int top, int right, int bottom)
    {
        // Drawing inside what is already real (nearly every line of a design) costs no more.
        if (!m_bSolidOutside.load(std::memory_order_relaxed) ||
            (left >= m_rcTouched.left && top >= m_rcTouched.top && right <= m_rcTouched.right &&
             bottom <= m_rcTouched.bottom && m_rcTouched.left < m_rcTouched.right))
            return;
        TouchMore(left, top, right, bottom);
    }
    // Puts every pixel in place; from then on RawRow is Row.
    void Materialize() const;
    // True while the pixels outside the touched rectangle are SolidColor() without being stored.
    bool IsSolidOutside() const { return m_bSolidOutside.load(std::memory_order_acquire); }
    COLORREF SolidColor() const { return m_crSolid; }
    const RECT& Touched() const { return m_rcTouched; }
    // The colour of one pixel inside the bitmap, wherever it is kept.
    COLORREF PixelAt(int x, int y) const;

    const int m_nWidth;
    const int m_nHeight;

private:
    void TouchMore(int left, int top, int right, int bottom);
    void FillRect(int left, int top, int right, int bottom, COLORREF cr) const;

    size_t m_nBytes;
    std::unique_ptr<uint8_t[]> m_pBits;  // left unwritten outside the touched rectangle
    // Readers on other threads may put the pixels in place at once: they take a lock to do it.
    mutable std::atomic<bool> m_bSolidOutside{true};
    COLORREF m_crSolid;
    mutable RECT m_rcTouched = {0, 0, 0, 0};  // empty: nothing real yet
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
    bool Close() override
    {
        m_bClosed.store(true, std::memory_order_release);
        return true;
    }
    std::atomic<bool> m_bClosed{false};  // its handle is gone (and may name something else)
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
