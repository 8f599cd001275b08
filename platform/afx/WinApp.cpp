#include "platform/afx/WinApp.h"

#include "platform/kernel/ModuleRegistry.h"

CWinApp::CWinApp(const char16_t* lpszAppName)
{
    if (lpszAppName != nullptr) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName.c_str();
    }
    // The object lives in its module's data, so its own address names the module.
    auto& registry = tavren::CModuleRegistry::Get();
    tavren::ModuleRecord* pRecord = registry.RecordFromAddress(this);
    std::lock_guard lock(registry.Mutex());
    if (pRecord != nullptr) {
        pRecord->pApp = this;
        pRecord->state.m_pCurrentWinApp = this;
        pRecord->state.m_lpszCurrentAppName = m_pszAppName;
        m_hInstance = pRecord->hModule;
    }
}

CWinApp::~CWinApp()
{
    auto& registry = tavren::CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    for (tavren::ModuleRecord* pRecord : registry.AllRecords()) {
        if (pRecord->pApp == this) {
            pRecord->pApp = nullptr;
            pRecord->state.m_pCurrentWinApp = nullptr;
            pRecord->state.m_lpszCurrentAppName = nullptr;
        }
    }
}
