#include "platform/file/Shell.h"

#include "platform/base/Unicode.h"
#include "platform/file/DriveMap.h"
#include "platform/file/FileApi.h"
#include "platform/base/WinError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

struct ITEMIDLIST {
    char16_t path[MAX_PATH];
};

namespace {

std::string Home()
{
    const char* h = std::getenv("HOME");
    return h ? h : "/";
}

// XDG_<NAME>_DIR from user-dirs.dirs, with $HOME expanded; the fallback when absent.
std::string UserDir(const char* key, const char* fallback)
{
    const char* cfg = std::getenv("XDG_CONFIG_HOME");
    std::string file = (cfg && *cfg ? std::string(cfg) : Home() + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line, want = std::string(key) + "=";
    while (std::getline(in, line)) {
        if (line.rfind(want, 0) != 0)
            continue;
        std::string v = line.substr(want.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
            v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0)
            v = Home() + v.substr(5);
        if (!v.empty() && v[0] == '/')
            return v;
    }
    return Home() + "/" + fallback;
}

std::u16string SpecialFolder(int csidl)
{
    std::string host;
    switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: host = UserDir("XDG_DESKTOP_DIR", "Desktop"); break;
    case CSIDL_PERSONAL: host = UserDir("XDG_DOCUMENTS_DIR", "Documents"); break;
    default: return {};
    }
    return tavren::DriveMap::Instance().FromHost(host);
}

void Put(char16_t* dst, size_t size, std::u16string_view s)
{
    size_t n = std::min(s.size(), size - 1);
    std::copy_n(s.begin(), n, dst);
    dst[n] = 0;
}

} // namespace

DWORD_PTR SHGetFileInfoW(const char16_t* path, DWORD, SHFILEINFOW* info, UINT cbFileInfo, UINT flags)
{
    if (!path || !info || cbFileInfo < sizeof(SHFILEINFOW))
        return 0;
    std::memset(info, 0, sizeof *info);
    std::u16string p = path;
    std::u16string name;
    if (p.size() >= 2 && p[1] == u':' && (p.size() == 2 || (p.size() == 3 && (p[2] == u'\\' || p[2] == u'/')))) {
        auto d = tavren::DriveMap::Instance().Find(p[0]);
        if (!d)
            return 0;
        std::u16string letter{tavren::ToUpper(p[0]), u':'};
        std::u16string label = d->label;
        if (label.empty())
            label = d->type == DRIVE_REMOVABLE ? u"Removable Disk" : d->type == DRIVE_CDROM ? u"CD Drive"
                  : d->type == DRIVE_REMOTE    ? u"Network Drive"
                                               : u"Local Disk";
        name = label + u" (" + letter + u")";
    } else {
        if (!(flags & SHGFI_USEFILEATTRIBUTES) && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
            return 0;
        size_t slash = p.find_last_of(u"\\/");
        name = slash == std::u16string::npos ? p : p.substr(slash + 1);
    }
    if (flags & SHGFI_DISPLAYNAME)
        Put(info->szDisplayName, MAX_PATH, name);
    if (flags & SHGFI_TYPENAME)
        Put(info->szTypeName, 80, u"File folder");
    return 1;
}

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* ppidl)
{
    if (!ppidl)
        return E_FAIL;
    *ppidl = nullptr;
    std::u16string p = SpecialFolder(csidl);
    if (p.empty() || p.size() >= MAX_PATH)
        return E_FAIL;
    auto* pidl = static_cast<ITEMIDLIST*>(std::malloc(sizeof(ITEMIDLIST)));
    if (!pidl)
        return E_FAIL;
    Put(pidl->path, MAX_PATH, p);
    *ppidl = pidl;
    return S_OK;
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST pidl, char16_t* path)
{
    if (!pidl || !path)
        return FALSE;
    Put(path, MAX_PATH, pidl->path);
    return TRUE;
}

void CoTaskMemFree(void* p) { std::free(p); }

BOOL SHGetSpecialFolderPathW(HWND, char16_t* path, int csidl, BOOL create)
{
    std::u16string p = SpecialFolder(csidl);
    if (p.empty() || !path)
        return FALSE;
    if (create && GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryW(p.c_str(), nullptr);
    Put(path, MAX_PATH, p);
    return TRUE;
}
