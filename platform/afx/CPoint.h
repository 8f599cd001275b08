// CPoint: MFC's point, a POINT with constructors and comparison.
// Deliberately missing: the arithmetic with CSize and CRect, which the module never uses.
#pragma once

#include "platform/base/WinTypes.h"

class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int initX, int initY) : POINT{initX, initY} {}
    CPoint(POINT pt) : POINT(pt) {}
    friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(const CPoint& a, const CPoint& b) { return !(a == b); }
};
