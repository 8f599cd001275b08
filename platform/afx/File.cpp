#include "platform/afx/File.h"

#include "platform/file/DriveMap.h"
#include "platform/file/HostPath.h"
#include "platform/base/WinError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

CFile::CFile(const char16_t* pszFileName, UINT nOpenFlags)
{
    CFileException e;
    if (!Open(pszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

BOOL CFile::Open(const char16_t* pszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (m_fd >= 0)
        Close();
    m_strFileName = pszFileName;
    auto fail = [&](DWORD code) {
        SetLastError(code);
        if (pError) {
            pError->m_cause = CFileException::OsErrorToException(static_cast<LONG>(code));
            pError->m_lOsError = static_cast<LONG>(code);
            pError->m_strFileName = pszFileName;
        }
        return FALSE;
    };
    std::string host;
    DWORD err = 0;
    if (!pszFileName || !tavren::DriveMap::Instance().ToHost(pszFileName, host, err))
        return fail(pszFileName ? err : ERROR_INVALID_PARAMETER);
    int flags = O_CLOEXEC;
    switch (nOpenFlags & 3) {
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (nOpenFlags & modeCreate)
        flags |= O_CREAT | ((nOpenFlags & modeNoTruncate) ? 0 : O_TRUNC);
    struct stat st;
    if (stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return fail(ERROR_ACCESS_DENIED); // a folder is not a file to Windows either
    // Opening for writing changes the drive; a file can still be made on a full one.
    if ((nOpenFlags & (3 | modeCreate)) != 0)
        if (const DWORD dwRefused = tavren::DriveMap::Instance().RefusedChange(pszFileName, false))
            return fail(dwRefused);
    int fd = ::open(host.c_str(), flags, 0666);
    if (fd < 0)
        return fail(tavren::Win32ErrorForPath(errno, host));
    m_fd = fd;
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
    if (m_fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        ThrowLastError();
    }
    UINT done = 0;
    auto* p = static_cast<char*>(lpBuf);
    while (done < nCount) {
        ssize_t n = ::read(m_fd, p + done, nCount - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            tavren::SetLastErrorFromErrno(errno);
            ThrowLastError();
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (m_fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        ThrowLastError();
    }
    // A full disk takes no byte (the file itself could still be made).
    if (const DWORD dwRefused = tavren::DriveMap::Instance().RefusedChange(m_strFileName.GetString(), nCount > 0)) {
        SetLastError(dwRefused);
        ThrowLastError();
    }
    UINT done = 0;
    auto* p = static_cast<const char*>(lpBuf);
    while (done < nCount) {
        ssize_t n = ::write(m_fd, p + done, nCount - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            tavren::SetLastErrorFromErrno(n < 0 ? errno : ENOSPC);
            ThrowLastError();
        }
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    int whence = nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : SEEK_SET;
    off_t r = m_fd < 0 ? -1 : ::lseek(m_fd, static_cast<off_t>(lOff), whence);
    if (r < 0) {
        SetLastError(m_fd < 0 ? ERROR_INVALID_HANDLE : ERROR_SEEK);
        AfxThrowFileException(CFileException::badSeek, static_cast<LONG>(GetLastError()), m_strFileName);
    }
    return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetLength() const
{
    struct stat st;
    if (m_fd < 0 || fstat(m_fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        ThrowLastError();
    }
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    if (m_fd < 0 || ::ftruncate(m_fd, static_cast<off_t>(dwNewLen)) != 0) {
        tavren::SetLastErrorFromErrno(m_fd < 0 ? EBADF : errno);
        ThrowLastError();
    }
}

ULONGLONG CFile::GetPosition() const
{
    off_t r = m_fd < 0 ? -1 : ::lseek(m_fd, 0, SEEK_CUR);
    if (r < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        ThrowLastError();
    }
    return static_cast<ULONGLONG>(r);
}

void CFile::Flush()
{
    if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL) {
        tavren::SetLastErrorFromErrno(errno);
        ThrowLastError();
    }
}

void CFile::Close()
{
    if (m_fd >= 0) {
        int r = ::close(m_fd);
        m_fd = -1;
        if (r != 0) {
            tavren::SetLastErrorFromErrno(errno);
            ThrowLastError();
        }
    }
}

void CFile::Abort()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

CString CFile::GetFileName() const
{
    int slash = m_strFileName.ReverseFind(u'\\');
    return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}
