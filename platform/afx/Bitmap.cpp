#include "platform/afx/Bitmap.h"

#include "platform/afx/Dc.h"
#include "platform/user/Resource.h"

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return Attach(::CreateCompatibleBitmap(pDC ? pDC->GetSafeHdc() : 0, nWidth, nHeight));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits)
{
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    const tavren::BitmapResource* pResource = tavren::FindBitmapResourceChain(nIDResource);
    if (!pResource || !pResource->pBits)
        return FALSE;
    return CreateBitmap(pResource->nWidth, pResource->nHeight, 1, 24, pResource->pBits);
}
