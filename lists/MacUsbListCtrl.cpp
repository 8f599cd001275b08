#include "lists/MacUsbListCtrl.h"

#include "comm/CommError.h"
#include "comm/ListingReader.h"
#include "comm/RequestKind.h"
#include "comm/TransferDlg.h"
#include "design/EmbData.h"
#include "design/StxFile.h"
#include "link/ResultCode.h"
#include "lists/PanePath.h"
#include "lists/PcListCtrl.h"
#include "platform/afx/Bitmap.h"
#include "platform/afx/Dc.h"
#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/file/Shell.h"
#include "preview/ListPicture.h"
#include "res/ResourceText.h"
#include "res/resource.h"

#include <vector>

namespace {

constexpr int kSmall = 16;
constexpr int kLarge = CListPicture::PICTURE_SIZE;
// Folders are listed below these levels: the machine's own limit, one less for the STX list in
// built-in storage (its root lies one folder deeper there); on PC flash drives by the dialog's
// choice.
constexpr int kMachineFolderLevels = 5;
constexpr int kDeepUsbFolderLevels = 5;
constexpr int kShallowUsbFolderLevels = 3;
const char16_t kUserStFolder[] = u"(UserST)";
const char16_t kPcEntry[] = u"PC";

struct RootRow {
    UINT nText;
    int nImage;
    int nIndent;
    uint16_t wStorage;
};
const RootRow kRootRows[] = {
    {IDS_MACHINE, CFolderListCtrl::PIC_MACHINE, 0, 0},
    {IDS_BUILTIN, CFolderListCtrl::PIC_OPEN_FOLDER, 1, 1},
    {IDS_USB_DRIVE_1, CFolderListCtrl::PIC_USB_FLASH, 1, 2},
    {IDS_USB_DRIVE_2, CFolderListCtrl::PIC_USB_FLASH, 1, 3},
};

// The drive of a text that names one ("USBSTICK (E:)" -> "E:"); empty without a colon.
CString DriveOf(const CString& strText)
{
    const int nColon = strText.Find(u':');
    return nColon < 1 ? CString() : strText.Mid(nColon - 1, 2);
}

// The storage id of a root-view text ("Built-in" ...), 0 for any other text.
uint16_t StorageOfText(const CString& strText)
{
    for (const RootRow& row : kRootRows)
        if (row.wStorage != 0 && strText.CompareNoCase(LoadText(row.nText)) == 0)
            return row.wStorage;
    return 0;
}

// The last nCount components of a path, outermost first.
std::vector<CString> LastComponents(CString strPath, int nCount)
{
    std::vector<CString> names(static_cast<size_t>(nCount > 0 ? nCount : 0));
    for (int i = nCount - 1; i >= 0; i--) {
        names[static_cast<size_t>(i)] = CPcListCtrl::LastComponentName(strPath);
        strPath = ParentOf(strPath);
    }
    return names;
}

// Two large pictures from one framed picture: with the empty and the ticked box when
// bWithChecks, else the same picture twice.
BOOL MakeLargePair(const CBitmap& bmPicture, BOOL bWithChecks, CBitmap& bmFirst, CBitmap& bmSecond)
{
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr) || !bmFirst.CreateCompatibleBitmap(&dc, kLarge, kLarge) ||
        !bmSecond.CreateCompatibleBitmap(&dc, kLarge, kLarge))
        return FALSE;
    CDC dcSource;
    if (!dcSource.CreateCompatibleDC(nullptr))
        return FALSE;
    CBitmap* pOldSource = dcSource.SelectObject(const_cast<CBitmap*>(&bmPicture));
    for (CBitmap* pBm : {&bmFirst, &bmSecond}) {
        CBitmap* pOld = dc.SelectObject(pBm);
        dc.BitBlt(0, 0, kLarge, kLarge, &dcSource, 0, 0, SRCCOPY);
        dc.SelectObject(pOld);
    }
    dcSource.SelectObject(pOldSource);
    if (bWithChecks) {
        CBitmap bmEmpty, bmTicked;
        if (!CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, bmEmpty) ||
            !CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, bmTicked))
            return FALSE;
        CListPicture::DrawBox(bmFirst, bmEmpty);
        CListPicture::DrawBox(bmSecond, bmTicked);
    }
    return TRUE;
}

// The small pair: both boxes when bWithChecks, else the type picture twice.
BOOL MakeSmallPair(int nTypePicture, BOOL bWithChecks, CBitmap& bmFirst, CBitmap& bmSecond)
{
    if (bWithChecks)
        return CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, bmFirst) &&
               CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, bmSecond);
    return CListPicture::DrawStripPicture(IDB_PICTURES_SMALL, kSmall, nTypePicture, bmFirst) &&
           CListPicture::DrawStripPicture(IDB_PICTURES_SMALL, kSmall, nTypePicture, bmSecond);
}

// Adds both pairs, or nothing, so that the two image lists keep the same count. The large
// pair's first index, -1 when nothing was added.
int AddPairs(CImageList& imlSmall, CImageList& imlLarge, CBitmap& bmSmall1, CBitmap& bmSmall2, CBitmap& bmLarge1,
             CBitmap& bmLarge2)
{
    const int nSmall = imlSmall.GetImageCount();
    const int nLarge = imlLarge.GetImageCount();
    const int nIndex = imlLarge.Add(&bmLarge1, nullptr);
    if (nIndex < 0 || imlLarge.Add(&bmLarge2, nullptr) < 0 || imlSmall.Add(&bmSmall1, nullptr) < 0 ||
        imlSmall.Add(&bmSmall2, nullptr) < 0) {
        imlLarge.SetImageCount(static_cast<UINT>(nLarge));
        imlSmall.SetImageCount(static_cast<UINT>(nSmall));
        return -1;
    }
    return nIndex;
}

// ListPcUsbDrives with what UpdateLocationBox needs besides: the entry to select for a shown
// folder on one of the drives (its deepest folder entry, or the drive's own entry at level 1),
// -1 when none is shown there.
int AddPcUsbDrives(CMacUsbListCtrl& list, BOOL bBoxOnly, int nLastIndex, int& nSelect)
{
    nSelect = -1;
    CComboBoxEx& box = *list.m_pLocationBox;
    CFolderListCtrl::AddLocationEntry(box, kPcEntry, CFolderListCtrl::PIC_COMPUTER, 0);
    const DWORD dwDrives = GetLogicalDrives();
    const bool bPcShown = list.WhereShown() == CMacUsbListCtrl::Place::PcDrive && list.m_nLevel >= 1;
    int nTaken = 0;
    for (int i = 0; i < 32; i++) {
        if (!(dwDrives & (1u << i)) || i < 2)
            continue;
        CString strRoot;
        strRoot.Format(u"%c:\\", static_cast<char16_t>(u'A' + i));
        if (GetDriveTypeW(strRoot) != DRIVE_REMOVABLE)
            continue;
        ULARGE_INTEGER free{}, total{};
        // A drive without its medium is no place to go.
        if (!GetDiskFreeSpaceExW(strRoot, &free, &total, nullptr) && GetLastError() == ERROR_NOT_READY)
            continue;
        SHFILEINFOW sfi{};
        SHGetFileInfoW(strRoot, 0, &sfi, sizeof sfi, SHGFI_DISPLAYNAME);
        CString strText;
        strText.Format(u"%s", static_cast<const char16_t*>(sfi.szDisplayName));
        nTaken++;
        if (!bBoxOnly) {
            LVITEM item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_GROUPID;
            item.iItem = nLastIndex + nTaken;
            item.pszText = const_cast<char16_t*>(strText.GetString());
            item.iImage = CFolderListCtrl::PIC_REMOVABLE;
            item.iGroupId = CMacUsbListCtrl::GROUP_PC;
            list.InsertItem(&item);
        }
        const int nDriveEntry = CFolderListCtrl::AddLocationEntry(box, strText, CFolderListCtrl::PIC_REMOVABLE, 1);
        if (!bPcShown || list.m_strCurrentPath.Left(2).CompareNoCase(strRoot.Left(2)) != 0)
            continue;
        // Left open what to select while a drive's root folder is shown at level 1, where it has
        // no folder entries: the drive's own entry, the place the user is in.
        nSelect = nDriveEntry;
        if (list.m_nLevel > 1) {
            // Every folder between the drive and the shown one, so that each entry leads to
            // its own folder whatever level the root folder was opened at.
            CString strBelow = list.m_strCurrentPath.Mid(2);
            strBelow.Trim(u"\\");
            int nFolders = strBelow.IsEmpty() ? 0 : 1;
            for (int c = 0; c < strBelow.GetLength(); c++)
                if (strBelow[c] == u'\\')
                    nFolders++;
            int nIndent = 2;
            for (const CString& strName : LastComponents(list.m_strCurrentPath, nFolders))
                nSelect = CFolderListCtrl::AddLocationEntry(box, strName, CFolderListCtrl::PIC_FOLDER, nIndent++);
        }
    }
    return nTaken;
}

} // namespace

CMacUsbListCtrl::Place CMacUsbListCtrl::WhereShown() const
{
    if (m_strCurrentPath.IsEmpty())
        return Place::Roots;
    return IsPcPath(m_strCurrentPath) ? Place::PcDrive : Place::Machine;
}

BEGIN_MESSAGE_MAP(CMacUsbListCtrl, CFolderListCtrl)
    ON_NOTIFY_REFLECT(LVN_BEGINLABELEDIT, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEdit)
END_MESSAGE_MAP()

void CMacUsbListCtrl::Initialize(HANDLE hMachine, CComboBoxEx* pLocationBox, int nListKind, BOOL bMachinePresent,
                                 BOOL bWithChecks, int nMode, BOOL bDeepUsbFolders)
{
    m_hDevice = bMachinePresent ? hMachine : 0;
    m_pLocationBox = pLocationBox;
    m_nListKind = nListKind;
    m_bMachinePresent = bMachinePresent ? TRUE : FALSE;
    m_bWithChecks = bWithChecks ? TRUE : FALSE;
    m_nMode = nMode;
    m_bDeepUsbFolders = bDeepUsbFolders ? TRUE : FALSE;

    InsertColumn(0, LoadText(IDS_COLUMN_NAME), LVCFMT_LEFT, 239);
    CreateImageLists();
    const CString strGroups[] = {LoadText(IDS_MACHINE), CString(kPcEntry)};
    for (int nGroup = GROUP_MACHINE; nGroup <= GROUP_PC; nGroup++) {
        LVGROUP group{};
        group.cbSize = sizeof group;
        group.mask = LVGF_HEADER | LVGF_GROUPID;
        group.pszHeader = const_cast<char16_t*>(strGroups[nGroup].GetString());
        group.iGroupId = nGroup;
        InsertGroup(nGroup, &group);
    }

    // The five type pairs, 16 to 25: every machine file shows its type's picture.
    const int nTypePictures[] = {PIC_QEF, PIC_QEF_PLUS, PIC_QPX, PIC_STX, PIC_ORD_PLUS};
    for (int nPicture : nTypePictures) {
        CBitmap bmSmall1, bmSmall2, bmPicture, bmLarge1, bmLarge2;
        if (!MakeSmallPair(nPicture, m_bWithChecks, bmSmall1, bmSmall2) ||
            !CListPicture::DrawStripPicture(IDB_PICTURES_LARGE, kLarge, nPicture, bmPicture))
            break;
        CListPicture::DrawFrame(bmPicture);
        if (!MakeLargePair(bmPicture, m_bWithChecks, bmLarge1, bmLarge2) ||
            AddPairs(m_imlSmall, m_imlLarge, bmSmall1, bmSmall2, bmLarge1, bmLarge2) < 0)
            break;
    }
    SetIconSpacing(75, 85);
    ShowRoots();
}

void CMacUsbListCtrl::ShowRoots()
{
    m_wStorage = 0;
    if (!m_pLocationBox)
        return;
    SetRedraw(FALSE);
    int nSelect = WhereShown() == Place::PcDrive ? (m_hDevice ? 4 : 2) : 0;
    UncheckAll();
    DeleteAllItems();
    m_strCurrentPath.Empty();
    m_nLevel = 0;
    m_nLocation = 0;
    m_pLocationBox->ResetContent();

    if ((m_nMode == MODE_MACHINE_ONLY || m_nMode == MODE_EITHER) && m_hDevice) {
        int nRow = 0;
        for (const RootRow& row : kRootRows) {
            const CString strText = LoadText(row.nText);
            CFolderListCtrl::AddLocationEntry(*m_pLocationBox, strText, row.nImage, row.nIndent);
            if (row.nIndent == 1) {
                LVITEM item{};
                item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_GROUPID;
                item.iItem = nRow;
                item.pszText = const_cast<char16_t*>(strText.GetString());
                item.iImage = row.nImage;
                item.iGroupId = GROUP_MACHINE;
                InsertItem(&item);
            }
            nRow++;
        }
        if (m_nMode == MODE_EITHER)
            ListPcUsbDrives(FALSE, 4);
    } else if (m_nMode == MODE_EITHER) {
        CFolderListCtrl::AddLocationEntry(*m_pLocationBox, LoadText(IDS_MACHINE), PIC_MACHINE, 0);
        CFolderListCtrl::AddLocationEntry(*m_pLocationBox, LoadText(IDS_NOT_CONNECTED), PIC_NOT_CONNECTED, 1);
        ListPcUsbDrives(FALSE, 0);
        if (GetItemCount() > 0)
            nSelect = 2;
    } else if (m_nMode == MODE_USB_ONLY) {
        ListPcUsbDrives(FALSE, 0);
        if (GetItemCount() > 0)
            nSelect = 0;
    }
    m_pLocationBox->SetCurSel(nSelect);
    EnableGroupView(m_bMachinePresent ? TRUE : FALSE);
    SetRedraw(TRUE);
}

int CMacUsbListCtrl::ListPcUsbDrives(BOOL bBoxOnly, int nLastIndex)
{
    if (!m_pLocationBox)
        return 0;
    int nSelect;
    return AddPcUsbDrives(*this, bBoxOnly, nLastIndex, nSelect);
}

BOOL CMacUsbListCtrl::OpenMachineFolder(uint16_t wStorage, const CString& strPath, int nLevel)
{
    m_wStorage = wStorage;
    if (strPath.IsEmpty() || !m_hDevice) {
        m_strCurrentPath = strPath;
        m_nLevel = 1;
        m_nLocation = 0;
        UpdateLocationBox();
        if (m_pLocationBox)
            m_pLocationBox->SetCurSel(1);
        return FALSE;
    }

    CTransferDlg dlg(m_hDevice, wStorage, strPath, rkList, this);
    // A run the person stopped with Escape ends the dialog with IDCANCEL while its result may still
    // be 0: only a listing that ran to its end is this folder's.
    if (dlg.DoModal() != IDOK || dlg.m_nResult != rcSuccess) {
        // The list keeps what it showed (a cancel shows nothing).
        ShowCommError(m_hWnd, dlg.m_nResult);
        return FALSE;
    }

    UncheckAll();
    m_strCurrentPath = strPath;
    // A location's root folder is requested as "\\EMB" and opened at the level its caller gives:
    // 2 from the root view, so that "Up" shows the storage's top folder "\" at level 1, and the
    // level its separators count for a folder the host handed in.
    m_nLevel = nLevel;
    if (strPath.CompareNoCase(MachineRootPath()) == 0)
        m_nLocation = wStorage;

    const CCommunicationData* pListing =
        dlg.m_pResults && dlg.m_pResults->GetSize() > 0 ? dlg.m_pResults->GetAt(0) : nullptr;
    const BYTE* pBlock = pListing ? pListing->m_pData : nullptr;
    const uint32_t nBlock = pBlock ? pListing->m_nSize : 0;
    int32_t nCount = 0;
    if (nBlock >= 4)
        nCount = static_cast<int32_t>(static_cast<uint32_t>(pBlock[0]) | (static_cast<uint32_t>(pBlock[1]) << 8) |
                                      (static_cast<uint32_t>(pBlock[2]) << 16) | (static_cast<uint32_t>(pBlock[3]) << 24));
    // An empty folder (no block, or a count of 0 or less, which the listing format means as none)
    // shows an empty list: the items of the folder before it are not this folder's.
    if (!FillFromListing(nCount, nBlock >= 4 ? pBlock + 4 : nullptr, nBlock >= 4 ? nBlock - 4 : 0))
        return FALSE;
    UpdateLocationBox();
    EnableGroupView(FALSE);
    return TRUE;
}

BOOL CMacUsbListCtrl::FillFromListing(int32_t nCount, const BYTE* pEntries, uint32_t nBytes)
{
    if (!m_pLocationBox || m_nLevel < 0 || m_strCurrentPath.IsEmpty())
        return FALSE;
    SetRedraw(FALSE);
    DeleteAllItems();

    const int nFolderLevels = (m_nListKind == LIST_STX && m_wStorage == 1) ? kMachineFolderLevels - 1 : kMachineFolderLevels;
    // The reader stays inside the nBytes given whatever the count and the lengths claim; a broken
    // record ends the listing with the entries before it.
    CListingReader reader(nCount, pEntries, nBytes);
    CListingReader::CEntry entry;
    for (int i = 0; reader.Next(entry); i++) {
        int nImage;
        if (entry.m_bFolder) {
            if (entry.m_strName.IsEmpty() || m_nLevel >= nFolderLevels)
                continue;
            if (m_wStorage == 1 && entry.m_strName.CompareNoCase(kUserStFolder) == 0)
                continue;
            nImage = PIC_FOLDER;
        } else {
            if (!AcceptsFile(entry.m_strName))
                continue;
            nImage = MachineFilePicture(entry.m_strName);
            if (nImage < 0)
                continue;
        }
        const int nAt = i < GetItemCount() ? i : GetItemCount();
        InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, nAt, entry.m_strName, 0, 0, nImage, i);
    }
    SortByTypeAndName();
    SetRedraw(TRUE);
    return TRUE;
}

void CMacUsbListCtrl::ShowUsbFolder(const CString& strPath, int nLevel, BOOL bWithChecks)
{
    if (!SetCurrentDirectoryW(strPath))
        return;
    CWaitCursor wait;
    SetRedraw(FALSE);
    UncheckAll();
    m_strCurrentPath = strPath;
    m_nLevel = nLevel;
    DeleteAllItems();

    const int nFolderLevels = m_bDeepUsbFolders ? kDeepUsbFolderLevels : kShallowUsbFolderLevels;
    // Deeper, a folder takes the file test, which in practice lets none through.
    FillFromFolder(strPath, 0, nLevel < nFolderLevels ? MODE_ALL : MODE_FILES_AS_ENTRIES, bWithChecks);

    SetRedraw(TRUE);
    SortByTypeAndName();
    UpdateLocationBox();
    EnableGroupView(FALSE);
}

namespace {

// A flash drive's root folder on the PC, made with its working subfolder when it lacks them; false
// (the system's message shown) when one of them cannot be made.
bool PrepareUsbRoot(CMacUsbListCtrl& list, const CString& strRoot)
{
    const CString strWork = strRoot + (list.m_nListKind == CFolderListCtrl::LIST_DESIGN ? u"\\Embf" : u"\\Ordf");
    if (!SetCurrentDirectoryW(strRoot))
        return list.CreateFolderOrReport(strRoot) && list.CreateFolderOrReport(strWork);
    bool bHasFolder = false;
    WIN32_FIND_DATAW find{};
    HANDLE hFind = FindFirstFileW(strRoot + u"\\*.*", &find);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const CString strName(find.cFileName);
            if ((find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strName != u"." && strName != u"..")
                bHasFolder = true;
        } while (!bHasFolder && FindNextFileW(hFind, &find));
        FindClose(hFind);
    }
    return bHasFolder || list.CreateFolderOrReport(strWork);
}

} // namespace

void CMacUsbListCtrl::OpenSelected()
{
    if (!m_pLocationBox || IsFileSelected() != 0)
        return;
    const int nItem = GetNextItem(-1, LVNI_SELECTED);
    const CString strLabel = GetItemText(nItem, 0);
    const uint16_t wOldStorage = m_wStorage;

    if (m_nLevel == 0) {
        if (const uint16_t wStorage = StorageOfText(strLabel)) {
            m_wStorage = wStorage;
            const int nLevel = (m_nListKind == LIST_STX && wStorage == 1) ? 1 : 2;
            if (!OpenMachineFolder(wStorage, MachineRootPath(), nLevel)) {
                m_wStorage = wOldStorage;
                UpdateLocationBox();
            }
            return;
        }
    }
    const CString strDrive = m_nLevel == 0 ? DriveOf(strLabel) : CString();
    if (!strDrive.IsEmpty()) {
        m_wStorage = 0;
        const CString strRoot = strDrive + RootFolder();
        if (PrepareUsbRoot(*this, strRoot))
            ShowUsbFolder(strRoot, 2, m_bWithChecks);
        return;
    }
    if (m_nLevel == 0)
        return;
    // On the machine a name always follows one separator of its own: below the storage's top "\"
    // that gives the leading double backslash of the machine's form.
    if (WhereShown() != Place::PcDrive)
        OpenMachineFolder(m_wStorage, m_strCurrentPath + u"\\" + strLabel, m_nLevel + 1);
    else
        ShowUsbFolder(JoinPath(m_strCurrentPath, strLabel), m_nLevel + 1, m_bWithChecks);
}

void CMacUsbListCtrl::GoToLocationBoxSelection()
{
    if (!m_pLocationBox)
        return;
    const int nSel = m_pLocationBox->GetCurSel();
    CString strText;
    int nIndent = 0;
    if (!CFolderListCtrl::GetLocationEntry(*m_pLocationBox, nSel, strText, nIndent))
        return;

    if (nIndent == 0) {
        if (strText == LoadText(IDS_MACHINE)) {
            ShowRoots();
            m_pLocationBox->SetCurSel(0);
        } else if (strText == kPcEntry) {
            ShowRoots();
            // The "PC" entry wherever the mode put it (the first entry when only drives are
            // offered).
            for (int i = 0; i < m_pLocationBox->GetCount(); i++) {
                CString strEntry;
                int nEntryIndent = 0;
                if (CFolderListCtrl::GetLocationEntry(*m_pLocationBox, i, strEntry, nEntryIndent) && nEntryIndent == 0 && strEntry == kPcEntry)
                    m_pLocationBox->SetCurSel(i);
            }
        }
        return;
    }

    const CString strDrive = DriveOf(strText);
    if (nIndent == 1 && !strDrive.IsEmpty()) {
        const uint16_t wOldStorage = m_wStorage;
        m_wStorage = 0;
        const CString strRoot = strDrive + RootFolder();
        if (PrepareUsbRoot(*this, strRoot))
            ShowUsbFolder(strRoot, 1, m_bWithChecks);
        else
            m_wStorage = wOldStorage;
        return;
    }

    const uint16_t wStorage = nIndent == 1 ? StorageOfText(strText) : 0;
    if (wStorage) {
        const uint16_t wOldStorage = m_wStorage;
        m_wStorage = wStorage;
        if (!OpenMachineFolder(wStorage, MachineRootPath(), m_nListKind == LIST_STX ? 1 : 2)) {
            m_wStorage = wOldStorage;
            UpdateLocationBox();
        }
        return;
    }
    if (nIndent < 2)
        return;

    if (WhereShown() != Place::PcDrive) {
        // A folder entry of the shown machine path: that path cut back to the entry's level.
        if (m_strCurrentPath.IsEmpty() || nIndent > m_nLevel)
            return;
        CString strPath = m_strCurrentPath;
        for (int nLevel = m_nLevel; nLevel > nIndent; nLevel--)
            strPath = ParentOf(strPath);
        if (!OpenMachineFolder(m_wStorage, strPath, nIndent))
            UpdateLocationBox();
        return;
    }

    // A folder entry below a PC drive: the drive and every folder entry from it to this one.
    CString strFolders;
    for (int i = nSel; i >= 0; i--) {
        CString strEntry;
        int nEntryIndent = 0;
        if (!CFolderListCtrl::GetLocationEntry(*m_pLocationBox, i, strEntry, nEntryIndent))
            return;
        const CString strEntryDrive = DriveOf(strEntry);
        if (nEntryIndent <= 1) {
            if (strEntryDrive.IsEmpty())
                return;
            ShowUsbFolder(strEntryDrive + strFolders, nIndent, m_bWithChecks);
            return;
        }
        strFolders = u"\\" + strEntry + strFolders;
    }
}

BOOL CMacUsbListCtrl::UpOneLevel()
{
    if (!m_pLocationBox)
        return FALSE;
    CString strParent = m_strCurrentPath;
    if (m_nLevel != 0 && strParent.ReverseFind(u'\\') >= 0)
        strParent = ParentOf(strParent);
    if (m_nLevel <= 1) {
        ShowRoots();
        return TRUE;
    }
    if (strParent.GetLength() == 2 && IsPcPath(strParent))
        strParent += u"\\";
    if (WhereShown() == Place::PcDrive) {
        ShowUsbFolder(strParent, m_nLevel - 1, m_bWithChecks);
        return TRUE;
    }
    return OpenMachineFolder(m_wStorage, strParent, m_nLevel - 1);
}

CString CMacUsbListCtrl::MachineRootPath() const
{
    return u"\\" + RootFolder();
}

CString CMacUsbListCtrl::RootFolder() const
{
    switch (m_nListKind) {
    case LIST_STX:
        return m_wStorage == 1 ? CString(u"\\ORD\\(UserST)") : CString(u"\\ORD");
    case LIST_ORDPLUS:
        return u"\\ORD";
    default:
        return u"\\EMB";
    }
}

void CMacUsbListCtrl::UpdateLocationBox()
{
    if (!m_pLocationBox)
        return;
    m_pLocationBox->ResetContent();
    int nSelect = -1;
    const bool bMachinePath = WhereShown() == Place::Machine;

    if (m_bMachinePresent) {
        if (m_hDevice) {
            for (const RootRow& row : kRootRows) {
                CFolderListCtrl::AddLocationEntry(*m_pLocationBox, LoadText(row.nText), row.nImage, row.nIndent);
                if (row.wStorage == 0 || row.wStorage != m_wStorage || !bMachinePath || m_nLevel < 2)
                    continue;
                int nIndent = 2;
                for (const CString& strName : LastComponents(m_strCurrentPath, m_nLevel - 1))
                    nSelect = CFolderListCtrl::AddLocationEntry(*m_pLocationBox, strName, PIC_FOLDER, nIndent++);
            }
        } else {
            CFolderListCtrl::AddLocationEntry(*m_pLocationBox, LoadText(IDS_MACHINE), PIC_MACHINE, 0);
            CFolderListCtrl::AddLocationEntry(*m_pLocationBox, LoadText(IDS_NOT_CONNECTED), PIC_NOT_CONNECTED, 1);
        }
    }
    if (m_nMode != MODE_MACHINE_ONLY) {
        int nDriveSelect = -1;
        AddPcUsbDrives(*this, TRUE, 0, nDriveSelect);
        if (nSelect < 0)
            nSelect = nDriveSelect;
    }
    if (nSelect < 0) {
        if (bMachinePath)
            nSelect = m_wStorage;
        else
            nSelect = (m_bMachinePresent && !m_hDevice) ? 2 : 0;
    }
    m_pLocationBox->SetCurSel(nSelect);
}

int CMacUsbListCtrl::MachineFilePicture(const CString& strName)
{
    const CString strExtension = GetExtension(strName);
    if (strExtension == u".qef")
        return PIC_MAC_QEF;
    if (strExtension == u".qef+")
        return PIC_MAC_QEF_PLUS;
    if (strExtension == u".qpx")
        return PIC_MAC_QPX;
    if (strExtension == u".stx")
        return PIC_MAC_STX;
    if (strExtension == u".ord+")
        return PIC_MAC_ORD_PLUS;
    return -1;
}

int CMacUsbListCtrl::MakeDesignPictureFor(CEmbData& design, BOOL bChecked, int nType)
{
    if (m_nListKind != LIST_DESIGN || !m_imlSmall.GetSafeHandle() || !m_imlLarge.GetSafeHandle())
        return -1;
    int nTypePicture;
    switch (nType) {
    case 1: nTypePicture = PIC_QEF; break;
    case 2: nTypePicture = PIC_QEF_PLUS; break;
    case 3: nTypePicture = PIC_QPX; break;
    default: return -1;
    }
    if (design.GetStitchWordCount() < 1 || design.GetColorBlockCount() < 1)
        return -1;
    CBitmap bmSmall1, bmSmall2, bmPicture, bmLarge1, bmLarge2;
    if (!MakeSmallPair(nTypePicture, m_bWithChecks, bmSmall1, bmSmall2) || !CListPicture::DrawDesignPicture(design, bmPicture) ||
        !MakeLargePair(bmPicture, m_bWithChecks, bmLarge1, bmLarge2))
        return -1;
    const int nIndex = AddPairs(m_imlSmall, m_imlLarge, bmSmall1, bmSmall2, bmLarge1, bmLarge2);
    return nIndex < 0 ? -1 : nIndex + (bChecked ? 1 : 0);
}

int CMacUsbListCtrl::MakeStxPictureFor(const BYTE* pBytes, uint32_t nLength, BOOL bChecked)
{
    if (!pBytes || !m_imlSmall.GetSafeHandle() || !m_imlLarge.GetSafeHandle())
        return -1;
    CStxFile stx;
    CBitmap bmSmall1, bmSmall2, bmPicture, bmLarge1, bmLarge2;
    if (!stx.ReadBuffer(pBytes, nLength) || !MakeSmallPair(PIC_STX, TRUE, bmSmall1, bmSmall2) ||
        !CListPicture::DrawStxPicture(stx, bmPicture) || !MakeLargePair(bmPicture, TRUE, bmLarge1, bmLarge2))
        return -1;
    const int nIndex = AddPairs(m_imlSmall, m_imlLarge, bmSmall1, bmSmall2, bmLarge1, bmLarge2);
    return nIndex < 0 ? -1 : nIndex + (bChecked ? 1 : 0);
}

int CMacUsbListCtrl::MakeStxPictureSingle(const BYTE* pBytes, uint32_t nLength)
{
    if (m_nListKind != LIST_STX || !pBytes || !m_imlSmall.GetSafeHandle() || !m_imlLarge.GetSafeHandle())
        return -1;
    CStxFile stx;
    CBitmap bmPicture;
    if (!stx.ReadBuffer(pBytes, nLength) || !CListPicture::DrawStxPicture(stx, bmPicture))
        return -1;
    const int nIndex = m_imlLarge.Add(&bmPicture, nullptr);
    if (nIndex < 0)
        return -1;
    CBitmap bmSmall;
    if (!CListPicture::DrawStripPicture(IDB_PICTURES_SMALL, kSmall, PIC_STX, bmSmall) || m_imlSmall.Add(&bmSmall, nullptr) < 0) {
        // Both lists keep the same count.
        m_imlLarge.Remove(nIndex);
        return -1;
    }
    return nIndex;
}
