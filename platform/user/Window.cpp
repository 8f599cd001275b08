// The window table and the window calls of WinUser.h.
#include "platform/kernel/Handle.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"
#include "platform/user/PrivateMessages.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace {

struct WindowHandle : tavren::HandleObject {};

struct WindowTable {
    std::mutex mutex;
    std::unordered_map<HWND, std::shared_ptr<tavren::WindowRecord>> records;
    std::vector<HWND> order; // creation order, for TopLevelWindows
};

WindowTable& Table()
{
    static auto* pTable = new WindowTable;
    return *pTable;
}

thread_local HWND t_hFocus = 0;
thread_local HCURSOR t_hCursor = 32512;

// From another thread than the window's owner: runs fn there (the caller waits, as for
// SendMessage) and answers true; on the owner thread, or for no window, answers false at once.
bool OnOwnerThread(HWND hWnd, const std::function<void()>& fn)
{
    DWORD dwOwner = tavren::WindowThread(hWnd);
    if (dwOwner == 0 || dwOwner == GetCurrentThreadId())
        return false;
    tavren::RunOnWindowThread(hWnd, fn, INFINITE);
    return true;
}

// Where hWnd's client area begins on the screen, asked on its owner thread.
bool ClientOrigin(HWND hWnd, POINT* pPoint)
{
    bool bOk = false;
    if (OnOwnerThread(hWnd, [&] { bOk = tavren::ClientOriginOnScreen(hWnd, pPoint); }))
        return bOk;
    return tavren::ClientOriginOnScreen(hWnd, pPoint);
}

bool IsDescendant(HWND hAncestor, HWND hWnd)
{
    for (HWND h = hWnd; h; h = GetParent(h))
        if (h == hAncestor)
            return true;
    return false;
}

} // namespace

namespace tavren {

void KillWindowTimers(HWND hWnd);
void CancelSentTo(HWND hWnd);

std::shared_ptr<WindowRecord> GetWindowRecordAnyThread(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    WindowTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.records.find(hWnd);
    return it == table.records.end() ? nullptr : it->second;
}

std::shared_ptr<WindowRecord> GetWindowRecord(HWND hWnd)
{
    auto p = GetWindowRecordAnyThread(hWnd);
#ifndef NDEBUG
    if (p && p->dwThreadId != GetCurrentThreadId()) {
        std::fprintf(stderr, "window %u of thread %u reached from thread %u\n", static_cast<unsigned>(hWnd),
                     static_cast<unsigned>(p->dwThreadId), static_cast<unsigned>(GetCurrentThreadId()));
        assert(!"a window's fields belong to its owner thread: hand the window over (SendMessage, RunOnWindowThread)");
    }
#endif
    return p;
}

DWORD WindowThread(HWND hWnd)
{
    auto p = GetWindowRecordAnyThread(hWnd);
    return p ? p->dwThreadId : 0;
}

std::shared_ptr<WindowRecord> NewWindowRecord(HWND hParent, std::u16string strClass, DWORD dwStyle, DWORD dwExStyle)
{
    auto p = std::make_shared<WindowRecord>();
    p->hWnd = AllocHandle(std::make_shared<WindowHandle>());
    p->dwThreadId = GetCurrentThreadId();
    p->hParent = hParent;
    p->strClass = std::move(strClass);
    p->dwStyle = dwStyle;
    p->dwExStyle = dwExStyle;
    p->bChild = (dwStyle & WS_CHILD) != 0;
    PostThreadMessageW(p->dwThreadId, WM_NULL, 0, 0); // makes sure this thread has its queue
    MSG msg;
    PeekMessageW(&msg, 0, 0, 0, PM_NOREMOVE);
    {
        WindowTable& table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        table.records.emplace(p->hWnd, p);
        table.order.push_back(p->hWnd);
    }
    if ((dwStyle & WS_CHILD) && hParent) {
        if (auto pParent = GetWindowRecord(hParent))
            pParent->children.push_back(p->hWnd);
    }
    return p;
}

std::vector<HWND> TopLevelWindows(DWORD dwThreadId)
{
    WindowTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    std::vector<HWND> result;
    for (HWND h : table.order) {
        auto& p = table.records.at(h);
        if (!p->bChild && (dwThreadId == 0 || p->dwThreadId == dwThreadId))
            result.push_back(h);
    }
    return result;
}

LRESULT CallClassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    auto p = GetWindowRecord(hWnd);
    if (!p)
        return 0;
    if (p->pModel)
        return p->pModel->Proc(hWnd, nMsg, wParam, lParam);
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

namespace {
std::atomic<uint64_t> g_nHandled{0};
// Work run for another thread (a snapshot, an action's check) counts nothing by itself: a viewer
// that took a snapshot must not see its own look as a change.
thread_local int t_nRunning = 0;
} // namespace

uint64_t MessagesHandled() { return g_nHandled.load(std::memory_order_relaxed); }

LRESULT CallWindow(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    auto p = GetWindowRecord(hWnd); // keeps the record while the message runs
    if (!p)
        return 0;
    if (nMsg == WM_TAVREN_RUN) {
        ++t_nRunning;
        (*reinterpret_cast<std::function<void()>*>(static_cast<intptr_t>(lParam)))();
        --t_nRunning;
        return 0;
    }
    if (!t_nRunning)
        g_nHandled.fetch_add(1, std::memory_order_relaxed);
    if (nMsg == WM_TAVREN_KEY) {
        HWND hTarget = hWnd;
        HWND hFocus = GetFocus();
        if (hFocus && IsDescendant(hWnd, hFocus))
            hTarget = hFocus;
        // lParam set: with Shift held down around the key.
        if (lParam)
            PostMessageW(hTarget, WM_KEYDOWN, VK_SHIFT, 1);
        PostMessageW(hTarget, WM_KEYDOWN, wParam, 1);
        PostMessageW(hTarget, WM_KEYUP, wParam, static_cast<LPARAM>(0xC0000001u));
        if (lParam)
            PostMessageW(hTarget, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001u));
        return 0;
    }
    if (nMsg == WM_TAVREN_CLICKIN) {
        if (GetFocus() != hWnd) {
            CallWindow(hWnd, WM_LBUTTONDOWN, 0x1, lParam);
            CallWindow(hWnd, WM_LBUTTONUP, 0, lParam);
        }
        return 0;
    }
    if (p->pWnd)
        return p->pWnd->WindowProc(nMsg, wParam, lParam);
    return CallClassProc(hWnd, nMsg, wParam, lParam);
}

LRESULT NotifyParent(HWND hCtrl, UINT nCode, NMHDR* pHeader)
{
    auto p = GetWindowRecord(hCtrl);
    if (!p || !p->hParent)
        return 0;
    pHeader->hwndFrom = hCtrl;
    pHeader->idFrom = static_cast<UINT_PTR>(p->nId);
    pHeader->code = nCode;
    return SendMessageW(p->hParent, WM_NOTIFY, static_cast<WPARAM>(p->nId),
                        static_cast<LPARAM>(reinterpret_cast<intptr_t>(pHeader)));
}

void CommandParent(HWND hCtrl, WORD wCode)
{
    auto p = GetWindowRecord(hCtrl);
    if (!p || !p->hParent)
        return;
    SendMessageW(p->hParent, WM_COMMAND, MAKELONG(static_cast<WORD>(p->nId), wCode), static_cast<LPARAM>(hCtrl));
}

namespace {
// The frame around a window's client area: nSide pixels left, right and below, nTop above.
void FrameOf(const WindowRecord& record, int* pnSide, int* pnTop)
{
    int nBorder = 0, nCaption = 0;
    if (record.dwStyle & WS_CHILD) {
        if (record.dwExStyle & WS_EX_CLIENTEDGE)
            nBorder += 2;
        if (record.dwStyle & WS_BORDER)
            nBorder += 1;
        if (record.dwExStyle & WS_EX_STATICEDGE)
            nBorder += 1;
    } else if ((record.dwStyle & WS_CAPTION) == WS_CAPTION) {
        nBorder = kFramePixels;
        nCaption = kCaptionPixels;
    }
    *pnSide = nBorder;
    *pnTop = nBorder + nCaption;
}
} // namespace

RECT ClientRectOf(const WindowRecord& record)
{
    int cx = record.rcWindow.right - record.rcWindow.left;
    int cy = record.rcWindow.bottom - record.rcWindow.top;
    int nSide = 0, nTop = 0;
    FrameOf(record, &nSide, &nTop);
    // The window's scroll bars take their width from the client area.
    int nBarX = (record.dwStyle & WS_VSCROLL) ? SM_CXVSCROLL : 0;
    int nBarY = (record.dwStyle & WS_HSCROLL) ? SM_CXVSCROLL : 0;
    RECT rc{0, 0, std::max(0, cx - 2 * nSide - nBarX), std::max(0, cy - nSide - nTop - nBarY)};
    return rc;
}

bool ClientOriginOnScreen(HWND hWnd, POINT* pPoint)
{
    POINT pt{0, 0};
    for (auto p = GetWindowRecord(hWnd); p;) {
        int nSide = 0, nTop = 0;
        FrameOf(*p, &nSide, &nTop);
        pt.x += p->rcWindow.left + nSide;
        pt.y += p->rcWindow.top + nTop;
        if (!(p->dwStyle & WS_CHILD)) {
            *pPoint = pt;
            return true;
        }
        p = GetWindowRecord(p->hParent);
    }
    return false;
}

HWND DialogOf(HWND hWnd)
{
    for (HWND h = hWnd; h; h = GetParent(h)) {
        auto p = GetWindowRecord(h);
        if (!p)
            return 0;
        if (p->bDialog)
            return h;
        if (!(p->dwStyle & WS_CHILD))
            return 0;
    }
    return 0;
}

HWND ThreadFocus()
{
    return t_hFocus;
}

int DialogUnitsToPixelsX(int x)
{
    return MulDiv(x, 6, 4);
}

int DialogUnitsToPixelsY(int y)
{
    return MulDiv(y, 13, 8);
}

} // namespace tavren

int MulDiv(int nNumber, int nNumerator, int nDenominator)
{
    if (nDenominator == 0)
        return -1;
    long long n = static_cast<long long>(nNumber) * nNumerator;
    // Rounds half away from zero, as Windows does.
    long long q = (std::llabs(n) + std::llabs(static_cast<long long>(nDenominator)) / 2) / std::llabs(static_cast<long long>(nDenominator));
    if ((n < 0) != (nDenominator < 0))
        q = -q;
    if (q > 0x7FFFFFFF || q < -0x7FFFFFFFLL - 1)
        return -1;
    return static_cast<int>(q);
}

LONG GetDialogBaseUnits()
{
    return static_cast<LONG>(MAKELONG(6, 13));
}

BOOL MapDialogRect(HWND, LPRECT lpRect)
{
    if (!lpRect)
        return FALSE;
    lpRect->left = tavren::DialogUnitsToPixelsX(lpRect->left);
    lpRect->right = tavren::DialogUnitsToPixelsX(lpRect->right);
    lpRect->top = tavren::DialogUnitsToPixelsY(lpRect->top);
    lpRect->bottom = tavren::DialogUnitsToPixelsY(lpRect->bottom);
    return TRUE;
}

LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return 0;
    switch (Msg) {
    case WM_SETTEXT: {
        auto psz = reinterpret_cast<const char16_t*>(static_cast<intptr_t>(lParam));
        p->strText = psz ? psz : u"";
        return TRUE;
    }
    case WM_GETTEXT: {
        auto pBuf = reinterpret_cast<char16_t*>(static_cast<intptr_t>(lParam));
        if (!pBuf || wParam == 0)
            return 0;
        size_t n = std::min<size_t>(p->strText.size(), wParam - 1);
        std::copy_n(p->strText.data(), n, pBuf);
        pBuf[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(p->strText.size());
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SETCURSOR:
        return FALSE;
    // The keyboard's way to a context menu: Shift+F10 or the context-menu key, with the point
    // (-1, -1) that tells the handler to open it beside the focused part of the window.
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (wParam == VK_F10 && (GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000))
            SendMessageW(hWnd, WM_CONTEXTMENU, static_cast<WPARAM>(hWnd), static_cast<LPARAM>(0xFFFFFFFFu));
        return 0;
    case WM_KEYUP:
        if (wParam == VK_APPS)
            SendMessageW(hWnd, WM_CONTEXTMENU, static_cast<WPARAM>(hWnd), static_cast<LPARAM>(0xFFFFFFFFu));
        return 0;
    case WM_CONTEXTMENU:
        // A child's menu is its parent's to show when the child has none of its own.
        if ((p->dwStyle & WS_CHILD) && p->hParent)
            return SendMessageW(p->hParent, WM_CONTEXTMENU, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : DefWindowProcW(hWnd, Msg, wParam, lParam);
}

BOOL IsWindow(HWND hWnd)
{
    auto p = tavren::GetWindowRecordAnyThread(hWnd);
    return p && !p->bDestroying;
}

BOOL DestroyWindow(HWND hWnd)
{
    if (tavren::WindowThread(hWnd) != GetCurrentThreadId())
        return FALSE; // only the owner destroys its windows, as on Windows
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p || p->bDestroying)
        return FALSE;
    p->bDestroying = true;
    if (p->dwStyle & WS_VISIBLE)
        ShowWindow(hWnd, SW_HIDE);
    tavren::CallWindow(hWnd, WM_DESTROY, 0, 0);
    // Children go after their parent has had its WM_DESTROY, last created first.
    std::vector<HWND> children = p->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        DestroyWindow(*it);
    if (t_hFocus && IsDescendant(hWnd, t_hFocus))
        t_hFocus = 0;
    tavren::KillWindowTimers(hWnd);
    tavren::CallWindow(hWnd, WM_NCDESTROY, 0, 0);
    if (p->hParent && (p->dwStyle & WS_CHILD)) {
        if (auto pParent = tavren::GetWindowRecord(p->hParent))
            std::erase(pParent->children, hWnd);
    }
    {
        WindowTable& table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        table.records.erase(hWnd);
        std::erase(table.order, hWnd);
    }
    tavren::CancelSentTo(hWnd); // after the table forgets it, so nothing new can come
    // The framework object lets go of the window and cleans up; a temporary one is handed to the
    // record, which frees it last.
    tavren::WindowObject* pWnd = p->pWnd;
    p->pWnd = nullptr;
    if (pWnd) {
        pWnd->WindowGone();
        if (p->bTemporaryWnd)
            p->pTempWnd.reset(pWnd);
    }
    // The model stays with the record: a message of this window may still be running in it.
    CloseHandle(hWnd);
    return TRUE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable)
{
    BOOL bResult = FALSE;
    if (OnOwnerThread(hWnd, [&] { bResult = EnableWindow(hWnd, bEnable); }))
        return bResult;
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return FALSE;
    BOOL bWasDisabled = (p->dwStyle & WS_DISABLED) != 0;
    if (bWasDisabled == !bEnable)
        return bWasDisabled;
    if (bEnable)
        p->dwStyle &= ~WS_DISABLED;
    else
        p->dwStyle |= WS_DISABLED;
    if (!bEnable && t_hFocus && IsDescendant(hWnd, t_hFocus))
        SetFocus(0);
    tavren::CallWindow(hWnd, WM_ENABLE, bEnable, 0);
    return bWasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd)
{
    BOOL result = FALSE;
    if (OnOwnerThread(hWnd, [&] { result = IsWindowEnabled(hWnd); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    return p && !(p->dwStyle & WS_DISABLED);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow)
{
    BOOL result = FALSE;
    if (OnOwnerThread(hWnd, [&] { result = ShowWindow(hWnd, nCmdShow); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return FALSE;
    BOOL bWasVisible = (p->dwStyle & WS_VISIBLE) != 0;
    bool bShow = nCmdShow != SW_HIDE;
    if (bWasVisible == bShow)
        return bWasVisible;
    // WM_SHOWWINDOW comes before the state changes, as on Windows.
    tavren::CallWindow(hWnd, WM_SHOWWINDOW, bShow, 0);
    if (!tavren::GetWindowRecord(hWnd))
        return bWasVisible;
    if (bShow)
        p->dwStyle |= WS_VISIBLE;
    else
        p->dwStyle &= ~WS_VISIBLE;
    const bool bFocusInside = !bShow && t_hFocus && IsDescendant(hWnd, t_hFocus);
    if (bFocusInside)
        t_hFocus = 0;
    // A top-level window going away with the focus (or none on its thread) hands activation to
    // the window now in front, and a dialog takes back the focus it had (its last focused
    // control, else its first tab stop), so the keyboard goes on where the person was before a
    // message box or a modal dialog.
    if (!bShow && !t_hFocus && !(p->dwStyle & WS_CHILD)) {
        if (HWND hNext = GetActiveWindow(); hNext && hNext != hWnd) {
            auto pNext = tavren::GetWindowRecord(hNext);
            HWND hBack = pNext && pNext->bDialog ? pNext->hFocusInDialog : 0;
            if (!hBack || !IsWindow(hBack) || !IsDescendant(hNext, hBack) || !IsWindowVisible(hBack) || !IsWindowEnabled(hBack))
                hBack = pNext && pNext->bDialog ? GetNextDlgTabItem(hNext, 0, FALSE) : 0;
            if (hBack)
                SetFocus(hBack);
        }
    }
    return bWasVisible;
}

BOOL IsWindowVisible(HWND hWnd)
{
    BOOL result = FALSE;
    if (OnOwnerThread(hWnd, [&] { result = IsWindowVisible(hWnd); }))
        return result;
    for (HWND h = hWnd; h;) {
        auto p = tavren::GetWindowRecord(h);
        if (!p || !(p->dwStyle & WS_VISIBLE))
            return FALSE;
        if (!(p->dwStyle & WS_CHILD))
            return TRUE;
        h = p->hParent;
    }
    return FALSE;
}

HWND SetFocus(HWND hWnd)
{
    HWND hOld = t_hFocus;
    if (hWnd == hOld)
        return hOld;
    if (hWnd && tavren::WindowThread(hWnd) != GetCurrentThreadId())
        return 0;
    t_hFocus = hWnd;
    if (hOld && IsWindow(hOld))
        tavren::CallWindow(hOld, WM_KILLFOCUS, hWnd, 0);
    if (hWnd && t_hFocus == hWnd) {
        if (HWND hDlg = tavren::DialogOf(hWnd); hDlg && hDlg != hWnd) {
            if (auto pDlg = tavren::GetWindowRecord(hDlg))
                pDlg->hFocusInDialog = hWnd;
        }
        tavren::CallWindow(hWnd, WM_SETFOCUS, hOld, 0);
    }
    return hOld;
}

HWND GetFocus()
{
    if (t_hFocus && !IsWindow(t_hFocus))
        t_hFocus = 0;
    return t_hFocus;
}

HWND GetActiveWindow()
{
    // The newest visible, enabled top-level window of this thread: the dialog or box in front.
    auto windows = tavren::TopLevelWindows(GetCurrentThreadId());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (IsWindowVisible(*it) && IsWindowEnabled(*it))
            return *it;
    return 0;
}

HWND GetParent(HWND hWnd)
{
    auto p = tavren::GetWindowRecordAnyThread(hWnd); // hParent is fixed at creation
    return p ? p->hParent : 0;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    HWND result = 0;
    if (OnOwnerThread(hDlg, [&] { result = GetDlgItem(hDlg, nIDDlgItem); }))
        return result;
    auto p = tavren::GetWindowRecord(hDlg);
    if (!p)
        return 0;
    for (HWND h : p->children) {
        auto pChild = tavren::GetWindowRecord(h);
        if (pChild && pChild->nId == nIDDlgItem)
            return h;
    }
    return 0;
}

int GetDlgCtrlID(HWND hWnd)
{
    int result = 0;
    if (OnOwnerThread(hWnd, [&] { result = GetDlgCtrlID(hWnd); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    return p ? p->nId : 0;
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString)
{
    if (!IsWindow(hWnd))
        return FALSE;
    return static_cast<BOOL>(SendMessageW(hWnd, WM_SETTEXT, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(lpString ? lpString : u""))));
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount)
{
    if (!lpString || nMaxCount <= 0)
        return 0;
    lpString[0] = 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), static_cast<LPARAM>(reinterpret_cast<intptr_t>(lpString))));
}

int GetWindowTextLengthW(HWND hWnd)
{
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString)
{
    return SetWindowTextW(GetDlgItem(hDlg, nIDDlgItem), lpString);
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int nMaxCount)
{
    return static_cast<UINT>(GetWindowTextW(GetDlgItem(hDlg, nIDDlgItem), lpString, nMaxCount));
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect)
{
    BOOL result = FALSE;
    if (OnOwnerThread(hWnd, [&] { result = GetClientRect(hWnd, lpRect); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p || !lpRect)
        return FALSE;
    *lpRect = tavren::ClientRectOf(*p);
    return TRUE;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    BOOL result = FALSE;
    if (OnOwnerThread(hWnd, [&] { result = GetWindowRect(hWnd, lpRect); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p || !lpRect)
        return FALSE;
    RECT rc = p->rcWindow;
    // Children are kept relative to the parent's client area.
    POINT origin{0, 0};
    if ((p->dwStyle & WS_CHILD) && p->hParent && !tavren::ClientOriginOnScreen(p->hParent, &origin))
        return FALSE;
    *lpRect = RECT{rc.left + origin.x, rc.top + origin.y, rc.right + origin.x, rc.bottom + origin.y};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, POINT* lpPoint)
{
    POINT origin;
    if (!lpPoint || !ClientOrigin(hWnd, &origin))
        return FALSE;
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, POINT* lpPoint)
{
    POINT origin;
    if (!lpPoint || !ClientOrigin(hWnd, &origin))
        return FALSE;
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, POINT* lpPoints, UINT cPoints)
{
    POINT from{0, 0}, to{0, 0};
    if ((hWndFrom && !ClientOrigin(hWndFrom, &from)) || (hWndTo && !ClientOrigin(hWndTo, &to)))
        return 0;
    int dx = from.x - to.x, dy = from.y - to.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    return static_cast<int>(MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL)
{
    BOOL result = FALSE;
    if (OnOwnerThread(hWnd, [&] { result = MoveWindow(hWnd, X, Y, nWidth, nHeight, TRUE); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return FALSE;
    p->rcWindow = RECT{X, Y, X + nWidth, Y + nHeight};
    RECT rc = tavren::ClientRectOf(*p);
    tavren::CallWindow(hWnd, WM_SIZE, 0, MAKELONG(static_cast<WORD>(rc.right), static_cast<WORD>(rc.bottom)));
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT*, BOOL)
{
    return IsWindow(hWnd); // nothing is painted: the front ends draw from snapshots
}

BOOL UpdateWindow(HWND hWnd)
{
    return IsWindow(hWnd);
}

LONG GetWindowLongW(HWND hWnd, int nIndex)
{
    LONG result = 0;
    if (OnOwnerThread(hWnd, [&] { result = GetWindowLongW(hWnd, nIndex); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return 0;
    switch (nIndex) {
    case GWL_STYLE:
        return static_cast<LONG>(p->dwStyle);
    case GWL_EXSTYLE:
        return static_cast<LONG>(p->dwExStyle);
    case GWL_ID:
        return p->nId;
    default:
        return 0;
    }
}

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong)
{
    LONG result = 0;
    if (OnOwnerThread(hWnd, [&] { result = SetWindowLongW(hWnd, nIndex, dwNewLong); }))
        return result;
    auto p = tavren::GetWindowRecord(hWnd);
    if (!p)
        return 0;
    LONG old = GetWindowLongW(hWnd, nIndex);
    switch (nIndex) {
    case GWL_STYLE:
        p->dwStyle = static_cast<DWORD>(dwNewLong);
        // The window hears of it, as on Windows (a list view lays itself out for the new view).
        if (old != dwNewLong) {
            STYLESTRUCT ss{static_cast<DWORD>(old), static_cast<DWORD>(dwNewLong)};
            tavren::CallWindow(hWnd, WM_STYLECHANGED, static_cast<WPARAM>(GWL_STYLE), reinterpret_cast<LPARAM>(&ss));
        }
        break;
    case GWL_EXSTYLE:
        p->dwExStyle = static_cast<DWORD>(dwNewLong);
        break;
    case GWL_ID:
        p->nId = dwNewLong;
        break;
    default:
        break;
    }
    return old;
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId)
{
    if (lpdwProcessId)
        *lpdwProcessId = 1;
    return tavren::WindowThread(hWnd);
}

BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
        if (HWND h = GetDlgItem(hDlg, id))
            SendMessageW(h, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton)
{
    return static_cast<UINT>(SendMessageW(GetDlgItem(hDlg, nIDButton), BM_GETCHECK, 0, 0));
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck)
{
    HWND h = GetDlgItem(hDlg, nIDButton);
    if (!h)
        return FALSE;
    SendMessageW(h, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR lpCursorName)
{
    return static_cast<HCURSOR>(reinterpret_cast<uintptr_t>(lpCursorName));
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    HCURSOR hOld = t_hCursor;
    t_hCursor = hCursor;
    return hOld;
}

HCURSOR GetCursor()
{
    return t_hCursor;
}
