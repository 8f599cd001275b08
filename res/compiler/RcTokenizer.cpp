#include "res/compiler/RcTokenizer.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

namespace tavren::rc {

namespace {
const std::set<std::string> kSystemHeaders = {
    "windows.h", "winres.h", "winresrc.h", "afxres.h", "commctrl.h", "winuser.h", "winnt.h", "dlgs.h",
};

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ReadFile(const std::string& strPath, std::string& strOut)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    strOut = ss.str();
    if (strOut.size() >= 3 && static_cast<unsigned char>(strOut[0]) == 0xEF && static_cast<unsigned char>(strOut[1]) == 0xBB
        && static_cast<unsigned char>(strOut[2]) == 0xBF)
        strOut.erase(0, 3);
    return true;
}

std::string DirOf(const std::string& strPath)
{
    size_t n = strPath.rfind('/');
    return n == std::string::npos ? std::string(".") : strPath.substr(0, n);
}
} // namespace

std::u16string DecodeUtf8(const std::string& strText, const std::string& strFile, int nLine)
{
    std::u16string out;
    for (size_t i = 0; i < strText.size();) {
        unsigned char c = static_cast<unsigned char>(strText[i]);
        uint32_t cp = 0;
        size_t n = 0;
        if (c < 0x80) { cp = c; n = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; n = 4; }
        else throw RcError(strFile, nLine, "text is not valid UTF-8");
        if (i + n > strText.size())
            throw RcError(strFile, nLine, "text is not valid UTF-8 (truncated sequence)");
        for (size_t k = 1; k < n; ++k) {
            unsigned char cc = static_cast<unsigned char>(strText[i + k]);
            if ((cc & 0xC0) != 0x80)
                throw RcError(strFile, nLine, "text is not valid UTF-8");
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp >= 0x110000 || (cp >= 0xD800 && cp < 0xE000))
            throw RcError(strFile, nLine, "text holds an invalid code point");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += n;
    }
    return out;
}

std::vector<Token> CRcTokenizer::Run(const std::string& strPath)
{
    m_tokens.clear();
    m_conds.clear();
    ProcessFile(strPath, 0);
    if (!m_conds.empty())
        throw RcError(strPath, 0, "#if without #endif");
    Token end;
    end.strFile = strPath;
    m_tokens.push_back(end);
    return m_tokens;
}

std::vector<Token> CRcTokenizer::RunText(const std::string& strText, const std::string& strName)
{
    m_tokens.clear();
    m_conds.clear();
    ProcessText(strText, strName, ".", false, 0);
    if (!m_conds.empty())
        throw RcError(strName, 0, "#if without #endif");
    Token end;
    end.strFile = strName;
    m_tokens.push_back(end);
    return m_tokens;
}

void CRcTokenizer::ProcessFile(const std::string& strPath, int nDepth)
{
    if (nDepth > 16)
        throw RcError(strPath, 0, "includes nested too deeply");
    std::string strText;
    if (!ReadFile(strPath, strText))
        throw RcError(strPath, 0, "cannot read the file");
    std::string strLower = Lower(strPath);
    bool bHeader = strLower.size() > 2 && strLower.compare(strLower.size() - 2, 2, ".h") == 0;
    ProcessText(strText, strPath, DirOf(strPath), bHeader, nDepth);
}

bool CRcTokenizer::Active() const
{
    return m_conds.empty() || (m_conds.back().bTaking && m_conds.back().bParentActive);
}

void CRcTokenizer::ProcessText(const std::string& strText, const std::string& strFile, const std::string& strDir, bool bHeader, int nDepth)
{
    // Split into lines, joining backslash continuations and removing comments (outside strings).
    std::vector<std::pair<int, std::string>> lines;
    std::string strCur;
    int nLine = 1, nStart = 1;
    bool bInBlock = false;
    for (size_t i = 0; i <= strText.size(); ++i) {
        char c = i < strText.size() ? strText[i] : '\n';
        if (bInBlock) {
            if (c == '*' && i + 1 < strText.size() && strText[i + 1] == '/') {
                bInBlock = false;
                ++i;
                strCur += ' ';
            } else if (c == '\n') {
                ++nLine;
            }
            continue;
        }
        if (c == '"') {
            // Copy the string literal whole; "" inside is an escaped quote.
            strCur += c;
            ++i;
            while (i < strText.size() && strText[i] != '\n') {
                char d = strText[i];
                strCur += d;
                if (d == '\\' && i + 1 < strText.size() && strText[i + 1] != '\n') {
                    strCur += strText[++i];
                } else if (d == '"') {
                    if (i + 1 < strText.size() && strText[i + 1] == '"')
                        strCur += strText[++i];
                    else
                        break;
                }
                ++i;
            }
            if (i >= strText.size() || strText[i] == '\n')
                throw RcError(strFile, nLine, "string not closed on its line");
            continue;
        }
        if (c == '/' && i + 1 < strText.size() && strText[i + 1] == '/') {
            while (i + 1 < strText.size() && strText[i + 1] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < strText.size() && strText[i + 1] == '*') {
            bInBlock = true;
            ++i;
            continue;
        }
        if (c == '\\' && i + 1 < strText.size() && (strText[i + 1] == '\n' || (strText[i + 1] == '\r' && i + 2 < strText.size() && strText[i + 2] == '\n'))) {
            i += strText[i + 1] == '\r' ? 2 : 1;
            ++nLine;
            continue;
        }
        if (c == '\n') {
            lines.emplace_back(nStart, strCur);
            strCur.clear();
            ++nLine;
            nStart = nLine;
            continue;
        }
        strCur += c;
    }
    if (bInBlock)
        throw RcError(strFile, nLine, "comment not closed");

    for (auto& [n, strLine] : lines) {
        std::string strTrim = Trim(strLine);
        if (!strTrim.empty() && strTrim[0] == '#') {
            Directive(strTrim, strFile, n, strDir, nDepth);
            continue;
        }
        if (bHeader || !Active() || strTrim.empty())
            continue;
        std::vector<Token> tokens;
        Scan(strLine, strFile, n, tokens);
        for (const Token& t : tokens)
            Emit(t, 0);
    }
}

void CRcTokenizer::Emit(const Token& token, int nDepth)
{
    if (token.kind == Token::Ident) {
        auto it = m_macros.find(token.strText);
        if (it != m_macros.end()) {
            if (nDepth > 32)
                throw RcError(token.strFile, token.nLine, "macro " + token.strText + " expands without end");
            for (Token t : it->second) {
                t.strFile = token.strFile;
                t.nLine = token.nLine;
                Emit(t, nDepth + 1);
            }
            return;
        }
    }
    m_tokens.push_back(token);
}

void CRcTokenizer::Directive(const std::string& strLine, const std::string& strFile, int nLine, const std::string& strDir, int nDepth)
{
    std::string strRest = Trim(strLine.substr(1));
    size_t nWord = 0;
    while (nWord < strRest.size() && (std::isalnum(static_cast<unsigned char>(strRest[nWord])) || strRest[nWord] == '_'))
        ++nWord;
    std::string strName = strRest.substr(0, nWord);
    std::string strArgs = Trim(strRest.substr(nWord));

    if (strName == "ifdef" || strName == "ifndef") {
        bool bDefined = m_macros.count(strArgs) != 0;
        m_conds.push_back({strName == "ifdef" ? bDefined : !bDefined, false, Active()});
        return;
    }
    if (strName == "if") {
        // Only constant conditions: "#if 0" fences off text, anything else is taken as true.
        m_conds.push_back({strArgs != "0", false, Active()});
        return;
    }
    if (strName == "else") {
        if (m_conds.empty() || m_conds.back().bSeenElse)
            throw RcError(strFile, nLine, "#else without #if");
        m_conds.back().bTaking = !m_conds.back().bTaking;
        m_conds.back().bSeenElse = true;
        return;
    }
    if (strName == "endif") {
        if (m_conds.empty())
            throw RcError(strFile, nLine, "#endif without #if");
        m_conds.pop_back();
        return;
    }
    if (!Active())
        return;
    if (strName == "pragma" || strName == "error" || strName == "line")
        return;   // code_page(65001) is the only code page scripts are read in
    if (strName == "include") {
        if (strArgs.size() < 2 || !((strArgs.front() == '"' && strArgs.back() == '"') || (strArgs.front() == '<' && strArgs.back() == '>')))
            throw RcError(strFile, nLine, "#include needs a \"file\" or <file>");
        std::string strInc = strArgs.substr(1, strArgs.size() - 2);
        if (kSystemHeaders.count(Lower(strInc)))
            return;
        std::vector<std::string> dirs{strDir};
        dirs.insert(dirs.end(), m_includeDirs.begin(), m_includeDirs.end());
        for (const std::string& d : dirs) {
            std::string strPath = d + "/" + strInc;
            std::ifstream probe(strPath);
            if (probe) {
                ProcessFile(strPath, nDepth + 1);
                return;
            }
        }
        throw RcError(strFile, nLine, "cannot find included file " + strInc);
    }
    if (strName == "define") {
        size_t n = 0;
        while (n < strArgs.size() && (std::isalnum(static_cast<unsigned char>(strArgs[n])) || strArgs[n] == '_'))
            ++n;
        if (n == 0)
            throw RcError(strFile, nLine, "#define needs a name");
        std::string strMacro = strArgs.substr(0, n);
        if (n < strArgs.size() && strArgs[n] == '(')
            return;   // function-like macros have no use in a script
        std::vector<Token> body;
        Scan(strArgs.substr(n), strFile, nLine, body);
        m_macros[strMacro] = body;
        return;
    }
    if (strName == "undef") {
        m_macros.erase(strArgs);
        return;
    }
    throw RcError(strFile, nLine, "unknown directive #" + strName);
}

void CRcTokenizer::Scan(const std::string& strLine, const std::string& strFile, int nLine, std::vector<Token>& out)
{
    size_t i = 0;
    while (i < strLine.size()) {
        unsigned char c = static_cast<unsigned char>(strLine[i]);
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        Token t;
        t.strFile = strFile;
        t.nLine = nLine;
        bool bWide = (c == 'L' && i + 1 < strLine.size() && strLine[i + 1] == '"');
        if (c == '"' || bWide) {
            if (bWide)
                ++i;
            ++i;
            std::string strRaw;
            while (true) {
                if (i >= strLine.size())
                    throw RcError(strFile, nLine, "string not closed on its line");
                char d = strLine[i];
                if (d == '"') {
                    if (i + 1 < strLine.size() && strLine[i + 1] == '"') {
                        strRaw += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (d == '\\') {
                    if (i + 1 >= strLine.size())
                        throw RcError(strFile, nLine, "string ends in a backslash");
                    char e = strLine[i + 1];
                    i += 2;
                    switch (e) {
                    case 'n': strRaw += '\n'; break;
                    case 't': strRaw += '\t'; break;
                    case 'r': strRaw += '\r'; break;
                    case 'a': strRaw += '\b'; break;   // the right-alignment mark of menu texts
                    case '\\': strRaw += '\\'; break;
                    case '"': strRaw += '"'; break;
                    case '0': strRaw += '\0'; break;
                    case 'x': {
                        int v = 0, k = 0;
                        while (k < 4 && i < strLine.size() && std::isxdigit(static_cast<unsigned char>(strLine[i]))) {
                            v = v * 16 + (std::isdigit(static_cast<unsigned char>(strLine[i])) ? strLine[i] - '0' : (std::tolower(strLine[i]) - 'a' + 10));
                            ++i;
                            ++k;
                        }
                        if (k == 0)
                            throw RcError(strFile, nLine, "\\x without hex digits");
                        // Encode as UTF-8 so the whole text decodes in one pass.
                        char16_t ch = static_cast<char16_t>(v);
                        if (ch < 0x80) strRaw += static_cast<char>(ch);
                        else if (ch < 0x800) { strRaw += static_cast<char>(0xC0 | (ch >> 6)); strRaw += static_cast<char>(0x80 | (ch & 0x3F)); }
                        else { strRaw += static_cast<char>(0xE0 | (ch >> 12)); strRaw += static_cast<char>(0x80 | ((ch >> 6) & 0x3F)); strRaw += static_cast<char>(0x80 | (ch & 0x3F)); }
                        break;
                    }
                    default:
                        throw RcError(strFile, nLine, std::string("unknown escape \\") + e + " in a string");
                    }
                    continue;
                }
                strRaw += d;
                ++i;
            }
            t.kind = Token::String;
            t.strValue = DecodeUtf8(strRaw, strFile, nLine);
            out.push_back(t);
            continue;
        }
        if (std::isdigit(c)) {
            size_t j = i;
            int64_t v = 0;
            if (c == '0' && j + 1 < strLine.size() && (strLine[j + 1] == 'x' || strLine[j + 1] == 'X')) {
                j += 2;
                size_t nDigits = 0;
                while (j < strLine.size() && std::isxdigit(static_cast<unsigned char>(strLine[j]))) {
                    char h = static_cast<char>(std::tolower(strLine[j]));
                    v = v * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : h - 'a' + 10);
                    ++j;
                    if (++nDigits > 8)
                        throw RcError(strFile, nLine, "number too large");
                }
                if (nDigits == 0)
                    throw RcError(strFile, nLine, "0x without hex digits");
            } else {
                while (j < strLine.size() && std::isdigit(static_cast<unsigned char>(strLine[j]))) {
                    v = v * 10 + (strLine[j] - '0');
                    ++j;
                    if (v > 0xFFFFFFFFLL)
                        throw RcError(strFile, nLine, "number too large");
                }
            }
            while (j < strLine.size() && (strLine[j] == 'L' || strLine[j] == 'l' || strLine[j] == 'U' || strLine[j] == 'u'))
                ++j;
            if (j < strLine.size() && (std::isalnum(static_cast<unsigned char>(strLine[j])) || strLine[j] == '_'))
                throw RcError(strFile, nLine, "malformed number " + strLine.substr(i, j - i + 1));
            t.kind = Token::Number;
            t.strText = strLine.substr(i, j - i);
            t.nValue = v;
            out.push_back(t);
            i = j;
            continue;
        }
        if (std::isalpha(c) || c == '_') {
            size_t j = i;
            while (j < strLine.size() && (std::isalnum(static_cast<unsigned char>(strLine[j])) || strLine[j] == '_'))
                ++j;
            t.kind = Token::Ident;
            t.strText = strLine.substr(i, j - i);
            out.push_back(t);
            i = j;
            continue;
        }
        if (std::string(",|()+-~{}").find(static_cast<char>(c)) != std::string::npos) {
            t.kind = Token::Punct;
            t.strText = std::string(1, static_cast<char>(c));
            out.push_back(t);
            ++i;
            continue;
        }
        throw RcError(strFile, nLine, std::string("unexpected character '") + static_cast<char>(c) + "'");
    }
}

} // namespace tavren::rc
