// CComboBoxEx: the extended combo box (ComboBoxExModel.cpp).
#pragma once

#include "platform/comctl/CommCtrl.h"
#include "platform/afx/ImageList.h"
#include "platform/afx/Wnd.h"

class CComboBoxEx : public CWnd {
public:
    int InsertItem(const COMBOBOXEXITEM* pCBItem)
    {
        return static_cast<int>(SendMessage(CBEM_INSERTITEMW, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(pCBItem))));
    }
    int DeleteItem(int iIndex) { return static_cast<int>(SendMessage(CBEM_DELETEITEM, static_cast<WPARAM>(iIndex), 0)); }
    BOOL GetItem(COMBOBOXEXITEM* pCBItem) const
    {
        return static_cast<BOOL>(::SendMessageW(m_hWnd, CBEM_GETITEMW, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(pCBItem))));
    }
    BOOL SetItem(const COMBOBOXEXITEM* pCBItem)
    {
        return static_cast<BOOL>(SendMessage(CBEM_SETITEMW, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(pCBItem))));
    }
    int GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }
    int GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT, 0, 0); }
    DWORD_PTR GetItemData(int nIndex) const { return static_cast<DWORD_PTR>(::SendMessageW(m_hWnd, CB_GETITEMDATA, static_cast<WPARAM>(nIndex), 0)); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData) { return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(dwItemData))); }
    // Answers the previous list's handle (the control does not own its image lists).
    HIMAGELIST SetImageList(CImageList* pImageList) { return SetImageList(pImageList ? pImageList->GetSafeHandle() : 0); }
    HIMAGELIST SetImageList(HIMAGELIST hImageList) { return static_cast<HIMAGELIST>(SendMessage(CBEM_SETIMAGELIST, 0, hImageList)); }
    HIMAGELIST GetImageListHandle() const { return static_cast<HIMAGELIST>(::SendMessageW(m_hWnd, CBEM_GETIMAGELIST, 0, 0)); }
    void ShowDropDown(BOOL bShowIt = TRUE) { SendMessage(CB_SHOWDROPDOWN, bShowIt, 0); }
};
