// "Connection Settings": USB or wireless LAN. The dialog hands back only its modal result; the
// choice itself is kept nowhere.
#pragma once

#include "platform/afx/Dialog.h"
#include "platform/afx/ListCtrl.h"

class CComSetDlg : public CDialog {
public:
    enum { IDD = 13024 }; // IDD_COM_SET

    explicit CComSetDlg(CWnd* pParent = nullptr);
    ~CComSetDlg() override;

    int32_t m_nConnection = 0; // 0 USB, 1 wireless LAN
    int32_t m_nHostValue = 0;  // the host's second argument: kept, never used
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnBnClickedUsb();
    afx_msg void OnBnClickedWirelessLan();
    afx_msg void OnBnClickedSearch();
    afx_msg void OnBnClickedOk();
    afx_msg void OnNMClickList(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void ApplyUsbState();
    void ApplyWirelessLanState();
};
