#include "platform/file/HostPath.h"

#include "platform/base/WinError.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavren {

DWORD Win32ErrorForPath(int err, const std::string& hostPath)
{
    if (err == ENOENT || err == ENOTDIR) {
        size_t slash = hostPath.find_last_of('/');
        std::string parent = slash == std::string::npos || slash == 0 ? "/" : hostPath.substr(0, slash);
        struct stat st;
        bool parentIsDir = stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        return parentIsDir && err == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    return Win32ErrorFromErrno(err);
}

bool ReadFully(int fd, void* pBuffer, size_t nCount, size_t& nDone)
{
    auto* p = static_cast<char*>(pBuffer);
    nDone = 0;
    while (nDone < nCount) {
        const ssize_t n = ::read(fd, p + nDone, nCount - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        nDone += static_cast<size_t>(n);
    }
    return true;
}

bool WriteFully(int fd, const void* pBuffer, size_t nCount, size_t& nDone)
{
    const auto* p = static_cast<const char*>(pBuffer);
    nDone = 0;
    while (nDone < nCount) {
        const ssize_t n = ::write(fd, p + nDone, nCount - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        nDone += static_cast<size_t>(n);
    }
    return true;
}

} // namespace tavren
