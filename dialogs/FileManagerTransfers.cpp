// CFileManagerDlg's four copies behind the arrows: PC to machine, PC to a USB flash drive on the
// PC, and back. Every file bound for the machine side is checked before anything moves, name
// clashes are settled with the user one file at a time, and each kind of refusal is reported once
// after the batch with the names it caught.
#include "dialogs/FileManagerDlg.h"

#include "comm/CommError.h"
#include "comm/RequestKind.h"
#include "comm/TransferDlg.h"
#include "design/MachineFileCheck.h"
#include "link/ResultCode.h"
#include "lists/PanePath.h"
#include "platform/afx/CString.h"
#include "platform/afx/File.h"
#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/user/MessageBox.h"
#include "res/ResourceText.h"
#include "res/resource.h"

#include <vector>

namespace {

bool IsTicked(int nImage)
{
    return nImage >= CFolderListCtrl::PIC_FIRST_PAIR && (nImage & 1) != 0;
}

// Writes a received file whole or not at all. The bytes go to a new file beside it first, which
// then takes the file's place: a folder that is full or write-protected leaves an existing file of
// that name as it was, rather than emptied, and never a part of a file that looks received.
bool WriteWhole(const CString& strPath, const BYTE* pData, uint32_t nSize)
{
    CString strPart;
    for (int n = 0;; ++n) {
        strPart.Format(u"%s.%d.part", static_cast<const char16_t*>(strPath), n);
        if (GetFileAttributesW(strPart) == INVALID_FILE_ATTRIBUTES)
            break;
    }
    CFile file;
    if (!file.Open(strPart, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
        return false;
    try {
        file.Write(pData, nSize);
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
        file.Abort();
        DeleteFileW(strPart);
        return false;
    }
    if (!MoveFileExW(strPart, strPath, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(strPart);
        return false;
    }
    return true;
}

// A name the machine listed that, written below the PC folder, would land elsewhere or nowhere:
// empty, with a path separator or a drive colon, or made of dots (and blanks, which Windows drops
// at the end of a name) only, "." and ".." among them.
bool LeavesFolder(const CString& strName)
{
    if (strName.IsEmpty())
        return true;
    bool bOnlyDots = true;
    for (int i = 0; i < strName.GetLength(); ++i) {
        const char16_t c = strName[i];
        if (c == u'\\' || c == u'/' || c == u':')
            return true;
        if (c != u'.' && c != u' ')
            bOnlyDots = false;
    }
    return bOnlyDots;
}

// One ticked item of a source pane as the walk found it.
struct CTickedItem {
    int m_nItem = 0;
    CString m_strName;
    int m_nImage = 0;
};

// The refusal lists in the order they are reported.
enum Refusal {
    rfUnshowable,
    rfNotFound,
    rfErrorInFile,
    rfTooManyLayers,
    rfTooManyStitches,
    rfTooLarge,
    rfCount
};

using CRefusals = std::vector<CString>[rfCount];

Refusal RefusalOf(CMachineFileCheck::CheckResult result)
{
    switch (result) {
    case CMachineFileCheck::mfcNotFound: return rfNotFound;
    case CMachineFileCheck::mfcTooManyLayers: return rfTooManyLayers;
    case CMachineFileCheck::mfcTooManyStitches: return rfTooManyStitches;
    case CMachineFileCheck::mfcTooLarge: return rfTooLarge;
    default: return rfErrorInFile;
    }
}

// Each non-empty list in one box: the reason, then every name after a line break. The not-found
// box ends with one more line break and stays on top of other windows.
void ShowRefusals(CWnd& owner, const CRefusals& lists, UINT nNotFoundCaption)
{
    static const UINT kTexts[rfCount] = {IDS_NAME_UNSHOWABLE, IDS_FILES_NOT_FOUND, IDS_FILE_ERROR,
                                         IDS_TOO_MANY_LAYERS, IDS_TOO_MANY_STITCHES, IDS_TOO_LARGE};
    for (int i = 0; i < rfCount; ++i) {
        if (lists[i].empty())
            continue;
        CString strText = LoadText(kTexts[i]);
        for (const CString& strName : lists[i])
            strText += u"\n" + strName;
        UINT nStyle = MB_OK | MB_ICONEXCLAMATION;
        UINT nCaption = IDS_CAPTION_CONFIRM;
        if (i == rfNotFound) {
            strText += u"\n";
            nStyle |= MB_TOPMOST;
            nCaption = nNotFoundCaption;
        }
        owner.MessageBox(strText, LoadText(nCaption), nStyle);
    }
}

// One group of copy failures on the PC side: the system's error code and the box's text so far.
struct CCopyFailureGroup {
    DWORD m_dwError;
    CString m_strText;
};

// A gathered code joins its group (the system's message directly followed by the first path,
// every further path after a line break); any other is shown at once.
void AddCopyFailure(CWnd& owner, std::vector<CCopyFailureGroup>& groups, DWORD dwError, const CString& strPath,
                    UINT nOtherCaption)
{
    for (CCopyFailureGroup& group : groups) {
        if (group.m_dwError != dwError)
            continue;
        if (group.m_strText.IsEmpty())
            group.m_strText = CFolderListCtrl::SystemMessage(dwError) + strPath;
        else
            group.m_strText += u"\n" + strPath;
        return;
    }
    owner.MessageBox(CFolderListCtrl::SystemMessage(dwError), LoadText(nOtherCaption), MB_OK | MB_ICONEXCLAMATION);
}

void ShowCopyFailures(CWnd& owner, const std::vector<CCopyFailureGroup>& groups, UINT nCaption)
{
    for (const CCopyFailureGroup& group : groups)
        if (!group.m_strText.IsEmpty())
            owner.MessageBox(group.m_strText, LoadText(nCaption), MB_OK | MB_ICONEXCLAMATION);
}

// Copies one file, overwriting, and leaves the copy writable; the system's error code, 0 on success.
DWORD CopyOneFile(const CString& strFrom, const CString& strTo)
{
    if (!CopyFileW(strFrom, strTo, FALSE))
        return GetLastError();
    const DWORD dwAttributes = GetFileAttributesW(strTo);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(strTo, dwAttributes & ~FILE_ATTRIBUTE_READONLY);
    return 0;
}

// The first item of the list whose label equals the name without regard to case; -1 when none.
int FindLabel(const CListCtrl& list, const CString& strName)
{
    const int nCount = list.GetItemCount();
    for (int i = 0; i < nCount; ++i)
        if (list.GetItemText(i, 0).CompareNoCase(strName) == 0)
            return i;
    return -1;
}

enum ClashOutcome { coNew, coReplace, coSkipped, coNoneLeft };

} // namespace

namespace {

// What the clash question of one copy needs: the panes, the source pane's counter and the
// skip-all answer.
struct CClashContext {
    CFileManagerDlg& m_dlg;
    CFolderListCtrl& m_source;
    CString& m_strCounter;
    int m_nCounterId;
    CFolderListCtrl& m_destination;
    bool m_bSkipAll = false;
};

// Visits the source pane's ticked items from the top; the walk ends when as many items as are
// still ticked have been visited, or at an item that cannot be read. A file skipped in a clash is
// unticked and no longer counts, so the files after it are still visited. fnVisit returns false
// to end the whole copy at once (nothing left ticked); so does the walk then.
template <class Visit>
bool WalkTicked(CFolderListCtrl& source, Visit fnVisit)
{
    int nProcessed = 0;
    for (int i = 0; nProcessed < source.m_nCheckedCount; ++i) {
        char16_t szLabel[MAX_PATH] = {};
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = szLabel;
        item.cchTextMax = MAX_PATH;
        if (!source.GetItem(&item))
            break;
        if (!IsTicked(item.iImage))
            continue;
        CTickedItem ticked;
        ticked.m_nItem = i;
        ticked.m_strName = szLabel;
        ticked.m_nImage = item.iImage;
        const int nCountBefore = source.m_nCheckedCount;
        if (!fnVisit(ticked))
            return false;
        if (source.m_nCheckedCount == nCountBefore)
            ++nProcessed;
    }
    return true;
}

// Settles a clash of the name with the destination pane; nDestItem: the clashing item. A skipped
// file is unticked at once and the counter shows the new number.
ClashOutcome SettleClash(CClashContext& context, const CTickedItem& item, int& nDestItem)
{
    nDestItem = FindLabel(context.m_destination, item.m_strName);
    if (nDestItem < 0)
        return coNew;
    if (!context.m_bSkipAll) {
        const int nAnswer = context.m_dlg.MessageBox(item.m_strName + LoadText(IDS_ASK_REPLACE),
                                                     LoadText(IDS_CAPTION_SAVE_AS), MB_YESNOCANCEL | MB_ICONEXCLAMATION);
        if (nAnswer == IDYES)
            return coReplace;
        if (nAnswer == IDCANCEL)
            context.m_bSkipAll = true;
    }
    CFolderListCtrl& source = context.m_source;
    LVITEM untick{};
    untick.mask = LVIF_IMAGE;
    untick.iItem = item.m_nItem;
    untick.iImage = item.m_nImage - 1;
    source.SetItem(&untick);
    --source.m_nCheckedCount;
    context.m_strCounter.Format(u" %d", source.m_nCheckedCount);
    context.m_dlg.SetDlgItemText(context.m_nCounterId, context.m_strCounter);
    return source.m_nCheckedCount <= 0 ? coNoneLeft : coSkipped;
}

// One direction of a copy between the PC pane and a flash drive shown in the machine pane.
struct CDriveCopy {
    CFolderListCtrl& m_source;
    CString& m_strCounter;
    int m_nCounterId;
    CFolderListCtrl& m_destination;
    // The system's codes whose failures are gathered into one box each; others are shown at once.
    std::vector<DWORD> m_gathered;
    // Towards the drive: each file is first checked against the machine's limits, and a failure
    // names the path the copy was to make (the other way, the drive's file it was to read).
    bool m_bToDrive;
    UINT m_nTitle;
    UINT m_nGatheredCaption;
};

// Copies the source pane's ticked files into the destination pane's folder; false when the copy
// ended in the clash questions (nothing left ticked), so that nothing was copied.
bool CopyTicked(CFileManagerDlg& dlg, const CDriveCopy& copy, int nKind)
{
    CWaitCursor wait;
    // The folders as they are now: a box shown during the copy lets a drive that goes away send
    // its pane elsewhere, and no file may then go anywhere but into the folder chosen.
    const CString strFromFolder = copy.m_source.m_strCurrentPath;
    const CString strToFolder = copy.m_destination.m_strCurrentPath;
    CRefusals refusals;
    std::vector<CString> accepted;
    CClashContext clash{dlg, copy.m_source, copy.m_strCounter, copy.m_nCounterId, copy.m_destination};
    const bool bGoOn = WalkTicked(copy.m_source, [&](const CTickedItem& item) {
        if (copy.m_bToDrive) {
            const CMachineFileCheck::CheckResult result =
                CMachineFileCheck::CheckSourceFile(JoinPath(strFromFolder, item.m_strName), nKind);
            if (result != CMachineFileCheck::mfcOk) {
                refusals[RefusalOf(result)].push_back(item.m_strName);
                return true;
            }
        }
        int nDestItem = -1;
        switch (SettleClash(clash, item, nDestItem)) {
        case coNoneLeft: return false;
        case coSkipped: return true;
        case coReplace:
        case coNew: accepted.push_back(item.m_strName); break;
        }
        return true;
    });
    if (!bGoOn)
        return false;
    ShowRefusals(dlg, refusals, copy.m_nTitle);

    std::vector<CCopyFailureGroup> failures;
    for (DWORD dwError : copy.m_gathered)
        failures.push_back({dwError, CString()});
    for (const CString& strName : accepted) {
        const CString strFrom = JoinPath(strFromFolder, strName), strTo = JoinPath(strToFolder, strName);
        if (const DWORD dwError = CopyOneFile(strFrom, strTo))
            AddCopyFailure(dlg, failures, dwError, copy.m_bToDrive ? strTo : strFrom, copy.m_nTitle);
    }
    ShowCopyFailures(dlg, failures, copy.m_nGatheredCaption);
    return true;
}

} // namespace

int32_t CFileManagerDlg::SendTickedToMachine()
{
    if (m_listPc.m_nCheckedCount <= 0)
        return 1;
    CWaitCursor wait;
    if (m_nKind == CFolderListCtrl::LIST_STX && m_listMachine.m_wStorage == 1 &&
        m_listPc.m_nCheckedCount + m_listMachine.GetItemCount() > 60) {
        MessageBox(LoadText(IDS_MAX_CS), LoadText(IDS_CAPTION_CONFIRM), MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    CTransferDlg dlg(m_hDevice, m_listMachine.m_wStorage, m_listMachine.m_strCurrentPath, rkSend, this);
    CRefusals refusals;
    std::vector<int> replaced;
    std::vector<CString> newNames;
    CClashContext clash{*this, m_listPc, m_strPcCount, IDC_FM_PC_COUNT, m_listMachine};
    const bool bGoOn = WalkTicked(m_listPc, [&](const CTickedItem& item) {
        if (!CFolderListCtrl::IsShownOnMachine(item.m_strName)) {
            refusals[rfUnshowable].push_back(item.m_strName);
            return true;
        }
        const CString strPath = JoinPath(m_listPc.m_strCurrentPath, item.m_strName);
        const CMachineFileCheck::CheckResult result = CMachineFileCheck::CheckSourceFile(strPath, m_nKind);
        if (result != CMachineFileCheck::mfcOk) {
            refusals[RefusalOf(result)].push_back(item.m_strName);
            return true;
        }
        int nDestItem = -1;
        const ClashOutcome outcome = SettleClash(clash, item, nDestItem);
        if (outcome == coNoneLeft)
            return false;
        if (outcome == coSkipped)
            return true;
        // A file gone or unreadable since its check cannot go: it is reported with the files not
        // found, and counts neither as new nor as replacing one.
        if (!dlg.AddSendFile(strPath)) {
            refusals[rfNotFound].push_back(item.m_strName);
            return true;
        }
        if (outcome == coReplace)
            replaced.push_back(nDestItem);
        else
            newNames.push_back(item.m_strName);
        return true;
    });
    if (!bGoOn)
        return 1;
    ShowRefusals(*this, refusals, IDS_TITLE_SEND);
    if (replaced.empty() && newNames.empty())
        return 0;

    if (dlg.DoModal() != IDOK && IsReportedResult(dlg.m_nResult)) {
        ShowCommError(m_hWnd, dlg.m_nResult);
        return 0;
    }
    // A run stopped before its first file sent nothing: the ticks stay for another try.
    if (!dlg.m_pResults || dlg.m_pResults->GetSize() == 0)
        return 0;
    // Only what arrived changes the pane: a run the user cancelled leaves the rest as it was.
    std::vector<CString> sent;
    for (INT_PTR i = 0; i < dlg.m_pResults->GetSize(); ++i)
        if (const CCommunicationData* pRecord = dlg.m_pResults->GetAt(i))
            sent.push_back(pRecord->m_strItemName);
    const auto WasSent = [&sent](const CString& strName) {
        for (const CString& s : sent)
            if (s.CompareNoCase(strName) == 0)
                return true;
        return false;
    };
    for (int nItem : replaced) {
        LVITEM item{};
        item.mask = LVIF_IMAGE;
        item.iItem = nItem;
        if (!m_listMachine.GetItem(&item))
            continue;
        const CString strLabel = m_listMachine.GetItemText(nItem, 0);
        const int nPicture = CMacUsbListCtrl::MachineFilePicture(strLabel);
        if (!WasSent(strLabel) || nPicture < 0)
            continue;
        item.iImage = nPicture + (IsTicked(item.iImage) ? 1 : 0);
        m_listMachine.SetItem(&item);
    }
    for (const CString& strName : newNames) {
        const int nPicture = CMacUsbListCtrl::MachineFilePicture(strName);
        if (WasSent(strName) && nPicture >= 0)
            m_listMachine.InsertItem(m_listMachine.GetItemCount(), strName, nPicture);
    }
    m_listMachine.SortByTypeAndName();
    return 1;
}

int32_t CFileManagerDlg::CopyTickedToDrive()
{
    if (m_listPc.m_nCheckedCount <= 0)
        return 1;
    // A failed copy is reported by the path it was to make.
    const CDriveCopy copy{m_listPc, m_strPcCount, IDC_FM_PC_COUNT, m_listMachine,
                          {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_SHARING_VIOLATION, ERROR_WRITE_PROTECT,
                           ERROR_PATH_NOT_FOUND},
                          true, IDS_TITLE_SEND, IDS_CAPTION_ERROR};
    if (CopyTicked(*this, copy, m_nKind)) {
        m_listMachine.ShowUsbFolder(m_listMachine.m_strCurrentPath, m_listMachine.m_nLevel,
                                    m_listMachine.m_bWithChecks);
        m_listMachine.SortByTypeAndName();
    }
    return 1;
}

int32_t CFileManagerDlg::ReceiveTickedFromMachine()
{
    if (m_listMachine.m_nCheckedCount <= 0)
        return 1;
    CWaitCursor wait;
    CTransferDlg dlg(m_hDevice, m_listMachine.m_wStorage, m_listMachine.m_strCurrentPath, rkReceive, this);
    CRefusals refusals;
    int nQueued = 0;
    CClashContext clash{*this, m_listMachine, m_strMachineCount, IDC_FM_MACHINE_COUNT, m_listPc};
    const bool bGoOn = WalkTicked(m_listMachine, [&](const CTickedItem& item) {
        // Files land only inside the PC folder the pane shows: a name the machine listed that
        // would lead out of it (or to no file at all) is not fetched, and is reported with the
        // files that could not be made.
        if (LeavesFolder(item.m_strName)) {
            refusals[rfNotFound].push_back(item.m_strName);
            return true;
        }
        int nDestItem = -1;
        switch (SettleClash(clash, item, nDestItem)) {
        case coNoneLeft: return false;
        case coSkipped: return true;
        case coReplace:
        case coNew: break;
        }
        if (dlg.AddName(item.m_strName))
            ++nQueued;
        return true;
    });
    if (!bGoOn)
        return 1;

    if (nQueued > 0) {
        if (dlg.DoModal() != IDOK && IsReportedResult(dlg.m_nResult)) {
            // The names refused before the run are still told, after the run's own message.
            ShowCommError(m_hWnd, dlg.m_nResult);
            ShowRefusals(*this, refusals, IDS_TITLE_RECEIVE);
            return 0;
        }
        for (INT_PTR i = 0; dlg.m_pResults && i < dlg.m_pResults->GetSize(); ++i) {
            const CCommunicationData* pRecord = dlg.m_pResults->GetAt(i);
            if (!pRecord || !pRecord->m_pData)
                continue;
            if (LeavesFolder(pRecord->m_strItemName)) {
                refusals[rfNotFound].push_back(pRecord->m_strItemName);
                continue;
            }
            const CString strPath = JoinPath(m_listPc.m_strCurrentPath, pRecord->m_strItemName);
            if (!WriteWhole(strPath, pRecord->m_pData, pRecord->m_nSize))
                refusals[rfNotFound].push_back(pRecord->m_strItemName);
        }
    }
    ShowRefusals(*this, refusals, IDS_TITLE_RECEIVE);

    m_listPc.ShowFolder(m_listPc.m_strCurrentPath, 0, 0, CFolderListCtrl::MODE_ALL, TRUE);
    m_listPc.SortByTypeAndName();
    return 1;
}

int32_t CFileManagerDlg::CopyTickedFromDrive()
{
    if (m_listMachine.m_nCheckedCount <= 0)
        return 1;
    // A failed copy is reported by the drive's file it was to read.
    const CDriveCopy copy{m_listMachine, m_strMachineCount, IDC_FM_MACHINE_COUNT, m_listPc,
                          {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_SHARING_VIOLATION},
                          false, IDS_TITLE_RECEIVE, IDS_TITLE_RECEIVE};
    if (CopyTicked(*this, copy, m_nKind)) {
        m_listPc.ShowFolder(m_listPc.m_strCurrentPath, 0, 0, CFolderListCtrl::MODE_ALL, TRUE);
        m_listPc.SortByTypeAndName();
    }
    return 1;
}
