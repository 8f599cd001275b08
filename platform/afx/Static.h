// CStatic: text, icon and bitmap statics (the static class, StaticModel.cpp).
#pragma once

#include "platform/afx/Wnd.h"

class CStatic : public CWnd {
public:
    HICON SetIcon(HICON hIcon) { return static_cast<HICON>(SendMessage(STM_SETICON, hIcon, 0)); }
    HICON GetIcon() const { return static_cast<HICON>(::SendMessageW(m_hWnd, STM_GETICON, 0, 0)); }
    HBITMAP SetBitmap(HBITMAP hBitmap) { return static_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, hBitmap)); }
    HBITMAP GetBitmap() const { return static_cast<HBITMAP>(::SendMessageW(m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0)); }
};
