// The text helpers every room shares: case folding for the characters file names use, and
// conversion between UTF-8 (host paths and strings) and UTF-16 (everything Windows-shaped).
#pragma once

#include <string>
#include <string_view>

namespace tavren {
// Case folding used by CompareNoCase, MakeUpper and the case-blind path lookup: Windows'
// invariant upper-casing for ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and full-width Latin.
char16_t ToUpper(char16_t ch);
char16_t ToLower(char16_t ch);
// Malformed UTF-8 becomes U+FFFD a byte; a lone surrogate becomes U+FFFD in UTF-8.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
} // namespace tavren
