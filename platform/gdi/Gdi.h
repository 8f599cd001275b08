// The GDI calls the module makes, on 24-bit bitmaps in memory device contexts.
//
// Every device context is a memory DC: 24 bits a pixel, 96 pixels per inch, a 1 x 1 white bitmap
// selected until the caller selects its own. Device contexts, bitmaps, pens and brushes are
// objects of the process's handle table (Handle.h); DeleteObject and DeleteDC release them.
//
// Coordinates: logical units go through the mapping mode (MM_TEXT, MM_LOMETRIC: 0.1 mm with y
// upward, MM_ISOTROPIC / MM_ANISOTROPIC with window and viewport extents), the window origin and
// the viewport origin, rounded to the nearest pixel.
//
// Pens: a pen of width 0 or one that maps to at most one pixel draws one-pixel lines (PS_DOT as
// three pixels on, three off, the pattern running on from one LineTo to the next; the gaps take
// the background colour while the background mode is OPAQUE, the default). Wider pens draw solid
// lines with round ends. LineTo leaves out its last pixel.
//
// Deliberately missing: fonts and text, regions and clipping, paths, palettes, raster operations
// other than those listed below, world transforms, DIB sections and device-independent bitmaps.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <vector>

using HBRUSH = uint32_t;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Stretch modes; a new device context starts with BLACKONWHITE.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// GetObject of a bitmap.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

// GetObject of a pen.
struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ hObject);
// An object still selected into a device context is deleted when it is deselected or its device
// context is deleted; stock objects are never deleted.
BOOL DeleteObject(HGDIOBJ hObject);
HGDIOBJ GetStockObject(int nIndex);
HGDIOBJ GetCurrentObject(HDC hdc, UINT uType);
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_BITMAP = 7;
// The kind of a GDI handle (OBJ_PEN, OBJ_BRUSH, OBJ_BITMAP, OBJ_MEMDC = 10), 0 for anything else.
constexpr UINT OBJ_MEMDC = 10;
DWORD GetObjectType(HGDIOBJ hObject);
int GetObject(HGDIOBJ hObject, int cbBuffer, LPVOID lpvObject);

HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
// A 24-bit bitmap, filled black, whatever the device context.
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// Only 1 plane of 24 bits a pixel is made. lpBits, when given, holds top-down BGR rows of
// nWidth * 3 bytes with no padding (the layout of the resource bitmaps); otherwise black.
HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);

int GetDeviceCaps(HDC hdc, int index);
int SetMapMode(HDC hdc, int iMode);
int GetMapMode(HDC hdc);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* lppt);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* lppt);
BOOL GetViewportOrgEx(HDC hdc, POINT* lppt);
BOOL GetWindowOrgEx(HDC hdc, POINT* lppt);
// Only in MM_ISOTROPIC and MM_ANISOTROPIC; ignored (TRUE) in the fixed modes, as on Windows.
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* lpsz);
BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* lpsz);
BOOL LPtoDP(HDC hdc, POINT* lppt, int c);
BOOL DPtoLP(HDC hdc, POINT* lppt, int c);

COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);

BOOL MoveToEx(HDC hdc, int x, int y, POINT* lppt);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
// LineTo to each point in turn, the current position ending at the last.
BOOL PolylineTo(HDC hdc, const POINT* apt, DWORD cpt);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop);
// Copies every source pixel except those of crTransparent, stretching by pixel replication.
BOOL TransparentBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                    int wSrc, int hSrc, UINT crTransparent);

namespace tavren {

// The pixels of a bitmap as top-down BGR rows of nWidth * 3 bytes: for the host's PNG writer,
// the browser front end and tests. False for a handle that is not a bitmap.
bool GetBitmapPixels(HBITMAP hBitmap, int& nWidth, int& nHeight, std::vector<uint8_t>& bgr);
// Replaces the pixels of a bitmap (same layout, exactly nWidth * nHeight * 3 bytes).
bool SetBitmapPixels(HBITMAP hBitmap, const std::vector<uint8_t>& bgr);

} // namespace tavren
