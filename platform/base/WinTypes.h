// The basic types and constants of the Windows API, as a 32-bit Windows process sees them.
// Handles are 32-bit values of the layer's one handle table (see Handle.h), not pointers.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using WCHAR = char16_t;
using TCHAR = char16_t;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;
using LPCTSTR = const char16_t*;
using LPTSTR = char16_t*;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using LPCVOID = const void*;
using ULONGLONG = uint64_t;
using LONGLONG = int64_t;
using UINT_PTR = uint32_t;
using DWORD_PTR = uint32_t;
using INT_PTR = int32_t;
using LONG_PTR = int32_t;
using WPARAM = uint32_t;
using LPARAM = int64_t;   // wide enough to carry a host pointer (notification headers, item data)
using LRESULT = int64_t;
using COLORREF = uint32_t;
using ATOM = uint16_t;

using HANDLE = uint32_t;
using HWND = uint32_t;
using HINSTANCE = uint32_t;
using HMODULE = uint32_t;
using HICON = uint32_t;
using HBITMAP = uint32_t;
using HMENU = uint32_t;
using HDC = uint32_t;
using HPEN = uint32_t;
using HGDIOBJ = uint32_t;
using HCURSOR = uint32_t;
using HDEVNOTIFY = uint32_t;
using HIMAGELIST = uint32_t;
using HTREEITEM = uint32_t;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr HANDLE INVALID_HANDLE_VALUE = 0xFFFFFFFFu;
constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD MAX_PATH = 260;

constexpr WORD LOWORD(uint64_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uint64_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(uint64_t v) { return static_cast<BYTE>(v & 0xFF); }
constexpr DWORD MAKELONG(WORD lo, WORD hi) { return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16); }
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return r | (g << 8) | (static_cast<DWORD>(b) << 16); }
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
// A resource identifier passed where a name is expected.
inline LPCWSTR MAKEINTRESOURCE(UINT id) { return reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(id & 0xFFFF)); }
inline bool IS_INTRESOURCE(LPCWSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

struct POINT { LONG x; LONG y; };
struct SIZE { LONG cx; LONG cy; };
struct RECT { LONG left; LONG top; LONG right; LONG bottom; };
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct FILETIME { DWORD dwLowDateTime; DWORD dwHighDateTime; };
union ULARGE_INTEGER { struct { DWORD LowPart; DWORD HighPart; } u; ULONGLONG QuadPart; };
union LARGE_INTEGER { struct { DWORD LowPart; LONG HighPart; } u; LONGLONG QuadPart; };
