// Icons loaded from a module's resources: LoadIconW / LoadImageW(IMAGE_ICON) give a handle of the
// process's handle table that names the icon resource and the size asked for; DestroyIcon
// releases it. Buttons (BM_SETIMAGE) and statics (STM_SETICON) keep the handle; the front ends
// draw it with tavren::GetIconPicture.
//
// Deliberately missing: cursors, icons made at run time (CreateIconIndirect), shared icons
// (LR_SHARED is accepted; every load is its own handle, and DestroyIcon is always allowed).
#pragma once

#include "platform/user/WinUser.h"

#include <vector>

constexpr UINT IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;

// From hInstance's resources (0: through the resource chain); 32 x 32.
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
inline HICON LoadIcon(HINSTANCE hInstance, LPCWSTR lpIconName) { return LoadIconW(hInstance, lpIconName); }
// IMAGE_ICON only; cx/cy 0 take the default size (32 x 32), or the icon's own with LR_DEFAULTSIZE.
HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
inline HANDLE LoadImage(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    return LoadImageW(hInst, name, type, cx, cy, fuLoad);
}
BOOL DestroyIcon(HICON hIcon);
int GetSystemMetrics(int nIndex);

namespace tavren {
// The icon's picture at the size it was loaded with: 32-bit BGRA rows, top-down (scaled with the
// nearest pixel when the resource has no image of that size). False for an unknown handle.
bool GetIconPicture(HICON hIcon, int* pcx, int* pcy, std::vector<uint8_t>* pBgra);
// The resource id the icon was loaded from, 0 for an unknown handle.
UINT IconResourceId(HICON hIcon);
} // namespace tavren
