#include "module/TavrenApp.h"

#include "link/MachineLink.h"
#include "platform/kernel/Library.h"

namespace {
CTavrenApp theApp;

constexpr int32_t kLanguageEnglishUs = 1033;
constexpr int32_t kLanguageJapanese = 1041;
} // namespace

CTavrenApp& TavrenApp() { return theApp; }

CTavrenApp::CTavrenApp() : CWinApp(nullptr) {}

BOOL CTavrenApp::InitInstance()
{
    CWinApp::InitInstance();
    MachineLink().Clear();
    return TRUE;
}

int CTavrenApp::ExitInstance()
{
    ReleaseLanguageModule();
    return CWinApp::ExitInstance();
}

void CTavrenApp::ReleaseLanguageModule()
{
    if (m_hLangResource == m_hSavedResource)
        return;
    AfxSetResourceHandle(m_hSavedResource);
    FreeLibrary(m_hLangResource);
    m_hSavedResource = 0;
    m_hLangResource = 0;
}

bool CTavrenApp::ChangeLanguage(int32_t language)
{
    ReleaseLanguageModule();
    if (language == kLanguageEnglishUs)
        return true;
    if (language != kLanguageJapanese)
        return false;
    HINSTANCE h = LoadLibraryW(u"TavrenJ.dll");
    if (!h)
        return false;
    m_hSavedResource = AfxGetResourceHandle();
    m_hLangResource = h;
    AfxSetResourceHandle(h);
    return true;
}
