// The module's application object: the language module it has switched in, if any.
#pragma once

#include "platform/afx/WinApp.h"

class CTavrenApp : public CWinApp {
public:
    CTavrenApp();
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Switches the module's resources to the language; false when it cannot (the module's own
    // resources are then in force).
    bool ChangeLanguage(int32_t language);

    HINSTANCE m_hSavedResource = 0; // the resource handle before a language module was switched in
    HINSTANCE m_hLangResource = 0;  // the loaded language module, 0 when none

private:
    void ReleaseLanguageModule();
};

CTavrenApp& TavrenApp();
