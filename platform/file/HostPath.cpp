#include "platform/file/HostPath.h"

#include "platform/base/WinError.h"

#include <sys/stat.h>

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

} // namespace tavren
