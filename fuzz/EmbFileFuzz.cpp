// Fuzz target for the design readers: the first byte picks the type (QEF, QEF+, QPX, DST), the
// rest is the file, read through a memory file as the callers read it. A design that reads must be
// valid and measurable under any transform.
#include "design/EmbFile.h"
#include "design/MachineFileCheck.h"
#include "platform/afx/MemFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 1)
        return 0;
    const int nType = pData[0] % 4 + 1;
    std::vector<BYTE> bytes(pData + 1, pData + nSize);
    CMemFile mem(bytes.data(), static_cast<UINT>(bytes.size()));
    CEmbFile file(nType);
    CEmbData data;
    if (!file.Read(mem, data))
        return 0;
    if (data.m_nStatus <= 0 || data.m_nColorBlockCount < 1 || data.m_nStitchWordCount < 1)
        std::abort();
    for (int i = 0; i < data.m_nColorBlockCount; ++i)
        if (data.m_pColorBlocks[i].m_nPaletteIndex < 0 || data.m_pColorBlocks[i].m_nPaletteIndex > 78)
            std::abort();
    const int nAngle = nSize > 1 ? pData[1] * 7 % 360 : 45;
    EMBEXTENTS ext;
    data.CalcExtents(ext, nAngle, pData[0] & 0x10, pData[0] & 0x20, 1 + pData[0] % 300);
    if (ext.nLeft < 0 || ext.nUp < 0 || ext.nRight < 0 || ext.nDown < 0)
        std::abort();
    RECT rc;
    data.GetBoundingRect(rc, 359, 1, 1, 100);
    (void)data.IsAllLight();
    (void)CMachineFileCheck::CheckDesignLimits(data);
    return 0;
}
