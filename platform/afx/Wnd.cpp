#include "platform/afx/Wnd.h"

#include "platform/user/MessageBox.h"
#include "platform/afx/ModuleState.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"

#include <vector>

namespace {
thread_local int t_nWaitCursor = 0;

// The message each CWnd::WindowProc of this thread is handling, innermost last, for Default().
// Kept outside the objects, since a handler may destroy its own object.
struct CurrentMessage {
    CWnd* pWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local std::vector<CurrentMessage> t_messages;

struct DataExchangeFailed {};
} // namespace

namespace tavren {

bool WaitCursorShown()
{
    return t_nWaitCursor > 0;
}

} // namespace tavren

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

namespace {
// The framework object attached to a window is always a CWnd.
CWnd* AttachedWnd(const tavren::WindowRecord& record) { return static_cast<CWnd*>(record.pWnd); }
} // namespace

BOOL CWnd::AttachToWindow(HWND hWnd) { return Attach(hWnd); }

void CWnd::WindowGone()
{
    m_hWnd = 0;
    PostNcDestroy();
}

CWnd::~CWnd()
{
    // An object that dies before its window leaves the window to its class procedure.
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto p = tavren::GetWindowRecord(hWnd);
    return p && !p->bTemporaryWnd ? AttachedWnd(*p) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return nullptr;
    if (!p->pWnd) {
        auto* pWnd = new CWnd;
        pWnd->m_hWnd = hWnd;
        p->pWnd = pWnd;
        p->bTemporaryWnd = true;
    }
    return AttachedWnd(*p);
}

CWnd* CWnd::FromHandleTemporaryOf(HWND hWnd, CWnd* (*make)(), bool (*isWanted)(CWnd*))
{
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return nullptr;
    if (p->pWnd && isWanted(AttachedWnd(*p)))
        return AttachedWnd(*p);
    if (p->pWnd && !p->bTemporaryWnd)
        return nullptr;
    if (p->pWnd) {
        AttachedWnd(*p)->m_hWnd = 0;
        p->retiredTemps.emplace_back(p->pWnd);
    }
    CWnd* pWnd = make();
    pWnd->m_hWnd = hWnd;
    p->pWnd = pWnd;
    p->bTemporaryWnd = true;
    return pWnd;
}

BOOL CWnd::Attach(HWND hWnd)
{
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p || m_hWnd)
        return FALSE;
    if (p->pWnd && p->bTemporaryWnd) {
        AttachedWnd(*p)->m_hWnd = 0;
        p->pTempWnd.reset(p->pWnd); // freed with the record: a message may be running in it
    } else if (p->pWnd) {
        return FALSE; // already attached to another permanent object
    }
    p->pWnd = this;
    p->bTemporaryWnd = false;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (auto p = tavren::GetWindowRecord(hWnd); p && p->pWnd == this)
        p->pWnd = nullptr;
    m_hWnd = 0;
    return hWnd;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return pParent ? Attach(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID))) : FALSE;
}

const AFX_MSGMAP_ENTRY* CWnd::FindEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode, UINT nID)
{
    for (; pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->pfn; ++p) {
            if (p->nMessage == nMessage && p->nCode == nCode && nID >= p->nID && nID <= p->nLastID)
                return p;
        }
    }
    return nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    t_messages.push_back({this, message, wParam, lParam});
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    t_messages.pop_back();
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return tavren::CallClassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    for (auto it = t_messages.rbegin(); it != t_messages.rend(); ++it)
        if (it->pWnd == this)
            return DefWindowProc(it->message, it->wParam, it->lParam);
    return 0;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        auto* pHeader = reinterpret_cast<NMHDR*>(static_cast<intptr_t>(lParam));
        if (pHeader && pHeader->hwndFrom)
            return OnNotify(wParam, lParam, pResult);
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        // The window is going; the object stays until its owner deletes it.
        return FALSE;
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), message, 0, 0);
    if (!pEntry)
        return FALSE;
    LRESULT lResult = 0;
    if (!pEntry->pfn(this, message, wParam, lParam, &lResult))
        return FALSE;
    *pResult = lResult;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    UINT nCode = message == WM_COMMAND ? HIWORD(wParam)
                                       : reinterpret_cast<NMHDR*>(static_cast<intptr_t>(lParam))->code;
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), WM_REFLECT_BASE + message, nCode, 0);
    if (!pEntry)
        return FALSE;
    LRESULT lResult = 0;
    if (!pEntry->pfn(this, WM_REFLECT_BASE + message, wParam, lParam, &lResult))
        return FALSE; // ON_NOTIFY_REFLECT_EX declined: the parent gets it too
    if (pResult)
        *pResult = lResult;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND hCtrl = static_cast<HWND>(lParam);
    if (hCtrl) {
        CWnd* pChild = FromHandlePermanent(hCtrl);
        if (pChild && pChild != this && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), WM_COMMAND, HIWORD(wParam), LOWORD(wParam));
    if (!pEntry)
        return FALSE;
    LRESULT lResult = 0;
    return pEntry->pfn(this, WM_COMMAND, wParam, lParam, &lResult) ? TRUE : FALSE;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pHeader = reinterpret_cast<NMHDR*>(static_cast<intptr_t>(lParam));
    CWnd* pChild = FromHandlePermanent(pHeader->hwndFrom);
    if (pChild && pChild != this && pChild->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult))
        return TRUE;
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), WM_NOTIFY, pHeader->code, static_cast<UINT>(pHeader->idFrom));
    if (!pEntry)
        return FALSE;
    LRESULT lResult = 0;
    if (!pEntry->pfn(this, WM_NOTIFY, wParam, lParam, &lResult))
        return FALSE;
    *pResult = lResult;
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CDataExchange::Fail()
{
    throw DataExchangeFailed{};
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailed&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::GetWindowText(CString& rString) const
{
    int n = GetWindowTextLength();
    std::u16string s(static_cast<size_t>(n) + 1, u'\0');
    int nGot = ::GetWindowTextW(m_hWnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(nGot));
    rString = CString(std::move(s));
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    CWnd* pItem = GetDlgItem(nID);
    if (!pItem) {
        rString.Empty();
        return 0;
    }
    pItem->GetWindowText(rString);
    return rString.GetLength();
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT)
{
    DWORD dwOld = GetStyle();
    DWORD dwNew = (dwOld & ~dwRemove) | dwAdd;
    if (dwNew == dwOld)
        return FALSE;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNew));
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT)
{
    DWORD dwOld = GetExStyle();
    DWORD dwNew = (dwOld & ~dwRemove) | dwAdd;
    if (dwNew == dwOld)
        return FALSE;
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(dwNew));
    return TRUE;
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const
{
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
        if (IsDlgButtonChecked(id))
            return id;
    return 0;
}

void CWnd::CenterWindow(CWnd*)
{
    auto p = tavren::GetWindowRecord(m_hWnd);
    if (!p || (p->dwStyle & WS_CHILD))
        return;
    int cx = p->rcWindow.right - p->rcWindow.left, cy = p->rcWindow.bottom - p->rcWindow.top;
    int x = (tavren::kScreenWidth - cx) / 2, y = (tavren::kScreenHeight - cy) / 2;
    p->rcWindow = RECT{x, y, x + cx, y + cy};
}

void CWnd::BeginWaitCursor()
{
    ++t_nWaitCursor;
    ::SetCursor(::LoadCursorW(0, IDC_WAIT));
}

void CWnd::EndWaitCursor()
{
    if (t_nWaitCursor > 0 && --t_nWaitCursor == 0)
        ::SetCursor(::LoadCursorW(0, IDC_ARROW));
}

void CWnd::RestoreWaitCursor()
{
    if (t_nWaitCursor > 0)
        ::SetCursor(::LoadCursorW(0, IDC_WAIT));
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    const char16_t* pszCaption = lpszCaption ? lpszCaption : AfxGetAppName();
    return ::MessageBoxW(m_hWnd, lpszText, pszCaption ? pszCaption : u"", nType);
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND h = m_hWnd;
    while (h && (::GetWindowLongW(h, GWL_STYLE) & WS_CHILD))
        h = ::GetParent(h);
    return FromHandle(h);
}

CWaitCursor::CWaitCursor()
{
    ++t_nWaitCursor;
    ::SetCursor(::LoadCursorW(0, IDC_WAIT));
}

CWaitCursor::~CWaitCursor()
{
    if (t_nWaitCursor > 0 && --t_nWaitCursor == 0)
        ::SetCursor(::LoadCursorW(0, IDC_ARROW));
}

void CWaitCursor::Restore()
{
    ::SetCursor(::LoadCursorW(0, IDC_WAIT));
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h || !rControl.SubclassWindow(h))
        pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    CWnd* pCtrl = CWnd::FromHandle(h);
    if (pDX->m_bSaveAndValidate)
        pCtrl->GetWindowText(value);
    else
        pCtrl->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    CWnd* pCtrl = CWnd::FromHandle(h);
    if (pDX->m_bSaveAndValidate) {
        CString s;
        pCtrl->GetWindowText(s);
        std::string utf8 = s.Trim().ToUtf8();
        char* pEnd = nullptr;
        long n = std::strtol(utf8.c_str(), &pEnd, 10);
        if (utf8.empty() || *pEnd != 0)
            pDX->Fail();
        value = static_cast<int>(n);
    } else {
        CString s;
        s.Format(u"%d", value);
        pCtrl->SetWindowText(s);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(h, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(h, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hFirst = pDX->PrepareCtrl(nIDC);
    HWND hDlg = pDX->m_pDlgWnd->m_hWnd;
    auto pDlg = tavren::GetWindowRecord(hDlg);
    if (!hFirst || !pDlg)
        return;
    // The group: from the first button up to the next control with WS_GROUP.
    std::vector<HWND> group;
    bool bIn = false;
    for (HWND h : pDlg->children) {
        DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(h, GWL_STYLE));
        if (h == hFirst)
            bIn = true;
        else if (bIn && (dwStyle & WS_GROUP))
            break;
        if (bIn && ((dwStyle & BS_TYPEMASK) == BS_AUTORADIOBUTTON || (dwStyle & BS_TYPEMASK) == BS_RADIOBUTTON))
            group.push_back(h);
    }
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i)
            if (::SendMessageW(group[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = static_cast<int>(i);
    } else {
        for (size_t i = 0; i < group.size(); ++i)
            ::SendMessageW(group[i], BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}
