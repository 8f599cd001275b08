// The runs of the communication thread, one per request kind, on the worker thread.
#include "comm/CommunicationThread.h"
#include "comm/ListingReader.h"
#include "link/MachineLink.h"
#include "link/ResultCode.h"
#include "platform/user/WinUser.h"

#include <functional>
#include <memory>
#include <new>

namespace {

// Codes of the library that end a multi-item run at once (the cable, the link, a machine that is
// busy or missing its drive); every other failure skips the item and the run goes on.
bool IsStopCode(int32_t nKind, int32_t nCode)
{
    if (nCode == rcReconnectCable || nCode == rcBrokenPacket || nCode == rcSendFailed ||
        (nCode >= rcMachineFailed && nCode <= rcMachineLocked) || nCode == rcMachineNoFlashDrive)
        return true;
    switch (nKind) {
    case rkSend:
        return nCode == rcMachineOpeningOrSaving || nCode == rcMachineFull;
    case rkReceive:
        // A time-out ends a receive (what follows would time out too); the machine opening or
        // saving a file only skips the item.
        return nCode == rcTimeOut;
    default:
        return nCode == rcMachineOpeningOrSaving;
    }
}

int32_t PartialFailureCode(int32_t nKind)
{
    switch (nKind) {
    case rkSend:
        return rcSaveFailed;
    case rkReceive:
        return rcOpenFailed;
    case rkErase:
        return rcDeleteFailed;
    case rkCreateFolder:
        return rcCreateFolderFailed;
    default:
        return rcRenameFailed; // the two renames
    }
}

// A listing that claims more than it carries came from a broken answer.
constexpr int32_t kBrokenListing = rcBrokenPacket;
// Deeper than any folder the machine can show: a listing that keeps nesting is not followed.
constexpr int kMaxTreeDepth = 64;

// A name that, joined to its folder, cannot name an entry of that folder (empty, ".", "..", or
// with a separator): descending into it could come back to the same folder, and erasing or
// renaming it would act on a file the listing never showed.
bool IsAddressableName(const CString& strName)
{
    return !strName.IsEmpty() && strName != u"." && strName != u".." && strName.Find(u'\\') < 0;
}

void FreeLinkBuffer(BYTE*& pBuffer)
{
    MachineLink().m_pfnGlobalHeapFree(&pBuffer);
}

// The library's buffer copied into a record of our own, then released. False (buffer released)
// when the copy cannot be allocated.
bool TakeLinkBuffer(BYTE*& pBuffer, uint32_t nSize, std::unique_ptr<CCommunicationData>& pRecord)
{
    pRecord.reset(new (std::nothrow) CCommunicationData);
    const bool bCopied = pRecord && (!pBuffer || nSize == 0 || pRecord->SetData(pBuffer, nSize));
    FreeLinkBuffer(pBuffer);
    if (!bCopied)
        pRecord.reset();
    return bCopied;
}

} // namespace

int32_t CCommunicationThread::RunRequest()
{
    switch (m_nRequest) {
    case rkList:
        return RunList();
    case rkSend:
    case rkReceive:
    case rkRenameFile:
    case rkErase:
    case rkCreateFolder:
    case rkRenameFolder:
        return RunItems();
    case rkDeleteFolder:
        return RunDeleteFolder();
    case rkReceiveCurrent:
        return RunReceiveCurrent();
    default:
        return rcInvalidCommand;
    }
}

int32_t CCommunicationThread::CallForItem(CCommunicationData* pData)
{
    const CMachineLink& link = MachineLink();
    // A record's names are joined to the run's folder: one that would lead elsewhere is not found.
    const bool bRename = m_nRequest == rkRenameFile || m_nRequest == rkRenameFolder;
    if (!IsAddressableName(pData->m_strItemName) || (bRename && !IsAddressableName(pData->m_strOldName)))
        return rcFilesNotFound;
    switch (m_nRequest) {
    case rkSend:
        return link.m_pfnDownloadFile(m_hDevice, m_nStorage, PathOf(pData->m_strItemName), pData->m_pData,
                                      pData->m_nSize);
    case rkReceive: {
        BYTE* pBuffer = nullptr;
        uint32_t nSize = 0;
        const int32_t nResult = link.m_pfnUploadFile(m_hDevice, m_nStorage, PathOf(pData->m_strItemName), &pBuffer,
                                                     &nSize);
        // A copy that cannot be allocated leaves the record without data; the file still came.
        if (nResult == rcSuccess && pBuffer && nSize != 0 && !pData->SetData(pBuffer, nSize))
            pData->FreeData();
        FreeLinkBuffer(pBuffer);
        return nResult;
    }
    case rkRenameFile:
        return link.m_pfnRenameFile(m_hDevice, m_nStorage, PathOf(pData->m_strOldName), pData->m_strItemName);
    case rkErase:
        return link.m_pfnEraseFile(m_hDevice, m_nStorage, PathOf(pData->m_strItemName));
    case rkCreateFolder:
        return link.m_pfnCreateFolder(m_hDevice, m_nStorage, m_strFolder, pData->m_strItemName);
    case rkRenameFolder:
        return link.m_pfnRenameFolder(m_hDevice, m_nStorage, PathOf(pData->m_strOldName), pData->m_strItemName);
    default:
        return rcInvalidCommand;
    }
}

// The multi-item runs share one loop: a refused item is dropped (its name goes to the failed names)
// and the run goes on, a stop-class code drops the rest and ends the run. Each item first waits up
// to the pacing (100 ms) for a cancel, which also paces the machine.
int32_t CCommunicationThread::RunItems()
{
    INT_PTR n = m_requests.GetSize();
    if (n <= 0)
        return rcBrokenFile;
    SendProgress(WM_XFER_START, static_cast<WPARAM>(n));
    bool bItemFailed = false;
    INT_PTR i = 0;
    while (i < n) {
        if (Cancelled(PacingMs())) {
            RemoveRequests(i, n - i);
            return rcCancelled;
        }
        const int32_t nResult = CallForItem(m_requests[i]);
        if (nResult == rcSuccess) {
            SendProgress(WM_XFER_STEP, static_cast<WPARAM>(i));
            ++i;
        } else if (IsStopCode(m_nRequest, nResult)) {
            RemoveRequests(i, n - i);
            return nResult;
        } else {
            RemoveRequests(i, 1);
            --n;
            bItemFailed = true;
        }
    }
    if (bItemFailed)
        return PartialFailureCode(m_nRequest);
    return Cancelled(0) ? rcCancelled : rcSuccess;
}

// A listing and the machine's current design are one buffer each: fetched, checked for a cancel,
// and kept as the run's only record.
int32_t CCommunicationThread::RunSingleUpload(const std::function<int32_t(BYTE**, uint32_t*)>& upload)
{
    ClearRequests();
    SendProgress(WM_XFER_START, 1);
    BYTE* pBuffer = nullptr;
    uint32_t nSize = 0;
    const int32_t nResult = upload(&pBuffer, &nSize);
    if (nResult != rcSuccess) {
        FreeLinkBuffer(pBuffer);
        return nResult;
    }
    if (Cancelled(PacingMs())) {
        FreeLinkBuffer(pBuffer);
        return rcCancelled;
    }
    std::unique_ptr<CCommunicationData> pRecord;
    if (!TakeLinkBuffer(pBuffer, nSize, pRecord))
        return rcOutOfMemory;
    m_requests.Add(pRecord.release());
    return Cancelled(0) ? rcCancelled : rcSuccess;
}

int32_t CCommunicationThread::RunList()
{
    return RunSingleUpload([this](BYTE** ppBuffer, uint32_t* pnSize) {
        return MachineLink().m_pfnUploadList(m_hDevice, m_nStorage, m_strFolder, ppBuffer, pnSize);
    });
}

int32_t CCommunicationThread::RunReceiveCurrent()
{
    return RunSingleUpload([this](BYTE** ppBuffer, uint32_t* pnSize) {
        return MachineLink().m_pfnUploadDesign(m_hDevice, ppBuffer, pnSize);
    });
}

int32_t CCommunicationThread::RunDeleteFolder()
{
    int32_t nCount = 0;
    const int32_t nResult = CountTree(m_strFolder, nCount);
    if (nResult != rcSuccess)
        return nResult;
    SendProgress(WM_XFER_START, static_cast<WPARAM>(nCount));
    ClearRequests();
    int32_t nIndex = 0;
    return DeleteTree(m_strFolder, nIndex);
}

int32_t CCommunicationThread::CountTree(const CString& strFolder, int32_t& nCount)
{
    return CountTreeAt(strFolder, nCount, 0);
}

int32_t CCommunicationThread::DeleteTree(const CString& strFolder, int32_t& nIndex)
{
    return DeleteTreeAt(strFolder, nIndex, 0);
}

// A folder's listing for a walk of the tree (a count or a delete): a cancel, a tree deeper than
// the machine can hold, or a listing that reaches past its own end ends the walk, so that nothing
// is counted or erased on the word of a broken answer.
int32_t CCommunicationThread::FetchTreeListing(const CString& strFolder, int nDepth,
                                               std::unique_ptr<CCommunicationData>& pListing)
{
    if (Cancelled(PacingMs()))
        return rcCancelled;
    if (nDepth >= kMaxTreeDepth)
        return kBrokenListing;
    BYTE* pBuffer = nullptr;
    uint32_t nSize = 0;
    const int32_t nResult = MachineLink().m_pfnUploadList(m_hDevice, m_nStorage, strFolder, &pBuffer, &nSize);
    if (nResult != rcSuccess) {
        FreeLinkBuffer(pBuffer);
        return nResult;
    }
    if (!TakeLinkBuffer(pBuffer, nSize, pListing))
        return rcOutOfMemory;
    if (!CListingReader::IsWellFormed(pListing->m_pData, pListing->m_nSize))
        return kBrokenListing;
    return rcSuccess;
}

int32_t CCommunicationThread::CountTreeAt(const CString& strFolder, int32_t& nCount, int nDepth)
{
    ClearRequests();
    std::unique_ptr<CCommunicationData> pListing;
    if (const int32_t nResult = FetchTreeListing(strFolder, nDepth, pListing); nResult != rcSuccess)
        return nResult;
    CListingReader reader(pListing->m_pData, pListing->m_nSize);
    CListingReader::CEntry entry;
    while (reader.Next(entry)) {
        if (Cancelled(PacingMs()))
            return rcCancelled;
        // A sub-folder is counted once, by its own walk (as the folder itself), so the count is
        // exactly the number of steps a complete delete reports.
        if (entry.m_bFolder && IsAddressableName(entry.m_strName)) {
            const int32_t nSub = CountTreeAt(strFolder + u"\\" + entry.m_strName, nCount, nDepth + 1);
            if (nSub != rcSuccess)
                return nSub;
        } else {
            ++nCount;
        }
    }
    pListing.reset();
    if (Cancelled(PacingMs()))
        return rcCancelled;
    ++nCount; // the folder itself
    return rcSuccess;
}

int32_t CCommunicationThread::DeleteTreeAt(const CString& strFolder, int32_t& nIndex, int nDepth)
{
    std::unique_ptr<CCommunicationData> pListing;
    int32_t nResult = FetchTreeListing(strFolder, nDepth, pListing);
    if (nResult != rcSuccess)
        return nResult;
    const CMachineLink& link = MachineLink();
    bool bItemFailed = false;
    CListingReader reader(pListing->m_pData, pListing->m_nSize);
    CListingReader::CEntry entry;
    while (reader.Next(entry)) {
        if (Cancelled(PacingMs()))
            return rcCancelled;
        const CString strPath = strFolder + u"\\" + entry.m_strName;
        if (entry.m_bFolder) {
            // A sub-tree's own failure shows when this folder cannot be deleted after it.
            if (IsAddressableName(entry.m_strName))
                DeleteTreeAt(strPath, nIndex, nDepth + 1);
            else
                bItemFailed = true;
            continue;
        }
        if (!IsAddressableName(entry.m_strName)) {
            bItemFailed = true;
            continue;
        }
        nResult = link.m_pfnEraseFile(m_hDevice, m_nStorage, strPath);
        if (nResult == rcSuccess) {
            SendProgress(WM_XFER_STEP, static_cast<WPARAM>(nIndex));
            ++nIndex;
        } else if (IsStopCode(rkErase, nResult)) {
            return nResult;
        } else {
            bItemFailed = true;
        }
    }
    pListing.reset();
    if (bItemFailed)
        return rcDeleteFailed;
    if (Cancelled(PacingMs()))
        return rcCancelled;
    nResult = link.m_pfnDeleteFolder(m_hDevice, m_nStorage, strFolder);
    if (nResult == rcSuccess) {
        SendProgress(WM_XFER_STEP, static_cast<WPARAM>(nIndex));
        ++nIndex;
    }
    return nResult;
}
