#include "dialogs/WriteDesignDlg.h"

#include "comm/CommError.h"
#include "comm/RequestKind.h"
#include "comm/TransferDlg.h"
#include "dialogs/DestinationSupport.h"
#include "dialogs/RenameDlg.h"
#include "link/MachineLink.h"
#include "link/ResultCode.h"
#include "platform/afx/File.h"
#include "platform/afx/FileException.h"
#include "platform/afx/ModuleState.h"
#include "platform/file/FileApi.h"
#include "platform/kernel/Handle.h"
#include "platform/user/Dbt.h"
#include "platform/user/Icon.h"
#include "platform/afx/Menu.h"
#include "platform/user/MessageBox.h"
#include "res/ResourceText.h"
#include "res/resource.h"

namespace {

// The storage in which STX files are limited, and how many items it holds at most.
constexpr uint16_t kStxLimitedStorage = 1;
constexpr int kMaxStxItems = 60;
// The sub-menus of menu 13015 that this dialog shows.
constexpr int kMenuItem = 2;
constexpr int kMenuFolder = 3;

} // namespace

CWriteDesignDlg::CWriteDesignDlg(HANDLE hDevice, const BYTE* pDesignData, uint32_t nDesignSize, LPCTSTR pszName,
                                 int32_t nKind, BYTE bMachineLink, BYTE bSelectAfterSendEnable, LPCTSTR pszInitialFolder,
                                 int32_t* pStorage, const int32_t* pSelectAfterSend, int32_t nTarget, BYTE bDeepFolders,
                                 CWnd* pParent)
    : CDialog(IDD, pParent), m_hDevice(hDevice), m_pDesignData(pDesignData), m_nDesignSize(nDesignSize), m_nKind(nKind),
      m_bMachineLink(bMachineLink), m_nTarget(nTarget), m_bDeepFolders(bDeepFolders),
      m_strResultFolder(pszInitialFolder), m_pStorage(pStorage)
{
    if (pszName) {
        const CString strName(pszName);
        const CString strExtension = CFolderListCtrl::GetExtension(strName);
        CString strStem = strName.Left(strName.GetLength() - strExtension.GetLength());
        strStem.Trim();
        m_strName = strStem + strExtension;
    }
    // A null value pointer with the enable flag set is read as "no": there is nothing to read.
    if (bSelectAfterSendEnable && pSelectAfterSend)
        m_bSelectAfterSend = *pSelectAfterSend;
}

CWriteDesignDlg::~CWriteDesignDlg()
{
    for (HICON hIcon : {m_hIconSend, m_hIconNew, m_hIconOpen, m_hIconUp, m_hIconStyle})
        if (hIcon)
            DestroyIcon(hIcon);
    if (m_hDeviceNotify)
        UnregisterDeviceNotification(m_hDeviceNotify);
    if (m_hDevice)
        CloseHandle(m_hDevice);
    // Deletes on a PC drive leave the current directory where they ended.
    if (m_szSavedDirectory[0])
        SetCurrentDirectoryW(m_szSavedDirectory);
}

void CWriteDesignDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WD_LIST, m_list);
    DDX_Control(pDX, IDC_WD_LOCATION, m_comboLocation);
    DDX_Text(pDX, IDC_WD_NAME, m_strName);
    DDX_Control(pDX, IDC_TARGET_PICTURE, m_staticTarget);
}

BEGIN_MESSAGE_MAP(CWriteDesignDlg, CDialog)
    ON_BN_CLICKED(IDC_WD_SEND, OnSend)
    ON_BN_CLICKED(IDC_WD_RENAME, OnRename)
    ON_BN_CLICKED(IDC_WD_NEW, OnNewFolder)
    ON_COMMAND(ID_MACHINE_NEWFOLDER, OnNewFolder)
    ON_BN_CLICKED(IDC_WD_OPEN, OnOpen)
    ON_COMMAND(ID_MACHINE_OPEN, OnMenuOpen)
    ON_BN_CLICKED(IDC_WD_UP, OnUp)
    ON_BN_CLICKED(IDC_WD_STYLE, OnStyle)
    ON_CBN_SELCHANGE(IDC_WD_LOCATION, OnLocationChange)
    ON_NOTIFY(NM_CLICK, IDC_WD_LIST, OnListClick)
    ON_NOTIFY(NM_DBLCLK, IDC_WD_LIST, OnListActivate)
    ON_NOTIFY(NM_RETURN, IDC_WD_LIST, OnListActivate)
    ON_NOTIFY(NM_RCLICK, IDC_WD_LIST, OnListRClick)
    ON_COMMAND(ID_MACHINE_DELETE, OnMenuDelete)
    ON_COMMAND(ID_MACHINE_RENAME, OnMenuRename)
    ON_WM_DEVICECHANGE()
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

BOOL CWriteDesignDlg::PreTranslateMessage(MSG* pMsg)
{
    // Enter goes to the focused control (the list's Enter notification), never to the hidden
    // default button.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
        return FALSE;
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CWriteDesignDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_pDesignData || m_nDesignSize == 0 || m_strName.IsEmpty()) {
        EndDialog(IDCANCEL);
        return FALSE;
    }
    GetCurrentDirectoryW(261, m_szSavedDirectory);

    m_hIconSend = DestinationSupport::LoadButtonIcon(this, IDC_WD_SEND, IDI_SEND);
    m_hIconNew = DestinationSupport::LoadButtonIcon(this, IDC_WD_NEW, IDI_NEW_FOLDER);
    m_hIconOpen = DestinationSupport::LoadButtonIcon(this, IDC_WD_OPEN, IDI_OPEN);
    m_hIconUp = DestinationSupport::LoadButtonIcon(this, IDC_WD_UP, IDI_UP);
    m_hIconStyle = DestinationSupport::LoadButtonIcon(this, IDC_WD_STYLE, IDI_STYLE_ICONS);

    m_list.Initialize(m_hDevice, &m_comboLocation, m_nKind, m_bMachineLink, FALSE, m_nTarget, m_bDeepFolders);
    ProbeInitialFolder();

    if (m_list.GetItemCount() >= 1 || !m_strResultFolder.IsEmpty()) {
        UpdateButtons();
        if (m_bMachineLink) {
            if (!EnsureMachineLink())
                return FALSE;
            m_hDeviceNotify = MachineLink().m_pfnRegisterMachineDeviceNotification(m_hWnd);
        }
        DestinationSupport::ShowTargetPicture(m_staticTarget, m_nTarget);
        UpdateData(FALSE);
        return TRUE;
    }

    UINT nText = IDS_CONNECT_ANY;
    if (m_nTarget == TargetUsbDrive)
        nText = IDS_CONNECT_USB;
    else if (m_nTarget == TargetMachine)
        nText = IDS_CONNECT_MACHINE;
    MessageBox(LoadText(nText), LoadText(IDS_CAPTION_CONFIRM), MB_ICONINFORMATION);
    EndDialog(IDCANCEL);
    return FALSE;
}

void CWriteDesignDlg::ProbeInitialFolder()
{
    const uint16_t wStorage = m_pStorage ? static_cast<uint16_t>(*m_pStorage & 0xFFFF) : 0;
    uint8_t* pListing = nullptr;
    uint32_t nListing = 0;
    // The one listing asked on this thread: only whether the folder is there matters, so its
    // result code is not looked at.
    if (m_bMachineLink && EnsureMachineLink())
        MachineLink().m_pfnUploadList(m_hDevice, wStorage, m_strResultFolder, &pListing, &nListing);

    // A folder in the machine's form begins with two backslashes (the root folder EMB is requested
    // as two backslashes and EMB, as this dialog hands it back after a send); anything else is a
    // PC folder.
    const bool bListed = pListing != nullptr;
    const bool bMachineForm = m_strResultFolder.Left(2) == u"\\\\";
    const bool bExists = bMachineForm ? bListed : PathIsDirectoryW(m_strResultFolder) != FALSE;
    if (pListing)
        MachineLink().m_pfnGlobalHeapFree(&pListing);
    if (!bExists)
        m_strResultFolder.Empty();
    if (m_strResultFolder.IsEmpty())
        return;

    // The level is the number of components: the storage's top counts as one, so the root folder
    // opens at 2 and each folder below it one deeper, as when the person walks there.
    int nLevel = 1;
    CString strCopy = m_strResultFolder;
    for (int nLast = strCopy.ReverseFind(u'\\'); nLast > 0; nLast = strCopy.ReverseFind(u'\\')) {
        strCopy = strCopy.Left(nLast);
        nLevel++;
    }
    if (bMachineForm) {
        const int32_t nStorage = m_pStorage ? *m_pStorage : 0;
        if (m_nKind == CFolderListCtrl::LIST_STX && nStorage == kStxLimitedStorage)
            nLevel = 1;
        m_list.OpenMachineFolder(static_cast<uint16_t>(nStorage), m_strResultFolder, nLevel);
    } else {
        m_list.ShowUsbFolder(m_strResultFolder, nLevel, FALSE);
    }
}

void CWriteDesignDlg::UpdateButtons()
{
    UpdateData(TRUE);
    GetDlgItem(IDC_WD_OPEN)->EnableWindow(FALSE);
    const int d = m_list.m_nLevel;
    const int nLimit = m_bDeepFolders ? 5 : 3;
    GetDlgItem(IDC_WD_UP)->EnableWindow(d > 0);
    const bool bStxBuiltIn = m_nKind == CFolderListCtrl::LIST_STX && m_list.m_wStorage == kStxLimitedStorage;
    GetDlgItem(IDC_WD_NEW)->EnableWindow(d > 0 && d < nLimit && !bStxBuiltIn);
    GetDlgItem(IDC_WD_SEND)->EnableWindow(m_bDeepFolders ? d >= 1 : d == 3);
    UpdateData(FALSE);
}

void CWriteDesignDlg::OnSend()
{
    if (m_list.GetItemCount() >= kMaxStxItems && m_list.m_wStorage == kStxLimitedStorage &&
        m_nKind == CFolderListCtrl::LIST_STX) {
        MessageBox(LoadText(IDS_MAX_CS), LoadText(IDS_CAPTION_CONFIRM), MB_ICONINFORMATION);
        return;
    }
    if (const int nMessage = CFolderListCtrl::ValidateName(m_strName)) {
        CString strText;
        if (strText.LoadString(static_cast<UINT>(nMessage)))
            MessageBox(strText, LoadText(IDS_CAPTION_CONFIRM), MB_ICONEXCLAMATION);
        return;
    }
    const int nItems = m_list.GetItemCount();
    for (int i = 0; i < nItems; i++) {
        if (m_list.GetItemText(i, 0).CompareNoCase(m_strName) != 0)
            continue;
        if (MessageBox(m_strName + LoadText(IDS_ASK_REPLACE), LoadText(IDS_CAPTION_SAVE_AS), MB_YESNO | MB_ICONEXCLAMATION) !=
            IDYES)
            return;
        break;
    }

    CWaitCursor wait;
    const BOOL bSent = m_list.WhereShown() == CMacUsbListCtrl::Place::PcDrive ? SendToDrive() : SendToMachine();
    if (bSent)
        EndDialog(IDOK);
}

BOOL CWriteDesignDlg::SendToDrive()
{
    const CString strPath = m_list.m_strCurrentPath + u"\\" + m_strName;
    CFile file;
    CFileException error;
    DWORD dwError = 0;
    if (!file.Open(strPath, CFile::modeCreate | CFile::modeWrite, &error)) {
        dwError = static_cast<DWORD>(error.m_lOsError);
    } else {
        try {
            file.Write(m_pDesignData, m_nDesignSize);
            file.Close();
        } catch (CFileException* e) {
            dwError = static_cast<DWORD>(e->m_lOsError);
            e->Delete();
            file.Abort();
        }
    }
    if (dwError != 0) {
        // What was written before the failure stays: the person sees the path and can look.
        MessageBox(CFolderListCtrl::SystemMessage(dwError) + strPath, LoadText(IDS_CAPTION_ERROR), MB_ICONEXCLAMATION);
        return FALSE;
    }
    m_strResultFolder = m_list.m_strCurrentPath;
    return TRUE;
}

int32_t CWriteDesignDlg::StatusToResultCode(BYTE a, BYTE b)
{
    if (a == 0) {
        static const int32_t s_anByB[] = {rcSuccess,          rcMachineLocked,        rcMachineMessageShown,
                                          rcMachineHelpOpen,  rcMachineSettingsOpen,  rcMachineOpeningOrSaving,
                                          rcMachineDialogOpen};
        return b < 7 ? s_anByB[b] : rcMachineError;
    }
    switch (a) {
    case 1: case 3: case 5: case 6: case 9: return rcMachineBusy;
    case 2: return rcMachineFailed;
    case 4: return rcMachineSewing;
    case 7: return rcMachineBusyAgain;
    case 8: return rcMachineWinding;
    default: return rcMachineError;
    }
}

BOOL CWriteDesignDlg::SendToMachine()
{
    UpdateData(TRUE);
    if (m_bSelectAfterSend) {
        if (!EnsureMachineLink())
            return FALSE;
        const CMachineLink& link = MachineLink();
        BYTE a = 0;
        BYTE b = 0;
        if (link.m_pfnGetStatus(m_hDevice, 3, &a) != 0 || link.m_pfnGetStatus(m_hDevice, 4, &b) != 0)
            return FALSE;
        if (const int32_t nCode = StatusToResultCode(a, b)) {
            ShowCommError(m_hWnd, nCode);
            return FALSE;
        }
        if (m_nKind == CFolderListCtrl::LIST_DESIGN) {
            BYTE c = 0;
            link.m_pfnGetStatus(m_hDevice, 0, &c);
            if ((c == 0 || c == 1) &&
                MessageBox(LoadText(IDS_ASK_MODE_CHANGE), LoadText(IDS_CAPTION_CONFIRM), MB_YESNO | MB_ICONQUESTION) != IDYES)
                return FALSE;
        }
    }

    CTransferDlg dlg(m_hDevice, m_list.m_wStorage, m_list.m_strCurrentPath, rkSend, this);
    dlg.AddSendData(m_strName, m_pDesignData, m_nDesignSize);
    if (dlg.DoModal() == IDCANCEL && IsReportedResult(dlg.m_nResult)) {
        ShowCommError(m_hWnd, dlg.m_nResult);
        return FALSE;
    }
    m_strResultFolder = m_list.m_strCurrentPath;
    if (m_pStorage)
        *m_pStorage = m_list.m_wStorage;
    if (m_bSelectAfterSend && EnsureMachineLink()) {
        const CString strPath = m_list.m_strCurrentPath + u"\\" + m_strName;
        if (const int32_t nCode = MachineLink().m_pfnSelectFile(m_hDevice, m_list.m_wStorage, strPath))
            ShowCommError(m_hWnd, nCode);
    }
    return TRUE;
}

void CWriteDesignDlg::OnRename()
{
    UpdateData(TRUE);
    const int nDot = m_strName.ReverseFind(u'.');
    if (nDot < 0)
        return;
    CRenameDlg dlg;
    dlg.m_strName = m_strName.Left(nDot);
    if (dlg.DoModal() == IDOK)
        m_strName = dlg.m_strName + m_strName.Mid(nDot);
    UpdateData(FALSE);
}

void CWriteDesignDlg::OnNewFolder()
{
    if (m_list.WhereShown() == CMacUsbListCtrl::Place::PcDrive)
        m_list.CreateNewLocalFolder();
    else
        m_list.CreateMachineFolder();
}

void CWriteDesignDlg::OnOpen()
{
    m_list.OpenSelected();
    m_list.UpdateLocationBox();
    UpdateButtons();
}

void CWriteDesignDlg::OnMenuOpen()
{
    if (m_list.IsFileSelected() != 0)
        return;
    OnOpen();
}

void CWriteDesignDlg::OnUp()
{
    m_list.UpOneLevel();
    UpdateButtons();
}

void CWriteDesignDlg::OnStyle()
{
    UpdateData(TRUE);
    if (m_list.GetStyle() & LVS_REPORT)
        m_list.ModifyStyle(LVS_REPORT, 0);
    else
        m_list.ModifyStyle(0, LVS_REPORT);
    m_bReportView = !m_bReportView;
    // The picture it replaces is released here rather than kept until the dialog ends.
    const HICON hOld = m_hIconStyle;
    m_hIconStyle = DestinationSupport::LoadButtonIcon(this, IDC_WD_STYLE, m_bReportView ? IDI_STYLE_DETAILS : IDI_STYLE_ICONS);
    if (hOld && hOld != m_hIconStyle)
        DestroyIcon(hOld);
    UpdateData(FALSE);
}

void CWriteDesignDlg::OnLocationChange()
{
    m_list.GoToLocationBoxSelection();
    UpdateButtons();
}

void CWriteDesignDlg::OnListClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    const int nSelected = m_list.IsFileSelected();
    if (nSelected < 0) {
        UpdateButtons();
        return;
    }
    if (nSelected == 0) {
        GetDlgItem(IDC_WD_OPEN)->EnableWindow(TRUE);
        return;
    }
    if (DestinationSupport::FetchMachinePreview(this, m_list, m_nKind, FALSE) == DestinationSupport::PREVIEW_FAILED)
        return;
    UpdateButtons();
}

void CWriteDesignDlg::OnListActivate(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    if (m_list.IsFileSelected() == 0)
        OnOpen();
}

void CWriteDesignDlg::OnListRClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    const DWORD dwPos = GetMessagePos();
    ShowListMenu(POINT{static_cast<SHORT>(LOWORD(dwPos)), static_cast<SHORT>(HIWORD(dwPos))});
}

// From the keyboard (Shift+F10, the context-menu key) the list's menu opens beside its focused
// item; a right click has already opened it through NM_RCLICK.
void CWriteDesignDlg::OnContextMenu(CWnd* pWnd, CPoint pos)
{
    if (pWnd && pWnd->m_hWnd == m_list.m_hWnd && pos.x == -1 && pos.y == -1)
        ShowListMenu(DestinationSupport::BesideFocusedItem(m_list));
}

void CWriteDesignDlg::ShowListMenu(POINT pt)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_MENU_MACHINE))
        return;
    const int n = static_cast<int>(m_list.GetSelectedCount());
    const int d = m_list.m_nLevel;
    const int nLimit = m_bDeepFolders ? 5 : 3;
    if (d < 0)
        return;
    const int nSelected = m_list.GetNextItem(-1, LVNI_SELECTED);
    CMenu* pItemMenu = menu.GetSubMenu(kMenuItem);
    if (!pItemMenu)
        return;
    if (m_list.IsFileSelected() == 1) {
        if (n != 1)
            return;
        m_nContextItem = nSelected;
        pItemMenu->RemoveMenu(ID_MACHINE_OPEN, MF_BYCOMMAND);
    }
    if (d >= nLimit)
        return;

    CMenu* pShown = nullptr;
    if (m_nKind == CFolderListCtrl::LIST_STX) {
        if (m_list.m_wStorage == kStxLimitedStorage)
            return;
        if (n == 1) {
            m_nContextItem = nSelected;
            pShown = pItemMenu;
            if (d == 0) {
                pShown->RemoveMenu(ID_MACHINE_RENAME, MF_BYCOMMAND);
                pShown->RemoveMenu(ID_MACHINE_DELETE, MF_BYCOMMAND);
            }
        } else {
            if (d == 0)
                return;
            pShown = menu.GetSubMenu(kMenuFolder);
        }
    } else {
        if (n == 1) {
            m_nContextItem = nSelected;
            pShown = pItemMenu;
            const CString strLabel = m_list.GetItemText(nSelected, 0);
            if ((strLabel == u"EMB" || strLabel == u"ORD") && d == 1) {
                pShown->EnableMenuItem(ID_MACHINE_RENAME, MF_BYCOMMAND | MF_GRAYED);
                pShown->EnableMenuItem(ID_MACHINE_DELETE, MF_BYCOMMAND | MF_GRAYED);
            } else if (d == 0) {
                pShown->RemoveMenu(ID_MACHINE_RENAME, MF_BYCOMMAND);
                pShown->RemoveMenu(ID_MACHINE_DELETE, MF_BYCOMMAND);
            }
        } else {
            if (d == 0)
                return;
            pShown = menu.GetSubMenu(kMenuFolder);
        }
    }
    if (!pShown)
        return;
    pShown->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, this);
}

void CWriteDesignDlg::OnMenuRename()
{
    m_list.SetFocus();
    m_list.EditLabel(m_nContextItem);
}

void CWriteDesignDlg::OnMenuDelete()
{
    DestinationSupport::DeleteSelectedEntries(this, m_list, m_nKind);
    UpdateButtons();
}

BOOL CWriteDesignDlg::OnDeviceChange(UINT nEventType, LPARAM dwData)
{
    if (nEventType != DBT_DEVICEARRIVAL && nEventType != DBT_DEVICEREMOVECOMPLETE)
        return static_cast<BOOL>(Default());
    DestinationSupport::RecheckConnectedMachine(this, m_hDevice, m_list, dwData);
    OnDrivesChanged(DestinationSupport::BroadcastUnitMask(dwData));
    if (m_list.GetItemCount() == 0 && m_list.m_strCurrentPath.IsEmpty())
        EndDialog(IDCANCEL);
    return static_cast<BOOL>(Default());
}

void CWriteDesignDlg::OnDrivesChanged(DWORD dwMask)
{
    if (DestinationSupport::MachineListDrivesChanged(m_list, m_hDevice, dwMask))
        UpdateButtons();
}
