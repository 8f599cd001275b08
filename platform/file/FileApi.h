// The Win32 file, folder and drive calls the module makes, over the drive map. Every failure sets
// the thread's last error to the Win32 code Windows would give. An open file is a handle of the
// process's handle table (CreateFileW); CFile reads and writes through these calls.
//
// Deliberately missing: security attributes (accepted, ignored), sharing modes and file flags
// (accepted, not enforced: the host has no mandatory locks), overlapped input and output,
// alternate streams, 8.3 names
// (cAlternateFileName is always empty), and the wildcards "?" and "<...>" in find patterns other
// than "*" and "*.ext"-style patterns made of "*" and literal text.
#pragma once

#include "platform/base/WinTypes.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char16_t cFileName[MAX_PATH];
    char16_t cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// Opens or makes a file: INVALID_HANDLE_VALUE on failure. A folder is not opened (access denied);
// a write-protected drive refuses every opening for writing or making, a full one none.
HANDLE CreateFileW(const char16_t* fileName, DWORD desiredAccess, DWORD shareMode, void* securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// Reads until bytesToRead bytes or the end of the file (*bytesRead 0 there).
BOOL ReadFile(HANDLE hFile, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);
// Writes all bytesToWrite bytes or fails; a full drive takes no byte (ERROR_DISK_FULL).
BOOL WriteFile(HANDLE hFile, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped);
// A position before the start fails with ERROR_SEEK.
BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER distanceToMove, LARGE_INTEGER* newFilePointer, DWORD moveMethod);
BOOL GetFileSizeEx(HANDLE hFile, LARGE_INTEGER* fileSize);
// The file ends at the current position.
BOOL SetEndOfFile(HANDLE hFile);
BOOL FlushFileBuffers(HANDLE hFile);

// Lists a folder: pattern "C:\dir\*" or "C:\dir\*.qef" (matched without regard to case). "." and
// ".." come first for a folder below a drive root, as on Windows. Names longer than MAX_PATH - 1
// are skipped.
HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFileW(HANDLE hFind, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE hFind);

BOOL CopyFileW(const char16_t* existing, const char16_t* newName, BOOL failIfExists);
BOOL MoveFileExW(const char16_t* existing, const char16_t* newName, DWORD flags);
BOOL MoveFileW(const char16_t* existing, const char16_t* newName);
BOOL DeleteFileW(const char16_t* path);
BOOL RemoveDirectoryW(const char16_t* path);
BOOL CreateDirectoryW(const char16_t* path, void* securityAttributes);
DWORD GetFileAttributesW(const char16_t* path);
BOOL SetFileAttributesW(const char16_t* path, DWORD attributes);
BOOL SetCurrentDirectoryW(const char16_t* path);
DWORD GetCurrentDirectoryW(DWORD size, char16_t* buffer);

// GetDriveTypeW's answers.
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

DWORD GetLogicalDrives();
UINT GetDriveTypeW(const char16_t* root);
BOOL GetDiskFreeSpaceExW(const char16_t* directory, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                         ULARGE_INTEGER* totalFree);
BOOL GetVolumeInformationW(const char16_t* root, char16_t* volumeName, DWORD volumeNameSize, DWORD* serial,
                           DWORD* maxComponentLength, DWORD* fileSystemFlags, char16_t* fileSystemName,
                           DWORD fileSystemNameSize);

BOOL PathIsDirectoryW(const char16_t* path);
BOOL PathFileExistsW(const char16_t* path);
