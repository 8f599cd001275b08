#include "platform/user/Menu.h"

#include "platform/seam/Snapshot.h"
#include "platform/kernel/Handle.h"
#include "platform/user/Resource.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"

#include <algorithm>

namespace {

class MenuObject;

struct MenuEntry {
    std::u16string strText;
    UINT nId = 0;
    UINT nFlags = 0;                  // MF_* bits
    HMENU hSubMenu = 0;
};

class MenuObject : public tavren::HandleObject {
public:
    std::mutex mutex;                 // a menu may be built on one thread and shown on another
    std::vector<MenuEntry> entries;
    bool Close() override
    {
        std::vector<HMENU> subs;
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (auto& e : entries)
                if (e.hSubMenu)
                    subs.push_back(e.hSubMenu);
            entries.clear();
        }
        // Sub-menus go with their menu, as DestroyMenu does on Windows.
        for (HMENU h : subs)
            CloseHandle(h);
        return true;
    }
};

std::shared_ptr<MenuObject> FindMenu(HMENU h)
{
    return tavren::LookupHandleAs<MenuObject>(h);
}

HMENU BuildMenu(std::span<const tavren::MenuItemTemplate> items)
{
    auto p = std::make_shared<MenuObject>();
    for (const auto& item : items) {
        MenuEntry e;
        e.strText = item.pszText ? item.pszText : u"";
        e.nId = item.nId;
        e.nFlags = item.nFlags;
        if (item.IsPopup())
            e.hSubMenu = BuildMenu(item.Children());
        p->entries.push_back(std::move(e));
    }
    return tavren::AllocHandle(p);
}

// The entry by command (searched in sub-menus too) or by position; answers its menu's object.
MenuEntry* FindEntry(const std::shared_ptr<MenuObject>& pMenu, UINT uItem, UINT uFlags, std::shared_ptr<MenuObject>* ppOwner,
                     size_t* pnIndex)
{
    if (!pMenu)
        return nullptr;
    if (uFlags & MF_BYPOSITION) {
        if (uItem >= pMenu->entries.size())
            return nullptr;
        *ppOwner = pMenu;
        *pnIndex = uItem;
        return &pMenu->entries[uItem];
    }
    for (size_t i = 0; i < pMenu->entries.size(); ++i) {
        MenuEntry& e = pMenu->entries[i];
        if (!e.hSubMenu && !(e.nFlags & MF_SEPARATOR) && e.nId == uItem) {
            *ppOwner = pMenu;
            *pnIndex = i;
            return &e;
        }
        if (e.hSubMenu) {
            auto pSub = FindMenu(e.hSubMenu);
            if (pSub) {
                std::lock_guard<std::mutex> lock(pSub->mutex);
                if (MenuEntry* pFound = FindEntry(pSub, uItem, uFlags, ppOwner, pnIndex))
                    return pFound;
            }
        }
    }
    return nullptr;
}

// ---- the popup menu window

constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 9;

class PopupMenuModel : public tavren::WindowModel {
public:
    explicit PopupMenuModel(std::vector<MenuEntry> entries) : m_entries(std::move(entries))
    {
        int y = 3;
        int cx = 120;
        for (const MenuEntry& e : m_entries)
            cx = std::max(cx, static_cast<int>(e.strText.size()) * 7 + 40);
        for (const MenuEntry& e : m_entries) {
            int cy = (e.nFlags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
            m_rects.push_back(RECT{3, y, cx - 3, y + cy});
            y += cy;
        }
        m_size = SIZE{cx, y + 3};
    }

    SIZE Size() const { return m_size; }

    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            return OnButtonUp(hWnd, POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))});
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE)
                End(hWnd, 0);
            return 0;
        case WM_CLOSE:
            End(hWnd, 0);
            return 0;
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void DescribeWindow(tavren::WindowInfo& info) const override
    {
        info.kind = tavren::WindowInfo::Kind::Menu;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const MenuEntry& e = m_entries[i];
            tavren::MenuItemInfo item;
            item.nId = e.hSubMenu ? 0 : e.nId;
            item.strText = e.strText;
            item.bSeparator = (e.nFlags & MF_SEPARATOR) != 0;
            item.bPopup = e.hSubMenu != 0;
            item.bGrayed = (e.nFlags & (MF_GRAYED | MF_DISABLED)) != 0;
            item.bChecked = (e.nFlags & MF_CHECKED) != 0;
            item.rc = m_rects[i];
            info.menuItems.push_back(std::move(item));
        }
    }

private:
    // A release over an enabled command chooses it; elsewhere inside the menu nothing happens;
    // outside it the menu closes, as a click beside a menu does.
    LRESULT OnButtonUp(HWND hWnd, POINT pt)
    {
        if (pt.x < 0 || pt.y < 0 || pt.x >= m_size.cx || pt.y >= m_size.cy) {
            End(hWnd, 0);
            return 0;
        }
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const RECT& rc = m_rects[i];
            if (pt.y < rc.top || pt.y >= rc.bottom)
                continue;
            const MenuEntry& e = m_entries[i];
            if (!(e.nFlags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) && !e.hSubMenu)
                End(hWnd, e.nId);
            return 0;
        }
        return 0;
    }

    static void End(HWND hWnd, UINT nId)
    {
        if (auto p = tavren::GetWindowRecord(hWnd)) {
            p->nResult = nId;
            p->bEnded = true;
            PostMessageW(hWnd, WM_NULL, 0, 0);
        }
    }

    std::vector<MenuEntry> m_entries;
    std::vector<RECT> m_rects;
    SIZE m_size{};
};

// The menu's corner for the point (x, y): below and right of it, flipped to the other side of the
// point where the screen ends, and kept on the screen when neither side has room.
POINT PlaceOnScreen(int x, int y, SIZE size)
{
    auto place = [](int v, int n, int nScreen) {
        if (v + n > nScreen)
            v = v - n >= 0 ? v - n : nScreen - n;
        return std::max(v, 0);
    };
    return POINT{place(x, size.cx, tavren::kScreenWidth), place(y, size.cy, tavren::kScreenHeight)};
}

} // namespace

HMENU LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName)
{
    if (!IS_INTRESOURCE(lpMenuName))
        return 0;
    UINT nId = static_cast<UINT>(reinterpret_cast<uintptr_t>(lpMenuName));
    const tavren::MenuTemplate* pTemplate = hInstance ? tavren::FindMenuTemplate(hInstance, nId) : tavren::FindMenuTemplateChain(nId);
    return pTemplate ? BuildMenu(pTemplate->Items()) : 0;
}

HMENU CreatePopupMenu()
{
    return tavren::AllocHandle(std::make_shared<MenuObject>());
}

BOOL IsMenu(HMENU hMenu)
{
    return FindMenu(hMenu) != nullptr;
}

BOOL DestroyMenu(HMENU hMenu)
{
    return FindMenu(hMenu) ? CloseHandle(hMenu) : FALSE;
}

HMENU GetSubMenu(HMENU hMenu, int nPos)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return 0;
    std::lock_guard<std::mutex> lock(p->mutex);
    return nPos >= 0 && static_cast<size_t>(nPos) < p->entries.size() ? p->entries[nPos].hSubMenu : 0;
}

int GetMenuItemCount(HMENU hMenu)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return -1;
    std::lock_guard<std::mutex> lock(p->mutex);
    return static_cast<int>(p->entries.size());
}

UINT GetMenuItemID(HMENU hMenu, int nPos)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return static_cast<UINT>(-1);
    std::lock_guard<std::mutex> lock(p->mutex);
    if (nPos < 0 || static_cast<size_t>(nPos) >= p->entries.size() || p->entries[nPos].hSubMenu)
        return static_cast<UINT>(-1);
    return (p->entries[nPos].nFlags & MF_SEPARATOR) ? 0 : p->entries[nPos].nId;
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return static_cast<UINT>(-1);
    std::lock_guard<std::mutex> lock(p->mutex);
    std::shared_ptr<MenuObject> pOwner;
    size_t nIndex = 0;
    MenuEntry* pEntry = FindEntry(p, uId, uFlags, &pOwner, &nIndex);
    return pEntry ? (pEntry->nFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP)) : static_cast<UINT>(-1);
}

int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return 0;
    std::lock_guard<std::mutex> lock(p->mutex);
    std::shared_ptr<MenuObject> pOwner;
    size_t nIndex = 0;
    MenuEntry* pEntry = FindEntry(p, uIDItem, flags, &pOwner, &nIndex);
    if (!pEntry)
        return 0;
    int n = static_cast<int>(pEntry->strText.size());
    if (lpString && cchMax > 0) {
        n = std::min(n, cchMax - 1);
        std::copy_n(pEntry->strText.data(), n, lpString);
        lpString[n] = 0;
    }
    return n;
}

namespace {
BOOL RemoveEntry(HMENU hMenu, UINT uPosition, UINT uFlags, bool bDestroySub)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return FALSE;
    HMENU hSub = 0;
    {
        std::lock_guard<std::mutex> lock(p->mutex);
        std::shared_ptr<MenuObject> pOwner;
        size_t nIndex = 0;
        if (!FindEntry(p, uPosition, uFlags, &pOwner, &nIndex))
            return FALSE;
        std::unique_lock<std::mutex> ownerLock;
        if (pOwner != p)
            ownerLock = std::unique_lock<std::mutex>(pOwner->mutex);
        hSub = pOwner->entries[nIndex].hSubMenu;
        pOwner->entries.erase(pOwner->entries.begin() + static_cast<ptrdiff_t>(nIndex));
    }
    if (bDestroySub && hSub)
        CloseHandle(hSub);
    return TRUE;
}
} // namespace

BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags)
{
    return RemoveEntry(hMenu, uPosition, uFlags, false);
}

BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags)
{
    return RemoveEntry(hMenu, uPosition, uFlags, true);
}

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return FALSE;
    std::lock_guard<std::mutex> lock(p->mutex);
    MenuEntry e;
    e.strText = lpNewItem && !(uFlags & MF_SEPARATOR) ? lpNewItem : u"";
    e.nFlags = uFlags & ~(MF_BYPOSITION | MF_POPUP);
    if (uFlags & MF_POPUP)
        e.hSubMenu = static_cast<HMENU>(uIDNewItem);
    else
        e.nId = static_cast<UINT>(uIDNewItem);
    p->entries.push_back(std::move(e));
    return TRUE;
}

namespace {
// The entry's state bits of nMask set as uFlags says (the entry by command or position, as uFlags
// tells); the bits as they were, or -1 when there is no such menu or entry.
UINT SetEntryState(HMENU hMenu, UINT uItem, UINT uFlags, UINT nMask)
{
    auto p = FindMenu(hMenu);
    if (!p)
        return static_cast<UINT>(-1);
    std::lock_guard<std::mutex> lock(p->mutex);
    std::shared_ptr<MenuObject> pOwner;
    size_t nIndex = 0;
    MenuEntry* pEntry = FindEntry(p, uItem, uFlags, &pOwner, &nIndex);
    if (!pEntry)
        return static_cast<UINT>(-1);
    UINT nOld = pEntry->nFlags & nMask;
    pEntry->nFlags = (pEntry->nFlags & ~nMask) | (uFlags & nMask);
    return nOld;
}
} // namespace

UINT EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable)
{
    return SetEntryState(hMenu, uIDEnableItem, uEnable, MF_GRAYED | MF_DISABLED);
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck)
{
    return SetEntryState(hMenu, uIDCheckItem, uCheck, MF_CHECKED);
}

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*)
{
    auto pMenu = FindMenu(hMenu);
    if (!pMenu || (hWnd && tavren::WindowThread(hWnd) != GetCurrentThreadId()))
        return FALSE;
    if (hWnd && !(uFlags & TPM_NONOTIFY))
        SendMessageW(hWnd, WM_INITMENUPOPUP, hMenu, 0);
    std::vector<MenuEntry> entries;
    {
        std::lock_guard<std::mutex> lock(pMenu->mutex);
        entries = pMenu->entries;
    }
    auto pModel = std::make_unique<PopupMenuModel>(std::move(entries));
    SIZE size = pModel->Size();
    auto p = tavren::NewWindowRecord(hWnd, u"#32768", WS_POPUP | WS_BORDER, WS_EX_TOPMOST);
    p->pModel = std::move(pModel);
    POINT pt = PlaceOnScreen(x, y, size);
    p->rcWindow = RECT{pt.x, pt.y, pt.x + size.cx, pt.y + size.cy};
    HWND hMenuWnd = p->hWnd;
    HWND hOldFocus = GetFocus();
    ShowWindow(hMenuWnd, SW_SHOW);
    tavren::RunModalLoop(hMenuWnd);
    UINT nChosen = static_cast<UINT>(p->nResult);
    DestroyWindow(hMenuWnd);
    if (hOldFocus && IsWindow(hOldFocus))
        SetFocus(hOldFocus);
    if (uFlags & TPM_RETURNCMD)
        return static_cast<BOOL>(nChosen);
    if (nChosen && hWnd)
        PostMessageW(hWnd, WM_COMMAND, MAKELONG(static_cast<WORD>(nChosen), 0), 0);
    return TRUE;
}
