// CTransferDlg: the modal "Transfering Data" dialog that every long machine operation runs under.
//
// The caller builds it on its stack, queues the records, runs DoModal and reads the outcome:
//
//     CTransferDlg dlg(m_hDevice, nStorage, strFolder, rkSend, this);
//     for (each file) dlg.AddSendFile(strPath);
//     dlg.DoModal();                           // IDOK when the run ended with 0, else IDCANCEL
//     if (IsReportedResult(dlg.m_nResult))
//         ShowCommError(m_hWnd, dlg.m_nResult);
//     // dlg.m_pResults: the records that succeeded, in queued order (for rkList and
//     // rkReceiveCurrent the one record with the listing or the design);
//     // dlg.m_pFailedNames: the names that did not.
//
// The dialog starts the worker when it is initialised and the run when it is first shown, moves
// its bar 20 units a step from a 5 ms timer, closes itself when the run is over (a partial failure
// lets the bar run out first), and stops the worker when its window is destroyed. Escape cancels
// the run; Enter does nothing.
#pragma once

#include "comm/CommunicationThread.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/ProgressCtrl.h"
#include "platform/afx/Static.h"

class CTransferDlg : public CDialog {
public:
    using CRequestList = CArray<CCommunicationData*, CCommunicationData* const&>;

    // pszFolder: the machine folder (no trailing "\"), or null to leave it empty.
    CTransferDlg(HANDLE hDevice, uint16_t nStorage, LPCTSTR pszFolder, int32_t nRequest, CWnd* pParentWnd = nullptr);
    ~CTransferDlg() override;

    // ---- queueing, before DoModal; true when a record was appended
    // rkSend: the file at pszPath read whole, named after its last path component.
    BOOL AddSendFile(LPCTSTR pszPath);
    // rkSend: a copy of the bytes under pszName.
    BOOL AddSendData(LPCTSTR pszName, const BYTE* pBytes, uint32_t nSize);
    // rkReceive, rkErase: one name.
    BOOL AddName(LPCTSTR pszName);
    // rkRenameFile, rkRenameFolder: the current name and the new one.
    BOOL AddRename(LPCTSTR pszOldName, LPCTSTR pszNewName);

    BOOL DestroyWindow() override;

    CCommunicationThread m_thread;
    CRequestList* m_pQueue;             // null once the window is destroyed
    CRequestList* m_pResults = nullptr; // set when the window is destroyed: the records that succeeded
    CStringArray* m_pFailedNames = nullptr; // set when the window is destroyed: the names that failed
    int32_t m_nResult = 0;
    BYTE m_bStarted = FALSE;
    CStatic m_staticText;
    CProgressCtrl m_progress;
    UINT_PTR m_nTimer = 0;
    int32_t m_nLower = 0;
    int32_t m_nUpper = 100;
    int32_t m_nStep = 1;
    int32_t m_nBarTarget = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter never closes the dialog.
    void OnOK() override {}

    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg LRESULT OnXferStart(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnXferStep(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnXferDone(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    bool Queue(CCommunicationData* pData);
    // The completion message has been handled (the timer closes the dialog only after it).
    bool m_bDone = false;
};
