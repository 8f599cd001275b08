// The button class: push buttons (plain and default), check boxes, radio buttons, group boxes.
//
// Arrow keys between radio buttons and mnemonics ("&Apply") are the dialog manager's; a button it
// activates is clicked with BM_CLICK, as a person clicks it.
//
// Deliberately missing: owner-drawn buttons, split and command links, three-state cycling beyond
// BM_SETCHECK, keyboard activation with the space bar, hot tracking.
#include "platform/seam/Snapshot.h"
#include "platform/user/WindowManager.h"

#include <algorithm>

namespace {

class ButtonModel : public tavren::WindowModel {
public:
    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case BM_GETCHECK:
            return m_nCheck;
        case BM_SETCHECK:
            m_nCheck = static_cast<int>(wParam);
            return 0;
        case BM_GETSTATE:
            return m_nCheck | (m_bPushed ? 0x4 : 0) | (m_bFocused ? 0x8 : 0);
        case BM_SETSTATE:
            m_bPushed = wParam != 0;
            return 0;
        case BM_CLICK:
            return OnClick(hWnd);
        case BM_SETIMAGE:
            return OnSetImage(wParam, lParam);
        case BM_GETIMAGE:
            return m_hImage;
        case BM_SETSTYLE:
            return OnSetStyle(hWnd, static_cast<DWORD>(wParam));
        case WM_LBUTTONDOWN:
            return OnLButtonDown(hWnd);
        case WM_LBUTTONUP:
            return OnLButtonUp(hWnd);
        // Space presses the focused button and lets it go, as the mouse does.
        case WM_KEYDOWN:
            if (wParam != VK_SPACE)
                return DefWindowProcW(hWnd, nMsg, wParam, lParam);
            m_bPushed = true;
            return 0;
        case WM_KEYUP:
            if (wParam != VK_SPACE)
                return DefWindowProcW(hWnd, nMsg, wParam, lParam);
            return OnLButtonUp(hWnd);
        case WM_SETFOCUS:
            m_bFocused = true;
            return 0;
        case WM_KILLFOCUS:
            m_bFocused = false;
            return 0;
        case WM_GETDLGCODE:
            return OnGetDlgCode(hWnd);
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void Describe(tavren::ControlInfo& info) const override
    {
        DWORD dwType = info.dwStyle & BS_TYPEMASK;
        bool bCheckable = dwType == BS_CHECKBOX || dwType == BS_AUTOCHECKBOX || dwType == BS_RADIOBUTTON ||
                          dwType == BS_AUTORADIOBUTTON || dwType == BS_3STATE || dwType == BS_AUTO3STATE;
        info.nCheck = bCheckable ? m_nCheck : -1;
        info.bDefault = dwType == BS_DEFPUSHBUTTON;
        info.hImage = m_hImage;
        info.bImageIsIcon = m_bImageIsIcon;
    }

private:
    static DWORD Type(HWND hWnd) { return static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE)) & BS_TYPEMASK; }

    LRESULT OnClick(HWND hWnd)
    {
        // As a mouse click: down and up on the button.
        SendMessageW(hWnd, WM_LBUTTONDOWN, 0, 0);
        SendMessageW(hWnd, WM_LBUTTONUP, 0, 0);
        return 0;
    }

    LRESULT OnSetImage(WPARAM wType, LPARAM lImage)
    {
        UINT hOld = m_hImage;
        m_hImage = static_cast<UINT>(lImage);
        m_bImageIsIcon = wType == IMAGE_ICON;
        return hOld;
    }

    LRESULT OnSetStyle(HWND hWnd, DWORD dwStyle)
    {
        DWORD dwOld = static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE));
        SetWindowLongW(hWnd, GWL_STYLE, static_cast<LONG>((dwOld & ~0xFFFFu) | (dwStyle & 0xFFFF)));
        return 0;
    }

    LRESULT OnLButtonDown(HWND hWnd)
    {
        if (Type(hWnd) == BS_GROUPBOX)
            return 0;
        m_bPushed = true;
        SetFocus(hWnd);
        return 0;
    }

    LRESULT OnLButtonUp(HWND hWnd)
    {
        if (!m_bPushed)
            return 0;
        m_bPushed = false;
        switch (Type(hWnd)) {
        case BS_AUTOCHECKBOX:
            m_nCheck = m_nCheck == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            break;
        case BS_AUTO3STATE:
            m_nCheck = (m_nCheck + 1) % 3;
            break;
        case BS_AUTORADIOBUTTON:
            CheckInGroup(hWnd);
            break;
        default:
            break;
        }
        tavren::CommandParent(hWnd, BN_CLICKED);
        return 0;
    }

    // An automatic radio button unchecks the other automatic radio buttons of its group: the
    // siblings from the previous WS_GROUP control up to the next one.
    void CheckInGroup(HWND hWnd)
    {
        auto pParent = tavren::GetWindowRecord(GetParent(hWnd));
        if (!pParent)
            return;
        const auto& siblings = pParent->children;
        auto it = std::find(siblings.begin(), siblings.end(), hWnd);
        if (it == siblings.end())
            return;
        auto first = it;
        while (first != siblings.begin() && !(GetWindowLongW(*first, GWL_STYLE) & WS_GROUP))
            --first;
        auto last = it + 1;
        while (last != siblings.end() && !(GetWindowLongW(*last, GWL_STYLE) & WS_GROUP))
            ++last;
        std::vector<HWND> group(first, last);
        for (HWND h : group) {
            if (h != hWnd && Type(h) == BS_AUTORADIOBUTTON)
                SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        m_nCheck = BST_CHECKED;
    }

    LRESULT OnGetDlgCode(HWND hWnd)
    {
        DWORD dwType = Type(hWnd);
        if (dwType == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (dwType == BS_PUSHBUTTON)
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (dwType == BS_RADIOBUTTON || dwType == BS_AUTORADIOBUTTON)
            return DLGC_BUTTON | DLGC_RADIOBUTTON; // the dialog manager moves between them with the arrows
        return DLGC_BUTTON;
    }

    int m_nCheck = BST_UNCHECKED;
    bool m_bPushed = false;
    bool m_bFocused = false;
    UINT m_hImage = 0;
    bool m_bImageIsIcon = false;
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeButtonModel()
{
    return std::make_unique<ButtonModel>();
}
} // namespace tavren
