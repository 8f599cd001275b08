// What the window manager asks of the framework object attached to a window (afx/'s CWnd derives
// from it): the window manager runs messages through it and tells it when its window is gone,
// without knowing the framework's classes. Internal to the platform layer.
#pragma once

#include "platform/user/WinUser.h"

namespace tavren {

class WindowObject {
public:
    virtual ~WindowObject() = default;
    // A message to the window, through the object's message map.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Offered each message of a modal loop on the way from its window up to the top-level window.
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;
    // Attaches the object to a new window before any message reaches it; false when it cannot be.
    virtual BOOL AttachToWindow(HWND hWnd) = 0;
    // The window is gone: the object lets go of it and cleans up after it (PostNcDestroy).
    virtual void WindowGone() = 0;
};

} // namespace tavren
