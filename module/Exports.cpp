// The exports: each switches to the module's own state for the whole call.
#include "module/TavrenApi.h"

#include "dialogs/ComSetDlg.h"
#include "dialogs/WriteDesignDlg.h"
#include "module/ConnectedDeviceCheck.h"
#include "module/TavrenApp.h"
#include "platform/afx/ModuleState.h"

#include <cstring>

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

namespace {

// What WriteSendDialog and WriteSendStxDialog share; nKind tells designs (0) from STX files (1).
int32_t RunWriteSend(int32_t nKind, const uint8_t* bytes, uint32_t count, const char16_t* name,
                     uint8_t selectAfterSendEnable, char16_t* folder, uint32_t folderBytes, int32_t* storage,
                     int32_t* selectAfterSend, int32_t target, uint8_t deepFolders, uint32_t parent)
{
    if (!bytes || count == 0 || !name || static_cast<uint32_t>(target) > 2)
        return -1;
    CWnd* pParent = CWnd::FromHandle(parent);
    const bool bMachine = target != 0;
    HANDLE hDevice = 0;
    if (bMachine && !RunConnectedDeviceCheck(pParent, hDevice))
        return -1;
    // Only designs are selected on the machine after a send; USB-only ignores the machine's
    // arguments altogether.
    const bool bDesignToMachine = bMachine && nKind == CFolderListCtrl::LIST_DESIGN;
    CWriteDesignDlg dlg(hDevice, bytes, count, name, nKind, bMachine ? 1 : 0, bDesignToMachine ? selectAfterSendEnable : 0,
                        folder, bMachine ? storage : nullptr, bDesignToMachine ? selectAfterSend : nullptr,
                        bMachine ? target : 0, deepFolders, pParent);
    const int32_t nResult = static_cast<int32_t>(dlg.DoModal());
    if (nResult == IDOK && folder) {
        const CString& strFolder = dlg.m_strResultFolder;
        // Copied only when it fits whole, with its terminating zero.
        const uint64_t nNeeded = (static_cast<uint64_t>(strFolder.GetLength()) + 1) * 2;
        if (nNeeded <= folderBytes)
            std::memcpy(folder, static_cast<const char16_t*>(strFolder), static_cast<size_t>(nNeeded));
    }
    return nResult;
}

} // namespace

extern "C" int32_t WriteSendDialog(const uint8_t* bytes, uint32_t count, const char16_t* name, uint8_t selectAfterSendEnable,
                                   char16_t* folder, uint32_t folderBytes, int32_t* storage, int32_t* selectAfterSend,
                                   int32_t target, uint8_t deepFolders, uint32_t parent)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RunWriteSend(CFolderListCtrl::LIST_DESIGN, bytes, count, name, selectAfterSendEnable, folder, folderBytes, storage,
                        selectAfterSend, target, deepFolders, parent);
}

extern "C" int32_t WriteSendStxDialog(const uint8_t* bytes, uint32_t count, const char16_t* name,
                                      uint8_t selectAfterSendEnable, char16_t* folder, uint32_t folderBytes,
                                      int32_t* storage, int32_t* selectAfterSend, int32_t target, uint8_t deepFolders,
                                      uint32_t parent)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RunWriteSend(CFolderListCtrl::LIST_STX, bytes, count, name, selectAfterSendEnable, folder, folderBytes, storage,
                        selectAfterSend, target, deepFolders, parent);
}
