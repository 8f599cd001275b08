#include "dialogs/DestinationSupport.h"

#include "comm/CommError.h"
#include "comm/RequestKind.h"
#include "comm/TransferDlg.h"
#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "link/MachineLink.h"
#include "link/ResultCode.h"
#include "lists/MacUsbListCtrl.h"
#include "platform/afx/MemFile.h"
#include "platform/afx/ModuleState.h"
#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/file/Shell.h"
#include "platform/kernel/Handle.h"
#include "platform/user/Dbt.h"
#include "platform/user/Icon.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Resource.h"
#include "res/ResourceText.h"
#include "res/resource.h"

namespace {

CString DriveRoot(int nDrive)
{
    CString strRoot;
    strRoot.Format(u"%c:\\", static_cast<char16_t>(u'A' + nDrive));
    return strRoot;
}

// A removable drive with its medium in; its shell display name in strName.
bool IsReadyRemovable(int nDrive, CString& strName)
{
    const CString strRoot = DriveRoot(nDrive);
    if (GetDriveTypeW(strRoot) != DRIVE_REMOVABLE)
        return false;
    ULARGE_INTEGER free{}, total{};
    if (!GetDiskFreeSpaceExW(strRoot, &free, &total, nullptr) && GetLastError() == ERROR_NOT_READY)
        return false;
    SHFILEINFOW sfi{};
    SHGetFileInfoW(strRoot, 0, &sfi, sizeof sfi, SHGFI_DISPLAYNAME);
    strName = sfi.szDisplayName;
    return true;
}

// The two characters that end with the first colon of a display name ("STICK (E:)" -> "E:").
CString DriveOfDisplayName(const CString& strName)
{
    const int nColon = strName.Find(u':');
    return nColon >= 1 ? strName.Mid(nColon - 1, 2) : CString();
}

int ImageOf(CListCtrl& list, int nItem)
{
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    return list.GetItem(&item) ? item.iImage : -1;
}

} // namespace

namespace DestinationSupport {

HICON LoadButtonIcon(CWnd* pDialog, int nButtonId, UINT nIconId)
{
    const HICON hIcon =
        static_cast<HICON>(LoadImage(AfxGetInstanceHandle(), MAKEINTRESOURCE(nIconId), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    if (hIcon)
        ::SendMessageW(::GetDlgItem(pDialog->m_hWnd, nButtonId), BM_SETIMAGE, IMAGE_ICON, static_cast<LPARAM>(hIcon));
    return hIcon;
}

void ShowTargetPicture(CStatic& picture, int nTarget)
{
    UINT nIcon = IDI_USB_DRIVE;
    if (nTarget == 1)
        nIcon = IDI_MACHINE;
    else if (nTarget == 2)
        nIcon = IDI_MACHINE_USB;
    const HICON hIcon = LoadIcon(AfxFindResourceHandle(nIcon, tavren::ResourceKind::Icon), MAKEINTRESOURCE(nIcon));
    if (!hIcon)
        return;
    // The static keeps the picture it shows; the one it showed before is no one's any more.
    const HICON hOld = picture.SetIcon(hIcon);
    if (hOld && hOld != hIcon)
        DestroyIcon(hOld);
}

DWORD BroadcastUnitMask(LPARAM dwData)
{
    const auto* pVolume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(dwData);
    return pVolume ? pVolume->dbcv_unitmask : 0;
}

void RecheckConnectedMachine(CWnd* pDialog, HANDLE& hDevice, CMacUsbListCtrl& list, LPARAM dwData)
{
    const auto* pHeader = reinterpret_cast<const DEV_BROADCAST_HDR*>(dwData);
    if (!pHeader || pHeader->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return;
    // The dialogs register for these broadcasts only once the link is loaded.
    if (!EnsureMachineLink())
        return;
    CMachineLink& link = MachineLink();
    if (hDevice && link.m_pfnGetMachineType(hDevice, 0) != 0) {
        CloseHandle(hDevice);
        hDevice = 0;
    }
    if (!hDevice) {
        int32_t nState = 0;
        const HANDLE hNew = link.m_pfnGetConnectedDevice(0, -1, &nState);
        if (nState == 2)
            pDialog->MessageBox(LoadText(IDS_ERR_NOT_SUPPORTED), LoadText(IDS_CAPTION_CONFIRM), MB_OK | MB_ICONINFORMATION);
        if (hNew)
            hDevice = hNew;
    }
    list.m_hDevice = hDevice;
}

BOOL ReadyRemovableDriveInMask(DWORD dwMask)
{
    BOOL bFound = FALSE;
    for (int nDrive = 0; dwMask != 0 && nDrive < 32; nDrive++, dwMask >>= 1) {
        if (!(dwMask & 1) || nDrive < 2)
            continue;
        CString strName;
        if (IsReadyRemovable(nDrive, strName))
            bFound = TRUE;
    }
    return bFound;
}

BOOL PathOnReadyRemovableDrive(const CString& strPath)
{
    const CString strDrive = strPath.Left(2);
    const DWORD dwDrives = GetLogicalDrives();
    for (int nDrive = 2; nDrive < 32; nDrive++) {
        if (!(dwDrives & (1u << nDrive)))
            continue;
        CString strName;
        if (IsReadyRemovable(nDrive, strName) && DriveOfDisplayName(strName).CompareNoCase(strDrive) == 0)
            return TRUE;
    }
    return FALSE;
}

BOOL MachineListDrivesChanged(CMacUsbListCtrl& list, HANDLE hDevice, DWORD dwMask)
{
    BOOL bBackToRoots = FALSE;
    if (list.m_nLevel != 0) {
        if (list.WhereShown() != CMacUsbListCtrl::Place::PcDrive && hDevice == 0) {
            list.ShowRoots();
            bBackToRoots = TRUE;
        }
    } else {
        list.ShowRoots();
    }
    if (ReadyRemovableDriveInMask(dwMask)) {
        list.UpdateLocationBox();
        return bBackToRoots;
    }
    if (list.WhereShown() == CMacUsbListCtrl::Place::PcDrive) {
        if (PathOnReadyRemovableDrive(list.m_strCurrentPath)) {
            list.UpdateLocationBox();
        } else {
            list.ShowRoots();
            bBackToRoots = TRUE;
        }
    } else {
        list.UpdateLocationBox();
    }
    return bBackToRoots;
}

DWORD DeleteLocalEntry(const CString& strPath)
{
    if (!SetCurrentDirectoryW(strPath)) {
        if (!DeleteFileW(strPath))
            return GetLastError();
        return 0;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE hFind = FindFirstFileW(strPath + u"\\*.*", &found);
    DWORD dwError = 0;
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const CString strName = found.cFileName;
            if (strName == u"." || strName == u"..")
                continue;
            dwError = DeleteLocalEntry(strPath + u"\\" + strName);
        } while (dwError == 0 && FindNextFileW(hFind, &found));
        FindClose(hFind);
    }
    if (dwError != 0)
        return dwError;
    // A folder cannot be removed while it is the current directory.
    const int nSlash = strPath.ReverseFind(u'\\');
    CString strParent = nSlash >= 0 ? strPath.Left(nSlash) : CString();
    if (strParent.GetLength() == 2 && strParent[1] == u':')
        strParent += u"\\";
    if (!strParent.IsEmpty())
        SetCurrentDirectoryW(strParent);
    if (!RemoveDirectoryW(strPath))
        return GetLastError();
    return 0;
}

void DeleteSelectedEntries(CWnd* pDialog, CMacUsbListCtrl& list, int nKind)
{
    if (pDialog->MessageBox(LoadText(IDS_ASK_DELETE), LoadText(IDS_CAPTION_DELETING), MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    if (list.WhereShown() == CMacUsbListCtrl::Place::PcDrive) {
        CListCtrl::POSITION pos = list.GetFirstSelectedItemPosition();
        while (pos) {
            const int nItem = list.GetNextSelectedItem(pos);
            const CString strLabel = list.GetItemText(nItem, 0);
            const DWORD dwError = DeleteLocalEntry(list.m_strCurrentPath + u"\\" + strLabel);
            if (dwError != 0) {
                pDialog->MessageBox(CFolderListCtrl::SystemMessage(dwError), LoadText(IDS_CAPTION_ERROR),
                                    MB_OK | MB_ICONINFORMATION);
                break;
            }
            if (nKind == CFolderListCtrl::LIST_DESIGN || nKind == CFolderListCtrl::LIST_STX) {
                const CString strCompanion = CFolderListCtrl::GetCompanionName(strLabel);
                if (!strCompanion.IsEmpty())
                    DeleteLocalEntry(list.m_strCurrentPath + u"\\" + strCompanion);
            }
        }
        list.ShowUsbFolder(list.m_strCurrentPath, list.m_nLevel, list.m_bWithChecks);
        return;
    }
    const int nFirst = list.GetNextItem(-1, LVNI_SELECTED);
    if (nFirst < 0)
        return;
    if (ImageOf(list, nFirst) < CFolderListCtrl::PIC_QEF_PLUS)
        list.DeleteSelectedMachineFolder();
    else
        list.DeleteSelectedMachineFiles();
}

PreviewOutcome FetchMachinePreview(CWnd* pOwner, CMacUsbListCtrl& list, int nKind, BOOL bFileManager)
{
    const int nItem = list.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return PREVIEW_NOT_NEEDED;
    char16_t szLabel[520] = {};
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = szLabel;
    item.cchTextMax = 520;
    if (!list.GetItem(&item))
        return PREVIEW_NOT_NEEDED;
    const int nOldImage = item.iImage;
    if (nOldImage >= 26 || (list.GetStyle() & LVS_TYPEMASK) == LVS_REPORT)
        return PREVIEW_NOT_NEEDED;

    CTransferDlg dlg(list.m_hDevice, list.m_wStorage, list.m_strCurrentPath, rkReceive, pOwner);
    dlg.AddName(szLabel);
    if (dlg.DoModal() == IDCANCEL && IsReportedResult(dlg.m_nResult)) {
        ShowCommError(pOwner->m_hWnd, dlg.m_nResult);
        return PREVIEW_FAILED;
    }
    const CCommunicationData* pRecord =
        dlg.m_pResults && dlg.m_pResults->GetSize() > 0 ? dlg.m_pResults->GetAt(0) : nullptr;
    if (!pRecord || !pRecord->m_pData)
        return PREVIEW_FAILED;

    const BOOL bChecked = nOldImage >= CFolderListCtrl::PIC_FIRST_PAIR && (nOldImage & 1) != 0;
    int nNewImage = -1;
    if (nKind == CFolderListCtrl::LIST_DESIGN) {
        // The File Manager for designs is reached only through the module's own export; its
        // previews take the file's type as Write a Design's do, since the list draws no preview
        // for a design without one.
        const int nType = CEmbFile::GetFileType(szLabel);
        CEmbFile reader;
        reader.SetFileType(nType);
        CMemFile file(pRecord->m_pData, pRecord->m_nSize);
        CEmbData design;
        if (reader.Read(file, design))
            nNewImage = list.MakeDesignPictureFor(design, bChecked, nType);
    } else if (nKind == CFolderListCtrl::LIST_STX) {
        nNewImage = bFileManager ? list.MakeStxPictureFor(pRecord->m_pData, pRecord->m_nSize, bChecked)
                                 : list.MakeStxPictureSingle(pRecord->m_pData, pRecord->m_nSize);
    }
    // A file that cannot be drawn keeps its type picture (and its tick) rather than losing both.
    if (nNewImage >= 0) {
        LVITEM update{};
        update.mask = LVIF_IMAGE;
        update.iItem = nItem;
        update.iImage = nNewImage;
        list.SetItem(&update);
    }
    return PREVIEW_MADE;
}

POINT BesideFocusedItem(CListCtrl& list)
{
    RECT rcClient{};
    list.GetClientRect(&rcClient);
    POINT pt{rcClient.left + 4, rcClient.top + 4};
    const int nFocus = list.GetNextItem(-1, LVNI_FOCUSED);
    RECT rc{};
    if (nFocus >= 0 && list.GetItemRect(nFocus, &rc, LVIR_ICON) && rc.bottom > rcClient.top && rc.top < rcClient.bottom)
        pt = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(list.m_hWnd, &pt);
    return pt;
}

} // namespace DestinationSupport
