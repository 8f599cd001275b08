// The shell calls the module makes: display names of drives and files, the desktop and documents
// special folders as item identifier lists turned into paths, and the shell task allocator.
//
// The desktop and documents folders are the XDG user folders (XDG_DESKTOP_DIR and
// XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop and ~/Documents), given as
// Windows paths on the drive that holds them.
//
// Deliberately missing: every other special folder, and icons in SHGetFileInfoW (hIcon is 0).
#pragma once

#include "platform/base/WinTypes.h"

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_DRIVES = 0x0011;

constexpr UINT SHGFI_ICON = 0x100;
constexpr UINT SHGFI_DISPLAYNAME = 0x200;
constexpr UINT SHGFI_TYPENAME = 0x400;
constexpr UINT SHGFI_SMALLICON = 0x1;
constexpr UINT SHGFI_SYSICONINDEX = 0x4000;
constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x10;

struct SHFILEINFOW {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    char16_t szDisplayName[MAX_PATH];
    char16_t szTypeName[80];
};

// An item identifier list: here it carries the folder's Windows path.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

// Drive roots ("E:\") get "Local Disk (C:)", "<label> (E:)", "Removable Disk (E:)", "CD Drive (D:)";
// other paths their last component. Returns nonzero on success.
DWORD_PTR SHGetFileInfoW(const char16_t* path, DWORD fileAttributes, SHFILEINFOW* info, UINT cbFileInfo, UINT flags);
HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* ppidl);
BOOL SHGetPathFromIDListW(LPCITEMIDLIST pidl, char16_t* path);
void CoTaskMemFree(void* p);
BOOL SHGetSpecialFolderPathW(HWND owner, char16_t* path, int csidl, BOOL create);
