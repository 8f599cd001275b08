// The static class: text, icons and bitmaps.
//
// Deliberately missing: owner drawing, SS_NOTIFY clicks, ellipsis and word-wrap measuring (the
// front ends lay text out themselves).
#include "platform/seam/Automation.h"
#include "platform/user/WindowManager.h"

namespace {

class StaticModel : public tavren::WindowModel {
public:
    explicit StaticModel(UINT hImage) : m_hImage(hImage) {}

    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case STM_SETICON:
            return OnSetImage(static_cast<UINT>(wParam), true);
        case STM_GETICON:
            return m_hImage;
        case STM_SETIMAGE:
            return OnSetImage(static_cast<UINT>(lParam), wParam == IMAGE_ICON);
        case STM_GETIMAGE:
            return m_hImage;
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void Describe(tavren::ControlInfo& info) const override
    {
        info.hImage = m_hImage;
        info.bImageIsIcon = (info.dwStyle & SS_TYPEMASK) == SS_ICON || m_bIcon;
    }

private:
    LRESULT OnSetImage(UINT hImage, bool bIcon)
    {
        UINT hOld = m_hImage;
        m_hImage = hImage;
        m_bIcon = bIcon;
        return hOld;
    }

    // A template's "ICON 13001" gives the resource id until the program sets a loaded handle.
    UINT m_hImage;
    bool m_bIcon = false;
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeStaticModel(UINT nImageId)
{
    return std::make_unique<StaticModel>(nImageId);
}
} // namespace tavren
