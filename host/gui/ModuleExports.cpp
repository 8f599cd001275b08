#include "host/gui/ModuleExports.h"

#include <dlfcn.h>

bool CModuleExports::Load(const std::filesystem::path& folder, std::string& strError)
{
    m_hModule = dlopen((folder / "libTavren.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_hModule) {
        const char* e = dlerror();
        strError = e ? e : "cannot load libTavren.so";
        return false;
    }
    m_pfnChangeLanguage = reinterpret_cast<decltype(m_pfnChangeLanguage)>(dlsym(m_hModule, "ChangeLanguage"));
    m_pfnComSetDialog = reinterpret_cast<decltype(m_pfnComSetDialog)>(dlsym(m_hModule, "ComSetDialog"));
    m_pfnWriteSendDialog = reinterpret_cast<decltype(m_pfnWriteSendDialog)>(dlsym(m_hModule, "WriteSendDialog"));
    m_pfnWriteSendStxDialog = reinterpret_cast<decltype(m_pfnWriteSendStxDialog)>(dlsym(m_hModule, "WriteSendStxDialog"));
    m_pfnManageStxDialog = reinterpret_cast<decltype(m_pfnManageStxDialog)>(dlsym(m_hModule, "ManageStxDialog"));
    m_pfnManageDesignDialog = reinterpret_cast<decltype(m_pfnManageDesignDialog)>(dlsym(m_hModule, "ManageDesignDialog"));
    return true;
}
