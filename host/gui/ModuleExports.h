// The module's exports as a host finds them: Tavren loaded with dlopen beside the program, each
// export looked up by name. One that is missing stays null and is not offered.
#pragma once

#include "module/TavrenApi.h"

#include <filesystem>
#include <string>

class CModuleExports {
public:
    // False with a reason when libTavren.so cannot be loaded from folder.
    bool Load(const std::filesystem::path& folder, std::string& strError);

    decltype(&::ChangeLanguage) m_pfnChangeLanguage = nullptr;
    decltype(&::ComSetDialog) m_pfnComSetDialog = nullptr;
    decltype(&::WriteSendDialog) m_pfnWriteSendDialog = nullptr;
    decltype(&::WriteSendStxDialog) m_pfnWriteSendStxDialog = nullptr;
    decltype(&::ManageStxDialog) m_pfnManageStxDialog = nullptr;
    decltype(&::ManageDesignDialog) m_pfnManageDesignDialog = nullptr;

private:
    void* m_hModule = nullptr; // kept loaded until the program ends
};
