#include "platform/seam/Automation.h"

#include "platform/comctl/CommCtrl.h"
#include "platform/kernel/Handle.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"
#include "platform/afx/Wnd.h"
#include "platform/user/PrivateMessages.h"

#include <algorithm>
#include <thread>

namespace tavren {

namespace {

constexpr DWORD kActTimeout = 5000;

RECT Offset(RECT rc, int dx, int dy)
{
    return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

// On the window's thread: one control and, after it, the controls inside it (a label editor).
void DescribeControls(HWND hParent, int dx, int dy, WindowInfo& info, int nPagesAround)
{
    auto pParent = GetWindowRecord(hParent);
    if (!pParent)
        return;
    HWND hFocus = GetFocus();
    for (HWND h : pParent->children) {
        auto p = GetWindowRecord(h);
        if (!p)
            continue;
        ControlInfo c;
        c.hWnd = h;
        c.hParent = hParent;
        c.nId = p->nId;
        c.strClass = p->strClass;
        c.strText = p->strText;
        c.rc = Offset(p->rcWindow, dx, dy);
        c.rcClient = ClientRectOf(*p);
        c.dwStyle = p->dwStyle;
        c.dwExStyle = p->dwExStyle;
        c.bEnabled = IsWindowEnabled(h) != 0;
        c.bVisible = IsWindowVisible(h) != 0;
        c.bFocused = h == hFocus;
        const SCROLLINFO& si = p->scroll[SB_VERT];
        c.nScrollMin = si.nMin;
        c.nScrollMax = si.nMax;
        c.nScrollPage = static_cast<int>(si.nPage);
        c.nScrollPos = si.nPos;
        const SCROLLINFO& sh = p->scroll[SB_HORZ];
        c.nHScrollMin = sh.nMin;
        c.nHScrollMax = sh.nMax;
        c.nHScrollPage = static_cast<int>(sh.nPage);
        c.nHScrollPos = sh.nPos;
        c.nPagesAround = nPagesAround;
        if (p->pModel)
            p->pModel->Describe(c);
        int nBorderX = ((p->rcWindow.right - p->rcWindow.left) - c.rcClient.right) / 2;
        int nBorderY = ((p->rcWindow.bottom - p->rcWindow.top) - c.rcClient.bottom) / 2;
        info.controls.push_back(std::move(c));
        if (!p->children.empty())
            DescribeControls(h, dx + p->rcWindow.left + nBorderX, dy + p->rcWindow.top + nBorderY, info, nPagesAround);
    }
}

WindowInfo DescribeWindow(HWND hWnd, int nPagesAround)
{
    WindowInfo info;
    auto p = GetWindowRecord(hWnd);
    if (!p)
        return info;
    info.hWnd = hWnd;
    info.hOwner = p->hParent;
    info.dwThreadId = p->dwThreadId;
    info.strClass = p->strClass;
    info.strCaption = p->strText;
    info.rc = p->rcWindow;
    info.rcClient = ClientRectOf(*p);
    info.bEnabled = IsWindowEnabled(hWnd) != 0;
    info.bVisible = IsWindowVisible(hWnd) != 0;
    info.dwStyle = p->dwStyle;
    info.dwExStyle = p->dwExStyle;
    info.kind = p->strClass == u"#32770" ? WindowInfo::Kind::Dialog
                : p->strClass == u"#32768" ? WindowInfo::Kind::Menu
                                           : WindowInfo::Kind::Other;
    HWND hFocus = GetFocus();
    for (HWND h = hFocus; h; h = GetParent(h))
        if (h == hWnd)
            info.hFocus = hFocus;
    if (p->pModel)
        p->pModel->DescribeWindow(info);
    DescribeControls(hWnd, 0, 0, info, nPagesAround);
    return info;
}

// Runs check-and-post on the window's thread; false with the reason when the check failed or
// the thread did not answer.
bool Act(HWND hWnd, std::string* pstrError, std::function<std::string()> fn)
{
    auto pResult = std::make_shared<std::string>();
    auto pDone = std::make_shared<bool>(false);
    bool bRan = RunOnWindowThread(
        hWnd,
        [pResult, pDone, fn] {
            *pResult = fn();
            *pDone = true;
        },
        kActTimeout);
    std::string strError;
    if (!bRan)
        strError = IsWindow(hWnd) ? "the window's thread did not answer" : "no such window";
    else if (!*pDone)
        strError = "no such window";
    else
        strError = *pResult;
    if (pstrError)
        *pstrError = strError;
    return strError.empty();
}

HWND TopLevelOf(HWND hWnd)
{
    HWND h = hWnd;
    while (h && (GetWindowLongW(h, GWL_STYLE) & WS_CHILD))
        h = GetParent(h);
    return h;
}

// On the window's thread: could a person reach this window now?
std::string CheckReachable(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return "no such window";
    if (!IsWindowVisible(hWnd))
        return "the window is hidden";
    if (!AcceptsInput(hWnd))
        return "the window is disabled";
    HWND hTop = TopLevelOf(hWnd);
    if (GetActiveWindow() != hTop)
        return "another window is in front (a modal dialog, message box or menu)";
    return {};
}

LPARAM Point(int x, int y)
{
    return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)));
}

// The person moves the mouse to (x, y) in hWnd's client area; answers that point for the button
// messages, which then carry the cursor position in MSG.pt.
LPARAM MoveMouseTo(HWND hWnd, int x, int y)
{
    POINT pt{x, y};
    ClientToScreen(hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
    return Point(x, y);
}

} // namespace

const ControlInfo* WindowInfo::Control(int nId) const
{
    for (const ControlInfo& c : controls)
        if (c.nId == nId && c.hParent == hWnd)
            return &c;
    return nullptr;
}

const ControlInfo* WindowInfo::ControlByHandle(HWND hCtrl) const
{
    for (const ControlInfo& c : controls)
        if (c.hWnd == hCtrl)
            return &c;
    return nullptr;
}

const WindowInfo* Snapshot::Find(std::u16string_view strCaption) const
{
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (it->strCaption == strCaption)
            return &*it;
    return nullptr;
}

const WindowInfo* Snapshot::Find(HWND hWnd) const
{
    for (const WindowInfo& w : windows)
        if (w.hWnd == hWnd)
            return &w;
    return nullptr;
}

const WindowInfo* Snapshot::Front() const
{
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (it->bEnabled && it->bVisible)
            return &*it;
    return nullptr;
}

Snapshot TakeSnapshot(DWORD dwTimeout, int nPagesAround)
{
    Snapshot snapshot;
    for (HWND h : TopLevelWindows()) {
        auto pInfo = std::make_shared<WindowInfo>();
        auto pWait = std::make_shared<bool>(false);
        if (!RunOnWindowThread(
                h,
                [h, pInfo, pWait, nPagesAround] {
                    *pInfo = DescribeWindow(h, nPagesAround);
                    *pWait = WaitCursorShown();
                },
                dwTimeout))
            continue;
        if (pInfo->hWnd && pInfo->bVisible) {
            snapshot.bWaitCursor = snapshot.bWaitCursor || *pWait;
            snapshot.windows.push_back(std::move(*pInfo));
        }
    }
    for (const WindowInfo& w : snapshot.windows)
        for (const ControlInfo& c : w.controls)
            for (HIMAGELIST h : {c.hComboImageList, c.hImageListNormal, c.hImageListSmall, c.hImageListState})
                if (ImageListState state; h && GetImageListState(h, state))
                    snapshot.imageLists[h] = state;
    return snapshot;
}

bool ClickButton(HWND hButton, std::string* pstrError)
{
    return Act(hButton, pstrError, [hButton]() -> std::string {
        if (std::string s = CheckReachable(hButton); !s.empty())
            return s;
        LPARAM l = MoveMouseTo(hButton, 5, 5);
        PostMessageW(hButton, WM_LBUTTONDOWN, 0x1, l);
        PostMessageW(hButton, WM_LBUTTONUP, 0, l);
        return {};
    });
}

namespace {
bool PostKey(HWND hTopLevel, WPARAM nVirtualKey, bool bShift, std::string* pstrError)
{
    return Act(hTopLevel, pstrError, [hTopLevel, nVirtualKey, bShift]() -> std::string {
        if (std::string s = CheckReachable(hTopLevel); !s.empty())
            return s;
        // The focus is taken when the thread gets to the key, after the input before it.
        PostMessageW(hTopLevel, WM_TAVREN_KEY, nVirtualKey, bShift ? 1 : 0);
        return {};
    });
}
} // namespace

bool PressKey(HWND hTopLevel, WPARAM nVirtualKey, std::string* pstrError)
{
    return PostKey(hTopLevel, nVirtualKey, false, pstrError);
}

bool PressKeyWithShift(HWND hTopLevel, WPARAM nVirtualKey, std::string* pstrError)
{
    return PostKey(hTopLevel, nVirtualKey, true, pstrError);
}

namespace {
// On the edit's thread: the person clicks into the edit unless it has the focus by then (after
// the input before); a click after the text puts the caret at its end.
void ClickIntoUnlessFocused(HWND hEdit)
{
    RECT rc{};
    GetClientRect(hEdit, &rc);
    PostMessageW(hEdit, WM_TAVREN_CLICKIN, 0, MoveMouseTo(hEdit, std::max<LONG>(rc.right - 3, 0), rc.bottom / 2));
}

std::string CheckEdit(HWND hEdit)
{
    if (std::string s = CheckReachable(hEdit); !s.empty())
        return s;
    if (!(SendMessageW(hEdit, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
        return "not an edit";
    return {};
}

bool Type(HWND hEdit, std::u16string_view strText, bool bReplace, std::string* pstrError)
{
    std::u16string text(strText);
    return Act(hEdit, pstrError, [hEdit, text, bReplace]() -> std::string {
        // A focused control that takes characters (a list's incremental search) is typed into as it is.
        const bool bEdit = CheckEdit(hEdit).empty();
        if (!bEdit && !bReplace && CheckReachable(hEdit).empty() && GetFocus() == hEdit &&
            (SendMessageW(hEdit, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS)) {
            for (char16_t ch : text)
                PostMessageW(hEdit, WM_CHAR, ch, 1);
            return {};
        }
        if (std::string s = CheckEdit(hEdit); !s.empty())
            return s;
        ClickIntoUnlessFocused(hEdit);
        if (bReplace)
            PostMessageW(hEdit, EM_SETSEL, 0, -1); // the person drags over the whole text
        for (char16_t ch : text)
            PostMessageW(hEdit, WM_CHAR, ch, 1);
        return {};
    });
}
} // namespace

bool TypeText(HWND hEdit, std::u16string_view strText, std::string* pstrError)
{
    return Type(hEdit, strText, false, pstrError);
}

bool ReplaceText(HWND hEdit, std::u16string_view strText, std::string* pstrError)
{
    return Type(hEdit, strText, true, pstrError);
}

bool ScrollBar(HWND hCtrl, int nCode, int nPos, std::string* pstrError, int nBar)
{
    return Act(hCtrl, pstrError, [hCtrl, nCode, nPos, nBar]() -> std::string {
        if (std::string s = CheckReachable(hCtrl); !s.empty())
            return s;
        const bool bVert = nBar != SB_HORZ;
        if (!(GetWindowLongW(hCtrl, GWL_STYLE) & (bVert ? WS_VSCROLL : WS_HSCROLL)))
            return "the control shows no scroll bar";
        const int nWhich = bVert ? SB_VERT : SB_HORZ;
        auto post = [hCtrl, bVert](int nBarCode, int nAt) {
            PostMessageW(hCtrl, bVert ? WM_VSCROLL : WM_HSCROLL, MAKELONG(static_cast<WORD>(nBarCode), static_cast<WORD>(nAt)), 0);
        };
        switch (nCode) {
        case SB_LINEUP: case SB_LINEDOWN: case SB_PAGEUP: case SB_PAGEDOWN:
            post(nCode, 0);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The bar keeps the track position where the control reads it, then reports the drag.
            if (auto p = GetWindowRecord(hCtrl))
                p->scroll[nWhich].nTrackPos = std::clamp(nPos, p->scroll[nWhich].nMin, p->scroll[nWhich].nMax);
            post(SB_THUMBTRACK, nPos);
            post(SB_THUMBPOSITION, nPos);
            break;
        }
        default:
            return "not a scroll bar part";
        }
        post(SB_ENDSCROLL, 0);
        return {};
    });
}

bool TurnWheel(HWND hCtrl, int nDelta, std::string* pstrError)
{
    return Act(hCtrl, pstrError, [hCtrl, nDelta]() -> std::string {
        if (std::string s = CheckReachable(hCtrl); !s.empty())
            return s;
        RECT rc{};
        GetClientRect(hCtrl, &rc);
        POINT pt{rc.right / 2, rc.bottom / 2};
        MoveMouseTo(hCtrl, pt.x, pt.y);
        ClientToScreen(hCtrl, &pt);
        PostMessageW(hCtrl, WM_MOUSEWHEEL, MAKELONG(0, static_cast<WORD>(static_cast<SHORT>(nDelta))),
                     MAKELONG(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        return {};
    });
}

namespace {
// The character a US keyboard makes of a key, as TranslateMessage would; 0 for none.
char16_t KeyCharacter(WPARAM nKey, UINT nModifiers)
{
    if (nKey >= 'A' && nKey <= 'Z') {
        if ((nModifiers & kKeyCtrl) && !(nModifiers & kKeyAlt))
            return static_cast<char16_t>(nKey - 'A' + 1);
        return static_cast<char16_t>((nModifiers & kKeyShift) ? nKey : nKey - 'A' + 'a');
    }
    if (nModifiers & kKeyCtrl)
        return 0;
    if (nKey >= '0' && nKey <= '9')
        return static_cast<char16_t>(nKey);
    if ((nKey == VK_BACK || nKey == VK_SPACE) && !(nModifiers & kKeyAlt))
        return static_cast<char16_t>(nKey);
    return 0;
}
} // namespace

bool PressKeyIn(HWND hCtrl, WPARAM nVirtualKey, std::string* pstrError)
{
    return PressKeyIn(hCtrl, nVirtualKey, 0, pstrError);
}

bool PressKeyIn(HWND hCtrl, WPARAM nVirtualKey, UINT nModifiers, std::string* pstrError)
{
    return Act(hCtrl, pstrError, [hCtrl, nVirtualKey, nModifiers]() -> std::string {
        if (std::string s = CheckReachable(hCtrl); !s.empty())
            return s;
        if (SendMessageW(hCtrl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            ClickIntoUnlessFocused(hCtrl);
        else if (GetFocus() != hCtrl)
            return "the control does not have the focus";
        // The modifiers go down first and come up last, so GetKeyState sees them held. With Alt
        // the keys are system keys (lParam bit 29 says Alt is down), as the keyboard sends them.
        const bool bAlt = (nModifiers & kKeyAlt) != 0;
        const LPARAM lDown = bAlt ? 0x20000001 : 1;
        const LPARAM lUp = static_cast<LPARAM>(bAlt ? 0xE0000001u : 0xC0000001u);
        // F10 is a system key with or without Alt.
        const bool bSystem = bAlt || nVirtualKey == VK_F10;
        const UINT nDown = bSystem ? WM_SYSKEYDOWN : WM_KEYDOWN;
        const UINT nUp = bSystem ? WM_SYSKEYUP : WM_KEYUP;
        const WPARAM mods[] = {(nModifiers & kKeyShift) ? VK_SHIFT : 0, (nModifiers & kKeyCtrl) ? VK_CONTROL : 0, bAlt ? VK_MENU : 0};
        for (WPARAM m : mods)
            if (m)
                PostMessageW(hCtrl, m == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN, m, m == VK_MENU ? lDown : 1);
        PostMessageW(hCtrl, nDown, nVirtualKey, lDown);
        if (char16_t ch = KeyCharacter(nVirtualKey, nModifiers))
            PostMessageW(hCtrl, bAlt ? WM_SYSCHAR : WM_CHAR, ch, lDown);
        PostMessageW(hCtrl, nUp, nVirtualKey, lUp);
        for (WPARAM m : mods)
            if (m)
                PostMessageW(hCtrl, WM_KEYUP, m, static_cast<LPARAM>(0xC0000001u));
        return {};
    });
}

namespace {

// On the list's thread: the mouse messages of one action at a point of the client area.
void PostListMouse(HWND hList, POINT pt, MouseAction action)
{
    LPARAM l = MoveMouseTo(hList, pt.x, pt.y);
    switch (action) {
    case MouseAction::Click:
        PostMessageW(hList, WM_LBUTTONDOWN, 0x1, l);
        PostMessageW(hList, WM_LBUTTONUP, 0, l);
        break;
    case MouseAction::DoubleClick:
        PostMessageW(hList, WM_LBUTTONDOWN, 0x1, l);
        PostMessageW(hList, WM_LBUTTONUP, 0, l);
        PostMessageW(hList, WM_LBUTTONDBLCLK, 0x1, l);
        PostMessageW(hList, WM_LBUTTONUP, 0, l);
        break;
    case MouseAction::RightClick:
        PostMessageW(hList, WM_RBUTTONDOWN, 0x2, l);
        PostMessageW(hList, WM_RBUTTONUP, 0, l);
        break;
    }
}

RECT ItemPartRect(HWND hList, int nItem, int nCode)
{
    RECT rc{nCode, 0, 0, 0};
    if (!SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nItem), static_cast<LPARAM>(reinterpret_cast<intptr_t>(&rc))))
        return RECT{};
    return rc;
}

} // namespace

bool ClickListItem(HWND hList, int nItem, MouseAction action, std::string* pstrError)
{
    return ClickListItem(hList, nItem, action, ListPart::Icon, pstrError);
}

bool ClickListItem(HWND hList, int nItem, MouseAction action, ListPart part, std::string* pstrError)
{
    return Act(hList, pstrError, [hList, nItem, action, part]() -> std::string {
        if (std::string s = CheckReachable(hList); !s.empty())
            return s;
        int nCount = static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
        RECT rcClient{};
        GetClientRect(hList, &rcClient);
        POINT pt{-1, -1};
        if (nItem >= 0) {
            if (nItem >= nCount)
                return "no item " + std::to_string(nItem) + " (the list has " + std::to_string(nCount) + ")";
            SendMessageW(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), FALSE); // the person scrolls to it
            // The middle of the part, as a person aims; a picture-less item is clicked on its label.
            auto empty = [](const RECT& r) { return r.right <= r.left || r.bottom <= r.top; };
            RECT rc = ItemPartRect(hList, nItem, part == ListPart::Icon ? LVIR_ICON : LVIR_LABEL);
            if (empty(rc))
                rc = ItemPartRect(hList, nItem, part == ListPart::Icon ? LVIR_LABEL : LVIR_ICON);
            if (empty(rc))
                return "item " + std::to_string(nItem) + " is not shown";
            // A report label runs to the column's end; a person points at its text.
            LONG nX = part == ListPart::Label ? std::min<LONG>((rc.left + rc.right) / 2, rc.left + 8) : (rc.left + rc.right) / 2;
            pt = POINT{std::min<LONG>(nX, rcClient.right - 1), std::min<LONG>((rc.top + rc.bottom) / 2, rcClient.bottom - 1)};
        } else {
            // Empty space: below the last item, else right of the columns.
            std::vector<POINT> candidates{{4, rcClient.bottom - 3}, {rcClient.right - 3, rcClient.bottom - 3}, {rcClient.right - 3, tavren::kListHeaderHeight + 3}};
            for (POINT c : candidates) {
                LVHITTESTINFO hit{};
                hit.pt = c;
                if (c.x >= 0 && c.y >= 0 && SendMessageW(hList, LVM_HITTEST, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(&hit))) < 0) {
                    pt = c;
                    break;
                }
            }
            if (pt.x < 0)
                return "the list shows no empty space to click";
        }
        PostListMouse(hList, pt, action);
        return {};
    });
}

bool ClickListPoint(HWND hList, POINT pt, MouseAction action, std::string* pstrError)
{
    return Act(hList, pstrError, [hList, pt, action]() -> std::string {
        if (std::string s = CheckReachable(hList); !s.empty())
            return s;
        RECT rcClient{};
        GetClientRect(hList, &rcClient);
        if (pt.x < 0 || pt.y < 0 || pt.x >= rcClient.right || pt.y >= rcClient.bottom)
            return "the point is outside the list";
        PostListMouse(hList, pt, action);
        return {};
    });
}

bool ChooseComboEntry(HWND hCombo, int nIndex, std::string* pstrError)
{
    return Act(hCombo, pstrError, [hCombo, nIndex]() -> std::string {
        if (std::string s = CheckReachable(hCombo); !s.empty())
            return s;
        if (nIndex < 0 || nIndex >= SendMessageW(hCombo, CB_GETCOUNT, 0, 0))
            return "no entry " + std::to_string(nIndex);
        ControlInfo info;
        if (auto p = GetWindowRecord(hCombo); p && p->pModel)
            p->pModel->Describe(info);
        if (!info.bDroppedDown) {
            LPARAM l = MoveMouseTo(hCombo, 5, 5);
            PostMessageW(hCombo, WM_LBUTTONDOWN, 0x1, l);
            PostMessageW(hCombo, WM_LBUTTONUP, 0, l);
        }
        PostMessageW(hCombo, tavren::CB_TAVREN_CHOOSE, static_cast<WPARAM>(nIndex), 0);
        return {};
    });
}

bool ChooseMenuItem(HWND hMenuWindow, UINT nCommandId, std::string* pstrError)
{
    return Act(hMenuWindow, pstrError, [hMenuWindow, nCommandId]() -> std::string {
        if (std::string s = CheckReachable(hMenuWindow); !s.empty())
            return s;
        auto p = GetWindowRecord(hMenuWindow);
        if (!p || p->strClass != u"#32768")
            return "not a menu";
        if (nCommandId == 0) {
            PostMessageW(hMenuWindow, WM_KEYDOWN, VK_ESCAPE, 1);
            return {};
        }
        WindowInfo info;
        p->pModel->DescribeWindow(info);
        for (const MenuItemInfo& item : info.menuItems) {
            if (item.nId != nCommandId || item.bSeparator || item.bPopup)
                continue;
            if (item.bGrayed)
                return "the menu command is grayed";
            PostMessageW(hMenuWindow, WM_LBUTTONUP, 0, MoveMouseTo(hMenuWindow, (item.rc.left + item.rc.right) / 2, (item.rc.top + item.rc.bottom) / 2));
            return {};
        }
        return "the menu has no command " + std::to_string(nCommandId);
    });
}

bool CloseWindow(HWND hTopLevel, std::string* pstrError)
{
    return Act(hTopLevel, pstrError, [hTopLevel]() -> std::string {
        if (std::string s = CheckReachable(hTopLevel); !s.empty())
            return s;
        PostMessageW(hTopLevel, WM_CLOSE, 0, 0);
        return {};
    });
}

std::optional<Snapshot> WaitFor(const std::function<bool(const Snapshot&)>& pred, DWORD dwTimeout)
{
    Deadline deadline(dwTimeout);
    for (;;) {
        Snapshot snapshot = TakeSnapshot(std::min<DWORD>(dwTimeout, 2000));
        if (pred(snapshot))
            return snapshot;
        if (deadline.Passed())
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace tavren
