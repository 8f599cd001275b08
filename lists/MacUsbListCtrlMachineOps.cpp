// CMacUsbListCtrl's operations on the machine's storage: a new folder (asked of the machine link
// directly), erasing the ticked or the selected files, deleting the selected folder and renaming in
// place (each through the transfer dialog). On a flash drive attached to the PC a rename goes to
// the local operations instead.
#include "lists/MacUsbListCtrl.h"

#include "comm/CommError.h"
#include "comm/ListingReader.h"
#include "comm/TransferDlg.h"
#include "link/MachineLink.h"
#include "link/ResultCode.h"
#include "platform/afx/CArray.h"
#include "platform/afx/CString.h"
#include "platform/afx/CStringArray.h"
#include "platform/user/MessageBox.h"
#include "res/ResourceText.h"
#include "res/resource.h"

#include <vector>

namespace {

bool EndsWithNoCase(const CString& strName, const char16_t* pszEnd, int nLength)
{
    return strName.GetLength() >= nLength && strName.Right(nLength).CompareNoCase(pszEnd) == 0;
}

// The names of the files an erase left on the machine: the list's own file types only, so a
// companion that did not go does not keep its design in the list.
bool IsListFileName(const CString& strName)
{
    return EndsWithNoCase(strName, u".qef", 4) || EndsWithNoCase(strName, u".qpx", 4) ||
           EndsWithNoCase(strName, u".stx", 4) || EndsWithNoCase(strName, u".qef+", 5) ||
           EndsWithNoCase(strName, u".ord+", 5);
}

bool ContainsNoCase(const std::vector<CString>& names, const CString& strName)
{
    for (const CString& s : names)
        if (s.CompareNoCase(strName) == 0)
            return true;
    return false;
}

// The names the transfer did not process (it lists none when it ran to the end).
std::vector<CString> UnprocessedNames(const CTransferDlg& dlg)
{
    std::vector<CString> names;
    if (dlg.m_pFailedNames)
        for (INT_PTR i = 0; i < dlg.m_pFailedNames->GetSize(); ++i)
            names.push_back(dlg.m_pFailedNames->GetAt(i));
    return names;
}

int ImageOf(const CListCtrl& list, int nItem)
{
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    return list.GetItem(&item) ? item.iImage : -1;
}

} // namespace

void CMacUsbListCtrl::CreateMachineFolder()
{
    if (WhereShown() != Place::Machine)
        return;
    const CString strBase = LoadText(IDS_NEW_FOLDER);
    CString strCandidate = strBase;

    // The name must be new among the folder's folders, so the folder is listed afresh.
    CTransferDlg dlg(m_hDevice, m_wStorage, m_strCurrentPath, rkList, this);
    if (dlg.DoModal() != IDOK) {
        if (IsReportedResult(dlg.m_nResult))
            ShowCommError(m_hWnd, dlg.m_nResult);
        return;
    }
    // Without listing bytes there is nothing to check a name against: nothing is made. (The
    // machine answers an empty folder with a listing of no entries, which does make a folder.)
    if (!dlg.m_pResults || dlg.m_pResults->GetSize() == 0 || !dlg.m_pResults->GetAt(0) ||
        dlg.m_pResults->GetAt(0)->m_nSize == 0)
        return;
    const CCommunicationData* pListing = dlg.m_pResults->GetAt(0);
    CListingReader reader(pListing->m_pData, pListing->m_nSize);
    std::vector<CString> folders;
    CListingReader::CEntry entry;
    while (reader.Next(entry))
        if (entry.m_bFolder)
            folders.push_back(entry.m_strName);
    // A file of the candidate's name does not count: the machine keeps folders and files apart.
    for (int n = 2; ContainsNoCase(folders, strCandidate); ++n)
        strCandidate.Format(u"%s (%d)", strBase.GetString(), n);

    if (!EnsureMachineLink())
        return;
    const int32_t nResult =
        MachineLink().m_pfnCreateFolder(m_hDevice, m_wStorage, m_strCurrentPath, strCandidate);
    if (nResult != rcSuccess) {
        ShowCommError(m_hWnd, nResult);
        return;
    }
    InsertItem(GetItemCount(), strCandidate, PIC_FOLDER);
    SortByTypeAndName();
}

BOOL CMacUsbListCtrl::DeleteCheckedMachineFiles()
{
    const int nTicked = m_nCheckedCount;
    if (!ConfirmTickedDelete())
        return FALSE;
    CTransferDlg dlg(m_hDevice, m_wStorage, m_strCurrentPath, rkErase, this);
    std::vector<CTickedFile> ticked;
    // Companion files stay: only what the user ticked goes.
    const bool bWalked = WalkTickedFiles(nTicked, [&](const CTickedFile& file) {
        ticked.push_back(file);
        dlg.AddName(file.m_strLabel);
    });
    if (!bWalked)
        return FALSE;

    std::vector<CString> left;
    if (dlg.DoModal() != IDOK) {
        for (const CString& strName : UnprocessedNames(dlg))
            if (IsListFileName(strName))
                left.push_back(strName);
        // A failure leaves the list as it was, to be shown again; a cancel by the user removes
        // what was erased and keeps the rest ticked.
        if (!left.empty() && IsReportedResult(dlg.m_nResult)) {
            ShowCommError(m_hWnd, dlg.m_nResult);
            return FALSE;
        }
    }
    std::vector<CTickedFile> erased;
    for (const CTickedFile& file : ticked)
        if (!ContainsNoCase(left, file.m_strLabel))
            erased.push_back(file);
    RemoveDeletedItems(erased);
    return TRUE;
}

void CMacUsbListCtrl::DeleteSelectedMachineFiles()
{
    CTransferDlg dlg(m_hDevice, m_wStorage, m_strCurrentPath, rkErase, this);
    std::vector<CTickedFile> items;
    const bool bCompanions = m_nListKind == LIST_DESIGN || m_nListKind == LIST_STX;
    POSITION pos = GetFirstSelectedItemPosition();
    while (pos) {
        const int nItem = GetNextSelectedItem(pos);
        const CString strLabel = GetItemText(nItem, 0);
        items.push_back({nItem, strLabel, 0});
        dlg.AddName(strLabel);
        const CString strCompanion = bCompanions ? GetCompanionName(strLabel) : CString();
        if (!strCompanion.IsEmpty())
            dlg.AddName(strCompanion);
    }
    if (items.empty())
        return;

    std::vector<CString> left;
    if (dlg.DoModal() != IDOK) {
        for (const CString& strName : UnprocessedNames(dlg))
            if (AcceptsFile(strName))
                left.push_back(strName);
        // As for the ticked files: a failure leaves the list as it was.
        if (!left.empty() && IsReportedResult(dlg.m_nResult)) {
            ShowCommError(m_hWnd, dlg.m_nResult);
            return;
        }
    }
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (ContainsNoCase(left, it->m_strLabel))
            continue;
        const int nImage = ImageOf(*this, it->m_nItem);
        if (nImage >= PIC_FIRST_PAIR && (nImage & 1) != 0) {
            LVITEM untick{};
            untick.mask = LVIF_IMAGE;
            untick.iItem = it->m_nItem;
            untick.iImage = nImage - 1;
            SetItem(&untick);
            --m_nCheckedCount;
        }
        DeleteItem(it->m_nItem);
    }
    SortByTypeAndName();
}

void CMacUsbListCtrl::DeleteSelectedMachineFolder()
{
    const int nItem = GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return;
    CTransferDlg dlg(m_hDevice, m_wStorage, m_strCurrentPath + u"\\" + GetItemText(nItem, 0), rkDeleteFolder, this);
    if (dlg.DoModal() != IDOK) {
        ShowCommError(m_hWnd, dlg.m_nResult);
        return;
    }
    DeleteItem(nItem);
}

void CMacUsbListCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVDISPINFO* pInfo = reinterpret_cast<NMLVDISPINFO*>(pNMHDR);
    // The list never takes the new label itself: a rename that worked sets it below.
    *pResult = FALSE;
    // The root view's places and drives have no name of their own to change, as on the PC side.
    if (m_nLevel == 0 || WhereShown() == Place::Roots)
        return;
    if (WhereShown() == Place::PcDrive) {
        RenameLocalItem(&pInfo->item);
        return;
    }
    // The list hands no text when the edit was cancelled.
    if (!pInfo->item.pszText)
        return;
    CString strNew = pInfo->item.pszText;
    strNew.Trim();
    if (strNew == m_strOldName)
        return;
    const int nItem = pInfo->item.iItem;
    if (const int nRule = ValidateName(strNew)) {
        MessageBox(LoadText(static_cast<UINT>(nRule)), LoadText(IDS_CAPTION_CONFIRM), MB_OK | MB_ICONEXCLAMATION);
        RestartLabelEdit(nItem);
        return;
    }

    const bool bFolder = ImageOf(*this, nItem) < PIC_QEF_PLUS;
    if (!bFolder) {
        // A file keeps its type: the old extension goes on unless the new name already ends in it.
        const CString strOldExtension = GetExtension(m_strOldName);
        const CString strNewExtension = GetExtension(strNew);
        if (strNewExtension.IsEmpty() || strNewExtension.CompareNoCase(strOldExtension) != 0)
            strNew += strOldExtension;
    }
    CTransferDlg dlg(m_hDevice, m_wStorage, m_strCurrentPath, bFolder ? rkRenameFolder : rkRenameFile, this);
    dlg.AddRename(m_strOldName, strNew);
    CString strOldCompanion, strNewCompanion;
    if (!bFolder && (m_nListKind == LIST_DESIGN || m_nListKind == LIST_STX)) {
        strOldCompanion = GetCompanionName(m_strOldName);
        strNewCompanion = GetCompanionName(strNew);
        if (!strOldCompanion.IsEmpty() && !strNewCompanion.IsEmpty())
            dlg.AddRename(strOldCompanion, strNewCompanion);
        else
            strNewCompanion.Empty();
    }
    if (dlg.DoModal() != IDOK) {
        // A companion that could not follow (most have none) does not stop the rename; a failure
        // on the item's own name does. A folder's rename stops at any failure.
        const std::vector<CString> left = UnprocessedNames(dlg);
        bool bItemLeft = bFolder;
        for (const CString& strName : left)
            if (!bFolder && AcceptsFile(strName))
                bItemLeft = true;
        if (bItemLeft && IsReportedResult(dlg.m_nResult)) {
            // The machine goes on after refusing the file (a name already taken, say) and may
            // have renamed the companion: it goes back, so the pair keeps one name. This undo is
            // our own addition to the rename the list carries out.
            if (!strNewCompanion.IsEmpty() && !ContainsNoCase(left, strNewCompanion)) {
                CTransferDlg undo(m_hDevice, m_wStorage, m_strCurrentPath, rkRenameFile, this);
                undo.AddRename(strNewCompanion, strOldCompanion);
                undo.DoModal();
            }
            ShowCommError(m_hWnd, dlg.m_nResult);
            return;
        }
    }
    SetItemText(nItem, 0, strNew);
    ModifyStyle(0, LVS_SINGLESEL);
}
