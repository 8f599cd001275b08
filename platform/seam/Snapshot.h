// What a window says of itself for the user's seam: plain data a snapshot is made of (top-level
// windows with their controls, list items and groups, combo entries, menu items). Each control
// fills its own ControlInfo on its own thread (WindowModel::Describe, DescribeWindow); the seam's look and act
// (Automation.h) read these and nothing else of the controls.
#pragma once

#include "platform/comctl/ImageList.h"
#include "platform/user/WinUser.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavren {

struct ListItemInfo {
    int nIndex = 0;                       // the item's index in the list
    std::u16string strLabel;
    std::vector<std::u16string> subItems; // columns 1 and up
    int nImage = -1;
    UINT nState = 0;                      // LVIS_* bits
    bool bSelected = false;
    bool bFocused = false;
    int nGroupId = -1;
    // In the list's client area; may lie outside it. All empty when the item is not shown (in
    // group view, an item without a known group).
    RECT rc{};                            // the whole cell (icon view) or row
    RECT rcIcon{};                        // its picture (empty without an image list)
    RECT rcLabel{};                       // its label
};

struct ListGroupInfo {
    int nId = 0;
    std::u16string strHeader;
    RECT rc{};                            // the header band; empty unless shown in group view
};

struct ListColumnInfo {
    std::u16string strText;
    int nWidth = 0;
};

struct ComboEntryInfo {
    std::u16string strText;
    int nImage = -1;
    int nSelectedImage = -1;
    int nIndent = 0;
};

struct MenuItemInfo {
    UINT nId = 0;
    std::u16string strText;
    bool bSeparator = false;
    bool bPopup = false;
    bool bGrayed = false;
    bool bChecked = false;
    RECT rc{};                            // in the menu window's client area
};

struct ControlInfo {
    HWND hWnd = 0;
    HWND hParent = 0;                     // the dialog, or the list of a label editor
    int nId = 0;
    std::u16string strClass;              // u"BUTTON", u"STATIC", u"EDIT", u"SysListView32" ...
    std::u16string strText;
    RECT rc{};                            // pixels in the dialog's client area
    RECT rcClient{};
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    bool bEnabled = false;
    bool bVisible = false;
    bool bFocused = false;
    // Buttons: -1 when not a check box or radio button.
    int nCheck = -1;
    bool bDefault = false;
    // Buttons and statics: the picture (icon or bitmap handle) and which kind it is.
    UINT hImage = 0;
    bool bImageIsIcon = false;
    // Edits.
    int nLimit = 0;
    int nSelStart = 0;
    int nSelEnd = 0;
    bool bReadOnly = false;
    // Progress bars.
    int nRangeLower = 0;
    int nRangeUpper = 0;
    int nPos = 0;
    int nStep = 0;
    // Combo boxes.
    std::vector<ComboEntryInfo> entries;
    int nCurSel = -1;
    bool bDroppedDown = false;
    HIMAGELIST hComboImageList = 0;
    // List views.
    int nView = -1;                       // LV_VIEW_ICON 0, LV_VIEW_DETAILS 1, LV_VIEW_SMALLICON 2, LV_VIEW_LIST 3
    DWORD dwListExStyle = 0;
    std::vector<ListColumnInfo> columns;
    // Every item, or with a snapshot taken for a viewer only those around the view (see
    // TakeSnapshot); nItemCount counts them all.
    std::vector<ListItemInfo> items;
    int nItemCount = 0;
    int nScrollY = 0;                     // pixels of the items scrolled off above
    int nScrollX = 0;                     // pixels of the columns scrolled off to the left
    int nPagesAround = -1;                // in: which items to describe, as TakeSnapshot's argument
    HIMAGELIST hImageListNormal = 0;
    HIMAGELIST hImageListSmall = 0;
    HIMAGELIST hImageListState = 0;
    int nEditItem = -1;                   // the item whose label is being edited
    HWND hEdit = 0;                       // its editor (also listed as a control)
    bool bGroupView = false;
    std::vector<ListGroupInfo> groups;    // in display order
    // The window's vertical scroll bar (WS_VSCROLL in dwStyle while it shows).
    int nScrollMin = 0;
    int nScrollMax = 0;
    int nScrollPage = 0;
    int nScrollPos = 0;
    // The horizontal one (WS_HSCROLL).
    int nHScrollMin = 0;
    int nHScrollMax = 0;
    int nHScrollPage = 0;
    int nHScrollPos = 0;
};

struct WindowInfo {
    enum class Kind { Dialog, MessageBox, Menu, Other };
    HWND hWnd = 0;
    HWND hOwner = 0;
    DWORD dwThreadId = 0;
    Kind kind = Kind::Other;
    std::u16string strClass;
    std::u16string strCaption;
    RECT rc{};
    RECT rcClient{};
    bool bEnabled = false;
    bool bVisible = false;
    // The window's WS_* and WS_EX_* styles (WS_EX_TOPMOST: kept above other windows).
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    HWND hFocus = 0;
    // Message boxes: the text, MB_ICON* value and the button ids in order.
    std::u16string strText;
    UINT nIcon = 0;
    std::vector<int> buttons;
    // Popup menus.
    std::vector<MenuItemInfo> menuItems;
    std::vector<ControlInfo> controls;

    const ControlInfo* Control(int nId) const;
    const ControlInfo* ControlByHandle(HWND hCtrl) const;
};

struct Snapshot {
    std::vector<WindowInfo> windows;      // visible top-level windows, oldest first
    bool bWaitCursor = false;
    std::map<HIMAGELIST, ImageListState> imageLists; // every list a control shows

    // The newest visible window with this caption (message boxes and dialogs), or null.
    const WindowInfo* Find(std::u16string_view strCaption) const;
    const WindowInfo* Find(HWND hWnd) const;
    // The window in front: the newest one that accepts input.
    const WindowInfo* Front() const;
};

} // namespace tavren
