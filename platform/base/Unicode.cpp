#include "platform/base/Unicode.h"

namespace tavren {

char16_t ToUpper(char16_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    // Latin Extended-A pairs capital/small as even/odd, except around the dotless i and the
    // odd-then-even run from 0x139 to 0x148 and 0x179 to 0x17E.
    if ((c >= 0x101 && c <= 0x137 && (c & 1) && c != 0x131) || (c >= 0x14B && c <= 0x177 && (c & 1)))
        return static_cast<char16_t>(c - 1);
    if (((c >= 0x13A && c <= 0x148) || (c >= 0x17A && c <= 0x17E)) && !(c & 1))
        return static_cast<char16_t>(c - 1);
    return c;
}

char16_t ToLower(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A))
        return static_cast<char16_t>(c + 0x20);
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<char16_t>(c + 0x50);
    if ((c >= 0x100 && c <= 0x136 && !(c & 1) && c != 0x130) || (c >= 0x14A && c <= 0x176 && !(c & 1)))
        return static_cast<char16_t>(c + 1);
    if (((c >= 0x139 && c <= 0x147) || (c >= 0x179 && c <= 0x17D)) && (c & 1))
        return static_cast<char16_t>(c + 1);
    return c;
}

std::u16string Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b >> 5) == 6 || (b >> 4) == 14 || (b >> 3) == 30) {
            len = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
            if (i + len <= s.size()) {
                cp = b & (0x3F >> (len - 1));
                bool ok = true;
                for (size_t k = 1; k < len; ++k) {
                    auto c = static_cast<unsigned char>(s[i + k]);
                    ok = ok && (c >> 6) == 2;
                    cp = (cp << 6) | (c & 0x3F);
                }
                // Overlong forms, encoded surrogates and code points past U+10FFFF are not text:
                // each of their bytes becomes a replacement character.
                static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
                if (!ok || cp > 0x10FFFF || cp < kLeast[len] || (cp >= 0xD800 && cp <= 0xDFFF)) {
                    cp = 0xFFFD;
                    len = 1;
                }
            } else {
                len = 1;
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate cannot travel in UTF-8
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace tavren
