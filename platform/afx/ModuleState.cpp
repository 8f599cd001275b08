#include "platform/afx/ModuleState.h"

#include "platform/kernel/ModuleRegistry.h"
#include "platform/afx/WinApp.h"

namespace {
// Null stands for the executable's state, so a thread needs no set-up.
thread_local AFX_MODULE_STATE* t_pModuleState = nullptr;

AFX_MODULE_STATE* ExecutableState()
{
    auto& registry = tavren::CModuleRegistry::Get();
    std::lock_guard lock(registry.Mutex());
    return &registry.ExecutableRecord()->state;
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
AFX_MODULE_STATE* ModuleStateFromAddress(const void* pAddress)
{
    ModuleRecord* pRecord = CModuleRegistry::Get().RecordFromAddress(pAddress);
    if (pRecord == nullptr)
        return nullptr;
    // The module's first entry into its own state is its load-time initialisation.
    RunInitInstance(pRecord);
    return &pRecord->state;
}
} // namespace tavren

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE hInstResource) { AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource; }
CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }
const char16_t* AfxGetAppName() { return AfxGetModuleState()->m_lpszCurrentAppName; }
