// CListCtrl: the list view (ListViewModel.cpp), with MFC's wrappers over its messages.
#pragma once

#include "platform/comctl/CommCtrl.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ImageList.h"
#include "platform/afx/Wnd.h"

class CListCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
    int InsertItem(const LVITEM* pItem) { return static_cast<int>(Send(LVM_INSERTITEMW, 0, Ptr(pItem))); }
    int InsertItem(int nItem, LPCTSTR lpszItem);
    int InsertItem(int nItem, LPCTSTR lpszItem, int nImage);
    int InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam);
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(Send(LVM_DELETEITEM, static_cast<WPARAM>(nItem), 0)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(Send(LVM_DELETEALLITEMS, 0, 0)); }
    BOOL GetItem(LVITEM* pItem) const { return static_cast<BOOL>(Send(LVM_GETITEMW, 0, Ptr(pItem))); }
    BOOL SetItem(const LVITEM* pItem) { return static_cast<BOOL>(Send(LVM_SETITEMW, 0, Ptr(pItem))); }
    BOOL SetItem(int nItem, int nSubItem, UINT nMask, LPCTSTR lpszItem, int nImage, UINT nState, UINT nStateMask, LPARAM lParam);
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText);
    // The data word: pointer-sized here (LPARAM), so it can carry a pointer as well as an index.
    LPARAM GetItemData(int nItem) const;
    BOOL SetItemData(int nItem, LPARAM dwData);
    UINT GetItemState(int nItem, UINT nMask) const { return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask)); }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    BOOL SetItemState(int nItem, LVITEM* pItem) { return static_cast<BOOL>(Send(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), Ptr(pItem))); }
    int GetNextItem(int nItem, int nFlags) const { return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), nFlags)); }
    UINT GetSelectedCount() const { return static_cast<UINT>(Send(LVM_GETSELECTEDCOUNT, 0, 0)); }
    // MFC's POSITION walk over the selected items: a position is the index plus one, 0 at the end.
    using POSITION = intptr_t;
    POSITION GetFirstSelectedItemPosition() const { return GetNextItem(-1, LVNI_SELECTED) + 1; }
    int GetNextSelectedItem(POSITION& pos) const
    {
        int i = static_cast<int>(pos) - 1;
        pos = GetNextItem(i, LVNI_SELECTED) + 1;
        return i;
    }
    int FindItem(LVFINDINFOW* pFindInfo, int nStart = -1) const
    {
        return static_cast<int>(Send(LVM_FINDITEMW, static_cast<WPARAM>(nStart), Ptr(pFindInfo)));
    }
    // dwData reaches the comparison whole, a pointer too.
    BOOL SortItems(PFNLVCOMPARE pfnCompare, LPARAM dwData);
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) { return static_cast<BOOL>(Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK)); }
    int GetTopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX, 0, 0)); }
    int GetCountPerPage() const { return static_cast<int>(Send(LVM_GETCOUNTPERPAGE, 0, 0)); }
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    int HitTest(LVHITTESTINFO* pHitTestInfo) const { return static_cast<int>(Send(LVM_HITTEST, 0, Ptr(pHitTestInfo))); }
    int HitTest(POINT pt, UINT* pFlags = nullptr) const;
    int SubItemHitTest(LVHITTESTINFO* pInfo) { return static_cast<int>(Send(LVM_SUBITEMHITTEST, 0, Ptr(pInfo))); }
    // Icon view's cell size; answers the previous one. -1 gives back the default.
    SIZE SetIconSpacing(int cx, int cy);
    SIZE SetIconSpacing(SIZE size) { return SetIconSpacing(size.cx, size.cy); }
    BOOL GetItemSpacing(BOOL fSmall, int* pnHorzSpacing, int* pnVertSpacing) const;
    BOOL Arrange(UINT nCode) { return static_cast<BOOL>(Send(LVM_ARRANGE, nCode, 0)); }

    int InsertColumn(int nCol, const LVCOLUMN* pColumn) { return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), Ptr(pColumn))); }
    int InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1, int nSubItem = -1);
    BOOL DeleteColumn(int nCol) { return static_cast<BOOL>(Send(LVM_DELETECOLUMN, static_cast<WPARAM>(nCol), 0)); }
    int GetColumnWidth(int nCol) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol), 0)); }
    BOOL SetColumnWidth(int nCol, int cx) { return static_cast<BOOL>(Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELONG(static_cast<WORD>(cx), 0))); }

    DWORD GetExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)); }
    DWORD SetExtendedStyle(DWORD dwNewStyle) { return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle)); }
    DWORD GetView() const { return static_cast<DWORD>(Send(LVM_GETVIEW, 0, 0)); }
    int SetView(int iView) { return static_cast<int>(Send(LVM_SETVIEW, static_cast<WPARAM>(iView), 0)); }

    // Answers the previous list's handle (the control does not own its image lists).
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType) { return SetImageList(pImageList ? pImageList->GetSafeHandle() : 0, nImageListType); }
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType)
    {
        return static_cast<HIMAGELIST>(Send(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType), hImageList));
    }
    HIMAGELIST GetImageListHandle(int nImageListType) const { return static_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, static_cast<WPARAM>(nImageListType), 0)); }

    LRESULT EnableGroupView(BOOL fEnable) { return Send(LVM_ENABLEGROUPVIEW, fEnable, 0); }
    BOOL IsGroupViewEnabled() const { return static_cast<BOOL>(Send(LVM_ISGROUPVIEWENABLED, 0, 0)); }
    LRESULT InsertGroup(int index, LVGROUP* pGroup) { return Send(LVM_INSERTGROUP, static_cast<WPARAM>(index), Ptr(pGroup)); }
    LRESULT RemoveGroup(int iGroupId) { return Send(LVM_REMOVEGROUP, static_cast<WPARAM>(iGroupId), 0); }
    void RemoveAllGroups() { Send(LVM_REMOVEALLGROUPS, 0, 0); }
    BOOL HasGroup(int iGroupId) const { return static_cast<BOOL>(Send(LVM_HASGROUP, static_cast<WPARAM>(iGroupId), 0)); }

    // Label editing: EditLabel starts it (LVN_BEGINLABELEDIT); the editor is GetEditControl().
    CEdit* EditLabel(int nItem);
    CEdit* GetEditControl() const;

private:
    template <class T>
    static LPARAM Ptr(T* p) { return static_cast<LPARAM>(reinterpret_cast<intptr_t>(p)); }
    LRESULT Send(UINT nMsg, WPARAM wParam, LPARAM lParam) const { return ::SendMessageW(m_hWnd, nMsg, wParam, lParam); }
};
