// CCommunicationThread: the worker of one transfer. Its owner (the progress dialog) fills in the
// request kind, device, storage, folder and records, starts a run, and reads the records that
// succeeded and the names that failed after it. Progress reaches m_hNotifyWnd as WM_XFER_START and
// WM_XFER_STEP (sent), the result as WM_XFER_DONE (posted).
#pragma once

#include "comm/CommunicationData.h"
#include "comm/RequestKind.h"
#include "comm/ThreadCtrl.h"
#include "platform/afx/CArray.h"
#include "platform/afx/CStringArray.h"
#include "platform/afx/CriticalSection.h"

#include <atomic>
#include <functional>
#include <memory>

class CCommunicationThread : public CThreadCtrl {
public:
    CCommunicationThread();
    ~CCommunicationThread() override;

    // ---- owner's side (user-interface thread)
    // Starts a run with the fields as they stand: progress wanted, busy, m_evWork signalled.
    void BeginRun();
    // Asks a busy run to stop (it ends with 4); nothing when the worker is idle.
    void Cancel();
    // Progress off, a busy run cancelled and waited for, the worker ended and its object deleted.
    void Stop();
    // Sets the window that receives the messages (null: none), under the lock.
    void SetNotifyWindow(HWND hWnd);
    bool IsBusy() const { return m_bBusy.load(); }

    // ---- the record list
    // Releases every record and empties the failed names.
    void ClearRequests();
    // Removes count records from first on (nothing unless the range lies inside the list); the
    // names of those that have one go to m_failedNames, in order.
    void RemoveRequests(INT_PTR nFirst, INT_PTR nCount);

    // ---- worker's side
    void DoWork() override;
    // The run of m_nRequest and its result code (library loaded).
    int32_t RunRequest();

    // The recursive operations of a folder-tree delete. CountTree adds to nCount the number of
    // files and folders in the tree (the folder included); DeleteTree erases it depth first and
    // reports one step per file or folder removed, numbered from nIndex on.
    int32_t CountTree(const CString& strFolder, int32_t& nCount);
    int32_t DeleteTree(const CString& strFolder, int32_t& nIndex);

    int32_t m_nRequest = 0;      // RequestKind
    HANDLE m_hDevice = 0;
    uint16_t m_nStorage = 0;
    CString m_strFolder;         // no trailing separator
    CCriticalSection m_lock;     // guards m_hNotifyWnd and m_bProgress
    HWND m_hNotifyWnd = 0;
    BYTE m_bProgress = FALSE;
    std::atomic<BYTE> m_bBusy{FALSE};
    CEvent m_evCancel;           // automatic reset
    CArray<CCommunicationData*, CCommunicationData* const&> m_requests;
    CStringArray m_failedNames;

protected:
    void IdleWhilePolling() override;

private:
    int32_t RunItems();
    int32_t RunSingleUpload(const std::function<int32_t(BYTE**, uint32_t*)>& upload);
    int32_t RunList();
    int32_t RunReceiveCurrent();
    int32_t RunDeleteFolder();
    int32_t FetchTreeListing(const CString& strFolder, int nDepth, std::unique_ptr<CCommunicationData>& pListing);
    int32_t DeleteTreeAt(const CString& strFolder, int32_t& nIndex, int nDepth);
    int32_t CountTreeAt(const CString& strFolder, int32_t& nCount, int nDepth);
    // One item of a multi-item run: the library call for record pData.
    int32_t CallForItem(CCommunicationData* pData);

    // Waits up to nMilliseconds for a cancel; true when one came (and was consumed).
    bool Cancelled(DWORD nMilliseconds);
    // The wait before each item and listing: 100 ms, or $TAVREN_PACING_MS (the tests lower it).
    static DWORD PacingMs();
    void SendProgress(UINT nMessage, WPARAM wParam);
    void PostDone(int32_t nResult);
    CString PathOf(const CString& strName) const;
};
