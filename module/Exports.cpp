// The exports: each switches to the module's own state for the whole call.
#include "module/TavrenApi.h"

#include "dialogs/ComSetDlg.h"
#include "module/TavrenApp.h"
#include "platform/afx/ModuleState.h"

extern "C" bool ChangeLanguage(int32_t language)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return TavrenApp().ChangeLanguage(language);
}

extern "C" int32_t ComSetDialog(uint32_t parent, int32_t hostValue)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CComSetDlg dlg(CWnd::FromHandle(parent));
    dlg.m_nConnection = 0;
    dlg.m_nHostValue = hostValue;
    return static_cast<int32_t>(dlg.DoModal());
}
