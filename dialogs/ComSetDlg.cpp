#include "dialogs/ComSetDlg.h"

#include "res/resource.h"

CComSetDlg::CComSetDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CComSetDlg::~CComSetDlg() = default;

void CComSetDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CS_LIST, m_list);
}

BEGIN_MESSAGE_MAP(CComSetDlg, CDialog)
    ON_BN_CLICKED(IDC_CS_USB, OnBnClickedUsb)
    ON_BN_CLICKED(IDC_CS_WLAN, OnBnClickedWirelessLan)
    ON_BN_CLICKED(IDC_CS_SEARCH, OnBnClickedSearch)
    ON_BN_CLICKED(IDOK, OnBnClickedOk)
    ON_NOTIFY(NM_CLICK, IDC_CS_LIST, OnNMClickList)
END_MESSAGE_MAP()

BOOL CComSetDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    RECT rc;
    m_list.GetClientRect(&rc);
    int w = rc.right - rc.left;
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    CString strColumn;
    strColumn.LoadString(IDS_COLUMN_MACHINE_NAME);
    m_list.InsertColumn(0, strColumn, LVCFMT_LEFT, (w / 7) * 4);
    strColumn.LoadString(IDS_COLUMN_IP_ADDRESS);
    m_list.InsertColumn(1, strColumn, LVCFMT_LEFT, (w / 7) * 3);

    if (m_nConnection == 1) {
        CheckRadioButton(IDC_CS_USB, IDC_CS_WLAN, IDC_CS_WLAN);
        ApplyWirelessLanState();
    } else {
        CheckRadioButton(IDC_CS_USB, IDC_CS_WLAN, IDC_CS_USB);
        ApplyUsbState();
    }
    return TRUE;
}

void CComSetDlg::ApplyUsbState()
{
    GetDlgItem(IDC_CS_SEARCH)->EnableWindow(FALSE);
    m_list.EnableWindow(FALSE);
    GetDlgItem(IDOK)->EnableWindow(TRUE);
    m_nConnection = 0;
}

void CComSetDlg::ApplyWirelessLanState()
{
    GetDlgItem(IDC_CS_SEARCH)->EnableWindow(TRUE);
    m_list.EnableWindow(TRUE);
    GetDlgItem(IDOK)->EnableWindow(m_list.GetSelectedCount() > 0);
    m_nConnection = 1;
}

void CComSetDlg::OnBnClickedUsb() { ApplyUsbState(); }

void CComSetDlg::OnBnClickedWirelessLan() { ApplyWirelessLanState(); }

// No machine search is offered over wireless LAN yet: the button is there, the list stays empty.
void CComSetDlg::OnBnClickedSearch() {}

void CComSetDlg::OnBnClickedOk() { CDialog::OnOK(); }

void CComSetDlg::OnNMClickList(NMHDR*, LRESULT* pResult)
{
    if (m_list.GetSelectedCount() > 0)
        GetDlgItem(IDOK)->EnableWindow(TRUE);
    *pResult = 0;
}
