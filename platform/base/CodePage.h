// ANSI code-page conversion: WideCharToMultiByte and MultiByteToWideChar for code pages 1252,
// 932 and UTF-8. CP_ACP and CP_THREAD_ACP mean the calling thread's code page, 1252 unless
// tavren::SetThreadCodePage(932) was called on that thread.
//
// Deliberately missing: best-fit mapping (a character the code page lacks always becomes the
// default character, so a name never silently turns into a different name), and code pages
// other than 1252, 932 and 65001.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>

constexpr UINT CP_ACP = 0;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;

int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* src, int cchSrc, char* dst, int cbDst,
                        const char* defaultChar, BOOL* usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int cbSrc, char16_t* dst, int cchDst);
UINT GetACP();

namespace tavren {
void SetThreadCodePage(UINT codePage);
// Whole-string helpers over the two calls above.
std::string ToAnsi(std::u16string_view s, UINT codePage = CP_ACP, bool* usedDefault = nullptr);
std::u16string FromAnsi(std::string_view s, UINT codePage = CP_ACP);
} // namespace tavren
