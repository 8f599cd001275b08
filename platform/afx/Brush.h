// CBrush: a solid brush, for PatBlt's PATCOPY.
// Deliberately missing: hatched and pattern brushes.
#pragma once

#include "platform/afx/GdiObject.h"

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }

    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
    operator HBRUSH() const { return m_hObject; }
    static CBrush* FromHandle(HBRUSH hBrush) { return dynamic_cast<CBrush*>(CGdiObject::FromHandle(hBrush)); }
};
