#include "platform/file/FileApi.h"

#include "platform/base/WinError.h"
#include "platform/file/DriveMap.h"
#include "platform/file/HostPath.h"
#include "platform/kernel/Handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

namespace {

using tavren::DriveMap;

// An open file: the host descriptor, and the Windows path it was opened by, which the drive is
// asked about before each write.
class FileObject : public tavren::HandleObject {
public:
    FileObject(int fd, std::u16string strPath) : m_fd(fd), m_strPath(std::move(strPath)) {}
    ~FileObject() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Close() override
    {
        const int r = ::close(m_fd);
        m_fd = -1;
        if (r != 0) {
            tavren::SetLastErrorFromErrno(errno);
            return false;
        }
        return true;
    }

    int m_fd;
    const std::u16string m_strPath;
};

std::shared_ptr<FileObject> FindFile(HANDLE h)
{
    auto p = tavren::LookupHandleAs<FileObject>(h);
    if (!p)
        SetLastError(ERROR_INVALID_HANDLE);
    return p;
}

} // namespace

HANDLE CreateFileW(const char16_t* fileName, DWORD desiredAccess, DWORD, void*, DWORD creationDisposition, DWORD,
                   HANDLE)
{
    const auto fail = [](DWORD code) {
        SetLastError(code);
        return INVALID_HANDLE_VALUE;
    };
    if (!fileName)
        return fail(ERROR_INVALID_PARAMETER);
    std::string host;
    DWORD err = 0;
    if (!DriveMap::Instance().ToHost(fileName, host, err))
        return fail(err);
    const bool bWrite = (desiredAccess & GENERIC_WRITE) != 0;
    int flags = O_CLOEXEC | (bWrite ? ((desiredAccess & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY);
    switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    case OPEN_EXISTING: break;
    default: return fail(ERROR_INVALID_PARAMETER);
    }
    struct stat st;
    if (stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return fail(ERROR_ACCESS_DENIED); // a folder is not a file to open
    // Opening for writing changes the drive; a file can still be made on a full one.
    if (bWrite || creationDisposition != OPEN_EXISTING)
        if (const DWORD dwRefused = DriveMap::Instance().RefusedChange(fileName, false))
            return fail(dwRefused);
    const int fd = ::open(host.c_str(), flags, 0666);
    if (fd < 0)
        return fail(errno == EEXIST ? ERROR_FILE_EXISTS : tavren::Win32ErrorForPath(errno, host));
    return tavren::AllocHandle(std::make_shared<FileObject>(fd, fileName));
}

BOOL ReadFile(HANDLE hFile, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void*)
{
    if (bytesRead)
        *bytesRead = 0;
    auto p = FindFile(hFile);
    if (!p)
        return FALSE;
    size_t done = 0;
    const bool bRead = tavren::ReadFully(p->m_fd, buffer, bytesToRead, done);
    if (bytesRead)
        *bytesRead = static_cast<DWORD>(done);
    if (!bRead) {
        tavren::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void*)
{
    if (bytesWritten)
        *bytesWritten = 0;
    auto p = FindFile(hFile);
    if (!p)
        return FALSE;
    // A full disk takes no byte (the file itself could still be made).
    if (const DWORD dwRefused = DriveMap::Instance().RefusedChange(p->m_strPath, bytesToWrite > 0)) {
        SetLastError(dwRefused);
        return FALSE;
    }
    size_t done = 0;
    const bool bWritten = tavren::WriteFully(p->m_fd, buffer, bytesToWrite, done);
    if (bytesWritten)
        *bytesWritten = static_cast<DWORD>(done);
    if (!bWritten) {
        tavren::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER distanceToMove, LARGE_INTEGER* newFilePointer, DWORD moveMethod)
{
    auto p = FindFile(hFile);
    if (!p)
        return FALSE;
    const int whence = moveMethod == FILE_CURRENT ? SEEK_CUR : moveMethod == FILE_END ? SEEK_END : SEEK_SET;
    const off_t r = ::lseek(p->m_fd, static_cast<off_t>(distanceToMove.QuadPart), whence);
    if (r < 0) {
        SetLastError(ERROR_SEEK);
        return FALSE;
    }
    if (newFilePointer)
        newFilePointer->QuadPart = static_cast<LONGLONG>(r);
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE hFile, LARGE_INTEGER* fileSize)
{
    auto p = FindFile(hFile);
    if (!p)
        return FALSE;
    struct stat st;
    if (fstat(p->m_fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (fileSize)
        fileSize->QuadPart = static_cast<LONGLONG>(st.st_size);
    return TRUE;
}

BOOL SetEndOfFile(HANDLE hFile)
{
    auto p = FindFile(hFile);
    if (!p)
        return FALSE;
    const off_t at = ::lseek(p->m_fd, 0, SEEK_CUR);
    if (at < 0 || ::ftruncate(p->m_fd, at) != 0) {
        tavren::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile)
{
    auto p = FindFile(hFile);
    if (!p)
        return FALSE;
    // A descriptor that cannot be synchronised (a pipe, some special files) has nothing to flush.
    if (::fsync(p->m_fd) != 0 && errno != EINVAL) {
        tavren::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}
