#include "lists/PcListCtrl.h"

#include "lists/PanePath.h"
#include "platform/afx/CString.h"
#include "platform/file/FileApi.h"
#include "platform/file/Shell.h"
#include "res/ResourceText.h"
#include "res/resource.h"

#include <vector>

namespace {

const char16_t kPcEntry[] = u"PC";

// "C:\" and the like: three characters with the drive's colon.
bool IsDriveRoot(const CString& strPath)
{
    return strPath.GetLength() == 3 && IsPcPath(strPath);
}

// Desktop and Documents: level 1 of their place.
void OpenSpecialFolder(CPcListCtrl& list, const CString& strPath, int nLocation)
{
    const CString strOldPath = list.m_strCurrentPath;
    const int nOldLevel = list.m_nLevel, nOldLocation = list.m_nLocation;
    list.m_strCurrentPath = strPath;
    list.m_nLevel = 1;
    list.m_nLocation = nLocation;
    if (list.ShowFolder(strPath, 0, 0, CFolderListCtrl::MODE_ALL, TRUE) < 0) {
        // Not there (or no access): the list stays as it was, and so does what it says it shows.
        list.m_strCurrentPath = strOldPath;
        list.m_nLevel = nOldLevel;
        list.m_nLocation = nOldLocation;
        list.UpdateLocationBox();
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CPcListCtrl, CFolderListCtrl)
    ON_NOTIFY_REFLECT(LVN_BEGINLABELEDIT, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEdit)
END_MESSAGE_MAP()

void CPcListCtrl::Initialize(CComboBoxEx* pLocationBox, int nListKind)
{
    m_pLocationBox = pLocationBox;
    m_nListKind = nListKind;
    InsertColumn(0, LoadText(IDS_COLUMN_NAME), LVCFMT_LEFT, 239);
    // No type pairs here: every file gets a thumbnail pair of its own. The location box gets its
    // pictures too.
    CreateImageLists();
    SetIconSpacing(75, 85);
    ShowRoots();
}

void CPcListCtrl::ShowRoots()
{
    if (!m_pLocationBox)
        return;
    UncheckAll();
    DeleteAllItems();
    m_strCurrentPath.Empty();
    m_nLevel = 0;
    m_nLocation = LOC_DRIVE;
    m_pLocationBox->ResetContent();

    struct Entry {
        CString strText;
        int nImage;
        int nIndent;
    };
    const CString strDesktop = LoadText(IDS_DESKTOP);
    const CString strComputer = LoadText(IDS_COMPUTER);
    const CString strDocuments = LoadText(IDS_DOCUMENTS);
    const Entry entries[] = {
        {CString(kPcEntry), PIC_COMPUTER, 0},
        {strDesktop, PIC_DESKTOP, 1},
        {strComputer, PIC_COMPUTER, 1},
        {strDocuments, PIC_OPEN_FOLDER, 1},
    };
    for (const Entry& e : entries)
        AddLocationEntry(*m_pLocationBox, e.strText, e.nImage, e.nIndent);

    // Each at the front; the sort puts them in picture order.
    InsertItem(0, strDesktop, PIC_DESKTOP);
    InsertItem(0, strDocuments, PIC_OPEN_FOLDER);
    InsertItem(0, strComputer, PIC_COMPUTER);
    m_pLocationBox->SetCurSel(0);
    SortByTypeAndName();
    SetRedraw(TRUE);
}

void CPcListCtrl::ShowDrives()
{
    m_strCurrentPath.Empty();
    m_nLevel = 1;
    m_nLocation = LOC_DRIVES_VIEW;
    UncheckAll();
    DeleteAllItems();

    const DWORD dwDrives = GetLogicalDrives();
    int nIndex = 0;
    for (int i = 0; i < 32; i++) {
        if (!(dwDrives & (1u << i)))
            continue;
        const char16_t chLetter = static_cast<char16_t>(u'A' + i);
        CString strRoot;
        strRoot.Format(u"%c:\\", chLetter);
        int nImage;
        switch (GetDriveTypeW(strRoot)) {
        case DRIVE_REMOVABLE: nImage = (chLetter == u'A' || chLetter == u'B') ? PIC_FLOPPY : PIC_REMOVABLE; break;
        case DRIVE_FIXED: nImage = PIC_HARD_DISK; break;
        case DRIVE_CDROM: nImage = PIC_OPTICAL; break;
        default: continue; // network, RAM disks and the undetermined are no place for designs
        }
        SHFILEINFOW sfi{};
        SHGetFileInfoW(strRoot, 0, &sfi, sizeof sfi, SHGFI_DISPLAYNAME);
        CString strLabel;
        strLabel.Format(u"%s", static_cast<const char16_t*>(sfi.szDisplayName));
        // The data word keeps the letter: this view is never sorted, so nothing overwrites it.
        InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, nIndex++, strLabel, 0, 0, nImage, chLetter);
    }
    UpdateLocationBox();
}

BOOL CPcListCtrl::OpenSelected()
{
    if (IsFileSelected() != 0)
        return FALSE;
    const int nItem = GetNextItem(-1, LVNI_SELECTED);
    const CString strLabel = GetItemText(nItem, 0);
    LVITEM item{};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = nItem;
    GetItem(&item);

    // The places go by their label, but only as the places they are: a folder that happens to be
    // called "Documents" on the desktop opens as the folder it is.
    if (strLabel == LoadText(IDS_DESKTOP) && m_nLevel < 2 && item.iImage == PIC_DESKTOP) {
        OpenSpecialFolder(*this, m_strDesktopPath, LOC_DESKTOP);
        return TRUE;
    }
    if (strLabel == LoadText(IDS_DOCUMENTS) && m_nLevel <= 1 && item.iImage == PIC_OPEN_FOLDER) {
        OpenSpecialFolder(*this, m_strDocumentsPath, LOC_DOCUMENTS);
        return TRUE;
    }
    if (strLabel == LoadText(IDS_COMPUTER) && m_nLevel <= 1 && item.iImage == PIC_COMPUTER) {
        ShowDrives();
        return TRUE;
    }

    CString strPath;
    if (m_nLocation == LOC_DRIVES_VIEW) {
        strPath.Format(u"%c:\\", static_cast<char16_t>(item.lParam));
        m_nLocation = LOC_DRIVE;
        m_strCurrentPath = strPath;
        m_nDrivePicture = item.iImage;
    } else {
        strPath = m_strCurrentPath + u"\\" + strLabel;
    }
    if (ShowFolder(strPath, 1, 0, MODE_ALL, TRUE) < 0) {
        // A drive without its medium: back to the drives it was chosen from.
        if (IsDriveRoot(strPath))
            ShowDrives();
        return FALSE;
    }
    return TRUE;
}

BOOL CPcListCtrl::UpOneLevel()
{
    if (m_strCurrentPath.CompareNoCase(m_strDocumentsPath) == 0 || m_nLocation == LOC_DRIVES_VIEW) {
        ShowRoots();
        return TRUE;
    }
    if (m_nLocation == LOC_DESKTOP && m_nLevel == 1) {
        ShowRoots();
        return TRUE;
    }
    if (m_strCurrentPath.GetLength() == 3) {
        ShowDrives();
        return TRUE;
    }
    const CString strParent = m_nLevel == 0 ? m_strCurrentPath : ParentOf(m_strCurrentPath);
    if (strParent.IsEmpty() || strParent.CompareNoCase(m_strCurrentPath) == 0)
        return FALSE;
    ShowFolder(strParent, -1, 0, MODE_ALL, TRUE);
    return TRUE;
}

void CPcListCtrl::UpdateLocationBox()
{
    if (!m_pLocationBox)
        return;
    m_pLocationBox->ResetContent();

    auto add = [&](const CString& strText, int nImage, int nIndent) {
        return AddLocationEntry(*m_pLocationBox, strText, nImage, nIndent);
    };
    // One entry per folder level of the shown path, nFolders deep, the outermost first.
    auto addBreadcrumb = [&](int nFolders, int nFirstIndent) {
        std::vector<CString> strNames(static_cast<size_t>(nFolders > 0 ? nFolders : 0));
        CString strPath = m_strCurrentPath;
        for (int i = nFolders - 1; i >= 0; i--) {
            strNames[static_cast<size_t>(i)] = LastComponentName(strPath);
            strPath = ParentOf(strPath);
        }
        int nLast = -1;
        for (int i = 0; i < nFolders; i++)
            nLast = add(strNames[static_cast<size_t>(i)], PIC_FOLDER, nFirstIndent + i);
        return nLast;
    };

    int nSelect = add(kPcEntry, PIC_COMPUTER, 0);
    const int nDesktop = add(LoadText(IDS_DESKTOP), PIC_DESKTOP, 1);
    int nDeepest = -1;
    if (m_nLocation == LOC_DESKTOP && m_nLevel > 1)
        nDeepest = addBreadcrumb(m_nLevel - 1, 2);
    const int nComputer = add(LoadText(IDS_COMPUTER), PIC_COMPUTER, 1);
    if (m_nLocation == LOC_DRIVE && m_nLevel >= 2) {
        nDeepest = add(LastComponentName(m_strCurrentPath.Left(3)), m_nDrivePicture, 2);
        if (m_nLevel > 2)
            nDeepest = addBreadcrumb(m_nLevel - 2, 3);
    }
    const int nDocuments = add(LoadText(IDS_DOCUMENTS), PIC_OPEN_FOLDER, 1);
    if (m_nLocation == LOC_DOCUMENTS && m_nLevel > 1)
        nDeepest = addBreadcrumb(m_nLevel - 1, 2);

    if (m_nLevel == 1 && m_nLocation == LOC_DESKTOP)
        nSelect = nDesktop;
    else if (m_nLevel == 1 && m_nLocation == LOC_DRIVES_VIEW)
        nSelect = nComputer;
    else if (m_nLevel == 1 && m_nLocation == LOC_DOCUMENTS)
        nSelect = nDocuments;
    else if (nDeepest >= 0)
        nSelect = nDeepest;
    m_pLocationBox->SetCurSel(nSelect);
}

BOOL CPcListCtrl::GoToLocationBoxSelection()
{
    if (!m_pLocationBox)
        return FALSE;
    const int nSel = m_pLocationBox->GetCurSel();
    CString strText;
    int nIndent = 0;
    if (!GetLocationEntry(*m_pLocationBox, nSel, strText, nIndent))
        return FALSE;

    if (nIndent == 0) {
        ShowRoots();
        return TRUE;
    }
    if (nIndent == 1) {
        if (strText == LoadText(IDS_DESKTOP))
            OpenSpecialFolder(*this, m_strDesktopPath, LOC_DESKTOP);
        else if (strText == LoadText(IDS_DOCUMENTS))
            OpenSpecialFolder(*this, m_strDocumentsPath, LOC_DOCUMENTS);
        else if (strText == LoadText(IDS_COMPUTER))
            ShowDrives();
        return TRUE;
    }

    // A breadcrumb entry: its base is the place the shown folder lies in.
    CString strBase;
    int nBaseIndent, nBaseLevel;
    switch (m_nLocation) {
    case LOC_DESKTOP: strBase = m_strDesktopPath; nBaseIndent = 1; nBaseLevel = 1; break;
    case LOC_DOCUMENTS: strBase = m_strDocumentsPath; nBaseIndent = 1; nBaseLevel = 1; break;
    case LOC_DRIVE: strBase = m_strCurrentPath.Left(3); nBaseIndent = 2; nBaseLevel = 2; break;
    default: return FALSE;
    }
    // Walk back to the base entry, gathering the folder names from the selected one outwards.
    CString strFolders;
    int nFolders = 0;
    for (int i = nSel; i >= 0; i--) {
        CString strEntry;
        int nEntryIndent = 0;
        if (!GetLocationEntry(*m_pLocationBox, i, strEntry, nEntryIndent) || nEntryIndent <= nBaseIndent)
            break;
        strFolders = CString(u"\\") + strEntry + strFolders;
        nFolders++;
    }
    const int nLevel = nBaseLevel + nFolders;
    if (ShowFolder(strBase + strFolders, nLevel - m_nLevel, 0, MODE_ALL, TRUE) < 0) {
        // The folder has gone: the box goes back to what the list still shows.
        UpdateLocationBox();
        return FALSE;
    }
    return TRUE;
}

CString CPcListCtrl::LastComponentName(const CString& strPath)
{
    if (IsDriveRoot(strPath)) {
        SHFILEINFOW sfi{};
        if (!SHGetFileInfoW(strPath, 0, &sfi, sizeof sfi, SHGFI_DISPLAYNAME))
            return CString();
        CString strName;
        strName.Format(u"%s", static_cast<const char16_t*>(sfi.szDisplayName));
        return strName;
    }
    if (strPath.GetLength() >= 3 && strPath.Find(u'\\') >= 0)
        return strPath.Mid(strPath.ReverseFind(u'\\') + 1);
    return CString();
}

void CPcListCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVDISPINFO* pInfo = reinterpret_cast<NMLVDISPINFO*>(pNMHDR);
    // Places and drives have no name of their own to change.
    if (m_nLevel != 0 && m_nLocation != LOC_DRIVES_VIEW)
        RenameLocalItem(&pInfo->item);
    *pResult = FALSE;
}
