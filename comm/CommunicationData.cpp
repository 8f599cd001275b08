#include "comm/CommunicationData.h"

#include <cstring>
#include <new>

CCommunicationData::~CCommunicationData()
{
    FreeData();
    m_strItemName.Empty();
}

void CCommunicationData::FreeData()
{
    delete[] m_pData;
    m_pData = nullptr;
    m_nSize = 0;
}

bool CCommunicationData::SetData(const BYTE* pBytes, uint32_t nSize)
{
    FreeData();
    if (!pBytes || nSize == 0)
        return true;
    BYTE* pCopy = new (std::nothrow) BYTE[nSize];
    if (!pCopy)
        return false;
    std::memcpy(pCopy, pBytes, nSize);
    m_pData = pCopy;
    m_nSize = nSize;
    return true;
}
