// The File Manager's exports: STX patterns, and embroidery designs.
#include "module/TavrenApi.h"

#include "dialogs/FileManagerDlg.h"
#include "module/ConnectedDeviceCheck.h"
#include "platform/afx/ModuleState.h"

namespace {

int32_t RunFileManager(uint32_t parent, uint8_t deepFolders, int32_t target, int32_t nKind)
{
    if (static_cast<uint32_t>(target) > 2)
        return -1;
    CWnd* pParent = CWnd::FromHandle(parent);
    HANDLE hDevice = 0;
    BYTE bMachineLink = FALSE;
    if (target != 0) {
        if (!RunConnectedDeviceCheck(pParent, hDevice))
            return -1;
        bMachineLink = TRUE;
    }
    CFileManagerDlg dlg(pParent);
    dlg.m_hDevice = hDevice;
    dlg.m_nKind = nKind;
    dlg.m_bMachineLink = bMachineLink;
    dlg.m_nTarget = target;
    dlg.m_bDeepFolders = deepFolders;
    return static_cast<int32_t>(dlg.DoModal());
}

} // namespace

extern "C" int32_t ManageStxDialog(uint32_t parent, uint8_t deepFolders, int32_t target)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RunFileManager(parent, deepFolders, target, CFolderListCtrl::LIST_STX);
}

// Beyond the host's five exports: embroiderers browse, fetch and send their designs with
// thumbnails in the same two panes, so the File Manager is offered for designs as well.
extern "C" int32_t ManageDesignDialog(uint32_t parent, uint8_t deepFolders, int32_t target)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RunFileManager(parent, deepFolders, target, CFolderListCtrl::LIST_DESIGN);
}
