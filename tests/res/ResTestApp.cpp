// A module with an application object, for the tests of loading and unloading: it counts its
// InitInstance and reports ExitInstance into a counter the test hands it.
#include "platform/afx/WinApp.h"

namespace {
int g_nInitCount = 0;
int* g_pExitCount = nullptr;

class CResTestApp : public CWinApp {
public:
    CResTestApp() : CWinApp(u"ResTestApp") {}
    BOOL InitInstance() override
    {
        CWinApp::InitInstance();
        ++g_nInitCount;
        // Runs in the module's own state, as a DLL's initialisation does.
        return AfxGetInstanceHandle() == m_hInstance;
    }
    int ExitInstance() override
    {
        if (g_pExitCount != nullptr)
            ++*g_pExitCount;
        return CWinApp::ExitInstance();
    }
};

CResTestApp theApp;
} // namespace

#define RES_TEST_EXPORT extern "C" __attribute__((visibility("default")))

// How often InitInstance ran; ExitInstance counts into *pExitCount from now on.
RES_TEST_EXPORT int ResTestInitCount(int* pExitCount)
{
    g_pExitCount = pExitCount;
    return g_nInitCount;
}

// The application object, and the module's instance as its own code sees it inside an export.
RES_TEST_EXPORT CWinApp* ResTestApp(HINSTANCE* phInstance)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    *phInstance = AfxGetInstanceHandle();
    return AfxGetApp();
}
