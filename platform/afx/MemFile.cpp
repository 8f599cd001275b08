#include "platform/afx/MemFile.h"

#include "platform/base/WinError.h"

#include <algorithm>
#include <cstring>

CMemFile::CMemFile(UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) { Attach(lpBuffer, nBufferSize, nGrowBytes); }

CMemFile::~CMemFile() = default;

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes)
{
    m_owned.clear();
    m_pAttached = lpBuffer;
    m_nBufferSize = lpBuffer ? nBufferSize : 0;
    // An attached buffer that may grow counts as empty, as MFC does; a fixed one holds data.
    m_nFileSize = nGrowBytes == 0 ? m_nBufferSize : 0;
    m_nPosition = 0;
    m_nGrowBytes = nGrowBytes;
}

BYTE* CMemFile::Detach()
{
    BYTE* p = m_pAttached;
    if (!p) {
        p = new BYTE[std::max<size_t>(m_nFileSize, 1)];
        if (m_nFileSize)
            std::memcpy(p, m_owned.data(), m_nFileSize);
    }
    m_owned.clear();
    m_pAttached = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    return p;
}

BOOL CMemFile::Open(const char16_t*, UINT, CFileException* pError)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    if (pError)
        pError->m_cause = CFileException::genericException;
    return FALSE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount)
{
    if (m_nPosition >= m_nFileSize || nCount == 0)
        return 0;
    size_t n = std::min<size_t>(nCount, m_nFileSize - m_nPosition);
    std::memcpy(lpBuf, Data() + m_nPosition, n);
    m_nPosition += n;
    return static_cast<UINT>(n);
}

void CMemFile::GrowTo(size_t n)
{
    if (n <= m_nBufferSize)
        return;
    if (m_nGrowBytes == 0 || m_pAttached) {
        if (m_nGrowBytes == 0)
            AfxThrowFileException(CFileException::diskFull, static_cast<LONG>(ERROR_DISK_FULL), nullptr);
        // A growable attached buffer moves into memory of our own.
        m_owned.assign(m_pAttached, m_pAttached + m_nFileSize);
        m_pAttached = nullptr;
    }
    size_t grow = std::max<size_t>(m_nGrowBytes, 1);
    size_t cap = (n + grow - 1) / grow * grow;
    m_owned.resize(cap);
    m_nBufferSize = cap;
}

void CMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    GrowTo(m_nPosition + nCount);
    std::memcpy(Data() + m_nPosition, lpBuf, nCount);
    m_nPosition += nCount;
    m_nFileSize = std::max(m_nFileSize, m_nPosition);
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LONGLONG base = nFrom == current ? static_cast<LONGLONG>(m_nPosition)
                  : nFrom == end     ? static_cast<LONGLONG>(m_nFileSize)
                                     : 0;
    LONGLONG pos = base + lOff;
    if (pos < 0)
        AfxThrowFileException(CFileException::badSeek, static_cast<LONG>(ERROR_SEEK), nullptr);
    m_nPosition = static_cast<size_t>(pos);
    return m_nPosition;
}

void CMemFile::SetLength(ULONGLONG dwNewLen)
{
    GrowTo(static_cast<size_t>(dwNewLen));
    if (dwNewLen > m_nFileSize)
        std::memset(Data() + m_nFileSize, 0, static_cast<size_t>(dwNewLen) - m_nFileSize);
    m_nFileSize = static_cast<size_t>(dwNewLen);
    m_nPosition = std::min(m_nPosition, m_nFileSize);
}

void CMemFile::Close()
{
    m_owned.clear();
    m_owned.shrink_to_fit();
    m_pAttached = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
}
