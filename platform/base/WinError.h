// The calling thread's last error, the Win32 error codes the layer produces, the one place where
// host errors become Win32 codes, and FormatMessageW with the English system texts of those codes.
#pragma once

#include "platform/base/WinTypes.h"

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DRIVE = 15;
constexpr DWORD ERROR_CURRENT_DIRECTORY = 16;
constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_SEEK = 25;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_LOCK_VIOLATION = 33;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_HANDLE_DISK_FULL = 39;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_TIMEOUT = 1460;

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
constexpr DWORD LANG_NEUTRAL = 0;
constexpr DWORD SUBLANG_DEFAULT = 1;
constexpr DWORD MAKELANGID(DWORD p, DWORD s) { return (s << 10) | p; }

DWORD GetLastError();
void SetLastError(DWORD code);

// Writes the system's text for a code, ending in "\r\n" as Windows' texts do, into buffer (size in
// characters). Only FORMAT_MESSAGE_FROM_SYSTEM is supported; FORMAT_MESSAGE_ALLOCATE_BUFFER hands
// back a buffer to release with LocalFree. Returns the length, 0 for an unknown code
// (last error ERROR_MR_MID_NOT_FOUND, 317).
DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId, char16_t* buffer,
                     DWORD size, void* arguments);
void* LocalFree(void* p);

namespace tavren {
// The one mapping from a host errno to a Win32 error code.
DWORD Win32ErrorFromErrno(int err);
// Sets the last error from errno and returns it.
DWORD SetLastErrorFromErrno(int err);
} // namespace tavren
