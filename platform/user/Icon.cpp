#include "platform/user/Icon.h"

#include "platform/kernel/Handle.h"
#include "platform/user/Resource.h"

#include <algorithm>

namespace {

class IconObject : public tavren::HandleObject {
public:
    HINSTANCE hModule = 0;
    UINT nId = 0;
    int cx = 32;
    int cy = 32;
};

HICON Load(HINSTANCE hInstance, LPCWSTR lpName, int cx, int cy, bool bOwnSize)
{
    if (!IS_INTRESOURCE(lpName))
        return 0;
    UINT nId = static_cast<UINT>(reinterpret_cast<uintptr_t>(lpName));
    HINSTANCE hFound = hInstance;
    const tavren::IconResource* pIcon =
        hInstance ? tavren::FindIconResource(hInstance, nId) : tavren::FindIconResourceChain(nId, &hFound);
    if (!pIcon || pIcon->nImages == 0)
        return 0;
    auto p = std::make_shared<IconObject>();
    p->hModule = hFound;
    p->nId = nId;
    if (bOwnSize) {
        p->cx = pIcon->pImages[0].nWidth;
        p->cy = pIcon->pImages[0].nHeight;
    } else {
        p->cx = cx > 0 ? cx : 32;
        p->cy = cy > 0 ? cy : 32;
    }
    return tavren::AllocHandle(p);
}

} // namespace

HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName)
{
    return Load(hInstance, lpIconName, 32, 32, false);
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    if (type != IMAGE_ICON)
        return 0;
    // Zero sizes take the resource's own size, or the default icon size with LR_DEFAULTSIZE.
    return Load(hInst, name, cx, cy, cx == 0 && cy == 0 && !(fuLoad & LR_DEFAULTSIZE));
}

BOOL DestroyIcon(HICON hIcon)
{
    return tavren::LookupHandleAs<IconObject>(hIcon) ? CloseHandle(hIcon) : FALSE;
}

int GetSystemMetrics(int nIndex)
{
    switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;
    }
}

namespace tavren {

bool GetIconPicture(HICON hIcon, int* pcx, int* pcy, std::vector<uint8_t>* pBgra)
{
    auto p = LookupHandleAs<IconObject>(hIcon);
    if (!p)
        return false;
    const IconResource* pIcon = FindIconResource(p->hModule, p->nId);
    const IconImage* pImage = pIcon ? pIcon->BestImage(p->cx, p->cy) : nullptr;
    if (!pImage || pImage->nWidth <= 0 || pImage->nHeight <= 0)
        return false;
    *pcx = p->cx;
    *pcy = p->cy;
    pBgra->assign(static_cast<size_t>(p->cx) * p->cy * 4, 0);
    for (int y = 0; y < p->cy; ++y) {
        int sy = y * pImage->nHeight / p->cy;
        for (int x = 0; x < p->cx; ++x) {
            int sx = x * pImage->nWidth / p->cx;
            const uint8_t* pSrc = pImage->pBits + (static_cast<size_t>(sy) * pImage->nWidth + sx) * 4;
            std::copy_n(pSrc, 4, pBgra->data() + (static_cast<size_t>(y) * p->cx + x) * 4);
        }
    }
    return true;
}

UINT IconResourceId(HICON hIcon)
{
    auto p = LookupHandleAs<IconObject>(hIcon);
    return p ? p->nId : 0;
}

} // namespace tavren
