#include "dialogs/RenameDlg.h"

#include "lists/FolderListCtrl.h"
#include "platform/user/MessageBox.h"
#include "res/resource.h"

CRenameDlg::CRenameDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CRenameDlg::~CRenameDlg() = default;

void CRenameDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RENAME_NAME, m_editName);
}

BEGIN_MESSAGE_MAP(CRenameDlg, CDialog)
    ON_COMMAND(IDOK, OnOK)
END_MESSAGE_MAP()

BOOL CRenameDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_editName.SetWindowText(m_strName);
    m_editName.SetSel(0, -1);
    m_editName.SetLimitText(MAX_NAME);
    return TRUE;
}

void CRenameDlg::OnOK()
{
    m_editName.GetWindowText(m_strName);
    m_strName.Trim();
    const int nMessage = CFolderListCtrl::ValidateName(m_strName);
    if (nMessage != 0) {
        CString strText;
        if (strText.LoadString(static_cast<UINT>(nMessage))) {
            CString strCaption;
            strCaption.LoadString(IDS_CAPTION_CONFIRM);
            MessageBox(strText, strCaption, MB_ICONEXCLAMATION);
        }
        m_editName.SetFocus();
        m_editName.SetSel(0, -1);
        return;
    }
    EndDialog(IDOK);
}
