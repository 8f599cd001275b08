// CPen: a pen of a style (PS_SOLID, PS_DOT ...), a width in logical units and a colour.
#pragma once

#include "platform/afx/GdiObject.h"

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }

    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    operator HPEN() const { return m_hObject; }
    static CPen* FromHandle(HPEN hPen) { return dynamic_cast<CPen*>(CGdiObject::FromHandle(hPen)); }
};
