#include "comm/CommError.h"

#include "link/ResultCode.h"
#include "platform/afx/CString.h"
#include "platform/afx/Wnd.h"
#include "res/resource.h"

UINT CommErrorStringId(int32_t nCode)
{
    switch (ClassOfResult(nCode)) {
    case ResultClass::Success:
    case ResultClass::Cancelled:
        return 0;
    case ResultClass::MachineError:
        if (nCode >= rcMachineFailed && nCode <= rcMachineLast)
            return IDS_ERR_MACHINE_FIRST + static_cast<UINT>(nCode - rcMachineFailed);
        return IDS_ERR_MACHINE;
    case ResultClass::LinkError:
        break;
    }
    if (nCode == rcSilent)
        return 0;
    if (nCode >= rcNotConnected && nCode <= rcFilesNotFound)
        return IDS_ERR_UNDEFINED + static_cast<UINT>(nCode); // 12501 to 12512
    return IDS_ERR_UNDEFINED;
}

UINT CommErrorBoxStyle(int32_t nCode)
{
    const UINT nIcon = nCode == rcOutOfMemory ? MB_ICONHAND : MB_ICONEXCLAMATION;
    return MB_OK | nIcon | MB_TOPMOST;
}

int ShowCommError(HWND hWnd, int32_t nCode)
{
    CString strCaption;
    strCaption.LoadString(IDS_CAPTION_COMM_ERROR);
    const UINT nStringId = CommErrorStringId(nCode);
    if (nStringId == 0)
        return 1;
    CString strText;
    strText.LoadString(nStringId);
    if (!IsWindow(hWnd))
        return 1;
    return CWnd::FromHandle(hWnd)->MessageBox(strText, strCaption, CommErrorBoxStyle(nCode));
}
