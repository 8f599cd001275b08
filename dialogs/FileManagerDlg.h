// CFileManagerDlg: "File Manager", two panes side by side. The PC on the left, the machine's
// storages or a USB flash drive attached to the PC on the right; files ticked in one pane are
// copied to the other with ">>" and "<<". The dialog and its panes' buttons, menus and device
// handling are in FileManagerDlg.cpp; the four copies behind the arrows, with their checks and
// reports, in FileManagerTransfers.cpp.
#pragma once

#include "lists/MacUsbListCtrl.h"
#include "lists/PcListCtrl.h"
#include "platform/afx/ComboBoxEx.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/Static.h"

class CFileManagerDlg : public CDialog {
public:
    enum { IDD = 13016 }; // IDD_FILE_MANAGER

    explicit CFileManagerDlg(CWnd* pParent = nullptr);
    ~CFileManagerDlg() override;

    // The four copies (FileManagerTransfers.cpp). Non-zero: clear the source pane's ticks.
    int32_t SendTickedToMachine();
    int32_t CopyTickedToDrive();
    int32_t ReceiveTickedFromMachine();
    int32_t CopyTickedFromDrive();

    void UpdateButtons();

    // Filled by the export before DoModal.
    HANDLE m_hDevice = 0;
    int32_t m_nKind = CFolderListCtrl::LIST_STX;
    BYTE m_bMachineLink = FALSE;
    int32_t m_nTarget = 0;
    BYTE m_bDeepFolders = FALSE;

    // Button pictures, one handle per button; destroyed with the dialog.
    enum {
        ICON_TO_MACHINE, ICON_TO_PC,
        ICON_PC_NEW, ICON_PC_OPEN, ICON_PC_UP, ICON_PC_STYLE, ICON_PC_DELETE,
        ICON_MACHINE_NEW, ICON_MACHINE_OPEN, ICON_MACHINE_UP, ICON_MACHINE_STYLE, ICON_MACHINE_DELETE,
        ICON_COUNT
    };
    HICON m_ahIcons[ICON_COUNT] = {};
    int32_t m_nContextItem = 0;
    CString m_strPcCount;
    CString m_strMachineCount;
    CPcListCtrl m_listPc;
    CMacUsbListCtrl m_listMachine;
    CComboBoxEx m_comboPc;
    CComboBoxEx m_comboMachine;
    CStatic m_staticTarget;
    HANDLE m_hDeviceNotify = 0;
    BYTE m_bPcReportView = FALSE;
    BYTE m_bMachineReportView = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;

    afx_msg void OnPcNewFolder();
    afx_msg void OnMachineNewFolder();
    afx_msg void OnPcOpen();
    afx_msg void OnMachineOpen();
    afx_msg void OnMachineMenuOpen();
    afx_msg void OnPcUp();
    afx_msg void OnMachineUp();
    afx_msg void OnPcStyle();
    afx_msg void OnMachineStyle();
    afx_msg void OnPcDelete();
    afx_msg void OnMachineDelete();
    afx_msg void OnCopyToMachineSide();
    afx_msg void OnCopyToPc();
    afx_msg void OnPcLocationChange();
    afx_msg void OnMachineLocationChange();
    afx_msg void OnPcListClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnPcListActivate(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnPcListRClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
    // The lists' context menus, opened at pt (screen coordinates).
    void ShowPcMenu(POINT pt);
    void ShowMachineMenu(POINT pt);
    afx_msg void OnMachineListClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnMachineListActivate(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnMachineListRClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnPcMenuRename();
    afx_msg void OnMachineMenuRename();
    afx_msg void OnPcMenuDelete();
    afx_msg void OnMachineMenuDelete();
    afx_msg void OnPcCheckAll();
    afx_msg void OnPcUncheckAll();
    afx_msg void OnMachineCheckAll();
    afx_msg void OnMachineUncheckAll();
    afx_msg BOOL OnDeviceChange(UINT nEventType, LPARAM dwData);
    DECLARE_MESSAGE_MAP()

    void OnDrivesChanged(DWORD dwMask);
};
