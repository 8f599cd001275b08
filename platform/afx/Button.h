// CButton: push buttons, check boxes and radio buttons (the button class, ButtonModel.cpp).
#pragma once

#include "platform/afx/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck), 0); }
    UINT GetState() const { return static_cast<UINT>(::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0)); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw); }
    HICON SetIcon(HICON hIcon) { return static_cast<HICON>(SendMessage(BM_SETIMAGE, IMAGE_ICON, hIcon)); }
    HICON GetIcon() const { return static_cast<HICON>(::SendMessageW(m_hWnd, BM_GETIMAGE, IMAGE_ICON, 0)); }
    HBITMAP SetBitmap(HBITMAP hBitmap) { return static_cast<HBITMAP>(SendMessage(BM_SETIMAGE, IMAGE_BITMAP, hBitmap)); }
};
