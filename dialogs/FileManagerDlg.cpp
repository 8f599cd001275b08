// CFileManagerDlg: the dialog around the two panes: their buttons, location boxes, clicks,
// context menus and deletes, the counters and the enabling of the arrows, and following the
// machine and the drives as they come and go. The copies behind the arrows are in
// FileManagerTransfers.cpp.
#include "dialogs/FileManagerDlg.h"

#include "dialogs/DestinationSupport.h"
#include "link/MachineLink.h"
#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/kernel/Handle.h"
#include "platform/user/Dbt.h"
#include "platform/user/Icon.h"
#include "platform/afx/Menu.h"
#include "platform/user/MessageBox.h"
#include "platform/user/WinUser.h"
#include "res/ResourceText.h"
#include "res/resource.h"

namespace {

// Sub-menu 0 cut down to "Open": the separator at position 3 and everything that needs an item
// inside a folder removed.
void KeepOnlyOpen(CMenu& popup, UINT nRename, UINT nDelete, UINT nCheckAll, UINT nUncheckAll)
{
    popup.RemoveMenu(3, MF_BYPOSITION);
    popup.RemoveMenu(nRename, MF_BYCOMMAND);
    popup.RemoveMenu(nDelete, MF_BYCOMMAND);
    popup.RemoveMenu(nCheckAll, MF_BYCOMMAND);
    popup.RemoveMenu(nUncheckAll, MF_BYCOMMAND);
}

// The point of the message being handled (the right click), in screen coordinates.
POINT MessagePoint()
{
    const DWORD dwPos = GetMessagePos();
    return POINT{static_cast<SHORT>(LOWORD(dwPos)), static_cast<SHORT>(HIWORD(dwPos))};
}

} // namespace

CFileManagerDlg::CFileManagerDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CFileManagerDlg::~CFileManagerDlg()
{
    for (HICON& hIcon : m_ahIcons) {
        if (hIcon)
            DestroyIcon(hIcon);
        hIcon = 0;
    }
    if (m_hDeviceNotify)
        UnregisterDeviceNotification(m_hDeviceNotify);
    if (m_hDevice)
        CloseHandle(m_hDevice);
}

void CFileManagerDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FM_PC_COUNT, m_strPcCount);
    DDX_Text(pDX, IDC_FM_MACHINE_COUNT, m_strMachineCount);
    DDX_Control(pDX, IDC_FM_PC_LIST, m_listPc);
    DDX_Control(pDX, IDC_FM_MACHINE_LIST, m_listMachine);
    DDX_Control(pDX, IDC_FM_PC_LOCATION, m_comboPc);
    DDX_Control(pDX, IDC_FM_MACHINE_LOCATION, m_comboMachine);
    DDX_Control(pDX, IDC_TARGET_PICTURE, m_staticTarget);
}

BEGIN_MESSAGE_MAP(CFileManagerDlg, CDialog)
    ON_BN_CLICKED(IDC_FM_PC_NEW, OnPcNewFolder)
    ON_COMMAND(ID_PC_NEWFOLDER, OnPcNewFolder)
    ON_BN_CLICKED(IDC_FM_MACHINE_NEW, OnMachineNewFolder)
    ON_COMMAND(ID_MACHINE_NEWFOLDER, OnMachineNewFolder)
    ON_BN_CLICKED(IDC_FM_PC_OPEN, OnPcOpen)
    ON_COMMAND(ID_PC_OPEN, OnPcOpen)
    ON_BN_CLICKED(IDC_FM_MACHINE_OPEN, OnMachineOpen)
    ON_COMMAND(ID_MACHINE_OPEN, OnMachineMenuOpen)
    ON_BN_CLICKED(IDC_FM_PC_UP, OnPcUp)
    ON_BN_CLICKED(IDC_FM_MACHINE_UP, OnMachineUp)
    ON_BN_CLICKED(IDC_FM_PC_STYLE, OnPcStyle)
    ON_BN_CLICKED(IDC_FM_MACHINE_STYLE, OnMachineStyle)
    ON_BN_CLICKED(IDC_FM_PC_DELETE, OnPcDelete)
    ON_BN_CLICKED(IDC_FM_MACHINE_DELETE, OnMachineDelete)
    ON_BN_CLICKED(IDC_FM_TO_MACHINE, OnCopyToMachineSide)
    ON_BN_CLICKED(IDC_FM_TO_PC, OnCopyToPc)
    ON_CBN_SELCHANGE(IDC_FM_PC_LOCATION, OnPcLocationChange)
    ON_CBN_SELCHANGE(IDC_FM_MACHINE_LOCATION, OnMachineLocationChange)
    ON_NOTIFY(NM_CLICK, IDC_FM_PC_LIST, OnPcListClick)
    ON_NOTIFY(NM_DBLCLK, IDC_FM_PC_LIST, OnPcListActivate)
    ON_NOTIFY(NM_RETURN, IDC_FM_PC_LIST, OnPcListActivate)
    ON_NOTIFY(NM_RCLICK, IDC_FM_PC_LIST, OnPcListRClick)
    ON_NOTIFY(NM_CLICK, IDC_FM_MACHINE_LIST, OnMachineListClick)
    ON_NOTIFY(NM_DBLCLK, IDC_FM_MACHINE_LIST, OnMachineListActivate)
    ON_NOTIFY(NM_RETURN, IDC_FM_MACHINE_LIST, OnMachineListActivate)
    ON_NOTIFY(NM_RCLICK, IDC_FM_MACHINE_LIST, OnMachineListRClick)
    ON_COMMAND(ID_PC_RENAME, OnPcMenuRename)
    ON_COMMAND(ID_MACHINE_RENAME, OnMachineMenuRename)
    ON_COMMAND(ID_PC_DELETE, OnPcMenuDelete)
    ON_COMMAND(ID_MACHINE_DELETE, OnMachineMenuDelete)
    ON_COMMAND(ID_PC_CHECKALL, OnPcCheckAll)
    ON_COMMAND(ID_PC_UNCHECKALL, OnPcUncheckAll)
    ON_COMMAND(ID_MACHINE_CHECKALL, OnMachineCheckAll)
    ON_COMMAND(ID_MACHINE_UNCHECKALL, OnMachineUncheckAll)
    ON_WM_DEVICECHANGE()
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

BOOL CFileManagerDlg::PreTranslateMessage(MSG* pMsg)
{
    // Enter goes to the focused control (the list's Enter), never to the hidden default button.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
        return FALSE;
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CFileManagerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    static const struct {
        int nSlot;
        int nButton;
        UINT nIcon;
    } s_aButtons[ICON_COUNT] = {
        {ICON_TO_MACHINE, IDC_FM_TO_MACHINE, IDI_SEND},
        {ICON_TO_PC, IDC_FM_TO_PC, IDI_RECEIVE},
        {ICON_PC_NEW, IDC_FM_PC_NEW, IDI_NEW_FOLDER},
        {ICON_MACHINE_NEW, IDC_FM_MACHINE_NEW, IDI_NEW_FOLDER},
        {ICON_PC_OPEN, IDC_FM_PC_OPEN, IDI_OPEN},
        {ICON_MACHINE_OPEN, IDC_FM_MACHINE_OPEN, IDI_OPEN},
        {ICON_PC_UP, IDC_FM_PC_UP, IDI_UP},
        {ICON_MACHINE_UP, IDC_FM_MACHINE_UP, IDI_UP},
        {ICON_PC_STYLE, IDC_FM_PC_STYLE, IDI_STYLE_ICONS},
        {ICON_MACHINE_STYLE, IDC_FM_MACHINE_STYLE, IDI_STYLE_ICONS},
        {ICON_PC_DELETE, IDC_FM_PC_DELETE, IDI_DELETE},
        {ICON_MACHINE_DELETE, IDC_FM_MACHINE_DELETE, IDI_DELETE},
    };
    for (const auto& button : s_aButtons)
        m_ahIcons[button.nSlot] = DestinationSupport::LoadButtonIcon(this, button.nButton, button.nIcon);

    m_listPc.Initialize(&m_comboPc, m_nKind);
    m_listMachine.Initialize(m_hDevice, &m_comboMachine, m_nKind, m_bMachineLink, TRUE, m_nTarget, m_bDeepFolders);

    if (m_listMachine.GetItemCount() == 0) {
        const UINT nText = m_nTarget == 0 ? IDS_CONNECT_USB : m_nTarget == 1 ? IDS_CONNECT_MACHINE : IDS_CONNECT_ANY;
        MessageBox(LoadText(nText), LoadText(IDS_CAPTION_CONFIRM), MB_OK | MB_ICONINFORMATION);
        // The dialog closes as soon as its modal loop starts; the steps below still leave it whole.
        EndDialog(IDCANCEL);
    }

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

void CFileManagerDlg::UpdateButtons()
{
    const int dP = m_listPc.m_nLevel;
    const int dM = m_listMachine.m_nLevel;
    const int cP = m_listPc.m_nCheckedCount;
    const int cM = m_listMachine.m_nCheckedCount;
    const int nLimit = m_bDeepFolders ? 5 : 3;
    // STX patterns of the built-in storage sit in its root folder, with no folders below it.
    const bool bBuiltInStx = m_nKind == CFolderListCtrl::LIST_STX && m_listMachine.m_wStorage == 1;

    GetDlgItem(IDC_FM_PC_OPEN)->EnableWindow(FALSE);
    GetDlgItem(IDC_FM_MACHINE_OPEN)->EnableWindow(FALSE);

    GetDlgItem(IDC_FM_PC_UP)->EnableWindow(dP > 0);
    GetDlgItem(IDC_FM_PC_NEW)->EnableWindow(dP > 0);

    GetDlgItem(IDC_FM_MACHINE_UP)->EnableWindow(dM > 0);
    GetDlgItem(IDC_FM_MACHINE_NEW)->EnableWindow(dM > 0 && dM < nLimit && !bBuiltInStx);

    BOOL bToMachine;
    if (m_bDeepFolders) {
        const int nMinLevel = (m_nKind == CFolderListCtrl::LIST_STX && m_listMachine.m_nLocation == 1) ? 0 : 1;
        bToMachine = cP != 0 && dM >= nMinLevel;
    } else {
        bToMachine = cP != 0 && dM == 3;
    }
    GetDlgItem(IDC_FM_TO_MACHINE)->EnableWindow(bToMachine);

    GetDlgItem(IDC_FM_PC_DELETE)->EnableWindow(cP != 0);

    const bool bPcTakesFiles = dP > 1 || (dP == 1 && m_listPc.m_nLocation != CPcListCtrl::LOC_DRIVES_VIEW);
    GetDlgItem(IDC_FM_TO_PC)->EnableWindow(cM != 0 && bPcTakesFiles);

    GetDlgItem(IDC_FM_MACHINE_DELETE)->EnableWindow(cM != 0);

    m_strPcCount.Format(u" %d", cP);
    m_strMachineCount.Format(u" %d", cM);
    UpdateData(FALSE);
}

// ---- the PC pane's buttons

void CFileManagerDlg::OnPcNewFolder() { m_listPc.CreateNewLocalFolder(); }

void CFileManagerDlg::OnPcOpen()
{
    m_listPc.OpenSelected();
    UpdateButtons();
}

void CFileManagerDlg::OnPcUp()
{
    m_listPc.UpOneLevel();
    UpdateButtons();
}

void CFileManagerDlg::OnPcStyle()
{
    m_bPcReportView = !m_bPcReportView;
    m_listPc.ModifyStyle(m_bPcReportView ? 0 : LVS_REPORT, m_bPcReportView ? LVS_REPORT : 0);
    HICON hOld = m_ahIcons[ICON_PC_STYLE];
    m_ahIcons[ICON_PC_STYLE] =
        DestinationSupport::LoadButtonIcon(this, IDC_FM_PC_STYLE, m_bPcReportView ? IDI_STYLE_DETAILS : IDI_STYLE_ICONS);
    if (hOld)
        DestroyIcon(hOld);
    UpdateData(FALSE);
}

void CFileManagerDlg::OnPcDelete()
{
    if (m_listPc.DeleteCheckedLocalFiles())
        UpdateButtons();
}

void CFileManagerDlg::OnPcLocationChange()
{
    m_listPc.GoToLocationBoxSelection();
    UpdateButtons();
}

// ---- the machine pane's buttons

void CFileManagerDlg::OnMachineNewFolder()
{
    if (m_listMachine.WhereShown() == CMacUsbListCtrl::Place::PcDrive)
        m_listMachine.CreateNewLocalFolder();
    else
        m_listMachine.CreateMachineFolder();
}

void CFileManagerDlg::OnMachineOpen()
{
    m_listMachine.OpenSelected();
    m_listMachine.UpdateLocationBox();
    UpdateButtons();
}

void CFileManagerDlg::OnMachineMenuOpen()
{
    if (m_listMachine.IsFileSelected() != 0)
        return;
    OnMachineOpen();
}

void CFileManagerDlg::OnMachineUp()
{
    m_listMachine.UpOneLevel();
    UpdateButtons();
}

void CFileManagerDlg::OnMachineStyle()
{
    m_bMachineReportView = !m_bMachineReportView;
    m_listMachine.ModifyStyle(m_bMachineReportView ? 0 : LVS_REPORT, m_bMachineReportView ? LVS_REPORT : 0);
    HICON hOld = m_ahIcons[ICON_MACHINE_STYLE];
    m_ahIcons[ICON_MACHINE_STYLE] = DestinationSupport::LoadButtonIcon(
        this, IDC_FM_MACHINE_STYLE, m_bMachineReportView ? IDI_STYLE_DETAILS : IDI_STYLE_ICONS);
    if (hOld)
        DestroyIcon(hOld);
    UpdateData(FALSE);
}

void CFileManagerDlg::OnMachineDelete()
{
    const BOOL bDeleted = m_listMachine.WhereShown() == CMacUsbListCtrl::Place::PcDrive ? m_listMachine.DeleteCheckedLocalFiles()
                                                                          : m_listMachine.DeleteCheckedMachineFiles();
    if (bDeleted)
        UpdateButtons();
}

void CFileManagerDlg::OnMachineLocationChange()
{
    m_listMachine.GoToLocationBoxSelection();
    UpdateButtons();
}

// ---- the arrows

void CFileManagerDlg::OnCopyToMachineSide()
{
    if (m_nKind != CFolderListCtrl::LIST_STX && m_listMachine.m_nLevel < 1)
        return;
    const int32_t nCopied =
        m_listMachine.WhereShown() == CMacUsbListCtrl::Place::PcDrive ? CopyTickedToDrive() : SendTickedToMachine();
    if (nCopied) {
        m_listPc.UncheckAll();
        UpdateButtons();
    }
}

void CFileManagerDlg::OnCopyToPc()
{
    const int32_t nCopied =
        m_listMachine.WhereShown() == CMacUsbListCtrl::Place::PcDrive ? CopyTickedFromDrive() : ReceiveTickedFromMachine();
    if (nCopied) {
        m_listMachine.UncheckAll();
        UpdateButtons();
    }
}

// ---- the lists

void CFileManagerDlg::OnPcListClick(NMHDR*, LRESULT* pResult)
{
    switch (m_listPc.IsFileSelected()) {
    case 1:
        m_listPc.ToggleCheck();
        UpdateButtons();
        break;
    case 0:
        GetDlgItem(IDC_FM_PC_OPEN)->EnableWindow(TRUE);
        break;
    default:
        UpdateButtons();
        break;
    }
    *pResult = 0;
}

void CFileManagerDlg::OnPcListActivate(NMHDR*, LRESULT* pResult)
{
    m_listPc.OpenSelected();
    UpdateButtons();
    *pResult = 0;
}

void CFileManagerDlg::OnMachineListClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    switch (m_listMachine.IsFileSelected()) {
    case 1:
        // A file whose preview cannot be fetched keeps its tick as it was.
        if (DestinationSupport::FetchMachinePreview(this, m_listMachine, m_nKind, TRUE) == DestinationSupport::PREVIEW_FAILED)
            return;
        m_listMachine.ToggleCheck();
        UpdateButtons();
        break;
    case 0:
        GetDlgItem(IDC_FM_MACHINE_OPEN)->EnableWindow(TRUE);
        break;
    default:
        UpdateButtons();
        break;
    }
}

void CFileManagerDlg::OnMachineListActivate(NMHDR*, LRESULT* pResult)
{
    if (m_listMachine.IsFileSelected() == 0)
        OnMachineOpen();
    *pResult = 0;
}

// From the keyboard (Shift+F10, the context-menu key) a list's menu opens beside its focused
// item; a right click has already opened it through NM_RCLICK.
void CFileManagerDlg::OnContextMenu(CWnd* pWnd, CPoint pos)
{
    if (!pWnd || pos.x != -1 || pos.y != -1)
        return;
    if (pWnd->m_hWnd == m_listPc.m_hWnd)
        ShowPcMenu(DestinationSupport::BesideFocusedItem(m_listPc));
    else if (pWnd->m_hWnd == m_listMachine.m_hWnd)
        ShowMachineMenu(DestinationSupport::BesideFocusedItem(m_listMachine));
}

void CFileManagerDlg::OnPcListRClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    ShowPcMenu(MessagePoint());
}

void CFileManagerDlg::ShowPcMenu(POINT pt)
{
    const int d = m_listPc.m_nLevel;
    const UINT n = m_listPc.GetSelectedCount();
    if (d < 0 || (d == 1 && m_listPc.m_nLocation == CPcListCtrl::LOC_DRIVES_VIEW))
        return;
    if (n == 0 && d == 0)
        return;

    CMenu menu;
    if (!menu.LoadMenu(IDR_MENU_PC))
        return;
    CMenu* pPopup = nullptr;
    if (n == 1 && d == 0) {
        pPopup = menu.GetSubMenu(0);
        KeepOnlyOpen(*pPopup, ID_PC_RENAME, ID_PC_DELETE, ID_PC_CHECKALL, ID_PC_UNCHECKALL);
    } else if (n == 1) {
        m_nContextItem = m_listPc.GetNextItem(-1, LVNI_SELECTED);
        pPopup = menu.GetSubMenu(0);
        if (m_listPc.IsFileSelected() == 1)
            pPopup->RemoveMenu(ID_PC_OPEN, MF_BYCOMMAND);
        else
            pPopup->EnableMenuItem(ID_PC_RENAME, MF_BYCOMMAND | MF_ENABLED);
    } else if (n == 0) {
        pPopup = menu.GetSubMenu(1);
    } else {
        pPopup = menu.GetSubMenu(0);
        pPopup->EnableMenuItem(ID_PC_RENAME, MF_BYCOMMAND | MF_GRAYED);
        pPopup->RemoveMenu(ID_PC_OPEN, MF_BYCOMMAND);
    }
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, this);
}

void CFileManagerDlg::OnMachineListRClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    ShowMachineMenu(MessagePoint());
}

void CFileManagerDlg::ShowMachineMenu(POINT pt)
{
    const int d = m_listMachine.m_nLevel;
    const UINT n = m_listMachine.GetSelectedCount();
    const int nLimit = m_bDeepFolders ? 5 : 3;
    if (d < 0)
        return;

    // Which sub-menu, and what is cut from sub-menu 0.
    enum { CUT_NONE, CUT_OPEN, CUT_TO_OPEN, GRAY_RENAME_DELETE };
    int nSub = -1;
    int nCut = CUT_NONE;
    const auto takeItem = [this] { m_nContextItem = m_listMachine.GetNextItem(-1, LVNI_SELECTED); };

    if (m_listMachine.IsFileSelected() == 1) {
        if (n != 1) {
            nSub = 4;
        } else {
            takeItem();
            nSub = 0;
            nCut = CUT_OPEN;
        }
    } else if (m_nKind == CFolderListCtrl::LIST_STX) {
        if (m_listMachine.m_wStorage == 1 || d >= nLimit) {
            nSub = 4;
        } else if (n == 1) {
            takeItem();
            nSub = 0;
            if (d == 0)
                nCut = CUT_TO_OPEN;
        } else if (d != 0) {
            nSub = 1;
        }
    } else if (d >= nLimit) {
        nSub = 4;
    } else if (n != 1) {
        if (d != 0)
            nSub = 1;
    } else {
        takeItem();
        nSub = 0;
        const CString strLabel = m_listMachine.GetItemText(m_nContextItem, 0);
        // The storages' own family folders cannot be renamed or deleted.
        if ((strLabel == u"EMB" || strLabel == u"ORD") && d == 1)
            nCut = GRAY_RENAME_DELETE;
        else if (d == 0)
            nCut = CUT_TO_OPEN;
    }
    if (nSub < 0)
        return;

    CMenu menu;
    if (!menu.LoadMenu(IDR_MENU_MACHINE))
        return;
    CMenu* pPopup = menu.GetSubMenu(nSub);
    switch (nCut) {
    case CUT_OPEN:
        pPopup->RemoveMenu(ID_MACHINE_OPEN, MF_BYCOMMAND);
        break;
    case CUT_TO_OPEN:
        KeepOnlyOpen(*pPopup, ID_MACHINE_RENAME, ID_MACHINE_DELETE, ID_MACHINE_CHECKALL, ID_MACHINE_UNCHECKALL);
        break;
    case GRAY_RENAME_DELETE:
        pPopup->EnableMenuItem(ID_MACHINE_RENAME, MF_BYCOMMAND | MF_GRAYED);
        pPopup->EnableMenuItem(ID_MACHINE_DELETE, MF_BYCOMMAND | MF_GRAYED);
        break;
    default:
        break;
    }
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, this);
}

// ---- the menus' commands

void CFileManagerDlg::OnPcMenuRename()
{
    m_listPc.SetFocus();
    m_listPc.EditLabel(m_nContextItem);
}

void CFileManagerDlg::OnMachineMenuRename()
{
    m_listMachine.SetFocus();
    m_listMachine.EditLabel(m_nContextItem);
}

void CFileManagerDlg::OnPcMenuDelete()
{
    if (MessageBox(LoadText(IDS_ASK_DELETE), LoadText(IDS_CAPTION_DELETING), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CWaitCursor wait;
    // The PC keeps no companion files of its own: only the chosen entries go.
    for (int nItem = m_listPc.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
         nItem = m_listPc.GetNextItem(nItem, LVNI_SELECTED)) {
        const CString strPath = m_listPc.m_strCurrentPath + u"\\" + m_listPc.GetItemText(nItem, 0);
        const DWORD dwError = DestinationSupport::DeleteLocalEntry(strPath);
        if (dwError != 0) {
            MessageBox(CFolderListCtrl::SystemMessage(dwError), LoadText(IDS_CAPTION_ERROR), MB_OK | MB_ICONINFORMATION);
            break;
        }
    }
    m_listPc.ShowFolder(m_listPc.m_strCurrentPath, 0, 0, CFolderListCtrl::MODE_ALL, TRUE);
    UpdateButtons();
}

void CFileManagerDlg::OnMachineMenuDelete()
{
    DestinationSupport::DeleteSelectedEntries(this, m_listMachine, m_nKind);
    UpdateButtons();
}

void CFileManagerDlg::OnPcCheckAll()
{
    m_listPc.CheckAll();
    UpdateButtons();
}

void CFileManagerDlg::OnPcUncheckAll()
{
    m_listPc.UncheckAll();
    UpdateButtons();
}

void CFileManagerDlg::OnMachineCheckAll()
{
    m_listMachine.CheckAll();
    UpdateButtons();
}

void CFileManagerDlg::OnMachineUncheckAll()
{
    m_listMachine.UncheckAll();
    UpdateButtons();
}

// ---- devices and drives

BOOL CFileManagerDlg::OnDeviceChange(UINT nEventType, LPARAM dwData)
{
    if (nEventType != DBT_DEVICEARRIVAL && nEventType != DBT_DEVICEREMOVECOMPLETE)
        return CDialog::OnDeviceChange(nEventType, dwData);

    DestinationSupport::RecheckConnectedMachine(this, m_hDevice, m_listMachine, dwData);
    OnDrivesChanged(DestinationSupport::BroadcastUnitMask(dwData));
    if (m_listMachine.GetItemCount() == 0 && m_listMachine.m_strCurrentPath.IsEmpty())
        EndDialog(IDCANCEL);
    return CDialog::OnDeviceChange(nEventType, dwData);
}

void CFileManagerDlg::OnDrivesChanged(DWORD dwMask)
{
    BOOL bChanged = DestinationSupport::MachineListDrivesChanged(m_listMachine, m_hDevice, dwMask);

    if (m_listPc.m_nLocation == CPcListCtrl::LOC_DRIVES_VIEW) {
        m_listPc.ShowDrives();
        bChanged = TRUE;
    }
    if (!DestinationSupport::ReadyRemovableDriveInMask(dwMask) &&
        !DestinationSupport::PathOnReadyRemovableDrive(m_listPc.m_strCurrentPath) &&
        m_listPc.m_nLocation == CPcListCtrl::LOC_DRIVES_VIEW) {
        m_listPc.ShowDrives();
    }
    // A rebuilt view has lost its ticks: the counters and arrows follow it.
    if (bChanged)
        UpdateButtons();
}
