#include "platform/base/WinError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
thread_local DWORD t_lastError = 0;

struct SystemText {
    DWORD code;
    const char16_t* text;
};

// The English system texts of the codes the layer produces.
constexpr SystemText kTexts[] = {
    {ERROR_SUCCESS, u"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, u"Incorrect function."},
    {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, u"The system cannot open the file."},
    {ERROR_ACCESS_DENIED, u"Access is denied."},
    {ERROR_INVALID_HANDLE, u"The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, u"Not enough memory resources are available to process this command."},
    {ERROR_INVALID_DRIVE, u"The system cannot find the drive specified."},
    {ERROR_CURRENT_DIRECTORY, u"The directory cannot be removed."},
    {ERROR_NOT_SAME_DEVICE, u"The system cannot move the file to a different disk drive."},
    {ERROR_NO_MORE_FILES, u"There are no more files."},
    {ERROR_WRITE_PROTECT, u"The media is write protected."},
    {ERROR_NOT_READY, u"The device is not ready."},
    {ERROR_SEEK, u"The drive cannot locate a specific area or track on the disk."},
    {ERROR_WRITE_FAULT, u"The system cannot write to the specified device."},
    {ERROR_READ_FAULT, u"The system cannot read from the specified device."},
    {ERROR_GEN_FAILURE, u"A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION, u"The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION, u"The process cannot access the file because another process has locked a portion of the file."},
    {ERROR_HANDLE_EOF, u"Reached the end of the file."},
    {ERROR_HANDLE_DISK_FULL, u"The disk is full."},
    {ERROR_NOT_SUPPORTED, u"The request is not supported."},
    {ERROR_FILE_EXISTS, u"The file exists."},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, u"The pipe has been ended."},
    {ERROR_DISK_FULL, u"There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, u"The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, u"The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_DIR_NOT_EMPTY, u"The directory is not empty."},
    {ERROR_BUSY, u"The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, u"Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, u"The filename or extension is too long."},
    {ERROR_DIRECTORY, u"The directory name is invalid."},
    {ERROR_NO_UNICODE_TRANSLATION, u"No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_INVALID_WINDOW_HANDLE, u"Invalid window handle."},
    {ERROR_TIMEOUT, u"This operation returned because the timeout period expired."},
};
} // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD code) { t_lastError = code; }

DWORD FormatMessageW(DWORD flags, const void*, DWORD messageId, DWORD, char16_t* buffer, DWORD size, void*)
{
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char16_t* text = nullptr;
    for (const auto& t : kTexts)
        if (t.code == messageId)
            text = t.text;
    if (!text) {
        SetLastError(317); // ERROR_MR_MID_NOT_FOUND
        return 0;
    }
    std::u16string full = std::u16string(text) + u"\r\n";
    DWORD n = static_cast<DWORD>(full.size());
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        auto* p = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
        if (!p) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        std::memcpy(p, full.c_str(), (n + 1) * sizeof(char16_t));
        *reinterpret_cast<char16_t**>(buffer) = p;
        return n;
    }
    if (!buffer || size <= n) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, full.c_str(), (n + 1) * sizeof(char16_t));
    return n;
}

void* LocalFree(void* p)
{
    std::free(p);
    return nullptr;
}

namespace tavren {

DWORD Win32ErrorFromErrno(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY: return ERROR_BUSY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EIO: return ERROR_GEN_FAILURE;
    case ENXIO:
    case ENODEV: return ERROR_NOT_READY;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EILSEQ: return ERROR_NO_UNICODE_TRANSLATION;
    default: return ERROR_GEN_FAILURE;
    }
}

DWORD SetLastErrorFromErrno(int err)
{
    DWORD code = Win32ErrorFromErrno(err);
    SetLastError(code);
    return code;
}

} // namespace tavren
