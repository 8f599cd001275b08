// CDrawCtrl: draws a design as thread-coloured lines into a device context.
//
// It draws in logical units of the caller's mapping mode (the lists use MM_LOMETRIC: 0.1 mm, y
// upward) with the design's origin at the logical origin; one design unit becomes 0.4 logical
// units, so a design comes out at 40 % of its real size. It knows nothing of bitmaps, holds no
// state between calls, and makes and deletes its own pens for every colour block.
#pragma once

#include "platform/base/WinTypes.h"

class CDC;
class CEmbData;
class CPen;

class CDrawCtrl {
public:
    CDrawCtrl() = default;
    virtual ~CDrawCtrl() = default;

    // Draws a design whose status is positive (read and validated); anything else draws nothing.
    // The offsets, in 0.1 mm, move the whole drawing.
    void Draw(CEmbData& design, CDC* pDC, int nOffsetX, int nOffsetY);

    // Each of red, green and blue: from * (100 - p) / 100 + to * p / 100, p clamped to 0..100.
    static COLORREF BlendColor(COLORREF crFrom, COLORREF crTo, int nPercent);

    // The pen colour of colour block nBlock (custom or palette colour, softened, blended; black
    // for a placement-mark block after the first).
    COLORREF GetBlockColor(const CEmbData& design, int nBlock) const;

    COLORREF m_crBlend = RGB(255, 255, 255);  // the colour toward which threads fade
    BYTE m_nBlendPercent = 0;                 // how far, 0..100 (above 100 acts as 100)
    int32_t m_nPenWidth = 1;                  // logical units
    BYTE m_bDrawJumps = 0;                    // jumps drawn with a dotted pen when set
    int32_t m_bForcePaletteColors = 0;        // a block's custom colour is ignored when set
    BYTE m_bApplyPlacement = 1;               // position, angle, mirror and scale applied
    BYTE m_bSoftenWhite = 0;                  // near-white drawn as (255, 251, 240) when set
};
