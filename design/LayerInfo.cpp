#include "design/LayerInfo.h"

#include "design/ThreadPalette.h"

#include <cstring>

COLORREF CLayerInfo::GetColor(bool bForcePalette) const
{
    if (m_bCustom && !bForcePalette)
        return RGB(m_customThread.bRed, m_customThread.bGreen, m_customThread.bBlue);
    return ThreadPaletteColor(m_nPaletteIndex);
}

void CLayerInfo::SetCustomThread(const BYTE* pbData40)
{
    m_customThread.bRed = pbData40[0];
    m_customThread.bGreen = pbData40[1];
    m_customThread.bBlue = pbData40[2];
    m_customThread.bMarker = pbData40[3];
    m_customThread.nMarkDirection = static_cast<int32_t>(static_cast<uint32_t>(pbData40[4]) | (static_cast<uint32_t>(pbData40[5]) << 8) |
                                                         (static_cast<uint32_t>(pbData40[6]) << 16) | (static_cast<uint32_t>(pbData40[7]) << 24));
    std::memcpy(m_customThread.abReserved, pbData40 + 8, sizeof(m_customThread.abReserved));
}
