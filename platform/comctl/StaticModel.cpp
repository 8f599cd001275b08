// The static class: text, icons and bitmaps.
//
// Deliberately missing: owner drawing, SS_NOTIFY clicks, ellipsis and word-wrap measuring (the
// front ends lay text out themselves).
#include "platform/gdi/Gdi.h"
#include "platform/seam/Snapshot.h"
#include "platform/user/Icon.h"
#include "platform/user/Resource.h"
#include "platform/user/WindowManager.h"

namespace {

class StaticModel : public tavren::WindowModel {
public:
    // A template's "ICON 13001" (or an SS_BITMAP static's bitmap) is loaded at creation from the
    // resources, as the static control does under Windows; the picture is the static's own until
    // the program sets another, which hands the old one back to the program.
    StaticModel(UINT nImageId, DWORD dwStyle)
    {
        if (!nImageId)
            return;
        if ((dwStyle & SS_TYPEMASK) == SS_ICON) {
            m_hImage = static_cast<UINT>(LoadIconW(0, MAKEINTRESOURCE(nImageId)));
            m_bIcon = true;
        } else if ((dwStyle & SS_TYPEMASK) == SS_BITMAP) {
            if (const tavren::BitmapResource* p = tavren::FindBitmapResourceChain(nImageId); p && p->pBits)
                m_hImage = static_cast<UINT>(CreateBitmap(p->nWidth, p->nHeight, 1, 24, p->pBits));
        }
        m_hOwned = m_hImage;
        m_bOwnedIsIcon = m_bIcon;
    }

    ~StaticModel() override
    {
        if (!m_hOwned)
            return;
        if (m_bOwnedIsIcon)
            DestroyIcon(static_cast<HICON>(m_hOwned));
        else
            DeleteObject(static_cast<HGDIOBJ>(m_hOwned));
    }

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
        case WM_GETDLGCODE:
            return DLGC_STATIC; // its "&" mnemonic moves the focus to the control after it
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
        if (hOld == m_hOwned && hImage != m_hOwned)
            m_hOwned = 0;
        m_hImage = hImage;
        m_bIcon = bIcon;
        return hOld;
    }

    UINT m_hImage = 0;
    bool m_bIcon = false;
    UINT m_hOwned = 0; // what the static loaded itself and still keeps
    bool m_bOwnedIsIcon = false;
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeStaticModel(UINT nImageId, DWORD dwStyle)
{
    return std::make_unique<StaticModel>(nImageId, dwStyle);
}
} // namespace tavren
