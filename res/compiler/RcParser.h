// Turns the tokens of a resource script into an RcScript: STRINGTABLE, DIALOG/DIALOGEX with their
// control statements, MENU, BITMAP and ICON (their files are read by CImageFile), LANGUAGE.
// Numbers and the style constants of the Windows headers are known without any header.
#pragma once

#include "res/compiler/RcScript.h"
#include "res/compiler/RcTokenizer.h"

#include <functional>

namespace tavren::rc {

class CRcParser {
public:
    // loadFile reads a BITMAP's or ICON's file by name into the definition; it throws RcError.
    using BitmapLoader = std::function<void(BitmapDef&, const Token&)>;
    using IconLoader = std::function<void(IconDef&, const Token&)>;

    CRcParser(std::vector<Token> tokens, BitmapLoader loadBitmap, IconLoader loadIcon)
        : m_tokens(std::move(tokens)), m_loadBitmap(std::move(loadBitmap)), m_loadIcon(std::move(loadIcon)) {}

    // Parses the whole script; every id is unique within its kind, and the lists come out sorted.
    RcScript Parse(const std::string& strName);

private:
    const Token& Peek(size_t n = 0) const;
    const Token& Next();
    bool IsWord(const Token& t, const char* psz) const;
    bool IsPunct(const Token& t, char ch) const;
    void Expect(char ch, const char* pszWhat);
    bool Accept(char ch);
    [[noreturn]] void Fail(const Token& t, const std::string& strWhat) const;

    int64_t Expr(int64_t nDefault = 0);
    int64_t Primary();
    std::u16string String(const char* pszWhat);
    void Begin();
    bool AtEnd();
    void SkipOptions();

    void StringTable(RcScript& script);
    void Dialog(RcScript& script, uint32_t nId, bool bEx);
    void Control(DialogDef& dialog, const Token& keyword, bool bEx);
    void Menu(RcScript& script, uint32_t nId);
    void MenuItems(std::vector<MenuItemDef>& items);
    uint32_t MenuOptions();

    std::vector<Token> m_tokens;
    size_t m_nPos = 0;
    BitmapLoader m_loadBitmap;
    IconLoader m_loadIcon;
};

// The value of a built-in constant (WS_VISIBLE, BS_ICON, IDOK, LANG_JAPANESE ...), false if unknown.
bool BuiltinConstant(const std::string& strName, int64_t& nValue);

} // namespace tavren::rc
