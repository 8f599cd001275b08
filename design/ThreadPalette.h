// The thread palette: the colour (and name) of every palette index a colour block can carry.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>

constexpr int THREAD_PALETTE_SIZE = 79;

// One 40-byte row: red, green, blue, a zero byte, the thread number and the zero-padded name.
struct THREADPALETTEROW {
    BYTE bRed;
    BYTE bGreen;
    BYTE bBlue;
    BYTE bZero;
    int32_t nThreadNumber;
    char szName[32];
};
static_assert(sizeof(THREADPALETTEROW) == 40);

extern const THREADPALETTEROW g_aThreadPalette[THREAD_PALETTE_SIZE];

// Row by index; an index outside 0..78 gets row 0 ("Any").
const THREADPALETTEROW& GetThreadPaletteRow(int nIndex);

inline COLORREF ThreadPaletteColor(int nIndex)
{
    const THREADPALETTEROW& row = GetThreadPaletteRow(nIndex);
    return RGB(row.bRed, row.bGreen, row.bBlue);
}
