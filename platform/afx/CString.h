// CString: the MFC string over UTF-16 code units (char16_t), counted as Windows counts them.
//
// Deliberately missing: reference-counted sharing (the string owns a std::u16string), the
// ANSI/multibyte CStringA flavour, and Format's floating-point and width-from-argument ("*") forms,
// which the module never uses.
#pragma once

#include "platform/base/Unicode.h"
#include "platform/base/WinTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class CString {
public:
    CString() = default;
    CString(const char16_t* psz) : m_str(psz ? psz : u"") {}
    CString(const char16_t* pch, int nLength) : m_str(pch, nLength > 0 ? nLength : 0) {}
    CString(char16_t ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
    CString(std::u16string s) : m_str(std::move(s)) {}
    CString(std::u16string_view s) : m_str(s) {}
    // From UTF-8 text (host strings, literals in host code); the module itself uses u"" literals.
    static CString FromUtf8(std::string_view utf8);
    std::string ToUtf8() const;

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char16_t GetAt(int i) const { return m_str.at(static_cast<size_t>(i)); }
    void SetAt(int i, char16_t ch) { m_str.at(static_cast<size_t>(i)) = ch; }
    char16_t operator[](int i) const { return GetAt(i); }
    operator const char16_t*() const { return m_str.c_str(); }
    const char16_t* GetString() const { return m_str.c_str(); }
    const std::u16string& Str() const { return m_str; }

    // A writable buffer of at least nMinLength characters plus the terminator; ReleaseBuffer(-1)
    // takes the length from the first zero, as MFC does.
    char16_t* GetBuffer(int nMinLength = 0);
    char16_t* GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);

    CString& operator=(const char16_t* psz) { m_str = psz ? psz : u""; return *this; }
    CString& operator=(char16_t ch) { m_str.assign(1, ch); return *this; }
    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(const char16_t* psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char16_t ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char16_t* b) { return CString(a.m_str + (b ? b : u"")); }
    friend CString operator+(const char16_t* a, const CString& b) { return CString((a ? a : u"") + b.m_str); }
    friend CString operator+(const CString& a, char16_t b) { return CString(a.m_str + b); }
    friend CString operator+(char16_t a, const CString& b) { return CString(a + b.m_str); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char16_t* b) { return a.m_str == (b ? b : u""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char16_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

    // Ordinal comparisons: negative, zero or positive. CompareNoCase folds case as Windows'
    // invariant upper-casing does for the characters file names use (ASCII, Latin-1, Greek,
    // Cyrillic and full-width Latin).
    int Compare(const char16_t* psz) const;
    int CompareNoCase(const char16_t* psz) const;

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    int Find(char16_t ch, int nStart = 0) const;
    int Find(const char16_t* psz, int nStart = 0) const;
    int ReverseFind(char16_t ch) const;
    int FindOneOf(const char16_t* pszChars) const;
    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& Trim(const char16_t* pszChars);
    CString& TrimLeft(const char16_t* pszChars = nullptr);
    CString& TrimRight(const char16_t* pszChars = nullptr);
    int Replace(char16_t chOld, char16_t chNew);
    int Replace(const char16_t* pszOld, const char16_t* pszNew);
    int Remove(char16_t ch);
    int Insert(int nIndex, const char16_t* psz);
    int Delete(int nIndex, int nCount = 1);
    CString Tokenize(const char16_t* pszTokens, int& iStart) const;

    // Loads string nID from the current resource module (AfxGetResourceHandle), then from the
    // module's own instance; false and an empty string when neither has it.
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    // printf-style formatting with %d %i %u %x %X %c %s %% (flags, width and precision, the
    // l/h/ll/I64 size prefixes accepted). %s takes a UTF-16 string (CString or const char16_t*).
    template <typename... Args>
    void Format(const char16_t* pszFormat, const Args&... args) { FormatV(pszFormat, {MakeArg(args)...}); }
    template <typename... Args>
    void Format(UINT nFormatID, const Args&... args)
    {
        CString strFormat;
        strFormat.LoadString(nFormatID);
        FormatV(strFormat, {MakeArg(args)...});
    }
    template <typename... Args>
    void AppendFormat(const char16_t* pszFormat, const Args&... args)
    {
        CString s;
        s.FormatV(pszFormat, {MakeArg(args)...});
        m_str += s.m_str;
    }

    struct FormatArg {
        enum Kind { Int, UInt, Str, Char } kind;
        int64_t i;
        uint64_t u;
        const char16_t* s;
    };
    void FormatV(const char16_t* pszFormat, const std::vector<FormatArg>& args);

private:
    template <typename T>
    static FormatArg MakeArg(const T& v)
    {
        if constexpr (std::is_same_v<T, CString>) {
            return {FormatArg::Str, 0, 0, v.GetString()};
        } else if constexpr (std::is_convertible_v<T, const char16_t*>) {
            return {FormatArg::Str, 0, 0, static_cast<const char16_t*>(v)};
        } else if constexpr (std::is_same_v<T, char16_t>) {
            return {FormatArg::Char, static_cast<int64_t>(v), static_cast<uint64_t>(v), nullptr};
        } else if constexpr (std::is_enum_v<T>) {
            return {FormatArg::Int, static_cast<int64_t>(v), static_cast<uint64_t>(v), nullptr};
        } else if constexpr (std::is_signed_v<T>) {
            return {FormatArg::Int, static_cast<int64_t>(v), static_cast<uint64_t>(static_cast<int64_t>(v)), nullptr};
        } else {
            static_assert(std::is_unsigned_v<T>, "Format takes integers, characters and UTF-16 strings");
            return {FormatArg::UInt, static_cast<int64_t>(v), static_cast<uint64_t>(v), nullptr};
        }
    }

    std::u16string m_str;
};
