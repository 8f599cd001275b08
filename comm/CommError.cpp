#include "comm/CommError.h"

#include "platform/afx/CString.h"
#include "platform/afx/Wnd.h"
#include "res/resource.h"

namespace {


bool IsMachineError(int32_t nCode)
{
    return (static_cast<uint32_t>(nCode) & 0x8000u) != 0;
}

} // namespace

UINT CommErrorStringId(int32_t nCode)
{
    if (IsMachineError(nCode)) {
        if (nCode >= 0x8001 && nCode <= 0x8001 + 31)
            return IDS_ERR_MACHINE_FIRST + static_cast<UINT>(nCode - 0x8001);
        return IDS_ERR_MACHINE;
    }
    if (nCode == 0 || nCode == 4 || nCode == 13)
        return 0;
    if (nCode >= 1 && nCode <= 12)
        return IDS_ERR_UNDEFINED + static_cast<UINT>(nCode); // 12501 to 12512
    return IDS_ERR_UNDEFINED;
}

UINT CommErrorBoxStyle(int32_t nCode)
{
    const UINT nIcon = !IsMachineError(nCode) && nCode == 10 ? MB_ICONHAND : MB_ICONEXCLAMATION;
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
