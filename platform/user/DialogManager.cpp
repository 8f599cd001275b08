// The dialog manager: the dialog class's own procedure, dialog creation from a template, the modal
// loop, EndDialog and IsDialogMessage.
#include "platform/user/WindowManager.h"

#include "platform/afx/Wnd.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/Resource.h"

#include <algorithm>
#include <vector>

namespace {

void FocusControl(HWND hCtl);
bool IsPushButton(HWND h);

// The dialog manager's own procedure (the part of a dialog that is not the program's).
class DialogModel : public tavren::WindowModel {
public:
    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case DM_GETDEFID:
            return OnGetDefId(hWnd);
        case DM_SETDEFID:
            return OnSetDefId(hWnd, static_cast<int>(wParam));
        case WM_CLOSE:
            // The close box acts as the Cancel button (Windows posts it; so do we).
            PostMessageW(hWnd, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), static_cast<LPARAM>(GetDlgItem(hWnd, IDCANCEL)));
            return 0;
        case WM_INITDIALOG:
            return TRUE;
        case WM_NEXTDLGCTL: {
            // lParam set: wParam is the control; otherwise wParam says backwards.
            HWND hNext = lParam ? static_cast<HWND>(wParam) : GetNextDlgTabItem(hWnd, GetFocus(), wParam != 0);
            if (hNext) {
                FocusControl(hNext);
                SetDefButton(hWnd, hNext);
            }
            return 0;
        }
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

private:
    // The dialog's own default button (the template's, or DM_SETDEFID's): it stays the answer to
    // DM_GETDEFID while a push button with the focus is drawn as the default instead.
    int m_nDefId = 0;

    LRESULT OnGetDefId(HWND hWnd) const
    {
        if (m_nDefId)
            return MAKELONG(static_cast<WORD>(m_nDefId), DC_HASDEFID);
        return FindDefButton(hWnd);
    }

    static LRESULT FindDefButton(HWND hWnd)
    {
        auto p = tavren::GetWindowRecord(hWnd);
        for (HWND h : p->children) {
            auto pChild = tavren::GetWindowRecord(h);
            if (pChild && pChild->strClass == u"Button" && (pChild->dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                return MAKELONG(static_cast<WORD>(pChild->nId), DC_HASDEFID);
        }
        return 0;
    }

    // As the dialog manager moves the focus: a push button getting it looks the default; any other
    // control gives the look back to the dialog's own default button.
    void SetDefButton(HWND hDlg, HWND hNew)
    {
        LRESULT lOld = FindDefButton(hDlg);
        if (!m_nDefId && HIWORD(lOld) == DC_HASDEFID)
            m_nDefId = LOWORD(lOld);
        HWND hOld = HIWORD(lOld) == DC_HASDEFID ? GetDlgItem(hDlg, LOWORD(lOld)) : 0;
        if (GetParent(hNew) != hDlg || !IsPushButton(hNew))
            hNew = m_nDefId ? GetDlgItem(hDlg, m_nDefId) : 0;
        if (hOld && hOld != hNew)
            SendMessageW(hOld, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        if (hNew && hNew != hOld && IsPushButton(hNew))
            SendMessageW(hNew, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }

    LRESULT OnSetDefId(HWND hWnd, int nId)
    {
        m_nDefId = nId;
        auto p = tavren::GetWindowRecord(hWnd);
        for (HWND h : p->children) {
            auto pChild = tavren::GetWindowRecord(h);
            if (!pChild || pChild->strClass != u"Button")
                continue;
            DWORD dwType = pChild->dwStyle & BS_TYPEMASK;
            if (dwType == BS_DEFPUSHBUTTON && pChild->nId != nId)
                pChild->dwStyle = (pChild->dwStyle & ~BS_TYPEMASK) | BS_PUSHBUTTON;
            else if (dwType == BS_PUSHBUTTON && pChild->nId == nId)
                pChild->dwStyle = (pChild->dwStyle & ~BS_TYPEMASK) | BS_DEFPUSHBUTTON;
        }
        return TRUE;
    }
};

// The dialog manager selects an edit's whole text when it gives it the focus, so typing replaces it.
void FocusControl(HWND hCtl)
{
    if (SendMessageW(hCtl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(hCtl, EM_SETSEL, 0, -1);
    SetFocus(hCtl);
}

bool IsTabStop(HWND h)
{
    DWORD s = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    return (s & WS_TABSTOP) && (s & WS_VISIBLE) && !(s & WS_DISABLED);
}

bool IsPushButton(HWND h)
{
    auto p = tavren::GetWindowRecord(h);
    if (!p || p->strClass != u"Button")
        return false;
    DWORD dwType = p->dwStyle & BS_TYPEMASK;
    return dwType == BS_PUSHBUTTON || dwType == BS_DEFPUSHBUTTON;
}

} // namespace

namespace tavren {

std::unique_ptr<WindowModel> MakeDialogModel()
{
    return std::make_unique<DialogModel>();
}

HWND CreateDialogWindow(const DialogTemplate& tmpl, HWND hParent, CWnd* pWnd, LPARAM lInitParam)
{
    if (hParent && WindowThread(hParent) != GetCurrentThreadId())
        hParent = 0; // a window of another thread cannot own ours
    DWORD dwStyle = (tmpl.dwStyle & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
    auto p = NewWindowRecord(hParent, u"#32770", dwStyle, tmpl.dwExStyle);
    p->bDialog = true;
    p->strText = tmpl.pszCaption ? tmpl.pszCaption : u"";
    p->pModel = MakeDialogModel();
    int cx = DialogUnitsToPixelsX(tmpl.cx), cy = DialogUnitsToPixelsY(tmpl.cy);
    if ((dwStyle & WS_CAPTION) == WS_CAPTION) {
        cx += 2 * kFramePixels;
        cy += 2 * kFramePixels + kCaptionPixels;
    }
    int x = (kScreenWidth - cx) / 2, y = (kScreenHeight - cy) / 2;
    p->rcWindow = RECT{x, y, x + cx, y + cy};
    HWND hDlg = p->hWnd;
    if (pWnd)
        pWnd->Attach(hDlg);
    for (const DialogItemTemplate& item : tmpl.Items()) {
        RECT rc{DialogUnitsToPixelsX(item.x), DialogUnitsToPixelsY(item.y), DialogUnitsToPixelsX(item.x + item.cx),
                DialogUnitsToPixelsY(item.y + item.cy)};
        CreateControl(hDlg, item.pszClass, item.nId, item.pszText, item.dwStyle | WS_CHILD, item.dwExStyle, rc, item.nImageId);
    }
    // The first enabled, visible tab stop gets the focus when OnInitDialog answers TRUE.
    HWND hFirst = GetNextDlgTabItem(hDlg, 0, FALSE);
    LRESULT lFocus = CallWindow(hDlg, WM_INITDIALOG, hFirst, lInitParam);
    if (!IsWindow(hDlg))
        return 0;
    if (lFocus && hFirst && IsWindow(hFirst) && IsWindowEnabled(hFirst))
        FocusControl(hFirst);
    if (!p->bEnded)
        ShowWindow(hDlg, SW_SHOW);
    return hDlg;
}

bool DialogEnded(HWND hDlg, INT_PTR* pnResult)
{
    auto p = GetWindowRecord(hDlg);
    if (!p)
        return true;
    if (pnResult)
        *pnResult = p->nResult;
    return p->bEnded;
}

bool AcceptsInput(HWND hWnd)
{
    for (HWND h = hWnd; h;) {
        auto p = GetWindowRecord(h);
        if (!p || (p->dwStyle & WS_DISABLED) || !(p->dwStyle & WS_VISIBLE))
            return false;
        if (!(p->dwStyle & WS_CHILD))
            return true;
        h = p->hParent;
    }
    return false;
}

namespace {
bool IsInputMessage(UINT nMsg)
{
    return (nMsg >= WM_KEYDOWN && nMsg <= WM_CHAR) || (nMsg >= WM_LBUTTONDOWN && nMsg <= WM_RBUTTONUP);
}
} // namespace

void RunModalLoop(HWND hWnd)
{
    auto p = GetWindowRecord(hWnd);
    if (!p)
        return;
    while (!p->bEnded && IsWindow(hWnd)) {
        MSG msg;
        if (!GetMessageW(&msg, 0, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop outside ours
            break;
        }
        if (IsInputMessage(msg.message) && !AcceptsInput(msg.hwnd))
            continue; // hardware input never reaches a disabled or hidden window
        bool bHandled = false;
        // PreTranslateMessage from the message's window up to its top-level window.
        for (HWND h = msg.hwnd; h && !bHandled;) {
            auto pRec = GetWindowRecord(h);
            if (!pRec)
                break;
            if (pRec->pWnd && !pRec->bTemporaryWnd)
                bHandled = pRec->pWnd->PreTranslateMessage(&msg) != 0;
            else if (pRec->bDialog && !(pRec->dwStyle & WS_CHILD))
                bHandled = IsDialogMessageW(h, &msg) != 0;
            if (!(pRec->dwStyle & WS_CHILD))
                break;
            h = pRec->hParent;
        }
        if (!bHandled) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

} // namespace tavren

BOOL EndDialog(HWND hDlg, INT_PTR nResult)
{
    auto p = tavren::GetWindowRecord(hDlg);
    if (!p || !p->bDialog)
        return FALSE;
    p->nResult = nResult;
    p->bEnded = true;
    // The loop wakes on a message; a null one will do, even during WM_INITDIALOG.
    PostMessageW(hDlg, WM_NULL, 0, 0);
    return TRUE;
}

BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg)
{
    if (!lpMsg || !lpMsg->hwnd)
        return FALSE;
    HWND hTarget = lpMsg->hwnd;
    // DialogOf follows the child chain, so controls inside controls (a list's label editor)
    // belong to the dialog too.
    if (hTarget != hDlg && tavren::DialogOf(hTarget) != hDlg)
        return FALSE;
    if (lpMsg->message == WM_KEYDOWN && (lpMsg->wParam == VK_RETURN || lpMsg->wParam == VK_ESCAPE)) {
        LRESULT lCode = SendMessageW(hTarget, WM_GETDLGCODE, lpMsg->wParam, static_cast<LPARAM>(reinterpret_cast<intptr_t>(lpMsg)));
        if (hTarget != hDlg && (lCode & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) {
            DispatchMessageW(lpMsg);
            return TRUE;
        }
        if (lpMsg->wParam == VK_ESCAPE) {
            SendMessageW(hDlg, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), static_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
            return TRUE;
        }
        HWND hFocus = GetFocus();
        if (hFocus && hFocus != hDlg && IsPushButton(hFocus) && GetParent(hFocus) == hDlg) {
            SendMessageW(hDlg, WM_COMMAND, MAKELONG(static_cast<WORD>(GetDlgCtrlID(hFocus)), BN_CLICKED), static_cast<LPARAM>(hFocus));
            return TRUE;
        }
        LRESULT lDef = SendMessageW(hDlg, DM_GETDEFID, 0, 0);
        if (HIWORD(lDef) == DC_HASDEFID) {
            HWND hDef = GetDlgItem(hDlg, LOWORD(lDef));
            if (!hDef || (IsWindowEnabled(hDef) && IsWindowVisible(hDef)))
                SendMessageW(hDlg, WM_COMMAND, MAKELONG(LOWORD(lDef), BN_CLICKED), static_cast<LPARAM>(hDef));
            // A hidden or disabled default button: Enter does nothing (it cannot be pressed).
        } else {
            SendMessageW(hDlg, WM_COMMAND, MAKELONG(IDOK, BN_CLICKED), static_cast<LPARAM>(GetDlgItem(hDlg, IDOK)));
        }
        return TRUE;
    }
    if (lpMsg->message == WM_KEYDOWN && lpMsg->wParam == VK_TAB) {
        // A control that wants Tab (or every key) keeps it; otherwise it moves the focus.
        LRESULT lCode = SendMessageW(hTarget, WM_GETDLGCODE, lpMsg->wParam, static_cast<LPARAM>(reinterpret_cast<intptr_t>(lpMsg)));
        if (hTarget == hDlg || !(lCode & (DLGC_WANTTAB | DLGC_WANTMESSAGE))) {
            SendMessageW(hDlg, WM_NEXTDLGCTL, (GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000) != 0, 0);
            return TRUE;
        }
    }
    if (lpMsg->message == WM_CHAR && lpMsg->wParam == u'\t') {
        // The character of a Tab the dialog took is not typed into a control that did not want it.
        LRESULT lCode = SendMessageW(hTarget, WM_GETDLGCODE, lpMsg->wParam, static_cast<LPARAM>(reinterpret_cast<intptr_t>(lpMsg)));
        if (hTarget == hDlg || !(lCode & (DLGC_WANTTAB | DLGC_WANTMESSAGE)))
            return TRUE;
    }
    DispatchMessageW(lpMsg);
    return TRUE;
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious)
{
    auto p = tavren::GetWindowRecord(hDlg);
    if (!p)
        return 0;
    if (hCtl == hDlg)
        hCtl = 0;
    if (!hCtl && bPrevious)
        return 0;
    // A control inside a control (a list's label editor) counts as the dialog's control holding it.
    while (hCtl && GetParent(hCtl) != hDlg)
        hCtl = GetParent(hCtl);
    std::vector<HWND> children = p->children;
    if (children.empty())
        return 0;
    size_t n = children.size();
    size_t nStart = 0;
    if (hCtl) {
        auto it = std::find(children.begin(), children.end(), hCtl);
        if (it == children.end())
            return 0;
        nStart = static_cast<size_t>(it - children.begin());
    }
    // Without a control the first child counts too; with one, the others after it, going round.
    for (size_t k = hCtl ? 1 : 0; k < n; ++k) {
        size_t i = bPrevious ? (nStart + n - k) % n : (nStart + k) % n;
        if (IsTabStop(children[i]))
            return children[i];
    }
    return hCtl;
}

