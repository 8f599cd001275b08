// The per-module state of the framework and the per-call switch to a module's own state.
//
// Each module (the executable, libTavren, a language module ...) has one AFX_MODULE_STATE holding
// its instance handle, its current resource handle (its own instance until AfxSetResourceHandle
// points it at a language module) and its application object. Each thread has a current module
// state, initially the executable's. An export of a module starts with
//
//     AFX_MANAGE_STATE(AfxGetStaticModuleState());
//
// which makes the module's own state current until the enclosing scope is left on any path
// (return, exception), then restores the caller's. A worker thread starts in the executable's
// state; AfxBeginThread gives it its creator's with AfxSetModuleState.
//
// The module's CWinApp::InitInstance runs on the module's first entry into its own state (or when
// LoadLibrary loads it), ExitInstance when FreeLibrary unloads it or at process exit (WinApp.h).
#pragma once

#include "platform/base/WinTypes.h"

class CWinApp;

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle = 0;
    HINSTANCE m_hCurrentResourceHandle = 0;
    const char16_t* m_lpszCurrentAppName = nullptr;
    CWinApp* m_pCurrentWinApp = nullptr;
};

// The calling thread's current module state (never null).
AFX_MODULE_STATE* AfxGetModuleState();
// Makes pState current on this thread; returns the previous one. Null selects the executable's.
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* pState);

namespace tavren {
// The state of the module that contains pAddress (created on first use; null only when the
// address lies in no loaded module). Runs that module's InitInstance on first use.
AFX_MODULE_STATE* ModuleStateFromAddress(const void* pAddress);
} // namespace tavren

namespace {
// An address inside the module that includes this header: each shared library gets its own copy,
// so AfxGetStaticModuleState() answers the state of the module it is called from.
inline char g_chTavrenModuleAnchor = 0;
// The state of the module this code is compiled into, as MFC's function of that name.
inline AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    return tavren::ModuleStateFromAddress(&g_chTavrenModuleAnchor);
}
} // namespace

// Switches to a module state for the lifetime of the object.
class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState) : m_pPrevState(AfxSetModuleState(pNewState)) {}
    ~AFX_MAINTAIN_STATE2() { AfxSetModuleState(m_pPrevState); }
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevState;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _afxManageState(p)

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
CWinApp* AfxGetApp();
const char16_t* AfxGetAppName();
