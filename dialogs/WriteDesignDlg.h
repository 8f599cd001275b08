// CWriteDesignDlg: "Write a Design". The host hands over one file as bytes with a proposed name;
// the person picks a folder on the machine or on a USB flash drive attached to the PC, may rename
// the file, and presses ">>": the bytes are written into the PC drive's folder or sent to the
// machine through the transfer dialog, and the dialog ends with IDOK, leaving the folder (and for
// the machine the storage) for the host. The destination list also browses, opens, makes, renames
// and deletes folders and files, and follows the machine and the drives as they come and go.
#pragma once

#include "lists/MacUsbListCtrl.h"
#include "platform/afx/ComboBoxEx.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/Static.h"

class CWriteDesignDlg : public CDialog {
public:
    enum { IDD = 13000 }; // IDD_WRITE_DESIGN
    // The host's target (TargetKind).
    enum { TargetUsbDrive = 0, TargetMachine = 1, TargetMachineOrUsbDrive = 2 };

    CWriteDesignDlg(HANDLE hDevice, const BYTE* pDesignData, uint32_t nDesignSize, LPCTSTR pszName, int32_t nKind,
                    BYTE bMachineLink, BYTE bSelectAfterSendEnable, LPCTSTR pszInitialFolder, int32_t* pStorage,
                    const int32_t* pSelectAfterSend, int32_t nTarget, BYTE bDeepFolders, CWnd* pParent);
    ~CWriteDesignDlg() override;

    HICON m_hIconSend = 0;
    HICON m_hIconNew = 0;
    HICON m_hIconOpen = 0;
    HICON m_hIconUp = 0;
    HICON m_hIconStyle = 0;
    int32_t m_nContextItem = 0;
    HANDLE m_hDevice = 0;
    const BYTE* m_pDesignData = nullptr; // the host's, not owned
    uint32_t m_nDesignSize = 0;
    int32_t m_nKind = CFolderListCtrl::LIST_DESIGN;
    BYTE m_bMachineLink = FALSE;
    int32_t m_nTarget = TargetUsbDrive;
    BYTE m_bDeepFolders = FALSE;
    // In: the host's initial folder (may be empty). Out: the folder the file went to.
    CString m_strResultFolder;
    HDEVNOTIFY m_hDeviceNotify = 0;
    int32_t* m_pStorage = nullptr; // the host's storage selector, not owned; null when USB-only
    CMacUsbListCtrl m_list;
    CComboBoxEx m_comboLocation;
    CString m_strName;
    CStatic m_staticTarget;
    int32_t m_bSelectAfterSend = 0;
    char16_t m_szSavedDirectory[261] = {};
    BYTE m_bReportView = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSend();
    afx_msg void OnRename();
    afx_msg void OnNewFolder();
    afx_msg void OnOpen();
    afx_msg void OnMenuOpen();
    afx_msg void OnUp();
    afx_msg void OnStyle();
    afx_msg void OnLocationChange();
    afx_msg void OnListClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnListActivate(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnListRClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
    // The list's context menu, opened at pt (screen coordinates).
    void ShowListMenu(POINT pt);
    afx_msg void OnMenuRename();
    afx_msg void OnMenuDelete();
    afx_msg BOOL OnDeviceChange(UINT nEventType, LPARAM dwData);
    DECLARE_MESSAGE_MAP()

    void UpdateButtons();
    void OnDrivesChanged(DWORD dwMask);
    BOOL SendToDrive();
    BOOL SendToMachine();
    // The start-up probe of the host's initial folder: the list opens it when it exists, and
    // m_strResultFolder is emptied when it does not.
    void ProbeInitialFolder();
    // The two machine bytes of GetStatus items 3 and 4 as a result code, 0 when sending may go on.
    static int32_t StatusToResultCode(BYTE a, BYTE b);
};
