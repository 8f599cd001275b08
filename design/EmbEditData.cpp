#include "design/EmbEditData.h"

#include <cstring>
#include <new>

bool CEmbEditData::AllocPayload(int32_t nLength)
{
    FreePayload();
    if (nLength < 0)
        return false;
    // One byte at least, so an empty payload still has a buffer to point at.
    m_pPayload = new (std::nothrow) BYTE[nLength > 0 ? nLength : 1];
    if (!m_pPayload)
        return false;
    std::memset(m_pPayload, 0, nLength > 0 ? nLength : 1);
    m_nAllocatedLength = nLength;
    return true;
}

void CEmbEditData::FreePayload()
{
    delete[] m_pPayload;
    m_pPayload = nullptr;
    m_nAllocatedLength = 0;
}
