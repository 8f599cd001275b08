// CGdiObject: the base of CPen, CBrush and CBitmap - one GDI handle, deleted with its owner.
//
// FromHandle gives a wrapper for a handle the caller does not own (the previous object that
// SelectObject hands back, a stock object). Such a wrapper never deletes its handle; it lives until
// the handle is deleted through any wrapper of it.
#pragma once

#include "platform/gdi/Gdi.h"

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    BOOL CreateStockObject(int nIndex);
    int GetObject(int nCount, LPVOID lpObject) const { return ::GetObject(m_hObject, nCount, lpObject); }

    // A wrapper of the right class (CPen, CBrush, CBitmap) for a handle; null for 0 and for a
    // handle that no longer names an object.
    static CGdiObject* FromHandle(HGDIOBJ hObject);

    HGDIOBJ m_hObject = 0;

protected:
    bool m_bTemporary = false;
};
