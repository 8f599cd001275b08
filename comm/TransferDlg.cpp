#include "comm/TransferDlg.h"

#include "link/ResultCode.h"
#include "platform/afx/File.h"
#include "platform/afx/FileException.h"
#include "res/resource.h"

#include <memory>
#include <new>

namespace {

constexpr UINT_PTR kBarTimer = 1;
constexpr UINT kBarTimerPeriodMs = 5;
// Bar units of one step of the run.
constexpr int32_t kUnitsPerStep = 20;

bool IsPartialFailure(int32_t nCode)
{
    return nCode == rcSaveFailed || nCode == rcOpenFailed || nCode == rcDeleteFailed || nCode == rcRenameFailed ||
           nCode == rcCreateFolderFailed;
}

void TitleAndText(int32_t nRequest, UINT* pnTitle, UINT* pnText)
{
    switch (nRequest) {
    case rkList: *pnTitle = IDS_TITLE_LIST; *pnText = IDS_WAIT_LIST; break;
    case rkSend: *pnTitle = IDS_TITLE_SEND; *pnText = IDS_WAIT_SEND; break;
    case rkReceive:
    case rkReceiveCurrent: *pnTitle = IDS_TITLE_RECEIVE; *pnText = IDS_WAIT_RECEIVE; break;
    case rkErase: *pnTitle = IDS_TITLE_DELETE; *pnText = IDS_WAIT_DELETE; break;
    case rkCreateFolder: *pnTitle = IDS_TITLE_CREATE_FOLDER; *pnText = IDS_WAIT_CREATE_FOLDER; break;
    case rkRenameFolder: *pnTitle = IDS_TITLE_RENAME; *pnText = IDS_WAIT_RENAME; break;
    case rkDeleteFolder: *pnTitle = IDS_TITLE_DELETE_FOLDER; *pnText = IDS_WAIT_DELETE_FOLDER; break;
    default: *pnTitle = IDS_TITLE_TRANSFER; *pnText = IDS_WAIT_TRANSFER; break;
    }
}

// The name of a file without its folder.
CString FileNameOf(const CString& strPath)
{
    int nCut = -1;
    for (int i = 0; i < strPath.GetLength(); ++i)
        if (strPath[i] == u'\\' || strPath[i] == u'/' || strPath[i] == u':')
            nCut = i;
    return strPath.Mid(nCut + 1);
}

} // namespace

BEGIN_MESSAGE_MAP(CTransferDlg, CDialog)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_MESSAGE(WM_XFER_START, OnXferStart)
    ON_MESSAGE(WM_XFER_STEP, OnXferStep)
    ON_MESSAGE(WM_XFER_DONE, OnXferDone)
END_MESSAGE_MAP()

CTransferDlg::CTransferDlg(HANDLE hDevice, uint16_t nStorage, LPCTSTR pszFolder, int32_t nRequest, CWnd* pParentWnd)
    : CDialog(IDD_TRANSFER, pParentWnd), m_pQueue(&m_thread.m_requests)
{
    m_thread.m_hDevice = hDevice;
    m_thread.m_nStorage = nStorage;
    m_thread.m_nRequest = nRequest;
    if (pszFolder)
        m_thread.m_strFolder = pszFolder;
}

CTransferDlg::~CTransferDlg() = default;

// ---- queueing

bool CTransferDlg::Queue(CCommunicationData* pData)
{
    if (!m_pQueue) {
        delete pData;
        return false;
    }
    m_pQueue->Add(pData);
    return true;
}

BOOL CTransferDlg::AddSendFile(LPCTSTR pszPath)
{
    if (!m_pQueue || m_thread.m_nRequest != rkSend || !pszPath)
        return FALSE;
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    const ULONGLONG nLength = file.GetLength();
    if (nLength == 0 || nLength >= 0xFFFFFFFFull)
        return FALSE;
    std::unique_ptr<CCommunicationData> pData(new (std::nothrow) CCommunicationData);
    if (!pData)
        return FALSE;
    pData->m_pData = new (std::nothrow) BYTE[static_cast<size_t>(nLength)];
    if (!pData->m_pData)
        return FALSE;
    UINT nRead = 0;
    try {
        nRead = file.Read(pData->m_pData, static_cast<UINT>(nLength));
    } catch (CFileException* pError) {
        pError->Delete();
        return FALSE;
    }
    pData->m_nSize = nRead;
    pData->m_strItemName = FileNameOf(CString(pszPath));
    return Queue(pData.release());
}

BOOL CTransferDlg::AddSendData(LPCTSTR pszName, const BYTE* pBytes, uint32_t nSize)
{
    if (!m_pQueue || m_thread.m_nRequest != rkSend || !pBytes || nSize == 0 || !pszName)
        return FALSE;
    std::unique_ptr<CCommunicationData> pData(new (std::nothrow) CCommunicationData);
    if (!pData || !pData->SetData(pBytes, nSize))
        return FALSE;
    pData->m_strItemName = pszName;
    return Queue(pData.release());
}

BOOL CTransferDlg::AddName(LPCTSTR pszName)
{
    if (!m_pQueue || (m_thread.m_nRequest != rkReceive && m_thread.m_nRequest != rkErase) || !pszName)
        return FALSE;
    auto* pData = new (std::nothrow) CCommunicationData;
    if (!pData)
        return FALSE;
    pData->m_strItemName = pszName;
    return Queue(pData);
}

BOOL CTransferDlg::AddRename(LPCTSTR pszOldName, LPCTSTR pszNewName)
{
    if (!m_pQueue || (m_thread.m_nRequest != rkRenameFile && m_thread.m_nRequest != rkRenameFolder) || !pszOldName ||
        !pszNewName)
        return FALSE;
    auto* pData = new (std::nothrow) CCommunicationData;
    if (!pData)
        return FALSE;
    pData->m_strOldName = pszOldName;
    pData->m_strItemName = pszNewName;
    return Queue(pData);
}

// ---- the window

void CTransferDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_XFER_TEXT, m_staticText);
    DDX_Control(pDX, IDC_XFER_PROGRESS, m_progress);
}

BOOL CTransferDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_thread.m_pThread || !m_thread.BeginThread()) {
        OnCancel();
        return FALSE;
    }
    m_thread.SetNotifyWindow(m_hWnd);
    m_nResult = rcSuccess;
    m_bStarted = FALSE;

    UINT nTitle = 0, nText = 0;
    TitleAndText(m_thread.m_nRequest, &nTitle, &nText);
    CString strTitle, strText;
    strTitle.LoadString(nTitle);
    strText.LoadString(nText);
    SetWindowText(strTitle);
    m_staticText.SetWindowText(strText);

    m_progress.SetRange(static_cast<short>(m_nLower), static_cast<short>(m_nUpper));
    m_progress.SetStep(m_nStep);
    m_progress.SetPos(0);
    return TRUE;
}

void CTransferDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (!bShow || m_bStarted)
        return;
    if (!m_thread.IsBusy())
        m_thread.BeginRun();
    m_bStarted = TRUE;
}

LRESULT CTransferDlg::OnXferStart(WPARAM wParam, LPARAM)
{
    m_nUpper = static_cast<int32_t>(wParam) * kUnitsPerStep;
    m_progress.SetRange32(m_nLower, m_nUpper);
    m_nTimer = SetTimer(kBarTimer, kBarTimerPeriodMs, nullptr);
    m_nBarTarget = m_nTimer ? m_nLower + kUnitsPerStep : m_nLower;
    return 0;
}

LRESULT CTransferDlg::OnXferStep(WPARAM wParam, LPARAM)
{
    const int32_t nEnd = m_nLower + (static_cast<int32_t>(wParam) + 1) * kUnitsPerStep;
    if (m_nTimer) {
        // The bar may run on to the end of the step now in progress.
        if (nEnd < m_nUpper)
            m_nBarTarget = nEnd + kUnitsPerStep;
    } else {
        m_progress.SetPos(nEnd);
    }
    return 0;
}

void CTransferDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kBarTimer) {
        const int nPos = m_progress.GetPos();
        if (m_thread.IsBusy()) {
            if (nPos < m_nBarTarget)
                m_progress.StepIt();
        } else if (nPos < m_nUpper) {
            m_progress.StepIt();
        } else if (m_bDone) {
            // The worker goes idle just after posting its result: wait for that message, so the
            // dialog never closes with the result of a run it has not heard the end of.
            EndDialog(m_nResult == rcSuccess ? IDOK : IDCANCEL);
        }
    }
    CDialog::OnTimer(nIDEvent);
}

LRESULT CTransferDlg::OnXferDone(WPARAM wParam, LPARAM)
{
    const auto nCode = static_cast<int32_t>(wParam);
    m_bDone = true;
    if (nCode == rcSuccess) {
        m_nResult = rcSuccess;
        if (m_nTimer) {
            m_nBarTarget = m_nUpper;
        } else {
            m_progress.SetPos(m_nUpper);
            Sleep(10);
            EndDialog(IDOK);
        }
        return 0;
    }
    m_nResult = nCode;
    if (IsPartialFailure(nCode) && m_nTimer)
        m_nBarTarget = m_nUpper;
    else
        EndDialog(IDCANCEL);
    return 0;
}

BOOL CTransferDlg::DestroyWindow()
{
    if (!m_bStarted) {
        m_thread.RemoveRequests(0, m_thread.m_requests.GetSize());
        m_nResult = rcCancelled;
    }
    m_thread.Stop();
    if (m_nTimer) {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    m_pQueue = nullptr;
    m_pResults = &m_thread.m_requests;
    m_pFailedNames = &m_thread.m_failedNames;
    return CDialog::DestroyWindow();
}
