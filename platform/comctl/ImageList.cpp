#include "platform/comctl/ImageList.h"

#include "platform/gdi/GdiHandleObjects.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

std::atomic<uint64_t> g_nNextSerial{1};

class ImageListObject : public tavren::HandleObject {
public:
    std::mutex m_mutex;
    int m_cx = 0;
    int m_cy = 0;
    UINT m_nFlags = 0;
    int m_nGrow = 0;
    COLORREF m_crBk = CLR_NONE;
    std::vector<tavren::ImageListPicture> m_pictures;
    const uint64_t m_nSerial = g_nNextSerial++;
    uint64_t m_nChanges = 0; // under m_mutex, bumped with every change to m_pictures

    bool HasMask() const { return (m_nFlags & ILC_MASK) != 0; }

    // Cuts a bitmap into pictures of cx columns; at least one, even when it is narrower.
    std::vector<tavren::ImageListPicture> Cut(const tavren::GdiBitmap& bm) const
    {
        std::vector<tavren::ImageListPicture> out;
        int nCount = std::max(1, bm.m_nWidth / m_cx);
        for (int n = 0; n < nCount; ++n) {
            tavren::ImageListPicture pic;
            pic.cx = m_cx;
            pic.cy = m_cy;
            pic.bgr.assign(static_cast<size_t>(m_cx) * m_cy * 3, 0);
            pic.transparent.assign(static_cast<size_t>(m_cx) * m_cy, 0);
            int nCols = std::min(m_cx, bm.m_nWidth - n * m_cx);
            int nRows = std::min(m_cy, bm.m_nHeight);
            for (int y = 0; y < nRows; ++y)
                std::copy_n(bm.Row(y) + static_cast<size_t>(n) * m_cx * 3, static_cast<size_t>(nCols) * 3,
                            pic.bgr.begin() + static_cast<ptrdiff_t>(y) * m_cx * 3);
            out.push_back(std::move(pic));
        }
        return out;
    }

    // Masks a picture: pixels where the mask bitmap is white (or of colour crMask) become
    // transparent and black.
    void ApplyMask(tavren::ImageListPicture& pic, int n, const tavren::GdiBitmap* pMask, COLORREF crMask) const
    {
        if (!HasMask())
            return;
        for (int y = 0; y < pic.cy; ++y)
            for (int x = 0; x < pic.cx; ++x) {
                uint8_t* p = pic.bgr.data() + (static_cast<size_t>(y) * pic.cx + x) * 3;
                bool bTransparent;
                if (pMask) {
                    int mx = n * m_cx + x;
                    bTransparent = mx < pMask->m_nWidth && y < pMask->m_nHeight &&
                                   pMask->Row(y)[static_cast<size_t>(mx) * 3] >= 128;
                } else {
                    bTransparent = RGB(p[2], p[1], p[0]) == (crMask & 0xFFFFFFu);
                }
                if (bTransparent) {
                    pic.transparent[static_cast<size_t>(y) * pic.cx + x] = 1;
                    p[0] = p[1] = p[2] = 0;
                }
            }
    }
};

std::shared_ptr<ImageListObject> Lookup(HIMAGELIST himl)
{
    return tavren::LookupHandleAs<ImageListObject>(himl);
}

int AddPictures(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask, bool bUseColour, COLORREF crMask)
{
    auto pList = Lookup(himl);
    auto pImage = tavren::LookupGdi<tavren::GdiBitmap>(hbmImage);
    if (!pList || !pImage)
        return -1;
    auto pMask = bUseColour ? nullptr : tavren::LookupGdi<tavren::GdiBitmap>(hbmMask);
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    auto pictures = pList->Cut(*pImage);
    for (size_t n = 0; n < pictures.size(); ++n)
        if (bUseColour || pMask)
            pList->ApplyMask(pictures[n], static_cast<int>(n), pMask.get(), crMask);
    int nFirst = static_cast<int>(pList->m_pictures.size());
    for (auto& pic : pictures)
        pList->m_pictures.push_back(std::move(pic));
    ++pList->m_nChanges;
    return nFirst;
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow)
{
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096)
        return 0;
    auto pList = std::make_shared<ImageListObject>();
    pList->m_cx = cx;
    pList->m_cy = cy;
    pList->m_nFlags = flags;
    pList->m_nGrow = cGrow;
    pList->m_pictures.reserve(static_cast<size_t>(std::clamp(cInitial, 0, 1024)));
    return tavren::AllocHandle(pList);
}

BOOL ImageList_Destroy(HIMAGELIST himl)
{
    return Lookup(himl) ? CloseHandle(himl) : FALSE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask)
{
    return AddPictures(himl, hbmImage, hbmMask, false, 0);
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask)
{
    return AddPictures(himl, hbmImage, 0, true, crMask);
}

BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask)
{
    auto pList = Lookup(himl);
    auto pImage = tavren::LookupGdi<tavren::GdiBitmap>(hbmImage);
    if (!pList || !pImage)
        return FALSE;
    auto pMask = tavren::LookupGdi<tavren::GdiBitmap>(hbmMask);
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    if (i < 0 || i >= static_cast<int>(pList->m_pictures.size()))
        return FALSE;
    auto pictures = pList->Cut(*pImage);
    if (pMask)
        pList->ApplyMask(pictures[0], 0, pMask.get(), 0);
    pList->m_pictures[static_cast<size_t>(i)] = std::move(pictures[0]);
    ++pList->m_nChanges;
    return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i)
{
    auto pList = Lookup(himl);
    if (!pList)
        return FALSE;
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    if (i == -1) {
        if (!pList->m_pictures.empty())
            ++pList->m_nChanges;
        pList->m_pictures.clear();
        return TRUE;
    }
    if (i < 0 || i >= static_cast<int>(pList->m_pictures.size()))
        return FALSE;
    pList->m_pictures.erase(pList->m_pictures.begin() + i);
    ++pList->m_nChanges;
    return TRUE;
}

BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT uImageCount)
{
    auto pList = Lookup(himl);
    if (!pList || uImageCount > 100000)
        return FALSE;
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    if (uImageCount == pList->m_pictures.size())
        return TRUE;
    tavren::ImageListPicture blank;
    blank.cx = pList->m_cx;
    blank.cy = pList->m_cy;
    blank.bgr.assign(static_cast<size_t>(blank.cx) * blank.cy * 3, 0);
    blank.transparent.assign(static_cast<size_t>(blank.cx) * blank.cy, 0);
    pList->m_pictures.resize(uImageCount, blank);
    ++pList->m_nChanges;
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl)
{
    auto pList = Lookup(himl);
    if (!pList)
        return 0;
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    return static_cast<int>(pList->m_pictures.size());
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy)
{
    auto pList = Lookup(himl);
    if (!pList || !cx || !cy)
        return FALSE;
    *cx = pList->m_cx;
    *cy = pList->m_cy;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk)
{
    auto pList = Lookup(himl);
    if (!pList)
        return CLR_NONE;
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    COLORREF old = pList->m_crBk;
    pList->m_crBk = clrBk;
    return old;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle)
{
    tavren::ImageListPicture pic;
    if (!tavren::GetImageListPicture(himl, i, pic))
        return FALSE;
    auto pList = Lookup(himl);
    COLORREF crBk;
    {
        std::lock_guard<std::mutex> lock(pList->m_mutex);
        crBk = pList->m_crBk;
    }
    bool bSkipMasked = (fStyle & ILD_TRANSPARENT) || crBk == CLR_NONE;
    POINT origin = {x, y};
    if (!LPtoDP(hdcDst, &origin, 1))
        return FALSE;
    // Pictures are drawn pixel for pixel in device space.
    for (int yy = 0; yy < pic.cy; ++yy)
        for (int xx = 0; xx < pic.cx; ++xx) {
            size_t k = static_cast<size_t>(yy) * pic.cx + xx;
            COLORREF c;
            if (pic.transparent[k]) {
                if (bSkipMasked)
                    continue;
                c = crBk & 0xFFFFFFu;
            } else {
                const uint8_t* p = pic.bgr.data() + k * 3;
                c = RGB(p[2], p[1], p[0]);
            }
            POINT pt = {origin.x + xx, origin.y + yy};
            DPtoLP(hdcDst, &pt, 1);
            SetPixel(hdcDst, pt.x, pt.y, c);
        }
    return TRUE;
}

namespace tavren {

bool GetImageListPicture(HIMAGELIST himl, int i, ImageListPicture& picture)
{
    auto pList = Lookup(himl);
    if (!pList)
        return false;
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    if (i < 0 || i >= static_cast<int>(pList->m_pictures.size()))
        return false;
    picture = pList->m_pictures[static_cast<size_t>(i)];
    return true;
}

bool GetImageListState(HIMAGELIST himl, ImageListState& state)
{
    auto pList = Lookup(himl);
    if (!pList)
        return false;
    std::lock_guard<std::mutex> lock(pList->m_mutex);
    state.nSerial = pList->m_nSerial;
    state.nChanges = pList->m_nChanges;
    state.cx = pList->m_cx;
    state.cy = pList->m_cy;
    state.nCount = static_cast<int>(pList->m_pictures.size());
    return true;
}

} // namespace tavren
