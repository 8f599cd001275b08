#include "platform/base/CodePage.h"

#include "platform/base/Unicode.h"
#include "platform/base/WinError.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

thread_local UINT t_codePage = 1252;

// Code page 1252 bytes 0x80..0x9F; 0 marks the five bytes the code page leaves undefined, which
// Windows passes through as the C1 control of the same value.
constexpr char16_t k1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

UINT Resolve(UINT cp) { return (cp == CP_ACP || cp == CP_THREAD_ACP) ? t_codePage : cp; }

int From1252(unsigned char b) // -1 never: every byte maps
{
    if (b >= 0x80 && b <= 0x9F)
        return k1252High[b - 0x80] ? k1252High[b - 0x80] : b;
    return b;
}

int To1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (k1252High[i] == c || (!k1252High[i] && c == static_cast<char32_t>(0x80 + i)))
            return 0x80 + i;
    return -1;
}

// Code page 932 goes through the C library's converter, one character at a time, so that each
// unmappable character becomes the default character on its own.
struct Iconv932 {
    std::mutex lock;
    iconv_t toSjis = iconv_open("CP932", "UTF-32LE");
    iconv_t fromSjis = iconv_open("UTF-32LE", "CP932");
};
Iconv932& Conv932()
{
    static Iconv932 c;
    return c;
}

// Encodes one code point in 932: 1 or 2 bytes into out, or 0 when it has no mapping.
int To932(char32_t c, char out[2])
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    auto& cv = Conv932();
    std::lock_guard<std::mutex> g(cv.lock);
    if (cv.toSjis == reinterpret_cast<iconv_t>(-1))
        return 0;
    unsigned char in[4] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                           static_cast<unsigned char>(c >> 16), 0};
    char* pin = reinterpret_cast<char*>(in);
    size_t nin = 4, nout = 2;
    char* pout = out;
    iconv(cv.toSjis, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cv.toSjis, &pin, &nin, &pout, &nout) == static_cast<size_t>(-1))
        return 0;
    return static_cast<int>(2 - nout);
}

char32_t From932(const unsigned char* p, int len)
{
    if (len == 1 && p[0] < 0x80)
        return p[0];
    auto& cv = Conv932();
    std::lock_guard<std::mutex> g(cv.lock);
    if (cv.fromSjis == reinterpret_cast<iconv_t>(-1))
        return 0x30FB;
    unsigned char out[4] = {};
    char* pin = const_cast<char*>(reinterpret_cast<const char*>(p));
    size_t nin = static_cast<size_t>(len), nout = 4;
    char* pout = reinterpret_cast<char*>(out);
    iconv(cv.fromSjis, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cv.fromSjis, &pin, &nin, &pout, &nout) == static_cast<size_t>(-1) || nout != 0)
        return 0x30FB; // the katakana middle dot, as Windows shows a byte pair it cannot read
    return out[0] | (out[1] << 8) | (out[2] << 16);
}

bool IsLead932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

} // namespace

UINT GetACP() { return t_codePage; }

int WideCharToMultiByte(UINT codePage, DWORD, const char16_t* src, int cchSrc, char* dst, int cbDst,
                        const char* defaultChar, BOOL* usedDefaultChar)
{
    UINT cp = Resolve(codePage);
    if (!src || cbDst < 0 || (cp != 1252 && cp != 932 && cp != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = cchSrc < 0 ? std::char_traits<char16_t>::length(src) + 1 : static_cast<size_t>(cchSrc);
    std::string out;
    bool used = false;
    if (cp == CP_UTF8) {
        out = tavren::Utf16ToUtf8(std::u16string_view(src, n));
    } else {
        char def = defaultChar ? *defaultChar : '?';
        for (size_t i = 0; i < n; ++i) {
            char32_t c = src[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (src[++i] - 0xDC00);
            if (cp == 1252) {
                int b = To1252(c);
                if (b < 0) {
                    out += def;
                    used = true;
                } else {
                    out += static_cast<char>(b);
                }
            } else {
                char two[2];
                int k = To932(c, two);
                if (k == 0) {
                    out += def;
                    used = true;
                } else {
                    out.append(two, static_cast<size_t>(k));
                }
            }
        }
    }
    if (usedDefaultChar)
        *usedDefaultChar = used ? TRUE : FALSE;
    if (cbDst == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(cbDst)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, out.data(), out.size());
    return static_cast<int>(out.size());
}

int MultiByteToWideChar(UINT codePage, DWORD, const char* src, int cbSrc, char16_t* dst, int cchDst)
{
    UINT cp = Resolve(codePage);
    if (!src || cchDst < 0 || (cp != 1252 && cp != 932 && cp != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = cbSrc < 0 ? std::strlen(src) + 1 : static_cast<size_t>(cbSrc);
    auto* p = reinterpret_cast<const unsigned char*>(src);
    std::u16string out;
    if (cp == CP_UTF8) {
        out = tavren::Utf8ToUtf16(std::string_view(src, n));
    } else {
        for (size_t i = 0; i < n; ++i) {
            if (cp == 1252) {
                out += static_cast<char16_t>(From1252(p[i]));
                continue;
            }
            int len = (IsLead932(p[i]) && i + 1 < n) ? 2 : 1;
            char32_t c = (p[i] >= 0xA1 && p[i] <= 0xDF) ? 0xFF61 + (p[i] - 0xA1) : From932(p + i, len);
            i += static_cast<size_t>(len - 1);
            if (c >= 0x10000) {
                c -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (c >> 10));
                out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
            } else {
                out += static_cast<char16_t>(c);
            }
        }
    }
    if (cchDst == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(cchDst)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, out.data(), out.size() * sizeof(char16_t));
    return static_cast<int>(out.size());
}

namespace tavren {

void SetThreadCodePage(UINT codePage) { t_codePage = codePage == 932 ? 932 : 1252; }

std::string ToAnsi(std::u16string_view s, UINT codePage, bool* usedDefault)
{
    BOOL used = FALSE;
    int n = s.empty() ? 0 : WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, &used);
    std::string out(static_cast<size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, &used);
    if (usedDefault)
        *usedDefault = used != FALSE;
    return out;
}

std::u16string FromAnsi(std::string_view s, UINT codePage)
{
    int n = s.empty() ? 0 : MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

} // namespace tavren
