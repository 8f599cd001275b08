// CWinApp: the application object of a module.
//
// A module defines one global object of a class derived from CWinApp. Its constructor ties it to
// the module whose data holds it (AfxGetApp() in that module's state). InitInstance runs once, when
// LoadLibrary loads the module or, for a module linked into the program, on the module's first
// entry into its own state (AFX_MANAGE_STATE(AfxGetStaticModuleState()), the first call of an
// export), before the export's body runs: the place of the module's load-time initialisation.
// ExitInstance runs when FreeLibrary unloads it, or at process exit, before the object is destroyed.
//
// Deliberately missing: the message pump (Run), document templates, profile settings, and the
// thread side of MFC's CWinApp (it is not a CWinThread here; modules built as libraries never pump).
#pragma once

#include "platform/afx/ModuleState.h"
#include "platform/user/MessageBox.h"

#include <string>

class CWinApp {
public:
    explicit CWinApp(const char16_t* lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    const char16_t* m_pszAppName = nullptr;
    HINSTANCE m_hInstance = 0;

private:
    std::u16string m_strAppName;
};

// The framework's message box: the caption is the application's name, the owner the window in front.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text is string nIDPrompt of the resource chain.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
