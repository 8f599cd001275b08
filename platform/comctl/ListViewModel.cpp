// The list view class: report, icon, small-icon and list views; columns; items with label,
// sub-item texts, image, state, indent, group and data word; selection and focus with
// LVN_ITEMCHANGING/LVN_ITEMCHANGED; sorting with the program's comparison; groups; image lists
// by handle; in-place label editing with LVN_BEGINLABELEDIT/LVN_ENDLABELEDIT; clicks (NM_CLICK,
// NM_DBLCLK, NM_RCLICK), Enter (NM_RETURN) and the keys that move through the items.
//
// Geometry (what the front ends draw and the seam clicks): report view rows of 17 pixels under a
// 24-pixel header; icon view a grid of cells of the icon spacing (76 x 76 until LVM_SETICONSPACING),
// left to right within the client width, then top to bottom; small-icon and list views rows as in
// the report view without a header. In group view the groups follow one another in their order,
// each a header band and then its items from a new row; items of no known group are not shown.
// Within a cell or row the parts are placed as Windows places them: in icon view the picture
// centred 4 pixels below the cell's top and the label centred under it (at most as wide as the
// cell, up to two lines); in the other views the state picture, the small picture and the label
// from the left. Hit tests and LVM_GETITEMRECT answer from these parts. Scrolling is by whole rows:
// LVM_ENSUREVISIBLE, LVM_SCROLL, WM_VSCROLL and the mouse wheel, shown in the window's vertical bar.
// In report view columns wider than the control scroll sideways by pixels (WM_HSCROLL, LVM_SCROLL's
// dx), shown in the horizontal bar.
//
// Label editing begins with LVM_EDITLABELW, or when a list with LVS_EDITLABELS is clicked on the
// label of its focused, selected item: after the double-click time, unless a double-click came.
//
// Deliberately missing: virtual (owner-data) lists, multiple selection with Shift/Ctrl, horizontal
// scrolling, column header clicks and drag, tooltips, tiles, insertion marks,
// working areas, hot tracking, check boxes drawn by the control (LVS_EX_CHECKBOXES is stored and
// reported only), background images.
#include "platform/user/DoubleClick.h"
#include "platform/seam/Snapshot.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/ControlModels.h"
#include "platform/kernel/Handle.h"
#include "platform/user/PrivateMessages.h"
#include "platform/comctl/ImageList.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace {

using tavren::kListCharWidth;
using tavren::kListGroupHeaderHeight;
using tavren::kListHeaderHeight;
using tavren::kListIconCellHeight;
using tavren::kListIconCellWidth;
using tavren::kListRowHeight;
using tavren::kListTextHeight;

// Windows' default double-click time: a click on a label waits this long for a second click.
constexpr UINT_PTR kEditLabelTimer = 0x4C45;
// Padding of the parts, as the control lays them out.
constexpr int kIconTop = 4;           // picture below the top of its icon-view cell
constexpr int kLabelGap = 2;          // label below the picture
constexpr int kLabelPadding = 12;     // added to a label's text width
constexpr int kReportMargin = 2;      // left of the first part of a report row
constexpr int kEmptyLabelSelect = 80; // selectable width of an empty report label

bool PtIn(const RECT& rc, POINT pt) { return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom; }
RECT Union(const RECT& a, const RECT& b)
{
    if (a.right <= a.left || a.bottom <= a.top)
        return b;
    if (b.right <= b.left || b.bottom <= b.top)
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

struct Item {
    std::u16string strLabel;
    std::vector<std::u16string> subItems;
    int nImage = 0;
    UINT nState = 0;
    LPARAM lParam = 0;
    int nIndent = 0;
    int nGroupId = I_GROUPIDNONE;
};

struct Column {
    std::u16string strText;
    int nWidth = 0;
    int nFormat = LVCFMT_LEFT;
};

struct Group {
    int nId;
    std::u16string strHeader;
};

template <class T>
T* Ptr(LPARAM l)
{
    return reinterpret_cast<T*>(static_cast<intptr_t>(l));
}

class ListViewModel : public tavren::WindowModel {
public:
    explicit ListViewModel(HWND hWnd) : m_hWnd(hWnd) {}

    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        m_hWnd = hWnd;
        LRESULT lResult = Dispatch(hWnd, nMsg, wParam, lParam);
        // Whatever the message changed (items, view, size, position), the scroll bar follows.
        if (!IsQuery(nMsg) && IsWindow(hWnd))
            SyncScrollBar();
        return lResult;
    }

    LRESULT Dispatch(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
    {
        switch (nMsg) {
        case LVM_INSERTITEMW:
            return OnInsertItem(Ptr<const LVITEMW>(lParam));
        case LVM_SETITEMW:
            return OnSetItem(Ptr<const LVITEMW>(lParam));
        case LVM_GETITEMW:
            return OnGetItem(Ptr<LVITEMW>(lParam));
        case LVM_GETITEMTEXTW:
            return OnGetItemText(static_cast<int>(wParam), Ptr<LVITEMW>(lParam));
        case LVM_SETITEMTEXTW:
            return OnSetItemText(static_cast<int>(wParam), Ptr<const LVITEMW>(lParam));
        case LVM_SETITEMSTATE:
            return OnSetItemState(static_cast<int>(static_cast<int32_t>(wParam)), Ptr<const LVITEMW>(lParam));
        case LVM_GETITEMSTATE:
            return Valid(static_cast<int>(wParam)) ? (m_items[wParam].nState & static_cast<UINT>(lParam)) : 0;
        case LVM_DELETEITEM:
            return OnDeleteItem(static_cast<int>(wParam));
        case LVM_DELETEALLITEMS:
            return OnDeleteAllItems();
        case LVM_GETITEMCOUNT:
            return static_cast<LRESULT>(m_items.size());
        case LVM_GETNEXTITEM:
            return OnGetNextItem(static_cast<int>(static_cast<int32_t>(wParam)), static_cast<UINT>(lParam));
        case LVM_GETSELECTEDCOUNT:
            return std::count_if(m_items.begin(), m_items.end(), [](const Item& i) { return (i.nState & LVIS_SELECTED) != 0; });
        case LVM_INSERTCOLUMNW:
            return OnInsertColumn(static_cast<int>(wParam), Ptr<const LVCOLUMNW>(lParam));
        case LVM_DELETECOLUMN:
            return OnDeleteColumn(static_cast<int>(wParam));
        case LVM_SETCOLUMNWIDTH:
            return OnSetColumnWidth(static_cast<int>(wParam), static_cast<int>(static_cast<int16_t>(LOWORD(lParam))));
        case LVM_GETCOLUMNWIDTH:
            return static_cast<size_t>(wParam) < m_columns.size() ? m_columns[wParam].nWidth : 0;
        case LVM_SETEXTENDEDLISTVIEWSTYLE:
            return OnSetExtendedStyle(static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
        case LVM_GETEXTENDEDLISTVIEWSTYLE:
            return m_dwExStyle;
        case LVM_SETIMAGELIST:
            return OnSetImageList(static_cast<int>(wParam), static_cast<HIMAGELIST>(lParam));
        case LVM_GETIMAGELIST:
            return wParam <= 2 ? m_hImageLists[wParam] : 0;
        case tavren::LVM_TAVREN_SORTITEMS: {
            const auto* pArgs = Ptr<const tavren::SortItemsArgs>(lParam);
            return pArgs ? OnSortItems(pArgs->lParamSort, pArgs->pfnCompare) : FALSE;
        }
        case LVM_SORTITEMS:
            return OnSortItems(static_cast<LPARAM>(wParam), reinterpret_cast<PFNLVCOMPARE>(static_cast<intptr_t>(lParam)));
        case LVM_ENSUREVISIBLE:
            return OnEnsureVisible(static_cast<int>(wParam));
        case LVM_GETTOPINDEX:
            return TopIndex();
        case LVM_GETCOUNTPERPAGE:
            return RowsPerPage() * Columns();
        case LVM_SCROLL:
            ScrollX(m_nScrollX + static_cast<int>(static_cast<int32_t>(wParam)));
            return OnScroll(static_cast<int>(static_cast<int32_t>(lParam)));
        case WM_VSCROLL:
            return OnVScroll(LOWORD(wParam));
        case WM_HSCROLL:
            return OnHScroll(LOWORD(wParam));
        case WM_MOUSEWHEEL:
            return OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        case LVM_GETITEMRECT:
            return OnGetItemRect(static_cast<int>(wParam), Ptr<RECT>(lParam));
        case LVM_HITTEST:
            return OnHitTest(Ptr<LVHITTESTINFO>(lParam), false);
        case LVM_SUBITEMHITTEST:
            return OnHitTest(Ptr<LVHITTESTINFO>(lParam), true);
        case LVM_SETICONSPACING:
            return OnSetIconSpacing(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
        case LVM_GETITEMSPACING:
            return wParam ? MAKELONG(static_cast<WORD>(RowWidth()), kListRowHeight)
                          : MAKELONG(static_cast<WORD>(m_spacing.cx), static_cast<WORD>(m_spacing.cy));
        case LVM_FINDITEMW:
            return OnFindItem(static_cast<int>(static_cast<int32_t>(wParam)), Ptr<const LVFINDINFOW>(lParam));
        case LVM_EDITLABELW:
            return OnEditLabel(static_cast<int>(static_cast<int32_t>(wParam)));
        case LVM_GETEDITCONTROL:
            return m_hEdit;
        case tavren::LVM_TAVREN_ENDEDIT:
            return OnEndEdit(wParam != 0);
        case LVM_SETVIEW:
            return OnSetView(static_cast<int>(wParam));
        case LVM_GETVIEW:
            return View();
        case LVM_INSERTGROUP:
            return OnInsertGroup(static_cast<int>(static_cast<int32_t>(wParam)), Ptr<const LVGROUP>(lParam));
        case LVM_REMOVEGROUP:
            return OnRemoveGroup(static_cast<int>(wParam));
        case LVM_REMOVEALLGROUPS:
            m_groups.clear();
            return 0;
        case LVM_HASGROUP:
            return std::any_of(m_groups.begin(), m_groups.end(), [&](const Group& g) { return g.nId == static_cast<int>(wParam); });
        case LVM_ENABLEGROUPVIEW:
            return OnEnableGroupView(wParam != 0);
        case LVM_ISGROUPVIEWENABLED:
            return m_bGroupView;
        case LVM_ARRANGE:
        case LVM_SETITEMCOUNT:
            return TRUE;
        case WM_LBUTTONDOWN:
            return OnButtonDown(lParam, false);
        case WM_LBUTTONUP:
            return OnButtonUp(lParam, false);
        case WM_LBUTTONDBLCLK:
            return OnDoubleClick(lParam);
        case WM_RBUTTONDOWN:
            return OnButtonDown(lParam, true);
        case WM_RBUTTONUP:
            return OnButtonUp(lParam, true);
        case WM_KEYDOWN:
            return OnKeyDown(wParam);
        case WM_CHAR:
            return OnChar(static_cast<char16_t>(wParam));
        case WM_TIMER:
            if (wParam != kEditLabelTimer)
                return DefWindowProcW(hWnd, nMsg, wParam, lParam);
            OnEditLabelTimer();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_DESTROY:
            if (m_hEdit) {
                HWND hEdit = m_hEdit;
                m_hEdit = 0;
                DestroyWindow(hEdit);
            }
            return 0;
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void Describe(tavren::ControlInfo& info) const override
    {
        info.nView = View();
        info.dwListExStyle = m_dwExStyle;
        for (const Column& c : m_columns)
            info.columns.push_back({c.strText, c.nWidth});
        Layout layout = MakeLayout();
        info.nItemCount = static_cast<int>(m_items.size());
        info.nScrollY = m_nScrollY;
        info.nScrollX = ShiftX();
        const int nPage = std::max(1, static_cast<int>(Client().bottom));
        const int nAbove = -info.nPagesAround * nPage, nBelow = nPage + info.nPagesAround * nPage;
        for (size_t i = 0; i < m_items.size(); ++i) {
            const Item& item = m_items[i];
            const auto& box = layout.boxes[i];
            if (info.nPagesAround >= 0 && (!box || box->bottom <= nAbove || box->top >= nBelow))
                continue;
            tavren::ListItemInfo li;
            li.nIndex = static_cast<int>(i);
            li.strLabel = item.strLabel;
            li.subItems = item.subItems;
            li.nImage = item.nImage;
            li.nState = item.nState;
            li.bSelected = (item.nState & LVIS_SELECTED) != 0;
            li.bFocused = (item.nState & LVIS_FOCUSED) != 0;
            li.nGroupId = item.nGroupId;
            if (box) {
                Parts parts = PartsOf(static_cast<int>(i), *box);
                li.rc = *box;
                li.rcIcon = parts.rcIcon;
                li.rcLabel = parts.rcLabel;
            }
            info.items.push_back(std::move(li));
        }
        for (size_t g = 0; g < m_groups.size(); ++g)
            info.groups.push_back({m_groups[g].nId, m_groups[g].strHeader, layout.bands[g].value_or(RECT{})});
        info.hImageListNormal = m_hImageLists[LVSIL_NORMAL];
        info.hImageListSmall = m_hImageLists[LVSIL_SMALL];
        info.hImageListState = m_hImageLists[LVSIL_STATE];
        info.nEditItem = m_hEdit ? m_nEditItem : -1;
        info.hEdit = m_hEdit;
        info.bGroupView = m_bGroupView;
    }

private:
    // ---- helpers
    bool Valid(int i) const { return i >= 0 && i < static_cast<int>(m_items.size()); }
    DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)); }
    int View() const
    {
        switch (Style() & LVS_TYPEMASK) {
        case LVS_REPORT:
            return LV_VIEW_DETAILS;
        case LVS_SMALLICON:
            return LV_VIEW_SMALLICON;
        case LVS_LIST:
            return LV_VIEW_LIST;
        default:
            return LV_VIEW_ICON;
        }
    }
    RECT Client() const
    {
        RECT rc{};
        GetClientRect(m_hWnd, &rc);
        return rc;
    }
    bool IsGrid() const { return View() == LV_VIEW_ICON; }
    bool IsReport() const { return View() == LV_VIEW_DETAILS; }
    int HeaderHeight() const { return IsReport() && !(Style() & LVS_NOCOLUMNHEADER) ? kListHeaderHeight : 0; }
    SIZE CellSize() const { return IsGrid() ? m_spacing : SIZE{RowWidth(), kListRowHeight}; }
    int Columns() const { return IsGrid() ? std::max(1, static_cast<int>(Client().right / m_spacing.cx)) : 1; }
    int VisibleHeight() const { return std::max(0, static_cast<int>(Client().bottom) - HeaderHeight()); }
    int RowsPerPage() const { return std::max(1, VisibleHeight() / static_cast<int>(CellSize().cy)); }
    bool GroupsShown() const { return m_bGroupView && View() != LV_VIEW_LIST; }
    int RowWidth() const
    {
        int n = 0;
        for (const Column& c : m_columns)
            n += c.nWidth;
        return m_columns.empty() ? static_cast<int>(Client().right) : n;
    }
    // A list's picture size; the system's icon sizes while the list is unknown.
    SIZE ImageSize(int nWhich, SIZE sizeDefault) const
    {
        int cx = 0, cy = 0;
        if (m_hImageLists[nWhich] && ImageList_GetIconSize(m_hImageLists[nWhich], &cx, &cy))
            return SIZE{cx, cy};
        return sizeDefault;
    }

    // Where every item and group band is, in the client area (scrolled).
    struct Layout {
        std::vector<std::optional<RECT>> boxes; // per item; none when not shown
        std::vector<std::optional<RECT>> bands; // per group; none when not shown
        int nContentHeight = 0;                 // below the column header, unscrolled
    };
    Layout MakeLayout() const
    {
        Layout layout;
        layout.boxes.resize(m_items.size());
        layout.bands.resize(m_groups.size());
        SIZE cell = CellSize();
        int nCols = Columns();
        int y = HeaderHeight() - m_nScrollY;
        const int x0 = -ShiftX();
        auto place = [&](const std::vector<int>& members) {
            for (size_t k = 0; k < members.size(); ++k) {
                int nCol = static_cast<int>(k) % nCols, nRow = static_cast<int>(k) / nCols;
                layout.boxes[members[k]] = RECT{x0 + nCol * cell.cx, y + nRow * cell.cy, x0 + (nCol + 1) * cell.cx, y + (nRow + 1) * cell.cy};
            }
            y += (static_cast<int>(members.size()) + nCols - 1) / nCols * cell.cy;
        };
        std::vector<int> members;
        if (!GroupsShown()) {
            for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
                members.push_back(i);
            place(members);
        } else {
            // Groups without items are not shown.
            for (size_t g = 0; g < m_groups.size(); ++g) {
                members.clear();
                for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
                    if (m_items[i].nGroupId == m_groups[g].nId)
                        members.push_back(i);
                if (members.empty())
                    continue;
                layout.bands[g] = RECT{x0, y, x0 + std::max(static_cast<int>(Client().right), RowWidth()), y + kListGroupHeaderHeight};
                y += kListGroupHeaderHeight;
                place(members);
            }
        }
        layout.nContentHeight = y + m_nScrollY - HeaderHeight();
        return layout;
    }

    struct Parts {
        RECT rcIcon{};
        RECT rcLabel{};
        RECT rcState{};  // empty without a state image list
        RECT rcSelect{}; // what shows as selected
    };
    Parts PartsOf(int i, const RECT& box) const
    {
        Parts p;
        const Item& item = m_items[i];
        int nText = static_cast<int>(item.strLabel.size()) * kListCharWidth;
        SIZE state = m_hImageLists[LVSIL_STATE] ? ImageSize(LVSIL_STATE, SIZE{16, 16}) : SIZE{0, 0};
        if (IsGrid()) {
            int w = box.right - box.left;
            bool bNormal = m_hImageLists[LVSIL_NORMAL] != 0;
            SIZE icon = ImageSize(LVSIL_NORMAL, SIZE{32, 32});
            int nLeft = box.left + state.cx + (bNormal ? (w - icon.cx - state.cx) / 2 : 0);
            int nTop = box.top + kIconTop;
            p.rcIcon = bNormal ? RECT{nLeft, nTop, nLeft + icon.cx, nTop + icon.cy} : RECT{nLeft, nTop, nLeft, nTop};
            if (state.cx)
                p.rcState = RECT{nLeft - state.cx, nTop + icon.cy - state.cy, nLeft, nTop + icon.cy};
            // The label wraps within the cell, to two lines at most and not below the cell.
            int nWidth = nText ? std::min(nText + kLabelPadding, w) : 0;
            int nLabelTop = box.top + kLabelGap + icon.cy + kIconTop;
            int nLines = nText ? (nText + std::max(1, w - kLabelPadding) - 1) / std::max(1, w - kLabelPadding) : 1;
            nLines = std::clamp(nLines, 1, std::max(1, std::min(2, static_cast<int>(box.bottom - nLabelTop - 1) / kListTextHeight)));
            int nLabelLeft = box.left + (w - nWidth) / 2;
            p.rcLabel = RECT{nLabelLeft, nLabelTop, nLabelLeft + nWidth, nLabelTop + nLines * kListTextHeight + 1};
            p.rcSelect = Union(p.rcIcon, p.rcLabel);
            return p;
        }
        bool bReport = IsReport();
        int x = box.left + (bReport ? kReportMargin : 0);
        SIZE small = ImageSize(LVSIL_SMALL, SIZE{16, 16});
        if (bReport)
            x += item.nIndent * small.cx;
        if (state.cx) {
            p.rcState = RECT{x, box.top, x + state.cx, box.top + state.cy};
            x += state.cx;
        }
        p.rcIcon = RECT{x, box.top, x + (m_hImageLists[LVSIL_SMALL] ? small.cx : 0), box.top + small.cy};
        int nRight = bReport && !m_columns.empty() ? box.left + m_columns[0].nWidth : box.right;
        if (!bReport)
            nRight = std::min(nRight, static_cast<int>(p.rcIcon.right) + nText + kLabelPadding);
        p.rcLabel = RECT{p.rcIcon.right, box.top, std::max(nRight, static_cast<int>(p.rcIcon.right)), box.bottom};
        if (bReport)
            p.rcSelect = RECT{p.rcIcon.left, box.top,
                              std::min(p.rcLabel.left + (nText ? nText + kLabelPadding : kEmptyLabelSelect), p.rcLabel.right), box.bottom};
        else
            p.rcSelect = Union(p.rcIcon, p.rcLabel);
        return p;
    }

    // The column (report view) under x, or -1 right of the last.
    int ColumnAt(int x) const
    {
        int nLeft = -ShiftX();
        for (size_t k = 0; k < m_columns.size(); ++k) {
            if (x >= nLeft && x < nLeft + m_columns[k].nWidth)
                return static_cast<int>(k);
            nLeft += m_columns[k].nWidth;
        }
        return m_columns.empty() ? 0 : -1;
    }

    struct Hit {
        int nItem = -1;
        UINT nFlags = 0;
        int nSubItem = 0;
    };
    // What lies under a point of the client area: outside it, the direction; on an item, which
    // part; with bSubItem, the report view's column too (a sub-item is hit anywhere in its cell).
    Hit HitAt(POINT pt, bool bSubItem) const
    {
        Hit hit;
        RECT rcClient = Client();
        if (pt.x < 0)
            hit.nFlags |= LVHT_TOLEFT;
        else if (pt.x >= rcClient.right)
            hit.nFlags |= LVHT_TORIGHT;
        if (pt.y < HeaderHeight())
            hit.nFlags |= LVHT_ABOVE;
        else if (pt.y >= rcClient.bottom)
            hit.nFlags |= LVHT_BELOW;
        if (hit.nFlags)
            return hit;
        hit.nFlags = LVHT_NOWHERE;
        Layout layout = MakeLayout();
        bool bReport = IsReport();
        for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
            const auto& box = layout.boxes[i];
            if (!box || (bReport && !PtIn(*box, pt)))
                continue;
            if (bReport && bSubItem) {
                int nCol = ColumnAt(pt.x);
                if (nCol < 0)
                    return hit;
                if (nCol > 0)
                    return Hit{i, LVHT_ONITEMLABEL, nCol};
            }
            Parts parts = PartsOf(i, *box);
            UINT nFlags = PtIn(parts.rcIcon, pt)    ? LVHT_ONITEMICON
                          : PtIn(parts.rcLabel, pt) ? LVHT_ONITEMLABEL
                          : PtIn(parts.rcState, pt) ? LVHT_ONITEMSTATEICON
                                                    : 0;
            if (!nFlags && bReport && (m_dwExStyle & LVS_EX_FULLROWSELECT))
                nFlags = LVHT_ONITEM;
            if (nFlags)
                return Hit{i, nFlags, 0};
            if (bReport)
                return hit; // rows do not overlap
        }
        return hit;
    }
    int HitTest(POINT pt) const { return HitAt(pt, false).nItem; }

    LRESULT Notify(UINT nCode, NMHDR* pHeader) { return tavren::NotifyParent(m_hWnd, nCode, pHeader); }

    // Changes an item's state bits with the two notifications; false when the parent refused.
    bool ChangeState(int i, UINT nState, UINT nMask)
    {
        Item& item = m_items[i];
        UINT nNew = (item.nState & ~nMask) | (nState & nMask);
        if (nNew == item.nState)
            return true;
        NMLISTVIEW nm{};
        nm.iItem = i;
        nm.uNewState = nNew;
        nm.uOldState = item.nState;
        nm.uChanged = LVIF_STATE;
        nm.lParam = item.lParam;
        if (Notify(LVN_ITEMCHANGING, &nm.hdr))
            return false;
        if (!Valid(i))
            return false;
        // One selected item in a single-selection list, one focused item in any list.
        if ((nNew & LVIS_SELECTED) && !(m_items[i].nState & LVIS_SELECTED) && (Style() & LVS_SINGLESEL)) {
            for (int j = 0; j < static_cast<int>(m_items.size()); ++j)
                if (j != i && (m_items[j].nState & LVIS_SELECTED))
                    ChangeState(j, 0, LVIS_SELECTED);
        }
        if ((nNew & LVIS_FOCUSED) && !(m_items[i].nState & LVIS_FOCUSED)) {
            for (int j = 0; j < static_cast<int>(m_items.size()); ++j)
                if (j != i && (m_items[j].nState & LVIS_FOCUSED))
                    ChangeState(j, 0, LVIS_FOCUSED);
        }
        if (!Valid(i))
            return false;
        UINT nOld = m_items[i].nState;
        m_items[i].nState = nNew;
        nm = NMLISTVIEW{};
        nm.iItem = i;
        nm.uNewState = nNew;
        nm.uOldState = nOld;
        nm.uChanged = LVIF_STATE;
        nm.lParam = m_items[i].lParam;
        Notify(LVN_ITEMCHANGED, &nm.hdr);
        return true;
    }

    void SelectOnly(int i)
    {
        for (int j = 0; j < static_cast<int>(m_items.size()); ++j)
            if (j != i && Valid(j) && (m_items[j].nState & LVIS_SELECTED))
                ChangeState(j, 0, LVIS_SELECTED);
        if (Valid(i))
            ChangeState(i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    static void CopyText(const std::u16string& s, LPWSTR pszOut, int cchMax)
    {
        if (!pszOut || cchMax <= 0)
            return;
        size_t n = std::min(s.size(), static_cast<size_t>(cchMax - 1));
        std::copy_n(s.data(), n, pszOut);
        pszOut[n] = 0;
    }

    // ---- items
    LRESULT OnInsertItem(const LVITEMW* pItem)
    {
        if (!pItem || pItem->iSubItem != 0)
            return -1;
        Item item;
        if ((pItem->mask & LVIF_TEXT) && pItem->pszText)
            item.strLabel = pItem->pszText;
        if (pItem->mask & LVIF_IMAGE)
            item.nImage = pItem->iImage;
        if (pItem->mask & LVIF_PARAM)
            item.lParam = pItem->lParam;
        if (pItem->mask & LVIF_INDENT)
            item.nIndent = pItem->iIndent;
        if (pItem->mask & LVIF_GROUPID)
            item.nGroupId = pItem->iGroupId;
        int i = std::clamp(pItem->iItem, 0, static_cast<int>(m_items.size()));
        CancelPendingEdit();
        if (m_nEditItem >= i && m_hEdit)
            ++m_nEditItem;
        m_items.insert(m_items.begin() + i, std::move(item));
        NMLISTVIEW nm{};
        nm.iItem = i;
        nm.lParam = m_items[i].lParam;
        Notify(LVN_INSERTITEM, &nm.hdr);
        if ((pItem->mask & LVIF_STATE) && Valid(i))
            ChangeState(i, pItem->state, pItem->stateMask);
        return i;
    }

    LRESULT OnSetItem(const LVITEMW* pItem)
    {
        if (!pItem || !Valid(pItem->iItem))
            return FALSE;
        int i = pItem->iItem;
        if (pItem->iSubItem > 0) {
            if (pItem->mask & LVIF_TEXT)
                SetSubItemText(i, pItem->iSubItem, pItem->pszText);
            return TRUE;
        }
        // Attribute changes other than state are announced with LVN_ITEMCHANGING/CHANGED too.
        Item next = m_items[i];
        UINT nChanged = 0;
        if ((pItem->mask & LVIF_TEXT) && next.strLabel != (pItem->pszText ? pItem->pszText : u"")) {
            next.strLabel = pItem->pszText ? pItem->pszText : u"";
            nChanged |= LVIF_TEXT;
        }
        if ((pItem->mask & LVIF_IMAGE) && next.nImage != pItem->iImage) {
            next.nImage = pItem->iImage;
            nChanged |= LVIF_IMAGE;
        }
        if ((pItem->mask & LVIF_PARAM) && next.lParam != pItem->lParam) {
            next.lParam = pItem->lParam;
            nChanged |= LVIF_PARAM;
        }
        if (pItem->mask & LVIF_INDENT)
            next.nIndent = pItem->iIndent;
        if (pItem->mask & LVIF_GROUPID)
            next.nGroupId = pItem->iGroupId;
        if (nChanged) {
            NMLISTVIEW nm{};
            nm.iItem = i;
            nm.uChanged = nChanged;
            nm.lParam = m_items[i].lParam;
            if (Notify(LVN_ITEMCHANGING, &nm.hdr))
                return FALSE;
            if (!Valid(i))
                return FALSE;
        }
        next.nState = m_items[i].nState;
        m_items[i] = std::move(next);
        if (nChanged) {
            NMLISTVIEW nm{};
            nm.iItem = i;
            nm.uChanged = nChanged;
            nm.lParam = m_items[i].lParam;
            Notify(LVN_ITEMCHANGED, &nm.hdr);
        }
        if ((pItem->mask & LVIF_STATE) && Valid(i))
            ChangeState(i, pItem->state, pItem->stateMask);
        return TRUE;
    }

    void SetSubItemText(int i, int nSub, LPCWSTR psz)
    {
        auto& subs = m_items[i].subItems;
        if (static_cast<int>(subs.size()) < nSub)
            subs.resize(static_cast<size_t>(nSub));
        subs[static_cast<size_t>(nSub - 1)] = psz ? psz : u"";
    }

    LRESULT OnGetItem(LVITEMW* pItem)
    {
        if (!pItem || !Valid(pItem->iItem))
            return FALSE;
        const Item& item = m_items[pItem->iItem];
        if (pItem->mask & LVIF_TEXT) {
            if (pItem->iSubItem == 0)
                CopyText(item.strLabel, pItem->pszText, pItem->cchTextMax);
            else
                CopyText(static_cast<size_t>(pItem->iSubItem) <= item.subItems.size() ? item.subItems[pItem->iSubItem - 1] : u"",
                         pItem->pszText, pItem->cchTextMax);
        }
        if (pItem->mask & LVIF_IMAGE)
            pItem->iImage = item.nImage;
        if (pItem->mask & LVIF_PARAM)
            pItem->lParam = item.lParam;
        if (pItem->mask & LVIF_STATE)
            pItem->state = item.nState & pItem->stateMask;
        if (pItem->mask & LVIF_INDENT)
            pItem->iIndent = item.nIndent;
        if (pItem->mask & LVIF_GROUPID)
            pItem->iGroupId = item.nGroupId;
        return TRUE;
    }

    LRESULT OnGetItemText(int i, LVITEMW* pItem)
    {
        if (!pItem || !Valid(i))
            return 0;
        const Item& item = m_items[i];
        const std::u16string empty;
        const std::u16string& s = pItem->iSubItem == 0 ? item.strLabel
                                  : static_cast<size_t>(pItem->iSubItem) <= item.subItems.size() ? item.subItems[pItem->iSubItem - 1]
                                                                                                   : empty;
        CopyText(s, pItem->pszText, pItem->cchTextMax);
        return pItem->pszText && pItem->cchTextMax > 0 ? static_cast<LRESULT>(std::min(s.size(), static_cast<size_t>(pItem->cchTextMax - 1))) : 0;
    }

    LRESULT OnSetItemText(int i, const LVITEMW* pItem)
    {
        if (!pItem || !Valid(i))
            return FALSE;
        LVITEMW item = *pItem;
        item.iItem = i;
        item.mask = LVIF_TEXT;
        return OnSetItem(&item);
    }

    // Item -1: every item.
    LRESULT OnSetItemState(int i, const LVITEMW* pItem)
    {
        if (!pItem)
            return FALSE;
        if (i == -1) {
            for (int j = 0; j < static_cast<int>(m_items.size()); ++j)
                ChangeState(j, pItem->state, pItem->stateMask);
            return TRUE;
        }
        if (!Valid(i))
            return FALSE;
        ChangeState(i, pItem->state, pItem->stateMask);
        return TRUE;
    }

    LRESULT OnDeleteItem(int i)
    {
        if (!Valid(i))
            return FALSE;
        if (m_hEdit && m_nEditItem == i)
            OnEndEdit(false);
        CancelPendingEdit();
        NMLISTVIEW nm{};
        nm.iItem = i;
        nm.lParam = m_items[i].lParam;
        Notify(LVN_DELETEITEM, &nm.hdr);
        if (!Valid(i))
            return FALSE;
        m_items.erase(m_items.begin() + i);
        if (m_hEdit && m_nEditItem > i)
            --m_nEditItem;
        ClampScroll();
        return TRUE;
    }

    // LVN_DELETEALLITEMS first; unless the parent answers TRUE, LVN_DELETEITEM for each item.
    LRESULT OnDeleteAllItems()
    {
        CancelPendingEdit();
        if (m_hEdit)
            OnEndEdit(false);
        NMLISTVIEW nm{};
        nm.iItem = -1;
        bool bQuiet = Notify(LVN_DELETEALLITEMS, &nm.hdr) != 0;
        if (!bQuiet) {
            for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
                NMLISTVIEW one{};
                one.iItem = i;
                one.lParam = m_items[i].lParam;
                Notify(LVN_DELETEITEM, &one.hdr);
            }
        }
        m_items.clear();
        m_nScrollY = 0;
        return TRUE;
    }

    LRESULT OnGetNextItem(int nStart, UINT nFlags)
    {
        UINT nWant = (nFlags & LVNI_SELECTED ? LVIS_SELECTED : 0) | (nFlags & LVNI_FOCUSED ? LVIS_FOCUSED : 0);
        int nCount = static_cast<int>(m_items.size());
        // By place on screen: the items in that direction, nearest first, as the arrow keys go.
        static const std::pair<UINT, WPARAM> kDirections[] = {
            {LVNI_ABOVE, VK_UP}, {LVNI_BELOW, VK_DOWN}, {LVNI_TOLEFT, VK_LEFT}, {LVNI_TORIGHT, VK_RIGHT}};
        for (const auto& [nFlag, nKey] : kDirections) {
            if (!(nFlags & nFlag))
                continue;
            if (!Valid(nStart))
                return -1;
            for (int i = nStart, nNext; (nNext = Beside(i, nKey)) != i; i = nNext)
                if ((m_items[nNext].nState & nWant) == nWant)
                    return nNext;
            return -1;
        }
        for (int i = nStart < 0 ? 0 : nStart + 1; i < nCount; ++i)
            if ((m_items[i].nState & nWant) == nWant)
                return i;
        return -1;
    }

    LRESULT OnFindItem(int nStart, const LVFINDINFOW* pFind)
    {
        if (!pFind)
            return -1;
        for (int i = nStart < 0 ? 0 : nStart + 1; i < static_cast<int>(m_items.size()); ++i) {
            if ((pFind->flags & LVFI_PARAM) && m_items[i].lParam == pFind->lParam)
                return i;
            if ((pFind->flags & LVFI_STRING) && pFind->psz && m_items[i].strLabel == pFind->psz)
                return i;
        }
        return -1;
    }

    // A stable merge sort with the program's comparison, which may be inconsistent without
    // harm: only its sign is used, and each pair is compared at most once per merge step.
    LRESULT OnSortItems(LPARAM lSort, PFNLVCOMPARE pfn)
    {
        if (!pfn)
            return FALSE;
        CancelPendingEdit();
        if (m_hEdit)
            OnEndEdit(false);
        std::vector<Item> items = std::move(m_items);
        m_items.clear();
        std::vector<Item> tmp(items.size());
        for (size_t width = 1; width < items.size(); width *= 2) {
            for (size_t lo = 0; lo < items.size(); lo += 2 * width) {
                size_t mid = std::min(lo + width, items.size()), hi = std::min(lo + 2 * width, items.size());
                size_t a = lo, b = mid, k = lo;
                while (a < mid && b < hi)
                    tmp[k++] = pfn(items[b].lParam, items[a].lParam, lSort) < 0 ? std::move(items[b++]) : std::move(items[a++]);
                while (a < mid)
                    tmp[k++] = std::move(items[a++]);
                while (b < hi)
                    tmp[k++] = std::move(items[b++]);
            }
            std::swap(items, tmp);
        }
        m_items = std::move(items);
        return TRUE;
    }

    // ---- columns and styles
    LRESULT OnInsertColumn(int i, const LVCOLUMNW* pColumn)
    {
        if (!pColumn)
            return -1;
        Column c;
        if ((pColumn->mask & LVCF_TEXT) && pColumn->pszText)
            c.strText = pColumn->pszText;
        if (pColumn->mask & LVCF_WIDTH)
            c.nWidth = pColumn->cx;
        if (pColumn->mask & LVCF_FMT)
            c.nFormat = pColumn->fmt;
        i = std::clamp(i, 0, static_cast<int>(m_columns.size()));
        m_columns.insert(m_columns.begin() + i, c);
        return i;
    }

    LRESULT OnDeleteColumn(int i)
    {
        if (i < 0 || i >= static_cast<int>(m_columns.size()))
            return FALSE;
        m_columns.erase(m_columns.begin() + i);
        return TRUE;
    }

    // LVSCW_AUTOSIZE fits the widest text (6 pixels a character, the font's average width, plus
    // 12 for margins and the picture gap); LVSCW_AUTOSIZE_USEHEADER also the header text.
    LRESULT OnSetColumnWidth(int i, int cx)
    {
        if (i < 0 || i >= static_cast<int>(m_columns.size()))
            return FALSE;
        if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER) {
            size_t nChars = cx == LVSCW_AUTOSIZE_USEHEADER ? m_columns[i].strText.size() : 0;
            for (const Item& item : m_items) {
                const std::u16string& s = i == 0 ? item.strLabel : (static_cast<size_t>(i) <= item.subItems.size() ? item.subItems[i - 1] : item.strLabel);
                if (i == 0 || static_cast<size_t>(i) <= item.subItems.size())
                    nChars = std::max(nChars, s.size());
            }
            cx = static_cast<int>(nChars) * 6 + 12 + (i == 0 && m_hImageLists[LVSIL_SMALL] ? 18 : 0);
        }
        m_columns[i].nWidth = cx;
        return TRUE;
    }

    LRESULT OnSetExtendedStyle(DWORD dwMask, DWORD dwStyle)
    {
        DWORD dwOld = m_dwExStyle;
        if (dwMask == 0)
            dwMask = 0xFFFFFFFF;
        m_dwExStyle = (m_dwExStyle & ~dwMask) | (dwStyle & dwMask);
        return dwOld;
    }

    LRESULT OnSetImageList(int nWhich, HIMAGELIST hList)
    {
        if (nWhich < 0 || nWhich > 2)
            return 0;
        HIMAGELIST hOld = m_hImageLists[nWhich];
        m_hImageLists[nWhich] = hList;
        return hOld;
    }

    LRESULT OnSetView(int nView)
    {
        DWORD dwType;
        switch (nView) {
        case LV_VIEW_ICON:
            dwType = LVS_ICON;
            break;
        case LV_VIEW_DETAILS:
            dwType = LVS_REPORT;
            break;
        case LV_VIEW_SMALLICON:
            dwType = LVS_SMALLICON;
            break;
        case LV_VIEW_LIST:
            dwType = LVS_LIST;
            break;
        default:
            return -1;
        }
        SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>((Style() & ~LVS_TYPEMASK) | dwType));
        m_nScrollY = 0;
        return 1;
    }

    // ---- groups
    LRESULT OnInsertGroup(int nIndex, const LVGROUP* pGroup)
    {
        if (!pGroup || !(pGroup->mask & LVGF_GROUPID))
            return -1;
        Group g{pGroup->iGroupId, (pGroup->mask & LVGF_HEADER) && pGroup->pszHeader ? pGroup->pszHeader : u""};
        for (const Group& existing : m_groups)
            if (existing.nId == g.nId)
                return -1;
        int i = nIndex < 0 ? static_cast<int>(m_groups.size()) : std::min(nIndex, static_cast<int>(m_groups.size()));
        m_groups.insert(m_groups.begin() + i, g);
        return i;
    }

    LRESULT OnRemoveGroup(int nId)
    {
        auto it = std::find_if(m_groups.begin(), m_groups.end(), [&](const Group& g) { return g.nId == nId; });
        if (it == m_groups.end())
            return -1;
        int i = static_cast<int>(it - m_groups.begin());
        m_groups.erase(it);
        for (Item& item : m_items)
            if (item.nGroupId == nId)
                item.nGroupId = I_GROUPIDNONE;
        return i;
    }

    LRESULT OnEnableGroupView(bool bEnable)
    {
        if (bEnable == m_bGroupView)
            return 0;
        m_bGroupView = bEnable;
        ClampScroll();
        return 1;
    }

    // ---- scrolling
    // Messages that only read: the bar needs no new layout after them (a full list is asked a lot).
    static bool IsQuery(UINT nMsg)
    {
        switch (nMsg) {
        case LVM_GETITEMW: case LVM_GETITEMTEXTW: case LVM_GETITEMSTATE: case LVM_GETITEMCOUNT:
        case LVM_GETNEXTITEM: case LVM_GETSELECTEDCOUNT: case LVM_GETCOLUMNWIDTH: case LVM_GETEXTENDEDLISTVIEWSTYLE:
        case LVM_GETIMAGELIST: case LVM_GETTOPINDEX: case LVM_GETCOUNTPERPAGE: case LVM_GETITEMRECT:
        case LVM_HITTEST: case LVM_SUBITEMHITTEST: case LVM_GETITEMSPACING: case LVM_FINDITEMW:
        case LVM_GETEDITCONTROL: case LVM_GETVIEW: case LVM_HASGROUP: case LVM_ISGROUPVIEWENABLED:
        case WM_GETDLGCODE: case WM_DESTROY:
            return true;
        default:
            return false;
        }
    }

    // The vertical bar counts whole rows (of icon cells in icon view) in every view: the range is
    // the rows of the content, the page the rows shown whole, the position the first row shown.
    // (Windows counts pixels in icon view; rows keep one rule for the bar, the wheel and the keys.)
    int RowStep() const { return std::max(1, static_cast<int>(CellSize().cy)); }

    void SyncScrollBar()
    {
        // Showing a bar narrows the client area, which in icon view may add rows and in report
        // view may call for the other bar: three passes at most.
        for (int nPass = 0; nPass < 3; ++nPass) {
            // The content's height does not depend on the position: one layout serves both.
            const int nContentHeight = MakeLayout().nContentHeight;
            ClampScroll(nContentHeight);
            const int nStep = RowStep();
            const int nRows = (nContentHeight + nStep - 1) / nStep;
            SCROLLINFO si;
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            si.nMin = 0;
            si.nMax = std::max(0, nRows - 1);
            si.nPage = static_cast<UINT>(VisibleHeight() / nStep);
            si.nPos = m_nScrollY / nStep;
            const DWORD dwBefore = Style();
            SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
            // Sideways only in report view, in pixels: the range is the columns' width.
            const int nWidth = IsReport() ? RowWidth() : 0;
            ScrollX(m_nScrollX);
            SCROLLINFO sh;
            sh.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            sh.nMin = 0;
            sh.nMax = std::max(0, nWidth - 1);
            sh.nPage = static_cast<UINT>(std::max(0, static_cast<int>(Client().right)));
            sh.nPos = ShiftX();
            SetScrollInfo(m_hWnd, SB_HORZ, &sh, TRUE);
            if (Style() == dwBefore)
                break;
        }
    }

    void ScrollToRow(int nRow)
    {
        m_nScrollY = std::max(0, nRow) * RowStep();
        ClampScroll();
    }

    // Where a part of a bar takes its position (nLine and nPage in the bar's units), or nothing
    // for a code that moves nothing (SB_ENDSCROLL). The thumb goes by the bar's own track
    // position: the message's 16 bits would not reach far enough.
    std::optional<int> ScrollTarget(int nBar, int nCode, int nPos, int nLine, int nPage) const
    {
        switch (nCode) {
        case SB_LINEUP: // SB_LINELEFT
            return nPos - nLine;
        case SB_LINEDOWN: // SB_LINERIGHT
            return nPos + nLine;
        case SB_PAGEUP: // SB_PAGELEFT
            return nPos - nPage;
        case SB_PAGEDOWN: // SB_PAGERIGHT
            return nPos + nPage;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(m_hWnd, nBar, &si);
            return si.nTrackPos;
        }
        case SB_TOP: // SB_LEFT
            return 0;
        case SB_BOTTOM: // SB_RIGHT
            return std::numeric_limits<int>::max();
        default:
            return std::nullopt;
        }
    }

    LRESULT OnVScroll(int nCode)
    {
        if (auto nRow = ScrollTarget(SB_VERT, nCode, m_nScrollY / RowStep(), 1, RowsPerPage()))
            ScrollToRow(std::min(*nRow, std::numeric_limits<int>::max() / RowStep()));
        return 0;
    }

    // The columns' offset: only report view scrolls sideways.
    int ShiftX() const { return IsReport() ? m_nScrollX : 0; }
    void ScrollX(int x)
    {
        const int nOver = IsReport() ? std::max(0, RowWidth() - static_cast<int>(Client().right)) : 0;
        m_nScrollX = std::clamp(x, 0, nOver);
    }

    // A line sideways is kHScrollLine pixels (left to us: about a character), a page the client's width.
    LRESULT OnHScroll(int nCode)
    {
        constexpr int kHScrollLine = 8;
        if (auto x = ScrollTarget(SB_HORZ, nCode, m_nScrollX, kHScrollLine, std::max(1, static_cast<int>(Client().right))))
            ScrollX(*x);
        return 0;
    }

    // Three lines a notch, as the system's default; a part notch is kept for the next. In icon
    // view a line is 50 pixels, as Windows scrolls it, rounded up to whole rows.
    LRESULT OnMouseWheel(int nDelta)
    {
        m_nWheelRemainder += nDelta;
        const int nNotches = m_nWheelRemainder / WHEEL_DELTA;
        if (nNotches == 0)
            return 0;
        m_nWheelRemainder -= nNotches * WHEEL_DELTA;
        constexpr int kLinesPerNotch = 3;
        const int nRowsPerNotch = IsGrid() ? (kLinesPerNotch * 50 + RowStep() - 1) / RowStep() : kLinesPerNotch;
        ScrollToRow(m_nScrollY / RowStep() - nNotches * nRowsPerNotch);
        return 0;
    }

    // dy in pixels, moved in whole rows; a part row counts as one, so any request moves.
    LRESULT OnScroll(int dy)
    {
        const int nStep = RowStep();
        const int nRows = dy / nStep + (dy % nStep > 0 ? 1 : dy % nStep < 0 ? -1 : 0);
        ScrollToRow(m_nScrollY / nStep + nRows);
        return TRUE;
    }

    // ---- geometry
    // Scrolling stops when the last row shows; positions are whole rows from the top.
    void ClampScroll() { ClampScroll(MakeLayout().nContentHeight); }
    void ClampScroll(int nContentHeight)
    {
        int nStep = RowStep();
        int nOver = std::max(0, nContentHeight - VisibleHeight());
        m_nScrollY = std::clamp(m_nScrollY, 0, (nOver + nStep - 1) / nStep * nStep);
    }

    LRESULT OnEnsureVisible(int i)
    {
        if (!Valid(i))
            return FALSE;
        const auto box = MakeLayout().boxes[i];
        if (!box)
            return FALSE;
        int nStep = std::max(1, static_cast<int>(CellSize().cy));
        int nTop = box->top - HeaderHeight() + m_nScrollY, nBottom = box->bottom - HeaderHeight() + m_nScrollY;
        if (nTop < m_nScrollY)
            m_nScrollY = nTop;
        else if (nBottom > m_nScrollY + VisibleHeight())
            m_nScrollY = std::min(nTop, (nBottom - VisibleHeight() + nStep - 1) / nStep * nStep);
        return TRUE;
    }

    // The first item shown whole at the top, in the order on screen.
    int TopIndex() const
    {
        Layout layout = MakeLayout();
        int nBest = -1;
        for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
            const auto& box = layout.boxes[i];
            if (!box || box->top < HeaderHeight())
                continue;
            const auto& best = nBest < 0 ? std::optional<RECT>() : layout.boxes[nBest];
            if (!best || box->top < best->top || (box->top == best->top && box->left < best->left))
                nBest = i;
        }
        return std::max(0, nBest);
    }

    LRESULT OnSetIconSpacing(int cx, int cy)
    {
        LRESULT lOld = MAKELONG(static_cast<WORD>(m_spacing.cx), static_cast<WORD>(m_spacing.cy));
        // -1 gives back the default; other values below one are not spacings.
        if (cx == -1)
            m_spacing.cx = kListIconCellWidth;
        else if (cx > 0)
            m_spacing.cx = cx;
        if (cy == -1)
            m_spacing.cy = kListIconCellHeight;
        else if (cy > 0)
            m_spacing.cy = cy;
        ClampScroll();
        return lOld;
    }

    LRESULT OnGetItemRect(int i, RECT* pRect)
    {
        if (!pRect || !Valid(i))
            return FALSE;
        const auto box = MakeLayout().boxes[i];
        if (!box)
            return FALSE;
        Parts parts = PartsOf(i, *box);
        switch (pRect->left) {
        case LVIR_BOUNDS:
            *pRect = *box;
            return TRUE;
        case LVIR_ICON:
            *pRect = parts.rcIcon;
            return TRUE;
        case LVIR_LABEL:
            *pRect = parts.rcLabel;
            return TRUE;
        case LVIR_SELECTBOUNDS:
            *pRect = parts.rcSelect;
            return TRUE;
        default:
            return FALSE;
        }
    }

    LRESULT OnHitTest(LVHITTESTINFO* pInfo, bool bSubItem)
    {
        if (!pInfo)
            return -1;
        Hit hit = HitAt(pInfo->pt, bSubItem);
        pInfo->iItem = hit.nItem;
        pInfo->flags = hit.nFlags;
        pInfo->iSubItem = hit.nSubItem;
        return hit.nItem;
    }

    // ---- mouse and keys
    static POINT PointOf(LPARAM l) { return POINT{static_cast<SHORT>(LOWORD(l)), static_cast<SHORT>(HIWORD(l))}; }

    // A press selects the item under the mouse (only it) or, on empty space, clears the selection;
    // the click notification follows on release, as the control reports it after tracking. A
    // press on the label of the item that is already focused and selected may begin editing it.
    LRESULT OnButtonDown(LPARAM lParam, bool bRight)
    {
        if (m_hEdit)
            OnEndEdit(true);
        CancelPendingEdit();
        SetFocus(m_hWnd);
        POINT pt = PointOf(lParam);
        Hit hit = HitAt(pt, false);
        int i = hit.nItem;
        m_nArmedEdit = -1;
        if (!bRight && i >= 0 && (Style() & LVS_EDITLABELS) && hit.nFlags == LVHT_ONITEMLABEL &&
            (m_items[i].nState & (LVIS_SELECTED | LVIS_FOCUSED)) == (LVIS_SELECTED | LVIS_FOCUSED))
            m_nArmedEdit = i;
        if (i >= 0) {
            if (!bRight || !(m_items[i].nState & LVIS_SELECTED))
                SelectOnly(i);
            else
                ChangeState(i, LVIS_FOCUSED, LVIS_FOCUSED);
        } else {
            SelectOnly(-1);
        }
        (bRight ? m_bRightDown : m_bLeftDown) = true;
        return 0;
    }

    // Released on the same label: editing begins after the double-click time, so that a
    // double-click (which cancels it) can still come.
    LRESULT OnButtonUp(LPARAM lParam, bool bRight)
    {
        bool& bDown = bRight ? m_bRightDown : m_bLeftDown;
        if (!bDown)
            return 0;
        bDown = false;
        POINT pt = PointOf(lParam);
        SendActivate(bRight ? NM_RCLICK : NM_CLICK, pt);
        int nArmed = std::exchange(m_nArmedEdit, -1);
        if (!bRight && nArmed >= 0 && Valid(nArmed)) {
            Hit hit = HitAt(pt, false);
            if (hit.nItem == nArmed && hit.nFlags == LVHT_ONITEMLABEL) {
                m_nPendingEdit = nArmed;
                SetTimer(m_hWnd, kEditLabelTimer, GetDoubleClickTime(), nullptr);
            }
        }
        return 0;
    }

    LRESULT OnDoubleClick(LPARAM lParam)
    {
        CancelPendingEdit();
        m_nArmedEdit = -1;
        POINT pt = PointOf(lParam);
        int i = HitTest(pt);
        if (i >= 0 && !(m_items[i].nState & LVIS_SELECTED))
            SelectOnly(i);
        SendActivate(NM_DBLCLK, pt);
        return 0;
    }

    void CancelPendingEdit()
    {
        if (m_nPendingEdit < 0)
            return;
        m_nPendingEdit = -1;
        KillTimer(m_hWnd, kEditLabelTimer);
    }

    // The item must still be the focused, selected one of a list that edits labels.
    void OnEditLabelTimer()
    {
        KillTimer(m_hWnd, kEditLabelTimer);
        int i = std::exchange(m_nPendingEdit, -1);
        if (Valid(i) && (Style() & LVS_EDITLABELS) &&
            (m_items[i].nState & (LVIS_SELECTED | LVIS_FOCUSED)) == (LVIS_SELECTED | LVIS_FOCUSED))
            OnEditLabel(i);
    }

    void SendActivate(UINT nCode, POINT pt)
    {
        NMITEMACTIVATE nm{};
        Hit hit = HitAt(pt, true);
        nm.iItem = hit.nItem;
        nm.iSubItem = hit.nSubItem;
        nm.ptAction = pt;
        if (Valid(nm.iItem))
            nm.lParam = m_items[nm.iItem].lParam;
        Notify(nCode, &nm.hdr);
    }

    // Every key goes to the parent first (LVN_KEYDOWN). The arrows move to the item beside the
    // focused one on screen, Home and End to the first and last, Page Up and Page Down a page of
    // rows; the item reached is selected alone, or with Ctrl only focused (Space then selects it).
    // The item reached is scrolled into view.
    LRESULT OnKeyDown(WPARAM nKey)
    {
        NMLVKEYDOWN nm{};
        nm.wVKey = static_cast<WORD>(nKey);
        Notify(LVN_KEYDOWN, &nm.hdr);
        if (nKey == VK_F10)
            return DefWindowProcW(m_hWnd, WM_KEYDOWN, nKey, 0); // Shift+F10: the context menu
        if (nKey == VK_RETURN) {
            NMHDR hdr{};
            Notify(NM_RETURN, &hdr);
            return 0;
        }
        if (m_items.empty() || !IsWindow(m_hWnd))
            return 0;
        const bool bCtrl = (GetKeyState(static_cast<int>(VK_CONTROL)) & 0x8000) != 0;
        const int nFocus = FocusedItem();
        if (nKey == VK_SPACE) {
            // Space selects the focused item alone; with Ctrl it adds or takes it away.
            if (nFocus >= 0 && bCtrl)
                ChangeState(nFocus, (m_items[nFocus].nState & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
            else if (nFocus >= 0)
                SelectOnly(nFocus);
            return 0;
        }
        int nTarget = -1;
        switch (nKey) {
        case VK_HOME:
            nTarget = InScreenOrder().front();
            break;
        case VK_END:
            nTarget = InScreenOrder().back();
            break;
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
            nTarget = nFocus < 0 ? InScreenOrder().front() : Beside(nFocus, nKey);
            break;
        case VK_PRIOR:
        case VK_NEXT:
            nTarget = nFocus < 0 ? InScreenOrder().front() : APageAway(nFocus, nKey == VK_NEXT);
            break;
        default:
            return 0;
        }
        MoveTo(nTarget, bCtrl);
        return 0;
    }

    // Typing selects the next item whose label begins with what was typed; a pause of a second
    // begins a new search, and the same letter again goes on to the next item with it.
    LRESULT OnChar(char16_t ch)
    {
        if (ch < 0x20 || m_items.empty())
            return 0;
        const DWORD dwNow = GetTickCount();
        if (dwNow - m_dwLastChar > kSearchPause)
            m_strSearch.clear();
        m_dwLastChar = dwNow;
        const bool bRepeat = !m_strSearch.empty() && std::all_of(m_strSearch.begin(), m_strSearch.end(), [&](char16_t c) {
            return Folded(c) == Folded(ch);
        });
        m_strSearch += ch;
        const std::u16string strFind = bRepeat ? std::u16string(1, ch) : m_strSearch;
        const std::vector<int> order = InScreenOrder();
        const int nFocus = FocusedItem();
        const auto at = std::find(order.begin(), order.end(), nFocus);
        // One letter (a new search, or the same letter again) looks after the focused item; more
        // letters look from the focused item itself, which may still fit.
        size_t nStart = at == order.end() ? 0 : static_cast<size_t>(at - order.begin()) + (bRepeat || m_strSearch.size() == 1 ? 1 : 0);
        for (size_t k = 0; k < order.size(); ++k) {
            const int i = order[(nStart + k) % order.size()];
            if (BeginsWith(m_items[i].strLabel, strFind)) {
                MoveTo(i, false);
                break;
            }
        }
        return 0;
    }

    static char16_t Folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

    static bool BeginsWith(const std::u16string& strLabel, const std::u16string& strStart)
    {
        if (strLabel.size() < strStart.size())
            return false;
        for (size_t k = 0; k < strStart.size(); ++k)
            if (Folded(strLabel[k]) != Folded(strStart[k]))
                return false;
        return true;
    }

    int FocusedItem() const
    {
        for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
            if (m_items[i].nState & LVIS_FOCUSED)
                return i;
        return -1;
    }

    void MoveTo(int i, bool bFocusOnly)
    {
        if (!Valid(i))
            return;
        if (bFocusOnly)
            ChangeState(i, LVIS_FOCUSED, LVIS_FOCUSED);
        else
            SelectOnly(i);
        OnEnsureVisible(i);
    }

    // The items shown, top to bottom and left to right as they stand on screen.
    std::vector<int> InScreenOrder() const
    {
        Layout layout = MakeLayout();
        std::vector<int> order;
        for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
            if (layout.boxes[i])
                order.push_back(i);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const RECT& ra = *layout.boxes[a];
            const RECT& rb = *layout.boxes[b];
            return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
        });
        if (order.empty())
            order.push_back(0);
        return order;
    }

    // The nearest item in the key's direction, on the same column (up, down) or row (left, right);
    // the item itself when there is none. Views of one item a row do not move on left and right.
    int Beside(int nFrom, WPARAM nKey) const
    {
        Layout layout = MakeLayout();
        const auto& from = layout.boxes[nFrom];
        if (!from)
            return nFrom;
        const bool bVertical = nKey == VK_UP || nKey == VK_DOWN;
        const bool bForward = nKey == VK_DOWN || nKey == VK_RIGHT;
        if (!IsGrid() && !bVertical)
            return nFrom;
        int nBest = nFrom;
        long nBestDistance = std::numeric_limits<long>::max();
        for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
            const auto& box = layout.boxes[i];
            if (i == nFrom || !box)
                continue;
            const long nAlong = bVertical ? box->top - from->top : box->left - from->left;
            const long nAcross = bVertical ? std::abs(box->left - from->left) : std::abs(box->top - from->top);
            if ((bForward ? nAlong <= 0 : nAlong >= 0) || (!bVertical && nAcross != 0))
                continue;
            const long nDistance = std::abs(nAlong) + 4 * nAcross; // the same column first
            if (nDistance < nBestDistance) {
                nBestDistance = nDistance;
                nBest = i;
            }
        }
        return nBest;
    }

    // The item a page of rows above or below, in the same column; the first or last row if nearer.
    int APageAway(int nFrom, bool bDown) const
    {
        int nAt = nFrom;
        for (int k = 0; k < std::max(1, RowsPerPage() - 1); ++k) {
            int nNext = Beside(nAt, bDown ? VK_DOWN : VK_UP);
            if (nNext == nAt)
                break;
            nAt = nNext;
        }
        return nAt;
    }

    // ---- label editing
    // The editor exists before LVN_BEGINLABELEDIT, so the handler can read it (GetEditControl);
    // a TRUE answer refuses the edit and the editor goes again.
    LRESULT OnEditLabel(int i)
    {
        CancelPendingEdit();
        if (m_hEdit)
            OnEndEdit(true);
        if (!Valid(i))
            return 0;
        if (GetFocus() != m_hWnd)
            SetFocus(m_hWnd);
        OnEnsureVisible(i);
        const auto box = MakeLayout().boxes[i];
        if (!box)
            return 0;
        // Over the label: the cell's width in icon view, at least 40 pixels in the others.
        Parts parts = PartsOf(i, *box);
        RECT rc = parts.rcLabel;
        if (IsGrid()) {
            rc.left = box->left;
            rc.right = box->right;
            rc.bottom = rc.top + 20;
        } else {
            rc.right = IsReport() ? std::max(rc.right, rc.left + 40) : box->right;
        }
        auto pRecord = tavren::NewWindowRecord(m_hWnd, u"Edit", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0);
        pRecord->rcWindow = rc;
        pRecord->strText = m_items[i].strLabel;
        pRecord->pModel = tavren::MakeEditModel(m_hWnd);
        HWND hEdit = pRecord->hWnd;
        m_hEdit = hEdit;
        m_nEditItem = i;
        SendMessageW(hEdit, EM_SETSEL, 0, -1);
        NMLVDISPINFOW nm{};
        nm.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE | LVIF_IMAGE;
        nm.item.iItem = i;
        nm.item.pszText = m_items[i].strLabel.data();
        nm.item.cchTextMax = static_cast<int>(m_items[i].strLabel.size()) + 1;
        nm.item.lParam = m_items[i].lParam;
        nm.item.state = m_items[i].nState;
        nm.item.iImage = m_items[i].nImage;
        if (Notify(LVN_BEGINLABELEDIT, &nm.hdr) || m_hEdit != hEdit) {
            if (m_hEdit == hEdit) {
                m_hEdit = 0;
                DestroyWindow(hEdit);
            }
            return 0;
        }
        SetFocus(hEdit);
        return hEdit;
    }

    // Ends the edit: LVN_ENDLABELEDIT with the new text (null when cancelled); a TRUE answer
    // takes the text as the label.
    LRESULT OnEndEdit(bool bCommit)
    {
        if (!m_hEdit)
            return 0;
        HWND hEdit = m_hEdit;
        int i = m_nEditItem;
        m_hEdit = 0;
        m_nEditItem = -1;
        std::u16string strText;
        if (auto p = tavren::GetWindowRecord(hEdit))
            strText = p->strText;
        bool bHadFocus = GetFocus() == hEdit;
        DestroyWindow(hEdit);
        if (bHadFocus)
            SetFocus(m_hWnd);
        if (!Valid(i))
            return 0;
        NMLVDISPINFOW nm{};
        nm.item.mask = LVIF_TEXT | LVIF_PARAM;
        nm.item.iItem = i;
        nm.item.pszText = bCommit ? strText.data() : nullptr;
        nm.item.cchTextMax = static_cast<int>(strText.size()) + 1;
        nm.item.lParam = m_items[i].lParam;
        if (Notify(LVN_ENDLABELEDIT, &nm.hdr) && bCommit && Valid(i)) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = strText.data();
            OnSetItem(&item);
        }
        return 0;
    }

    HWND m_hWnd = 0;
    std::vector<Item> m_items;
    std::vector<Column> m_columns;
    std::vector<Group> m_groups;
    DWORD m_dwExStyle = 0;
    HIMAGELIST m_hImageLists[3] = {0, 0, 0};
    bool m_bGroupView = false;
    SIZE m_spacing{kListIconCellWidth, kListIconCellHeight};
    int m_nScrollY = 0;     // pixels of the items scrolled off above
    int m_nScrollX = 0;     // pixels of the columns scrolled off to the left (report view)
    int m_nWheelRemainder = 0; // a wheel turn smaller than a notch, kept for the next
    static constexpr DWORD kSearchPause = 1000; // ms between typed letters that ends a search
    std::u16string m_strSearch; // what has been typed for the incremental search
    DWORD m_dwLastChar = 0;
    int m_nArmedEdit = -1;  // pressed on this item's label, already focused and selected
    int m_nPendingEdit = -1; // its editing begins when the timer comes
    HWND m_hEdit = 0;
    int m_nEditItem = -1;
    bool m_bLeftDown = false;
    bool m_bRightDown = false;
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeListViewModel(HWND hWnd)
{
    return std::make_unique<ListViewModel>(hWnd);
}
} // namespace tavren
