// CLayerInfo: one colour block of a design - its thread, optional custom thread data, and where
// in the stitch stream and at which needle position it begins.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>

// The 40 bytes of custom thread data a design file may carry for a colour block.
struct CUSTOMTHREAD {
    BYTE bRed;
    BYTE bGreen;
    BYTE bBlue;
    BYTE bMarker;            // MARKER_PLACEMENT: the block is drawn as placement marks
    int32_t nMarkDirection;  // 1, 3, 4 or other
    BYTE abReserved[32];     // stored as read
};
static_assert(sizeof(CUSTOMTHREAD) == 40);

constexpr BYTE MARKER_PLACEMENT = 0xFE;
constexpr int DEFAULT_THREAD_TYPE = 13;

class CLayerInfo {
public:
    CLayerInfo() = default;
    virtual ~CLayerInfo() = default;

    // The block's colour: the custom colour when the custom flag is set and palette colours are
    // not forced, else the palette row's.
    COLORREF GetColor(bool bForcePalette = false) const;
    // Fills the custom data from the 40 bytes a file holds (little-endian mark direction).
    void SetCustomThread(const BYTE* pbData40);

    int32_t m_nPaletteIndex = 0;      // 0..78
    int32_t m_nThreadType = DEFAULT_THREAD_TYPE;
    BYTE m_bCustom = 0;               // 1 when custom thread data was read for this block
    CUSTOMTHREAD m_customThread = {};
    int32_t m_nFirstWord = 0;         // index of the colour change word that starts the block
    int32_t m_nStartX = 0;            // needle position at that colour change (unrotated, unscaled)
    int32_t m_nStartY = 0;
};
