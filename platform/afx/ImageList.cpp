#include "platform/afx/ImageList.h"

#include "platform/afx/Dc.h"

CImageList::~CImageList()
{
    if (m_bOwned)
        DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    if (m_hImageList)
        return FALSE;
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    m_bOwned = m_hImageList != 0;
    return m_hImageList != 0;
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    CBitmap bm;
    if (!bm.LoadBitmap(nBitmapID))
        return FALSE;
    BITMAP info;
    bm.GetBitmap(&info);
    if (!Create(cx, info.bmHeight, ILC_COLOR24 | ILC_MASK, 0, nGrow))
        return FALSE;
    return Add(&bm, crMask) >= 0;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    HIMAGELIST h = Detach();
    return ImageList_Destroy(h);
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (!hImageList || m_hImageList)
        return FALSE;
    m_hImageList = hImageList;
    m_bOwned = true;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST h = m_hImageList;
    m_hImageList = 0;
    m_bOwned = false;
    return h;
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ImageList_Add(m_hImageList, pbmImage ? pbmImage->m_hObject : 0, pbmMask ? pbmMask->m_hObject : 0);
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask)
{
    return ImageList_AddMasked(m_hImageList, pbmImage ? pbmImage->m_hObject : 0, crMask);
}

BOOL CImageList::Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ImageList_Replace(m_hImageList, nImage, pbmImage ? pbmImage->m_hObject : 0,
                             pbmMask ? pbmMask->m_hObject : 0);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle)
{
    return ImageList_Draw(m_hImageList, nImage, pDC ? pDC->m_hDC : 0, pt.x, pt.y, nStyle);
}
