#include "platform/afx/ModuleState.h"

#include "platform/afx/ModuleData.h"
#include "platform/afx/WinApp.h"
#include "platform/user/Resource.h"

#include <cstdlib>

namespace {
// Null stands for the executable's state, so a thread needs no set-up.
thread_local AFX_MODULE_STATE* t_pModuleState = nullptr;

AFX_MODULE_STATE* ExecutableState()
{
    auto& registry = tavren::CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    return &tavren::FrameworkData(registry.ExecutableRecord()).state;
}
} // namespace

AFX_MODULE_STATE* AfxGetModuleState()
{
    return t_pModuleState != nullptr ? t_pModuleState : ExecutableState();
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* pState)
{
    AFX_MODULE_STATE* pPrev = AfxGetModuleState();
    t_pModuleState = pState;
    return pPrev;
}

namespace tavren {

ModuleFrameworkData& FrameworkData(ModuleRecord* pRecord)
{
    if (pRecord->pFramework == nullptr) {
        pRecord->pFramework = new ModuleFrameworkData;   // as long-lived as the record
        pRecord->pFramework->state.m_hCurrentInstanceHandle = pRecord->hModule;
        pRecord->pFramework->state.m_hCurrentResourceHandle = pRecord->hModule;
    }
    return *pRecord->pFramework;
}

AFX_MODULE_STATE* ModuleStateFromAddress(const void* pAddress)
{
    auto& registry = CModuleRegistry::Get();
    ModuleRecord* pRecord = registry.RecordFromAddress(pAddress);
    if (pRecord == nullptr)
        return nullptr;
    // The module's first entry into its own state is its load-time initialisation.
    RunInitInstance(pRecord);
    std::lock_guard lock(registry.Mutex());
    return &FrameworkData(pRecord).state;
}

namespace {
// At process exit, modules still loaded get their ExitInstance before their application objects
// are destroyed (this handler is registered after every application object that has initialised).
void ExitAllModules()
{
    auto& registry = CModuleRegistry::Get();
    std::vector<ModuleRecord*> records;
    {
        std::lock_guard lock(registry.Mutex());
        records = registry.LiveRecords();
    }
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        RunExitInstance(*it);
}
} // namespace

bool RunInitInstance(ModuleRecord* pRecord)
{
    CWinApp* pApp = nullptr;
    AFX_MODULE_STATE* pState = nullptr;
    {
        auto& registry = CModuleRegistry::Get();
        std::lock_guard lock(registry.Mutex());
        ModuleFrameworkData& data = FrameworkData(pRecord);
        if (data.bInitDone || data.pApp == nullptr)
            return true;
        data.bInitDone = true;
        pApp = data.pApp;
        pState = &data.state;
        static bool s_bExitHandler = false;
        if (!s_bExitHandler) {
            s_bExitHandler = true;
            std::atexit(ExitAllModules);
        }
    }
    AFX_MAINTAIN_STATE2 switchState(pState);
    return pApp->InitInstance() != FALSE;
}

void RunExitInstance(ModuleRecord* pRecord)
{
    CWinApp* pApp = nullptr;
    AFX_MODULE_STATE* pState = nullptr;
    {
        auto& registry = CModuleRegistry::Get();
        std::lock_guard lock(registry.Mutex());
        ModuleFrameworkData& data = FrameworkData(pRecord);
        if (!data.bInitDone || data.bExitDone || data.pApp == nullptr)
            return;
        data.bExitDone = true;
        pApp = data.pApp;
        pState = &data.state;
    }
    AFX_MAINTAIN_STATE2 switchState(pState);
    pApp->ExitInstance();
}

namespace {
void OnModuleRevived(ModuleRecord* pRecord)
{
    if (ModuleFrameworkData* pData = pRecord->pFramework) {
        pData->state.m_hCurrentInstanceHandle = pRecord->hModule;
        pData->state.m_hCurrentResourceHandle = pRecord->hModule;
        pData->bInitDone = pData->bExitDone = false;
    }
}

ResourceChain CurrentResourceChain()
{
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    return {pState->m_hCurrentResourceHandle, pState->m_hCurrentInstanceHandle};
}

// The framework's part in LoadLibraryW and FreeLibrary, and the resource chain of the current
// module state, registered when the platform library starts.
const ModuleLifecycle g_lifecycle{RunInitInstance, RunExitInstance, OnModuleRevived};
[[maybe_unused]] const bool g_bRegistered =
    (SetModuleLifecycle(&g_lifecycle), SetResourceChainSource(&CurrentResourceChain), true);
} // namespace

} // namespace tavren

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE hInstResource) { AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource; }
CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }
const char16_t* AfxGetAppName() { return AfxGetModuleState()->m_lpszCurrentAppName; }
