// The exports: each switches to the module's own state for the whole call.
#include "module/TavrenApi.h"

#include "module/TavrenApp.h"
#include "platform/ModuleState.h"

extern "C" bool ChangeLanguage(int32_t language)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return TavrenApp().ChangeLanguage(language);
}
