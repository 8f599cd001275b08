// CDialog: the framework's dialog object over the dialog manager.
#include "platform/afx/Dialog.h"

#include "platform/afx/ModuleState.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"

const AFX_MSGMAP* CDialog::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* CDialog::GetThisMessageMap()
{
    using ThisClass = CDialog;
    static const AFX_MSGMAP_ENTRY entries[] = {
        ON_COMMAND(IDOK, OnOK)
        ON_COMMAND(IDCANCEL, OnCancel)
        {0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CWnd::GetThisMessageMap, &entries[0]};
    return &map;
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // A message-map entry for WM_INITDIALOG is taken first, as MFC does; else OnInitDialog.
        LRESULT lResult = 0;
        if (OnWndMsg(message, wParam, lParam, &lResult))
            return lResult;
        return OnInitDialog();
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

INT_PTR CDialog::DoModal()
{
    const tavren::DialogTemplate* pTemplate = m_pTemplate;
    if (!pTemplate)
        pTemplate = tavren::FindDialogTemplateChain(m_nIDHelp);
    if (!pTemplate)
        return -1;
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
    if (hParent && tavren::WindowThread(hParent) != GetCurrentThreadId())
        hParent = 0;
    m_hWndParentDisabled = 0;
    if (hParent && ::IsWindowEnabled(hParent)) {
        ::EnableWindow(hParent, FALSE);
        m_hWndParentDisabled = hParent;
    }
    m_nModalResult = -1;
    HWND hDlg = tavren::CreateDialogWindow(*pTemplate, hParent, this, 0);
    if (hDlg) {
        tavren::RunModalLoop(hDlg);
        INT_PTR nResult = 0;
        if (tavren::DialogEnded(hDlg, &nResult) && m_nModalResult == -1)
            m_nModalResult = nResult;
    }
    if (m_hWndParentDisabled) {
        ::EnableWindow(m_hWndParentDisabled, TRUE);
        m_hWndParentDisabled = 0;
    }
    if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        DestroyWindow();
    }
    return m_nModalResult;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

void CDialog::NextDlgCtrl() const
{
    auto p = tavren::GetWindowRecord(m_hWnd);
    if (!p)
        return;
    HWND hFocus = ::GetFocus();
    bool bAfter = false;
    for (int nPass = 0; nPass < 2; ++nPass) {
        for (HWND h : p->children) {
            if (h == hFocus) {
                bAfter = true;
                continue;
            }
            DWORD s = static_cast<DWORD>(::GetWindowLongW(h, GWL_STYLE));
            if ((bAfter || nPass == 1) && (s & WS_TABSTOP) && (s & WS_VISIBLE) && !(s & WS_DISABLED)) {
                ::SetFocus(h);
                return;
            }
        }
    }
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl)
        ::SetFocus(pWndCtrl->m_hWnd);
}
