// Messages of the layer itself, between its own window classes and the seam; module code never
// sees them. They sit in ranges Windows leaves to a class (WM_USER and above) or unused.
#pragma once

#include "platform/base/WinTypes.h"

namespace tavren {
// Runs lParam, a std::function<void()>*, on the window's own thread.
constexpr UINT WM_TAVREN_RUN = 0x03E0;
// A key pressed in a top-level window (wParam: the virtual key). Like Windows' input queue, the
// key goes to the window that has the focus when the thread gets to it, after the input before
// it: handling this posts WM_KEYDOWN/WM_KEYUP to that window.
constexpr UINT WM_TAVREN_KEY = 0x03E1;
// A click into an edit (lParam: the point in its client area) unless it has the focus when the
// thread gets to it, so that typing after earlier input lands where that input left the caret.
constexpr UINT WM_TAVREN_CLICKIN = 0x03E2;
// From a list's label editor to its list view: editing ends (wParam TRUE keeps the text).
constexpr UINT LVM_TAVREN_ENDEDIT = 0x1000 + 0x3E0;
// CListCtrl::SortItems: lParam points at a SortItemsArgs. The extra argument of a sort is often a
// pointer, which the 32-bit wParam of LVM_SORTITEMS cannot carry in this 64-bit process.
constexpr UINT LVM_TAVREN_SORTITEMS = 0x1000 + 0x3E1;
struct SortItemsArgs {
    int (*pfnCompare)(LPARAM, LPARAM, LPARAM);
    LPARAM lParamSort;
};
// The mouse released over entry wParam of an extended combo box's open drop-down list.
constexpr UINT CB_TAVREN_CHOOSE = 0x0400 + 0x3E0;
} // namespace tavren
