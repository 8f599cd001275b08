// The transfer dialog of a soak lane: it tells the soak which window it is while it is up, so the
// soak can close it the way Escape does in the middle of a run.
#pragma once

#include "comm/TransferDlg.h"

#include <atomic>

namespace soak {

class SoakTransferDlg : public CTransferDlg {
public:
    SoakTransferDlg(HANDLE hDevice, uint16_t nStorage, LPCTSTR pszFolder, int32_t nRequest, std::atomic<HWND>& hShown)
        : CTransferDlg(hDevice, nStorage, pszFolder, nRequest), m_hShown(hShown)
    {
    }

    BOOL OnInitDialog() override
    {
        const BOOL bResult = CTransferDlg::OnInitDialog();
        m_hShown = m_hWnd;
        return bResult;
    }
    BOOL DestroyWindow() override
    {
        m_hShown = 0;
        return CTransferDlg::DestroyWindow();
    }

private:
    std::atomic<HWND>& m_hShown;
};

} // namespace soak
