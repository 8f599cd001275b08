// CBitmap: a 24-bit bitmap - made blank, from pixels, or from a bitmap resource.
#pragma once

#include "platform/afx/GdiObject.h"

class CDC;

class CBitmap : public CGdiObject {
public:
    CBitmap() = default;

    // Always 24 bits a pixel, filled black, whatever pDC is (it may be null).
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    // lpBits: top-down BGR rows of nWidth * 3 bytes, no padding; null for black.
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
    // The bitmap resource nIDResource, looked up through the resource chain (AfxGetResourceHandle
    // first, then the module's own resources).
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }

    operator HBITMAP() const { return m_hObject; }
    static CBitmap* FromHandle(HBITMAP hBitmap) { return dynamic_cast<CBitmap*>(CGdiObject::FromHandle(hBitmap)); }
};
