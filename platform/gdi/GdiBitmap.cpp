#include "platform/gdi/GdiHandleObjects.h"

#include <algorithm>
#include <cstring>

namespace tavren {

namespace {

std::mutex& MaterializeLock()
{
    static std::mutex* pMutex = new std::mutex;
    return *pMutex;
}

} // namespace

GdiBitmap::GdiBitmap(int nWidth, int nHeight, COLORREF crSolid)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_nBytes(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight) * 3),
      m_pBits(new uint8_t[m_nBytes > 0 ? m_nBytes : 1]), m_crSolid(crSolid & 0xFFFFFFu)
{
}

void GdiBitmap::FillSolid(COLORREF cr)
{
    m_crSolid = cr & 0xFFFFFFu;
    m_rcTouched = {0, 0, 0, 0};
    m_bSolidOutside.store(true, std::memory_order_release);
}

void GdiBitmap::FillRect(int left, int top, int right, int bottom, COLORREF cr) const
{
    if (left >= right || top >= bottom)
        return;
    const size_t nBytes = static_cast<size_t>(right - left) * 3;
    uint8_t* pFirst = const_cast<GdiBitmap*>(this)->RawRow(top) + static_cast<size_t>(left) * 3;
    for (size_t i = 0; i < nBytes; i += 3) {
        pFirst[i] = GetBValue(cr);
        pFirst[i + 1] = GetGValue(cr);
        pFirst[i + 2] = GetRValue(cr);
    }
    for (int y = top + 1; y < bottom; ++y)
        std::memcpy(const_cast<GdiBitmap*>(this)->RawRow(y) + static_cast<size_t>(left) * 3, pFirst, nBytes);
}

void GdiBitmap::TouchMore(int left, int top, int right, int bottom)
{
    if (!IsSolidOutside())
        return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_nWidth);
    bottom = std::min(bottom, m_nHeight);
    if (left >= right || top >= bottom)
        return;
    const RECT& d = m_rcTouched;
    if (d.left < d.right && left >= d.left && top >= d.top && right <= d.right && bottom <= d.bottom)
        return;
    if (d.left >= d.right) {
        FillRect(left, top, right, bottom, m_crSolid);
        m_rcTouched = {left, top, right, bottom};
    } else {
        // The new rectangle is the old one grown; what it gains is the strips above and below and
        // the pieces left and right of the old one.
        const RECT n = {std::min<LONG>(left, d.left), std::min<LONG>(top, d.top), std::max<LONG>(right, d.right),
                        std::max<LONG>(bottom, d.bottom)};
        FillRect(n.left, n.top, n.right, d.top, m_crSolid);
        FillRect(n.left, d.bottom, n.right, n.bottom, m_crSolid);
        FillRect(n.left, d.top, d.left, d.bottom, m_crSolid);
        FillRect(d.right, d.top, n.right, d.bottom, m_crSolid);
        m_rcTouched = n;
    }
    if (m_rcTouched.left == 0 && m_rcTouched.top == 0 && m_rcTouched.right == m_nWidth &&
        m_rcTouched.bottom == m_nHeight)
        m_bSolidOutside.store(false, std::memory_order_release);
}

void GdiBitmap::Materialize() const
{
    if (!IsSolidOutside())
        return;
    std::lock_guard<std::mutex> lock(MaterializeLock());
    if (!IsSolidOutside())
        return;
    const RECT d = m_rcTouched;
    if (d.left >= d.right) {
        FillRect(0, 0, m_nWidth, m_nHeight, m_crSolid);
    } else {
        FillRect(0, 0, m_nWidth, d.top, m_crSolid);
        FillRect(0, d.bottom, m_nWidth, m_nHeight, m_crSolid);
        FillRect(0, d.top, d.left, d.bottom, m_crSolid);
        FillRect(d.right, d.top, m_nWidth, d.bottom, m_crSolid);
    }
    m_rcTouched = {0, 0, m_nWidth, m_nHeight};
    m_bSolidOutside.store(false, std::memory_order_release);
}

COLORREF GdiBitmap::PixelAt(int x, int y) const
{
    if (IsSolidOutside()) {
        const RECT& d = m_rcTouched;
        if (x < d.left || x >= d.right || y < d.top || y >= d.bottom)
            return m_crSolid;
    }
    const uint8_t* p = RawRow(y) + static_cast<size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

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
