#include "platform/afx/CString.h"

#include <algorithm>

CString CString::FromUtf8(std::string_view utf8) { return CString(tavren::Utf8ToUtf16(utf8)); }
std::string CString::ToUtf8() const { return tavren::Utf16ToUtf8(m_str); }

char16_t* CString::GetBuffer(int nMinLength)
{
    if (nMinLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinLength));
    return m_str.data();
}

char16_t* CString::GetBufferSetLength(int nLength)
{
    m_str.resize(static_cast<size_t>(std::max(nLength, 0)));
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0) {
        size_t n = m_str.find(u'\0');
        if (n != std::u16string::npos)
            m_str.resize(n);
    } else if (static_cast<size_t>(nNewLength) <= m_str.size()) {
        m_str.resize(static_cast<size_t>(nNewLength));
    }
}

int CString::Compare(const char16_t* psz) const
{
    std::u16string_view b = psz ? psz : u"";
    int r = std::u16string_view(m_str).compare(b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CString::CompareNoCase(const char16_t* psz) const
{
    std::u16string_view b = psz ? psz : u"";
    size_t n = std::min(m_str.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = tavren::ToLower(m_str[i]), y = tavren::ToLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return m_str.size() == b.size() ? 0 : (m_str.size() < b.size() ? -1 : 1);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength() - std::max(nFirst, 0)); }

CString CString::Mid(int nFirst, int nCount) const
{
    nFirst = std::clamp(nFirst, 0, GetLength());
    nCount = std::clamp(nCount, 0, GetLength() - nFirst);
    return CString(m_str.substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

CString CString::Left(int nCount) const { return Mid(0, nCount); }

CString CString::Right(int nCount) const
{
    nCount = std::clamp(nCount, 0, GetLength());
    return Mid(GetLength() - nCount, nCount);
}

int CString::Find(char16_t ch, int nStart) const
{
    if (nStart < 0 || nStart > GetLength())
        return -1;
    size_t r = m_str.find(ch, static_cast<size_t>(nStart));
    return r == std::u16string::npos ? -1 : static_cast<int>(r);
}

int CString::Find(const char16_t* psz, int nStart) const
{
    if (!psz || nStart < 0 || nStart > GetLength())
        return -1;
    size_t r = m_str.find(psz, static_cast<size_t>(nStart));
    return r == std::u16string::npos ? -1 : static_cast<int>(r);
}

int CString::ReverseFind(char16_t ch) const
{
    size_t r = m_str.rfind(ch);
    return r == std::u16string::npos ? -1 : static_cast<int>(r);
}

int CString::FindOneOf(const char16_t* pszChars) const
{
    if (!pszChars)
        return -1;
    size_t r = m_str.find_first_of(pszChars);
    return r == std::u16string::npos ? -1 : static_cast<int>(r);
}

CString& CString::MakeUpper()
{
    for (auto& c : m_str)
        c = tavren::ToUpper(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (auto& c : m_str)
        c = tavren::ToLower(c);
    return *this;
}

static bool IsSpace16(char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0x3000 || c == 0xA0; }

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(const char16_t* pszChars) { return TrimRight(pszChars).TrimLeft(pszChars); }

CString& CString::TrimLeft(const char16_t* pszChars)
{
    size_t i = 0;
    std::u16string_view set = pszChars ? pszChars : u"";
    while (i < m_str.size() && (pszChars ? set.find(m_str[i]) != set.npos : IsSpace16(m_str[i])))
        ++i;
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimRight(const char16_t* pszChars)
{
    size_t n = m_str.size();
    std::u16string_view set = pszChars ? pszChars : u"";
    while (n > 0 && (pszChars ? set.find(m_str[n - 1]) != set.npos : IsSpace16(m_str[n - 1])))
        --n;
    m_str.resize(n);
    return *this;
}

int CString::Replace(char16_t chOld, char16_t chNew)
{
    int n = 0;
    for (auto& c : m_str)
        if (c == chOld) {
            c = chNew;
            ++n;
        }
    return n;
}

int CString::Replace(const char16_t* pszOld, const char16_t* pszNew)
{
    std::u16string_view from = pszOld ? pszOld : u"";
    std::u16string_view to = pszNew ? pszNew : u"";
    if (from.empty())
        return 0;
    int n = 0;
    std::u16string out;
    size_t pos = 0;
    for (size_t hit; (hit = m_str.find(from, pos)) != std::u16string::npos; pos = hit + from.size(), ++n)
        out.append(m_str, pos, hit - pos).append(to);
    out.append(m_str, pos);
    m_str = std::move(out);
    return n;
}

int CString::Remove(char16_t ch)
{
    auto it = std::remove(m_str.begin(), m_str.end(), ch);
    int n = static_cast<int>(m_str.end() - it);
    m_str.erase(it, m_str.end());
    return n;
}

int CString::Insert(int nIndex, const char16_t* psz)
{
    nIndex = std::clamp(nIndex, 0, GetLength());
    if (psz)
        m_str.insert(static_cast<size_t>(nIndex), psz);
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex >= 0 && nIndex < GetLength() && nCount > 0)
        m_str.erase(static_cast<size_t>(nIndex), static_cast<size_t>(nCount));
    return GetLength();
}

CString CString::Tokenize(const char16_t* pszTokens, int& iStart) const
{
    std::u16string_view set = pszTokens ? pszTokens : u"";
    if (iStart < 0)
        return CString();
    size_t i = static_cast<size_t>(iStart);
    while (i < m_str.size() && set.find(m_str[i]) != set.npos)
        ++i;
    if (i >= m_str.size()) {
        iStart = -1;
        return CString();
    }
    size_t j = i;
    while (j < m_str.size() && set.find(m_str[j]) == set.npos)
        ++j;
    iStart = static_cast<int>(std::min(j + 1, m_str.size() + 1));
    return CString(m_str.substr(i, j - i));
}

void CString::FormatV(const char16_t* pszFormat, const std::vector<FormatArg>& args)
{
    std::u16string out;
    size_t next = 0;
    std::u16string_view f = pszFormat ? pszFormat : u"";
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != u'%') {
            out += f[i];
            continue;
        }
        if (++i >= f.size())
            break;
        if (f[i] == u'%') {
            out += u'%';
            continue;
        }
        bool left = false, zero = false, plus = false, space = false;
        for (; i < f.size(); ++i) {
            if (f[i] == u'-') left = true;
            else if (f[i] == u'0') zero = true;
            else if (f[i] == u'+') plus = true;
            else if (f[i] == u' ') space = true;
            else if (f[i] != u'#') break;
        }
        size_t width = 0;
        for (; i < f.size() && f[i] >= u'0' && f[i] <= u'9'; ++i)
            width = width * 10 + (f[i] - u'0');
        long precision = -1;
        if (i < f.size() && f[i] == u'.') {
            precision = 0;
            for (++i; i < f.size() && f[i] >= u'0' && f[i] <= u'9'; ++i)
                precision = precision * 10 + (f[i] - u'0');
        }
        while (i < f.size() && (f[i] == u'l' || f[i] == u'h' || f[i] == u'I' || f[i] == u'6' || f[i] == u'4' || f[i] == u'w'))
            ++i;
        if (i >= f.size())
            break;
        char16_t conv = f[i];
        FormatArg a = next < args.size() ? args[next++] : FormatArg{FormatArg::Int, 0, 0, nullptr};
        std::u16string body;
        bool numeric = false;
        switch (conv) {
        case u'd':
        case u'i': {
            numeric = true;
            int64_t v = a.kind == FormatArg::UInt ? static_cast<int64_t>(a.u) : a.i;
            uint64_t mag = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            std::string d = std::to_string(mag);
            while (precision >= 0 && static_cast<long>(d.size()) < precision) d.insert(d.begin(), '0');
            body.assign(d.begin(), d.end());
            if (v < 0) body.insert(body.begin(), u'-');
            else if (plus) body.insert(body.begin(), u'+');
            else if (space) body.insert(body.begin(), u' ');
            break;
        }
        case u'u':
        case u'x':
        case u'X': {
            numeric = true;
            uint64_t v = a.u;
            if (a.kind == FormatArg::Int && a.i < 0)
                v = static_cast<uint32_t>(a.i); // 32-bit as on Windows unless widened
            const char* digits = conv == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            unsigned base = conv == u'u' ? 10 : 16;
            std::string d;
            do {
                d.insert(d.begin(), digits[v % base]);
                v /= base;
            } while (v);
            while (precision >= 0 && static_cast<long>(d.size()) < precision) d.insert(d.begin(), '0');
            body.assign(d.begin(), d.end());
            break;
        }
        case u'c':
            body = a.kind == FormatArg::Str ? std::u16string(a.s ? a.s : u"", a.s && *a.s ? 1 : 0)
                                            : std::u16string(1, static_cast<char16_t>(a.u));
            break;
        case u's':
        case u'S': {
            std::u16string_view s = (a.kind == FormatArg::Str && a.s) ? a.s : u"(null)";
            if (precision >= 0 && static_cast<size_t>(precision) < s.size())
                s = s.substr(0, static_cast<size_t>(precision));
            body = s;
            break;
        }
        default:
            body = u"%";
            body += conv;
            break;
        }
        if (body.size() < width) {
            size_t pad = width - body.size();
            if (left) {
                body.append(pad, u' ');
            } else if (zero && numeric && precision < 0) {
                size_t at = (!body.empty() && (body[0] == u'-' || body[0] == u'+' || body[0] == u' ')) ? 1 : 0;
                body.insert(at, pad, u'0');
            } else {
                body.insert(0, pad, u' ');
            }
        }
        out += body;
    }
    m_str = std::move(out);
}
