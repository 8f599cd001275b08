#include "platform/afx/WinApp.h"

#include "platform/afx/ModuleData.h"
#include "platform/user/Resource.h"

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
        tavren::ModuleFrameworkData& data = tavren::FrameworkData(pRecord);
        data.pApp = this;
        data.state.m_pCurrentWinApp = this;
        data.state.m_lpszCurrentAppName = m_pszAppName;
        m_hInstance = pRecord->hModule;
    }
}

CWinApp::~CWinApp()
{
    auto& registry = tavren::CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    for (tavren::ModuleRecord* pRecord : registry.AllRecords()) {
        tavren::ModuleFrameworkData* pData = pRecord->pFramework;
        if (pData != nullptr && pData->pApp == this) {
            pData->pApp = nullptr;
            pData->state.m_pCurrentWinApp = nullptr;
            pData->state.m_lpszCurrentAppName = nullptr;
        }
    }
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT)
{
    const char16_t* pszCaption = AfxGetAppName();
    return MessageBoxW(GetActiveWindow(), lpszText, pszCaption ? pszCaption : u"", nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    std::u16string strText;
    tavren::LoadResourceStringChain(nIDPrompt, strText);
    return AfxMessageBox(strText.c_str(), nType, nIDHelp);
}
