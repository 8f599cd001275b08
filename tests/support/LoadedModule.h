// libTavren loaded with dlopen, as a host loads it, with its exports found by name. Header-only,
// so that a program without the platform library (the module copied alone) can use it too.
//
//   tavren::test::LoadedModule module;                    // from the build's bin folder
//   ASSERT_TRUE(module.Loaded()) << module.Error();
//   module.pfnComSetDialog(0, 0);
//
// An export the module does not have stays null.
#pragma once

#include "module/TavrenApi.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tavren::test {

class LoadedModule {
public:
    using PfnManageDialog = int32_t (*)(uint32_t parent, uint8_t deepFolders, int32_t target);

    explicit LoadedModule(const std::string& strFolder = BinDir())
    {
        m_hModule = dlopen((strFolder + "/libTavren.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_hModule) {
            const char* pszError = dlerror();
            m_strError = pszError ? pszError : "dlopen failed";
            return;
        }
        Find(pfnChangeLanguage, "ChangeLanguage");
        Find(pfnComSetDialog, "ComSetDialog");
        Find(pfnWriteSendDialog, "WriteSendDialog");
        Find(pfnWriteSendStxDialog, "WriteSendStxDialog");
        Find(pfnManageStxDialog, "ManageStxDialog");
        Find(pfnManageDesignDialog, "ManageDesignDialog");
    }
    ~LoadedModule()
    {
        if (m_hModule)
            dlclose(m_hModule);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool Loaded() const { return m_hModule != nullptr; }
    const std::string& Error() const { return m_strError; }
    // Whether the machine link (libQuorvel.so of the build's folder) is loaded in this process, as
    // a host sees the module load it. Once loaded it stays, so this tells of the module's own link
    // only in a process that had not loaded it before (ctest runs each case in a process of its own).
    static bool MachineLinkLoaded()
    {
        void* h = dlopen((BinDir() + "/libQuorvel.so").c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (h)
            dlclose(h);
        return h != nullptr;
    }

    // The folder of the build's programs and libraries.
    static std::string BinDir()
    {
        if (const char* pszDir = std::getenv("TAVREN_BIN_DIR"); pszDir && *pszDir)
            return pszDir;
        return std::filesystem::canonical("/proc/self/exe").parent_path().string();
    }

    decltype(&::ChangeLanguage) pfnChangeLanguage = nullptr;
    decltype(&::ComSetDialog) pfnComSetDialog = nullptr;
    decltype(&::WriteSendDialog) pfnWriteSendDialog = nullptr;
    decltype(&::WriteSendStxDialog) pfnWriteSendStxDialog = nullptr;
    decltype(&::ManageStxDialog) pfnManageStxDialog = nullptr;
    PfnManageDialog pfnManageDesignDialog = nullptr;

private:
    template <typename Pfn>
    void Find(Pfn& pfn, const char* pszName) { pfn = reinterpret_cast<Pfn>(dlsym(m_hModule, pszName)); }

    void* m_hModule = nullptr;
    std::string m_strError;
};

} // namespace tavren::test
