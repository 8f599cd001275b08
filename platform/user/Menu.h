// The menu calls: menus loaded from the resource script, changed by the program, and
// shown as popup menus. A popup menu is a top-level window (class "#32768") that the user sees
// and answers; TrackPopupMenu runs a nested loop until the user picks a command or dismisses it.
// Without TPM_RETURNCMD the chosen command is posted to the owner as WM_COMMAND (and the call
// answers TRUE); with it, the call answers the command id, 0 when dismissed.
//
// Deliberately missing: menu bars, cascading sub-menus inside a popup (a sub-menu entry is shown
// but cannot be opened), owner-drawn and bitmap items, keyboard navigation and mnemonics,
// TPM_* alignment (the menu opens with its top-left corner at the given screen point, flipped to
// the other side of it at the screen's edges).
#pragma once

#include "platform/user/WinUser.h"

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

HMENU LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName);
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU hMenu);
// Whether hMenu is a menu handle that is still there.
BOOL IsMenu(HMENU hMenu);
HMENU GetSubMenu(HMENU hMenu, int nPos);
int GetMenuItemCount(HMENU hMenu);
UINT GetMenuItemID(HMENU hMenu, int nPos);
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags);
BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
// Answers the previous state (MF_GRAYED / MF_DISABLED bits), -1 when there is no such item.
UINT EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd, const RECT* prcRect);
