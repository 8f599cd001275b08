#include "platform/kernel/Library.h"

#include "platform/base/Unicode.h"
#include "platform/kernel/ModuleRegistry.h"
#include "platform/base/WinError.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

namespace {
thread_local std::string t_strLastLoadError;
// The system's codes for a module or export that is not there.
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;

std::string FolderOf(const void* pAddress)
{
    Dl_info info{};
    if (pAddress == nullptr || dladdr(pAddress, &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::string strPath = info.dli_fname;
    size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash + 1);
}

bool FileExists(const std::string& strPath)
{
    struct stat st{};
    return stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file in strFolder named strFile, compared without regard to case as Windows names are;
// empty when there is none.
std::string FindInFolder(const std::string& strFolder, const std::string& strFile)
{
    if (FileExists(strFolder + strFile))
        return strFolder + strFile;
    DIR* pDir = opendir(strFolder.c_str());
    if (pDir == nullptr)
        return {};
    auto lower = [](std::string s) {
        for (char& ch : s)
            ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
        return s;
    };
    std::string strWanted = lower(strFile), strFound;
    while (dirent* pEntry = readdir(pDir)) {
        if (lower(pEntry->d_name) == strWanted && FileExists(strFolder + pEntry->d_name)) {
            strFound = strFolder + pEntry->d_name;
            break;
        }
    }
    closedir(pDir);
    return strFound;
}

// "C:\Program Files\X\TavrenJ.dll" -> "libTavrenJ.so"; a name that already is a host library
// name ("libX.so...") is kept.
std::string HostFileName(std::u16string_view strName)
{
    size_t nSep = strName.find_last_of(u"\\/");
    if (nSep != std::u16string_view::npos)
        strName.remove_prefix(nSep + 1);
    std::string strFile = tavren::Utf16ToUtf8(strName);
    if (strFile.rfind("lib", 0) == 0 && strFile.find(".so") != std::string::npos)
        return strFile;
    if (strFile.size() > 4) {
        std::string strExt = strFile.substr(strFile.size() - 4);
        for (char& ch : strExt)
            ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
        if (strExt == ".dll")
            strFile.resize(strFile.size() - 4);
    }
    return "lib" + strFile + ".so";
}

// Without the registry's lock held (see CModuleRegistry).
tavren::ModuleRecord* RecordOfHandle(void* pDl)
{
    link_map* pMap = nullptr;
    if (dlinfo(pDl, RTLD_DI_LINKMAP, &pMap) != 0 || pMap == nullptr)
        return nullptr;
    return tavren::CModuleRegistry::Get().RecordFromAddress(pMap->l_ld);
}
} // namespace

namespace tavren {
std::string GetLastLoadError() { return t_strLastLoadError; }

HMODULE ModuleFromAddress(const void* pAddress)
{
    auto& registry = CModuleRegistry::Get();
    ModuleRecord* pRecord = registry.RecordFromAddress(pAddress);
    std::lock_guard lock(registry.Mutex());
    return pRecord ? pRecord->hModule : 0;
}

std::string MapLibraryName(std::u16string_view strWindowsName, const void* pCaller)
{
    return FolderOf(pCaller) + HostFileName(strWindowsName);
}
} // namespace tavren

static HMODULE LoadFrom(LPCWSTR lpLibFileName, const void* pCaller)
{
    t_strLastLoadError.clear();
    if (lpLibFileName == nullptr || *lpLibFileName == 0) {
        t_strLastLoadError = "no library name";
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string_view strName(lpLibFileName);
    std::string strFile = HostFileName(strName);
    // Beside the caller, beside the platform library, then the system's search.
    std::vector<std::string> candidates;
    for (const std::string& strFolder : {FolderOf(pCaller), FolderOf(reinterpret_cast<const void*>(&LoadFrom))}) {
        std::string strPath = strFolder.empty() ? std::string() : FindInFolder(strFolder, strFile);
        if (!strPath.empty())
            candidates.push_back(strPath);
    }
    candidates.push_back(strFile);

    void* pDl = nullptr;
    for (const std::string& strPath : candidates) {
        pDl = dlopen(strPath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (pDl != nullptr)
            break;
        t_strLastLoadError = dlerror();
    }
    if (pDl == nullptr) {
        SetLastError(kErrorModNotFound);
        return 0;
    }

    auto& registry = tavren::CModuleRegistry::Get();
    tavren::ModuleRecord* pRecord = RecordOfHandle(pDl);
    if (pRecord == nullptr) {
        t_strLastLoadError = "the loaded library could not be located";
        dlclose(pDl);
        return 0;
    }
    bool bFirst = false;
    bool bExtraReference = false;
    {
        std::lock_guard lock(registry.Mutex());
        if (pRecord->pDlHandle == nullptr) {
            pRecord->pDlHandle = pDl;
            bFirst = pRecord->nLoadCount == 0;
        } else {
            bExtraReference = true;
        }
        ++pRecord->nLoadCount;
    }
    if (bExtraReference)
        dlclose(pDl);   // the loader already counts our first reference
    t_strLastLoadError.clear();
    // The module's initialisation, as its DllMain would run it; a refusal fails the load.
    const tavren::ModuleLifecycle* pLifecycle = tavren::GetModuleLifecycle();
    if (bFirst && pLifecycle != nullptr && !pLifecycle->pfnLoaded(pRecord)) {
        HMODULE h = pRecord->hModule;
        FreeLibrary(h);
        t_strLastLoadError = "the module's InitInstance failed";
        return 0;
    }
    return pRecord->hModule;
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName)
{
    return LoadFrom(lpLibFileName, __builtin_return_address(0));
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    auto& registry = tavren::CModuleRegistry::Get();
    tavren::ModuleRecord* pRecord = nullptr;
    {
        std::lock_guard lock(registry.Mutex());
        pRecord = registry.RecordFromHandle(hLibModule);
        if (pRecord == nullptr || pRecord->nLoadCount <= 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;   // unknown, freed, or linked into the program rather than loaded
        }
        if (--pRecord->nLoadCount > 0)
            return TRUE;
    }
    if (const tavren::ModuleLifecycle* pLifecycle = tavren::GetModuleLifecycle())
        pLifecycle->pfnUnloading(pRecord);
    void* pDl = nullptr;
    {
        std::lock_guard lock(registry.Mutex());
        pDl = pRecord->pDlHandle;
        pRecord->pDlHandle = nullptr;
        registry.Retire(pRecord);
    }
    // Unloading runs the library's static destructors, which unregister its tables and its
    // application object; the record is already retired, so its handle answers nothing meanwhile.
    if (pDl != nullptr)
        dlclose(pDl);
    return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    if (lpProcName == nullptr)
        return nullptr;
    auto& registry = tavren::CModuleRegistry::Get();
    std::string strPath;
    bool bExecutable = false;
    {
        std::lock_guard lock(registry.Mutex());
        tavren::ModuleRecord* pRecord = registry.RecordFromHandle(hModule);
        if (pRecord == nullptr)
            return nullptr;
        strPath = pRecord->strPath;
        bExecutable = pRecord == registry.ExecutableRecord();
    }
    // A reference of our own for the look-up, so the module cannot go away meanwhile.
    void* pDl = bExecutable ? dlopen(nullptr, RTLD_LAZY) : dlopen(strPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (pDl == nullptr)
        return nullptr;
    void* pSym = dlsym(pDl, lpProcName);
    dlclose(pDl);
    if (pSym == nullptr)
        SetLastError(kErrorProcNotFound);
    return reinterpret_cast<FARPROC>(pSym);
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName)
{
    auto& registry = tavren::CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    if (lpModuleName == nullptr)
        return registry.ExecutableRecord()->hModule;
    auto lower = [](std::string s) {
        for (char& ch : s)
            ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
        return s;
    };
    std::string strFile = lower("/" + HostFileName(lpModuleName));
    for (tavren::ModuleRecord* pRecord : registry.LiveRecords()) {
        std::string strPath = lower(pRecord->strPath);
        if (strPath.size() >= strFile.size() && strPath.compare(strPath.size() - strFile.size(), strFile.size(), strFile) == 0)
            return pRecord->hModule;
    }
    return 0;
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize)
{
    std::u16string strPath;
    {
        auto& registry = tavren::CModuleRegistry::Get();
        std::lock_guard lock(registry.Mutex());
        tavren::ModuleRecord* pRecord = hModule == 0 ? registry.ExecutableRecord() : registry.RecordFromHandle(hModule);
        if (pRecord == nullptr)
            return 0;
        strPath = tavren::Utf8ToUtf16(pRecord->strPath);
    }
    if (lpFilename == nullptr || nSize == 0)
        return 0;
    // As Windows: truncated to the buffer, always terminated.
    DWORD nCopy = static_cast<DWORD>(strPath.size()) < nSize ? static_cast<DWORD>(strPath.size()) : nSize - 1;
    strPath.copy(lpFilename, nCopy);
    lpFilename[nCopy] = 0;
    return nCopy;
}
