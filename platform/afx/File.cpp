#include "platform/afx/File.h"

#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/kernel/Handle.h"

CFile::CFile(const char16_t* pszFileName, UINT nOpenFlags)
{
    CFileException e;
    if (!Open(pszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
}

BOOL CFile::Open(const char16_t* pszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        Close();
    m_strFileName = pszFileName;
    DWORD dwAccess = GENERIC_READ;
    switch (nOpenFlags & 3) {
    case modeWrite: dwAccess = GENERIC_WRITE; break;
    case modeReadWrite: dwAccess = GENERIC_READ | GENERIC_WRITE; break;
    default: break;
    }
    DWORD dwDisposition = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        dwDisposition = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    // The host has no mandatory locks: every file is opened sharing everything.
    HANDLE hFile = ::CreateFileW(pszFileName, dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, dwDisposition,
                                 FILE_ATTRIBUTE_NORMAL, 0);
    if (hFile == INVALID_HANDLE_VALUE) {
        if (pError) {
            const DWORD code = GetLastError();
            pError->m_cause = CFileException::OsErrorToException(static_cast<LONG>(code));
            pError->m_lOsError = static_cast<LONG>(code);
            pError->m_strFileName = pszFileName;
        }
        return FALSE;
    }
    m_hFile = hFile;
    return TRUE;
}

void CFile::ThrowLastError() const
{
    DWORD code = GetLastError();
    AfxThrowFileException(CFileException::OsErrorToException(static_cast<LONG>(code)), static_cast<LONG>(code),
                          m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    DWORD dwRead = 0;
    if (!::ReadFile(m_hFile, lpBuf, nCount, &dwRead, nullptr))
        ThrowLastError();
    return dwRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    DWORD dwWritten = 0;
    if (!::WriteFile(m_hFile, lpBuf, nCount, &dwWritten, nullptr))
        ThrowLastError();
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LARGE_INTEGER distance{}, position{};
    distance.QuadPart = lOff;
    const DWORD dwMethod = nFrom == current ? FILE_CURRENT : nFrom == end ? FILE_END : FILE_BEGIN;
    if (!::SetFilePointerEx(m_hFile, distance, &position, dwMethod))
        AfxThrowFileException(CFileException::badSeek, static_cast<LONG>(GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_hFile, &size))
        ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    // The file ends at dwNewLen; the position stays where it was.
    const ULONGLONG nPosition = GetPosition();
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(dwNewLen);
    BOOL bDone = ::SetFilePointerEx(m_hFile, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_hFile);
    const DWORD dwError = GetLastError();
    at.QuadPart = static_cast<LONGLONG>(nPosition);
    ::SetFilePointerEx(m_hFile, at, nullptr, FILE_BEGIN);
    if (!bDone) {
        SetLastError(dwError);
        ThrowLastError();
    }
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero{}, position{};
    if (!::SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT)) {
        SetLastError(ERROR_INVALID_HANDLE);
        ThrowLastError();
    }
    return static_cast<ULONGLONG>(position.QuadPart);
}

void CFile::Flush()
{
    if (m_hFile != INVALID_HANDLE_VALUE && !::FlushFileBuffers(m_hFile))
        ThrowLastError();
}

void CFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        HANDLE hFile = m_hFile;
        m_hFile = INVALID_HANDLE_VALUE;
        if (!::CloseHandle(hFile))
            ThrowLastError();
    }
}

void CFile::Abort()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

CString CFile::GetFileName() const
{
    int slash = m_strFileName.ReverseFind(u'\\');
    return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}
