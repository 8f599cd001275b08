#include "module/ConnectedDeviceCheck.h"

#include "link/MachineLink.h"
#include "platform/user/MessageBox.h"
#include "res/resource.h"

bool RunConnectedDeviceCheck(CWnd* pParent, HANDLE& hDevice)
{
    hDevice = 0;
    if (!EnsureMachineLink())
        return false;
    int32_t nStatus = 0;
    hDevice = MachineLink().m_pfnGetConnectedDevice(0, -1, &nStatus);
    if (nStatus == 2) {
        CString strText, strCaption;
        strText.LoadString(IDS_ERR_NOT_SUPPORTED);
        strCaption.LoadString(IDS_CAPTION_CONFIRM);
        ::MessageBoxW(pParent ? pParent->GetSafeHwnd() : 0, strText, strCaption, MB_OK | MB_ICONINFORMATION);
    }
    return true;
}
