// The dialog manager: the dialog class's own procedure, dialog creation from a template, the modal
// loop, EndDialog and IsDialogMessage.
#include "platform/user/WindowManager.h"

#include "platform/kernel/WinThread.h"
#include "platform/user/Resource.h"

#include <algorithm>
#include <cwctype>
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

    // The default look follows a focus that input moved to another control of the dialog.
    void FocusMoved(HWND hDlg, HWND hNew)
    {
        if (hNew && hNew != hDlg && GetParent(hNew) == hDlg)
            SetDefButton(hDlg, hNew);
    }

private:
    // The dialog's own default button (the template's, or DM_SETDEFID's): it stays the answer to
    // DM_GETDEFID while a push button with the focus is drawn as the default instead.
    int m_nDefId = 0;
    bool m_bDefIdKnown = false;

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

    // As the focus moves (by the dialog manager, a click or a mnemonic): a push button getting it
    // looks the default; any other control gives the look back to the dialog's own default button.
    void SetDefButton(HWND hDlg, HWND hNew)
    {
        LRESULT lOld = FindDefButton(hDlg);
        if (!m_bDefIdKnown && HIWORD(lOld) == DC_HASDEFID)
            m_nDefId = LOWORD(lOld);
        m_bDefIdKnown = true; // the first look is the template's: later ones may be a focused button's
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
        m_bDefIdKnown = true;
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

DWORD ButtonType(HWND h)
{
    return static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)) & BS_TYPEMASK;
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

HWND CreateDialogWindow(const DialogTemplate& tmpl, HWND hParent, WindowObject* pWnd, LPARAM lInitParam)
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
        pWnd->AttachToWindow(hDlg);
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
    return (nMsg >= WM_KEYDOWN && nMsg <= WM_SYSCHAR) || (nMsg >= WM_LBUTTONDOWN && nMsg <= WM_RBUTTONUP);
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

namespace {

LRESULT DlgCode(HWND hCtl, const MSG* pMsg)
{
    return SendMessageW(hCtl, WM_GETDLGCODE, pMsg->wParam, static_cast<LPARAM>(reinterpret_cast<intptr_t>(pMsg)));
}

// The dialog's own control holding hCtl (itself, or the list holding a label editor); 0 for none.
HWND DialogChild(HWND hDlg, HWND hCtl)
{
    while (hCtl && GetParent(hCtl) != hDlg)
        hCtl = GetParent(hCtl);
    return hCtl;
}

// An arrow key the focused control does not want moves inside its group: onto a radio button it
// moves the focus and, for an automatic one, checks it by a click; onto another control it moves
// the focus as Tab does.
void MoveInGroup(HWND hDlg, HWND hCtl, const MSG* pMsg)
{
    bool bPrevious = pMsg->wParam == VK_LEFT || pMsg->wParam == VK_UP;
    HWND hNext = GetNextDlgGroupItem(hDlg, hCtl, bPrevious);
    if (!hNext)
        return;
    if (DlgCode(hNext, pMsg) == (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
        SetFocus(hNext);
        if (ButtonType(hNext) == BS_AUTORADIOBUTTON && SendMessageW(hNext, BM_GETCHECK, 0, 0) != BST_CHECKED)
            SendMessageW(hNext, BM_CLICK, 0, 0);
    } else {
        SendMessageW(hDlg, WM_NEXTDLGCTL, static_cast<WPARAM>(hNext), TRUE);
    }
}

char16_t UpperCase(char16_t ch)
{
    return static_cast<char16_t>(std::towupper(static_cast<wint_t>(ch)));
}

// The character a control's text marks with "&" ("&&" is an ampersand), or 0.
char16_t Mnemonic(const std::u16string& strText)
{
    for (size_t i = 0; i + 1 < strText.size(); ++i) {
        if (strText[i] != u'&')
            continue;
        if (strText[i + 1] != u'&')
            return UpperCase(strText[i + 1]);
        ++i;
    }
    return 0;
}

// A mnemonic key: the first enabled, visible button or static whose text marks the character,
// from the focused control on, going round. A button is clicked; a static (or group box) hands
// the focus to the tab stop after it. False when no control has it.
bool HandleMnemonic(HWND hDlg, HWND hFrom, char16_t ch)
{
    auto p = tavren::GetWindowRecord(hDlg);
    if (!p || !ch)
        return false;
    std::vector<HWND> children = p->children;
    size_t n = children.size();
    auto it = std::find(children.begin(), children.end(), DialogChild(hDlg, hFrom));
    size_t nStart = it == children.end() ? 0 : static_cast<size_t>(it - children.begin());
    for (size_t k = 0; k < n; ++k) {
        HWND h = children[(nStart + k) % n];
        auto pCtl = tavren::GetWindowRecord(h);
        if (!pCtl || (pCtl->dwStyle & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE)
            continue;
        LRESULT lCode = SendMessageW(h, WM_GETDLGCODE, 0, 0);
        if (!(lCode & (DLGC_BUTTON | DLGC_STATIC)) || Mnemonic(pCtl->strText) != UpperCase(ch))
            continue;
        if ((lCode & DLGC_STATIC) || ButtonType(h) == BS_GROUPBOX) {
            if (HWND hNext = GetNextDlgTabItem(hDlg, h, FALSE))
                SendMessageW(hDlg, WM_NEXTDLGCTL, static_cast<WPARAM>(hNext), TRUE);
        } else {
            SendMessageW(h, BM_CLICK, 0, 0);
        }
        return true;
    }
    return false;
}

bool HandleDialogKey(HWND hDlg, LPMSG lpMsg);

} // namespace

// Keys the dialog manager takes for itself are handled here; everything else is dispatched. When
// the input moved the focus to another control, the default push button's look follows it.
BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg)
{
    if (!lpMsg || !lpMsg->hwnd)
        return FALSE;
    HWND hTarget = lpMsg->hwnd;
    // DialogOf follows the child chain, so controls inside controls (a list's label editor)
    // belong to the dialog too.
    if (hTarget != hDlg && tavren::DialogOf(hTarget) != hDlg)
        return FALSE;
    HWND hFocusBefore = GetFocus();
    if (!HandleDialogKey(hDlg, lpMsg))
        DispatchMessageW(lpMsg);
    HWND hFocus = GetFocus();
    if (hFocus != hFocusBefore && IsWindow(hDlg)) {
        auto p = tavren::GetWindowRecord(hDlg);
        if (auto* pModel = p ? dynamic_cast<DialogModel*>(p->pModel.get()) : nullptr)
            pModel->FocusMoved(hDlg, hFocus);
    }
    return TRUE;
}

namespace {

// True when the dialog manager took the message (it is then not dispatched).
bool HandleDialogKey(HWND hDlg, LPMSG lpMsg)
{
    HWND hTarget = lpMsg->hwnd;
    if (lpMsg->message == WM_KEYDOWN && (lpMsg->wParam == VK_RETURN || lpMsg->wParam == VK_ESCAPE)) {
        LRESULT lCode = DlgCode(hTarget, lpMsg);
        if (hTarget != hDlg && (lCode & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)))
            return false;
        if (lpMsg->wParam == VK_ESCAPE) {
            SendMessageW(hDlg, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), static_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
            return true;
        }
        HWND hFocus = GetFocus();
        if (hFocus && hFocus != hDlg && IsPushButton(hFocus) && GetParent(hFocus) == hDlg) {
            SendMessageW(hDlg, WM_COMMAND, MAKELONG(static_cast<WORD>(GetDlgCtrlID(hFocus)), BN_CLICKED), static_cast<LPARAM>(hFocus));
            return true;
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
        return true;
    }
    if (lpMsg->message == WM_KEYDOWN && lpMsg->wParam == VK_TAB) {
        // A control that wants Tab (or every key) keeps it; otherwise it moves the focus.
        LRESULT lCode = DlgCode(hTarget, lpMsg);
        if (hTarget == hDlg || !(lCode & (DLGC_WANTTAB | DLGC_WANTMESSAGE))) {
            SendMessageW(hDlg, WM_NEXTDLGCTL, (GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000) != 0, 0);
            return true;
        }
    }
    if (lpMsg->message == WM_CHAR && lpMsg->wParam == u'\t') {
        // The character of a Tab the dialog took is not typed into a control that did not want it.
        LRESULT lCode = DlgCode(hTarget, lpMsg);
        if (hTarget == hDlg || !(lCode & (DLGC_WANTTAB | DLGC_WANTMESSAGE)))
            return true;
    }
    if (lpMsg->message == WM_KEYDOWN && lpMsg->wParam >= VK_LEFT && lpMsg->wParam <= VK_DOWN && hTarget != hDlg) {
        if (!(DlgCode(hTarget, lpMsg) & (DLGC_WANTARROWS | DLGC_WANTMESSAGE))) {
            MoveInGroup(hDlg, DialogChild(hDlg, hTarget), lpMsg);
            return true;
        }
    }
    // A character the focused control does not want, or one typed with Alt, may be a mnemonic.
    if (lpMsg->message == WM_SYSCHAR ||
        (lpMsg->message == WM_CHAR && (hTarget == hDlg || !(DlgCode(hTarget, lpMsg) & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)))))
        return HandleMnemonic(hDlg, hTarget, static_cast<char16_t>(lpMsg->wParam));
    return false;
}

} // namespace


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


HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious)
{
    auto p = tavren::GetWindowRecord(hDlg);
    if (!p || !hCtl || hCtl == hDlg)
        return 0;
    hCtl = DialogChild(hDlg, hCtl);
    const std::vector<HWND> children = p->children;
    auto it = std::find(children.begin(), children.end(), hCtl);
    if (it == children.end())
        return 0;
    auto isGroupStart = [](HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_GROUP) != 0; };
    auto first = it;
    while (first != children.begin() && !isGroupStart(*first))
        --first;
    auto last = it + 1;
    while (last != children.end() && !isGroupStart(*last))
        ++last;
    size_t n = static_cast<size_t>(last - first);
    size_t nAt = static_cast<size_t>(it - first);
    for (size_t k = 1; k < n; ++k) {
        HWND h = *(first + static_cast<std::ptrdiff_t>(bPrevious ? (nAt + n - k) % n : (nAt + k) % n));
        DWORD s = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
        if ((s & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE)
            return h;
    }
    return hCtl;
}
