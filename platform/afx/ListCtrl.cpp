#include "platform/afx/ListCtrl.h"

#include "platform/user/PrivateMessages.h"

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem)
{
    return InsertItem(LVIF_TEXT, nItem, lpszItem, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage)
{
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, nItem, lpszItem, 0, 0, nImage, 0);
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam)
{
    LVITEM item{};
    item.mask = nMask;
    item.iItem = nItem;
    item.pszText = const_cast<LPTSTR>(lpszItem);
    item.state = nState;
    item.stateMask = nStateMask;
    item.iImage = nImage;
    item.lParam = lParam;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, LPCTSTR lpszItem, int nImage, UINT nState, UINT nStateMask, LPARAM lParam)
{
    LVITEM item{};
    item.mask = nMask;
    item.iItem = nItem;
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPTSTR>(lpszItem);
    item.iImage = nImage;
    item.state = nState;
    item.stateMask = nStateMask;
    item.lParam = lParam;
    return SetItem(&item);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // Grows the buffer until the text fits, as MFC does.
    for (int nLen = 256;; nLen *= 2) {
        std::u16string buf(static_cast<size_t>(nLen), u'\0');
        LVITEM item{};
        item.iSubItem = nSubItem;
        item.pszText = buf.data();
        item.cchTextMax = nLen;
        int nGot = static_cast<int>(Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), Ptr(&item)));
        if (nGot < nLen - 1 || nLen > (1 << 20)) {
            buf.resize(static_cast<size_t>(nGot));
            return CString(std::move(buf));
        }
    }
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const
{
    LVITEM item{};
    item.iSubItem = nSubItem;
    item.pszText = lpszText;
    item.cchTextMax = nLen;
    return static_cast<int>(Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), Ptr(&item)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText)
{
    LVITEM item{};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPTSTR>(lpszText);
    return static_cast<BOOL>(Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), Ptr(&item)));
}

LPARAM CListCtrl::GetItemData(int nItem) const
{
    LVITEM item{};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return GetItem(&item) ? item.lParam : 0;
}

BOOL CListCtrl::SetItemData(int nItem, LPARAM dwData)
{
    return SetItem(nItem, 0, LVIF_PARAM, nullptr, 0, 0, 0, dwData);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEM item{};
    item.state = nState;
    item.stateMask = nMask;
    return SetItemState(nItem, &item);
}

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const
{
    if (!lpRect)
        return FALSE;
    lpRect->left = static_cast<LONG>(nCode);
    return static_cast<BOOL>(Send(LVM_GETITEMRECT, static_cast<WPARAM>(nItem), Ptr(lpRect)));
}

int CListCtrl::HitTest(POINT pt, UINT* pFlags) const
{
    LVHITTESTINFO info{};
    info.pt = pt;
    int i = HitTest(&info);
    if (pFlags)
        *pFlags = info.flags;
    return i;
}

SIZE CListCtrl::SetIconSpacing(int cx, int cy)
{
    auto dw = static_cast<DWORD>(Send(LVM_SETICONSPACING, 0, MAKELONG(static_cast<WORD>(cx), static_cast<WORD>(cy))));
    return SIZE{LOWORD(dw), HIWORD(dw)};
}

BOOL CListCtrl::GetItemSpacing(BOOL fSmall, int* pnHorzSpacing, int* pnVertSpacing) const
{
    if (!pnHorzSpacing || !pnVertSpacing)
        return FALSE;
    auto dw = static_cast<DWORD>(Send(LVM_GETITEMSPACING, static_cast<WPARAM>(fSmall != FALSE), 0));
    *pnHorzSpacing = LOWORD(dw);
    *pnVertSpacing = HIWORD(dw);
    return TRUE;
}

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMN column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<LPTSTR>(lpszColumnHeading);
    column.fmt = nFormat;
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &column);
}

CEdit* CListCtrl::EditLabel(int nItem)
{
    HWND hEdit = static_cast<HWND>(Send(LVM_EDITLABELW, static_cast<WPARAM>(nItem), 0));
    return CWnd::FromHandleAs<CEdit>(hEdit);
}

CEdit* CListCtrl::GetEditControl() const
{
    HWND hEdit = static_cast<HWND>(Send(LVM_GETEDITCONTROL, 0, 0));
    return CWnd::FromHandleAs<CEdit>(hEdit);
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE pfnCompare, LPARAM dwData)
{
    tavren::SortItemsArgs args{pfnCompare, dwData};
    return static_cast<BOOL>(Send(tavren::LVM_TAVREN_SORTITEMS, 0, Ptr(&args)));
}
