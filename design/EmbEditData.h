// CEmbEditData: one edit item a design file may carry (an offset, a scale and an opaque payload).
// The values are held for the callers; their meaning to the machine is theirs.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>

class CEmbEditData {
public:
    CEmbEditData() = default;
    virtual ~CEmbEditData() { FreePayload(); }
    CEmbEditData(const CEmbEditData&) = delete;
    CEmbEditData& operator=(const CEmbEditData&) = delete;

    // Allocates a zeroed payload of nLength bytes; false when it cannot be allocated.
    bool AllocPayload(int32_t nLength);
    void FreePayload();

    int32_t m_nValueA = 0;
    int32_t m_nPayloadLength = 0;
    int32_t m_nOffsetX = 0;
    int32_t m_nOffsetY = 0;
    int32_t m_nScale = 0;         // percent
    int32_t m_nValueB = 0;
    int32_t m_nValueC = 0;
    int32_t m_nValueD = 0;
    int32_t m_nFlag = 0;
    BYTE* m_pPayload = nullptr;   // owned
    int32_t m_nAllocatedLength = 0;
};
