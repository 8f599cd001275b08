// Reads a resource script into tokens: comments removed, preprocessor directives carried out
// (#include, #define of object-like macros, #undef, #ifdef/#ifndef/#if 0/1/#else/#endif, #pragma),
// macros expanded. From an included header (.h) only the directives count, as in the Windows tool.
// The well-known system headers (windows.h, afxres.h, winres.h, commctrl.h ...) are built in.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavren::rc {

// A fault in a script: where it is and what is wrong.
class RcError : public std::runtime_error {
public:
    RcError(const std::string& strFile, int nLine, const std::string& strWhat)
        : std::runtime_error(strFile + ":" + std::to_string(nLine) + ": " + strWhat) {}
};

struct Token {
    enum Kind { Ident, Number, String, Punct, End } kind = End;
    std::string strText;         // identifier, punctuation character, or number as written
    int64_t nValue = 0;          // numbers
    std::u16string strValue;     // strings, escapes resolved
    std::string strFile;
    int nLine = 0;
};

class CRcTokenizer {
public:
    explicit CRcTokenizer(std::vector<std::string> includeDirs) : m_includeDirs(std::move(includeDirs)) {}

    // Tokens of the whole script with its includes, ending with one End token.
    std::vector<Token> Run(const std::string& strPath);
    // Tokens of a text (for tests); strName stands for the file in messages.
    std::vector<Token> RunText(const std::string& strText, const std::string& strName);

private:
    void ProcessFile(const std::string& strPath, int nDepth);
    void ProcessText(const std::string& strText, const std::string& strFile, const std::string& strDir, bool bHeader, int nDepth);
    void Directive(const std::string& strLine, const std::string& strFile, int nLine, const std::string& strDir, int nDepth);
    void Scan(const std::string& strLine, const std::string& strFile, int nLine, std::vector<Token>& out);
    void Emit(const Token& token, int nDepth);
    bool Active() const;

    std::vector<std::string> m_includeDirs;
    std::map<std::string, std::vector<Token>> m_macros;
    std::vector<Token> m_tokens;
    struct Cond { bool bTaking; bool bSeenElse; bool bParentActive; };
    std::vector<Cond> m_conds;
};

// UTF-8 to UTF-16 for script text; invalid sequences are an error at the given place.
std::u16string DecodeUtf8(const std::string& strText, const std::string& strFile, int nLine);

} // namespace tavren::rc
