// Image lists: pictures of one size (cx x cy, 24-bit colour, with a mask when ILC_MASK is given),
// numbered from 0 in the order they were added. HIMAGELIST values are handles of the process's
// handle table, so a list view can be given one by handle.
//
// Adding a bitmap wider than cx adds one picture per cx columns (a strip); a bitmap smaller than a
// picture fills its top-left corner and the rest stays black. With ILC_MASK, adding a bitmap with
// a mask colour (ImageList_AddMasked) makes the pixels of that colour transparent (and black in
// the picture, as Windows does); without ILC_MASK the colour is ignored.
//
// Deliberately missing: icons (ImageList_AddIcon), overlays, drag images, and colour depths other
// than 24 bits (ILC_COLOR* values are accepted and stored as 24-bit).
#pragma once

#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <vector>

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
BOOL ImageList_Destroy(HIMAGELIST himl);
int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask);
// i = -1 removes every picture.
BOOL ImageList_Remove(HIMAGELIST himl, int i);
int ImageList_GetImageCount(HIMAGELIST himl);
// Cuts the list to uImageCount pictures, or grows it with black ones.
BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT uImageCount);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
// ILD_TRANSPARENT (or a background colour of CLR_NONE) leaves the masked pixels alone.
BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);

namespace tavren {

// One picture: top-down BGR rows of cx * 3 bytes, and per pixel 1 where it is transparent (all 0
// for a list without ILC_MASK). For the browser front end and tests.
struct ImageListPicture {
    int cx = 0;
    int cy = 0;
    std::vector<uint8_t> bgr;
    std::vector<uint8_t> transparent;
};
bool GetImageListPicture(HIMAGELIST himl, int i, ImageListPicture& picture);

// What a viewer needs to know whether its copies of a list's pictures are still good: nSerial
// tells this list from any other made in the process (handles are reused), nChanges counts the
// changes to its pictures (added, replaced, removed, count set), and nothing else moves it.
struct ImageListState {
    uint64_t nSerial = 0;
    uint64_t nChanges = 0;
    int cx = 0;
    int cy = 0;
    int nCount = 0;
};
bool GetImageListState(HIMAGELIST himl, ImageListState& state);

} // namespace tavren
