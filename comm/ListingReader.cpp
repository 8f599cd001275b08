#include "comm/ListingReader.h"

#include "platform/base/CodePage.h"

#include <cstring>

namespace {

uint32_t ReadU32(const BYTE* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

CString AnsiToString(const char* pName, int nBytes)
{
    if (nBytes <= 0)
        return CString();
    const int nChars = MultiByteToWideChar(CP_ACP, 0, pName, nBytes, nullptr, 0);
    if (nChars <= 0)
        return CString();
    CString str;
    char16_t* pBuf = str.GetBufferSetLength(nChars);
    if (MultiByteToWideChar(CP_ACP, 0, pName, nBytes, pBuf, nChars) != nChars) {
        str.ReleaseBuffer(0);
        return CString();
    }
    str.ReleaseBuffer(nChars);
    return str;
}

} // namespace

CListingReader::CListingReader(const BYTE* pData, uint32_t nSize) : m_pData(pData), m_nSize(pData ? nSize : 0)
{
    if (m_nSize == 0)
        return;
    if (m_nSize < 4) {
        m_bBroken = true;
        return;
    }
    const int32_t nCount = static_cast<int32_t>(ReadU32(m_pData));
    m_nCount = nCount > 0 ? nCount : 0;
}

CListingReader::CListingReader(int32_t nCount, const BYTE* pEntries, uint32_t nBytes)
    : m_pData(pEntries), m_nSize(pEntries ? nBytes : 0), m_nCount(nCount > 0 ? nCount : 0), m_nOffset(0)
{
}

bool CListingReader::Next(CEntry& entry)
{
    if (m_bBroken || m_nRead >= m_nCount)
        return false;
    // Each test compares against what is left, so no sum can wrap.
    const uint32_t nLeft = m_nSize - m_nOffset;
    if (nLeft < kEntryHead) {
        m_bBroken = true;
        return false;
    }
    const BYTE* pEntry = m_pData + m_nOffset;
    const uint32_t nLength = ReadU32(pEntry);
    if (nLength < kEntryHead || nLength > nLeft) {
        m_bBroken = true;
        return false;
    }
    entry.m_bFolder = ReadU32(pEntry + 4) == 0xFFFFFFFFu;
    const char* pName = reinterpret_cast<const char*>(pEntry + kEntryHead);
    const size_t nRoom = nLength - kEntryHead;
    const void* pEnd = std::memchr(pName, 0, nRoom);
    const size_t nName = pEnd ? static_cast<size_t>(static_cast<const char*>(pEnd) - pName) : nRoom;
    entry.m_strName = AnsiToString(pName, static_cast<int>(nName));
    m_nOffset += nLength;
    ++m_nRead;
    return true;
}

bool CListingReader::IsWellFormed(const BYTE* pData, uint32_t nSize)
{
    CListingReader reader(pData, nSize);
    CEntry entry;
    while (reader.Next(entry)) {
    }
    return !reader.IsBroken();
}
