// Small helpers of the file layer: the Win32 code of a failed call on a host path, and reading
// and writing a host descriptor through interruptions.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstddef>
#include <string>

namespace tavren {
// ENOENT becomes ERROR_PATH_NOT_FOUND when the parent folder is missing too, as Windows tells
// "no such folder" from "no such file"; other errors as Win32ErrorFromErrno.
DWORD Win32ErrorForPath(int err, const std::string& hostPath);
// Reads until nCount bytes or the end of the file, read again when a signal interrupts; nDone
// says how many came. False with errno set on an error.
bool ReadFully(int fd, void* pBuffer, size_t nCount, size_t& nDone);
// Writes all nCount bytes, written again when a signal interrupts; nDone says how many went.
// False with errno set on an error (ENOSPC when the host took no more).
bool WriteFully(int fd, const void* pBuffer, size_t nCount, size_t& nDone);
} // namespace tavren
