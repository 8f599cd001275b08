// The framework's own data of a module, kept on the kernel's module record (ModuleRegistry.h):
// its AFX_MODULE_STATE, its application object, and whether InitInstance and ExitInstance ran.
// Internal to the platform layer.
#pragma once

#include "platform/afx/ModuleState.h"
#include "platform/kernel/ModuleRegistry.h"

namespace tavren {

struct ModuleFrameworkData {
    AFX_MODULE_STATE state;
    CWinApp* pApp = nullptr;
    bool bInitDone = false;
    bool bExitDone = false;
};

// The framework's data of the module, made on first use with the module's own handle as its
// instance and resource handle. Call with the registry's Mutex() held.
ModuleFrameworkData& FrameworkData(ModuleRecord* pRecord);
// Runs the module's InitInstance once if it has an application object; false when it refused.
bool RunInitInstance(ModuleRecord* pRecord);
// Runs the module's ExitInstance once if InitInstance ran.
void RunExitInstance(ModuleRecord* pRecord);

} // namespace tavren
