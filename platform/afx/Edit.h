// CEdit: one-line edits and a list's label editor (the edit class, EditModel.cpp).
#pragma once

#include "platform/afx/Wnd.h"

class CEdit : public CWnd {
public:
    void SetLimitText(UINT nMax) { SendMessage(EM_LIMITTEXT, nMax, 0); }
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0); }
    UINT GetLimitText() const { return static_cast<UINT>(::SendMessageW(m_hWnd, EM_GETLIMITTEXT, 0, 0)); }
    // nStartChar -1 removes the selection; nEndChar -1 selects to the end (SetSel(0, -1): all).
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE)
    {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    }
    void GetSel(int& nStartChar, int& nEndChar) const
    {
        DWORD dw = static_cast<DWORD>(::SendMessageW(m_hWnd, EM_GETSEL, 0, 0));
        nStartChar = LOWORD(dw);
        nEndChar = HIWORD(dw);
    }
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, static_cast<LPARAM>(reinterpret_cast<intptr_t>(lpszNewText)));
    }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, bReadOnly, 0)); }
};
