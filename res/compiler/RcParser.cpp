#include "res/compiler/RcParser.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace tavren::rc {

bool BuiltinConstant(const std::string& strName, int64_t& nValue)
{
    static const std::unordered_map<std::string, int64_t> kConstants = {
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6}, {"IDNO", 7},
        {"IDC_STATIC", -1},
        {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000}, {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000}, {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_EX_DLGMODALFRAME", 0x1}, {"WS_EX_NOPARENTNOTIFY", 0x4}, {"WS_EX_TOPMOST", 0x8},
        {"WS_EX_ACCEPTFILES", 0x10}, {"WS_EX_TRANSPARENT", 0x20}, {"WS_EX_TOOLWINDOW", 0x80},
        {"WS_EX_WINDOWEDGE", 0x100}, {"WS_EX_CLIENTEDGE", 0x200}, {"WS_EX_CONTEXTHELP", 0x400},
        {"WS_EX_RIGHT", 0x1000}, {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_APPWINDOW", 0x40000},
        {"DS_ABSALIGN", 0x1}, {"DS_SYSMODAL", 0x2}, {"DS_3DLOOK", 0x4}, {"DS_FIXEDSYS", 0x8},
        {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40}, {"DS_MODALFRAME", 0x80},
        {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200}, {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800},
        {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
        {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", 1}, {"BS_CHECKBOX", 2}, {"BS_AUTOCHECKBOX", 3},
        {"BS_RADIOBUTTON", 4}, {"BS_3STATE", 5}, {"BS_AUTO3STATE", 6}, {"BS_GROUPBOX", 7},
        {"BS_AUTORADIOBUTTON", 9}, {"BS_OWNERDRAW", 0xB}, {"BS_LEFTTEXT", 0x20}, {"BS_ICON", 0x40},
        {"BS_BITMAP", 0x80}, {"BS_LEFT", 0x100}, {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300}, {"BS_TOP", 0x400},
        {"BS_BOTTOM", 0x800}, {"BS_VCENTER", 0xC00}, {"BS_PUSHLIKE", 0x1000}, {"BS_MULTILINE", 0x2000},
        {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
        {"SS_LEFT", 0}, {"SS_CENTER", 1}, {"SS_RIGHT", 2}, {"SS_ICON", 3}, {"SS_BLACKRECT", 4},
        {"SS_GRAYRECT", 5}, {"SS_WHITERECT", 6}, {"SS_BLACKFRAME", 7}, {"SS_GRAYFRAME", 8},
        {"SS_WHITEFRAME", 9}, {"SS_SIMPLE", 0xB}, {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_OWNERDRAW", 0xD},
        {"SS_BITMAP", 0xE}, {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11}, {"SS_ETCHEDFRAME", 0x12},
        {"SS_NOPREFIX", 0x80}, {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200}, {"SS_RIGHTJUST", 0x400},
        {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000}, {"SS_ENDELLIPSIS", 0x4000},
        {"SS_PATHELLIPSIS", 0x8000}, {"SS_WORDELLIPSIS", 0xC000},
        {"ES_LEFT", 0}, {"ES_CENTER", 1}, {"ES_RIGHT", 2}, {"ES_MULTILINE", 4}, {"ES_UPPERCASE", 8},
        {"ES_LOWERCASE", 0x10}, {"ES_PASSWORD", 0x20}, {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80},
        {"ES_NOHIDESEL", 0x100}, {"ES_OEMCONVERT", 0x400}, {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},
        {"CBS_SIMPLE", 1}, {"CBS_DROPDOWN", 2}, {"CBS_DROPDOWNLIST", 3}, {"CBS_OWNERDRAWFIXED", 0x10},
        {"CBS_OWNERDRAWVARIABLE", 0x20}, {"CBS_AUTOHSCROLL", 0x40}, {"CBS_OEMCONVERT", 0x80}, {"CBS_SORT", 0x100},
        {"CBS_HASSTRINGS", 0x200}, {"CBS_NOINTEGRALHEIGHT", 0x400}, {"CBS_DISABLENOSCROLL", 0x800},
        {"LBS_NOTIFY", 1}, {"LBS_SORT", 2}, {"LBS_NOREDRAW", 4}, {"LBS_MULTIPLESEL", 8},
        {"LBS_HASSTRINGS", 0x40}, {"LBS_NOINTEGRALHEIGHT", 0x100}, {"LBS_EXTENDEDSEL", 0x800},
        {"LBS_STANDARD", 0xA00003},
        {"LVS_ICON", 0}, {"LVS_REPORT", 1}, {"LVS_SMALLICON", 2}, {"LVS_LIST", 3}, {"LVS_SINGLESEL", 4},
        {"LVS_SHOWSELALWAYS", 8}, {"LVS_SORTASCENDING", 0x10}, {"LVS_SORTDESCENDING", 0x20},
        {"LVS_SHAREIMAGELISTS", 0x40}, {"LVS_NOLABELWRAP", 0x80}, {"LVS_AUTOARRANGE", 0x100},
        {"LVS_EDITLABELS", 0x200}, {"LVS_OWNERDATA", 0x1000}, {"LVS_NOSCROLL", 0x2000}, {"LVS_ALIGNTOP", 0},
        {"LVS_ALIGNLEFT", 0x800}, {"LVS_OWNERDRAWFIXED", 0x400}, {"LVS_NOCOLUMNHEADER", 0x4000},
        {"LVS_NOSORTHEADER", 0x8000},
        {"PBS_SMOOTH", 1}, {"PBS_VERTICAL", 4}, {"PBS_MARQUEE", 8},
        {"LANG_NEUTRAL", 0}, {"LANG_ENGLISH", 0x09}, {"LANG_JAPANESE", 0x11}, {"LANG_GERMAN", 0x07},
        {"LANG_FRENCH", 0x0C}, {"SUBLANG_NEUTRAL", 0}, {"SUBLANG_DEFAULT", 1}, {"SUBLANG_ENGLISH_US", 1},
        {"SUBLANG_JAPANESE_JAPAN", 1},
    };
    auto it = kConstants.find(strName);
    if (it == kConstants.end())
        return false;
    nValue = it->second;
    return true;
}

namespace {
// Menu entry flags, as the platform's MenuItemTemplate holds them.
constexpr uint32_t kGrayed = 0x0001, kDisabled = 0x0002, kChecked = 0x0008, kPopup = 0x0010,
                   kMenuBarBreak = 0x0020, kMenuBreak = 0x0040, kSeparator = 0x0800, kHelp = 0x4000;

constexpr uint32_t WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_TABSTOP = 0x00010000,
                   WS_GROUP = 0x00020000, WS_BORDER = 0x00800000, WS_POPUP = 0x80000000,
                   WS_SYSMENU = 0x00080000, WS_CAPTION = 0x00C00000, DS_SETFONT = 0x40;

std::u16string Upper(std::u16string s)
{
    for (char16_t& ch : s)
        if (ch >= u'a' && ch <= u'z')
            ch = static_cast<char16_t>(ch - 32);
    return s;
}

// The predefined window classes are spelled in capitals; common-control classes keep their names.
std::u16string NormalClass(const std::u16string& strClass)
{
    std::u16string strUpper = Upper(strClass);
    for (const char16_t* p : {u"BUTTON", u"STATIC", u"EDIT", u"COMBOBOX", u"LISTBOX", u"SCROLLBAR"})
        if (strUpper == p)
            return strUpper;
    return strClass;
}
} // namespace

const Token& CRcParser::Peek(size_t n) const
{
    size_t i = std::min(m_nPos + n, m_tokens.size() - 1);
    return m_tokens[i];
}

const Token& CRcParser::Next()
{
    const Token& t = Peek();
    if (m_nPos < m_tokens.size() - 1)
        ++m_nPos;
    return t;
}

bool CRcParser::IsWord(const Token& t, const char* psz) const { return t.kind == Token::Ident && t.strText == psz; }
bool CRcParser::IsPunct(const Token& t, char ch) const { return t.kind == Token::Punct && t.strText[0] == ch; }

void CRcParser::Fail(const Token& t, const std::string& strWhat) const
{
    std::string strAt = t.kind == Token::End ? "end of file" : t.kind == Token::String ? "a string" : "'" + t.strText + "'";
    throw RcError(t.strFile, t.nLine, strWhat + " (at " + strAt + ")");
}

void CRcParser::Expect(char ch, const char* pszWhat)
{
    if (!IsPunct(Peek(), ch))
        Fail(Peek(), std::string("expected '") + ch + "' " + pszWhat);
    Next();
}

bool CRcParser::Accept(char ch)
{
    if (IsPunct(Peek(), ch)) {
        Next();
        return true;
    }
    return false;
}

int64_t CRcParser::Primary()
{
    const Token& t = Next();
    if (t.kind == Token::Number)
        return t.nValue;
    if (IsPunct(t, '(')) {
        int64_t v = Expr();
        Expect(')', "to close the parenthesis");
        return v;
    }
    if (IsPunct(t, '-'))
        return -Primary();
    if (IsPunct(t, '~'))
        return static_cast<int64_t>(~static_cast<uint32_t>(Primary()));
    if (t.kind == Token::Ident) {
        int64_t v = 0;
        if (BuiltinConstant(t.strText, v))
            return v;
        Fail(t, "unknown symbol " + t.strText);
    }
    Fail(t, "expected a number");
}

// Terms joined by | + -; "NOT x" clears x from what the value holds so far (the default styles
// of a statement come first, so "NOT WS_VISIBLE" hides a control).
int64_t CRcParser::Expr(int64_t nDefault)
{
    int64_t v = nDefault;
    char op = '|';
    while (true) {
        bool bNot = false;
        if (IsWord(Peek(), "NOT")) {
            Next();
            bNot = true;
        }
        int64_t t = Primary();
        if (bNot)
            v &= ~t;
        else if (op == '|')
            v |= t;
        else if (op == '+')
            v += t;
        else
            v -= t;
        if (IsPunct(Peek(), '|') || IsPunct(Peek(), '+') || IsPunct(Peek(), '-')) {
            op = Next().strText[0];
            continue;
        }
        if (IsWord(Peek(), "NOT")) {
            op = '|';
            continue;
        }
        return v;
    }
}

std::u16string CRcParser::String(const char* pszWhat)
{
    if (Peek().kind != Token::String)
        Fail(Peek(), std::string("expected a string for ") + pszWhat);
    return Next().strValue;
}

void CRcParser::Begin()
{
    if (IsWord(Peek(), "BEGIN") || IsPunct(Peek(), '{')) {
        Next();
        return;
    }
    Fail(Peek(), "expected BEGIN");
}

bool CRcParser::AtEnd()
{
    if (IsWord(Peek(), "END") || IsPunct(Peek(), '}')) {
        Next();
        return true;
    }
    if (Peek().kind == Token::End)
        Fail(Peek(), "missing END");
    return false;
}

// Memory options after a resource type mean nothing here.
void CRcParser::SkipOptions()
{
    static const std::set<std::string> kOptions = {"PRELOAD", "LOADONCALL", "MOVEABLE", "FIXED", "PURE", "IMPURE", "DISCARDABLE", "SHARED", "NONSHARED"};
    while (Peek().kind == Token::Ident && kOptions.count(Peek().strText))
        Next();
}

RcScript CRcParser::Parse(const std::string& strName)
{
    RcScript script;
    script.strName = strName;
    while (Peek().kind != Token::End) {
        const Token& t = Peek();
        if (IsWord(t, "LANGUAGE")) {
            Next();
            int64_t nPrimary = Expr();
            Expect(',', "between the language and its sub-language");
            int64_t nSub = Expr();
            script.wLanguage = static_cast<uint16_t>((nSub << 10) | nPrimary);
            continue;
        }
        if (IsWord(t, "STRINGTABLE")) {
            Next();
            StringTable(script);
            continue;
        }
        const Token idToken = Next();
        if (idToken.kind != Token::Number && !(IsPunct(idToken, '(') || IsPunct(idToken, '-'))) {
            if (idToken.kind == Token::Ident)
                Fail(idToken, "resource names must be numbers (is " + idToken.strText + " defined?)");
            Fail(idToken, "expected a resource statement");
        }
        --m_nPos;
        int64_t nId = Expr();
        if (nId < 1 || nId > 0xFFFF)
            Fail(idToken, "resource id out of range 1 to 65535");
        const Token typeToken = Next();
        if (typeToken.kind != Token::Ident)
            Fail(typeToken, "expected a resource type");
        SkipOptions();
        const std::string& strType = typeToken.strText;
        if (strType == "DIALOG" || strType == "DIALOGEX") {
            Dialog(script, static_cast<uint32_t>(nId), strType == "DIALOGEX");
        } else if (strType == "MENU" || strType == "MENUEX") {
            if (strType == "MENUEX")
                Fail(typeToken, "MENUEX is not supported; use MENU");
            Menu(script, static_cast<uint32_t>(nId));
        } else if (strType == "BITMAP") {
            BitmapDef bitmap;
            bitmap.nId = static_cast<uint32_t>(nId);
            const Token& file = Peek();
            String("the bitmap file");
            m_loadBitmap(bitmap, file);
            script.bitmaps.push_back(std::move(bitmap));
        } else if (strType == "ICON") {
            IconDef icon;
            icon.nId = static_cast<uint32_t>(nId);
            const Token& file = Peek();
            String("the icon file");
            m_loadIcon(icon, file);
            script.icons.push_back(std::move(icon));
        } else {
            Fail(typeToken, "unsupported resource type " + strType);
        }
    }

    // Sorted by id, each id once per kind.
    auto check = [&](auto& list, const char* pszKind) {
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.nId < b.nId; });
        for (size_t i = 1; i < list.size(); ++i)
            if (list[i].nId == list[i - 1].nId)
                throw RcError(strName, 0, std::string(pszKind) + " " + std::to_string(list[i].nId) + " is defined twice");
    };
    check(script.strings, "string");
    check(script.dialogs, "dialog");
    check(script.menus, "menu");
    check(script.bitmaps, "bitmap");
    check(script.icons, "icon");
    return script;
}

void CRcParser::StringTable(RcScript& script)
{
    while (!IsWord(Peek(), "BEGIN") && !IsPunct(Peek(), '{')) {
        if (IsWord(Peek(), "LANGUAGE")) {
            Next();
            Expr();
            Expect(',', "in LANGUAGE");
            Expr();
        } else if (IsWord(Peek(), "CHARACTERISTICS") || IsWord(Peek(), "VERSION")) {
            Next();
            Expr();
        } else if (Peek().kind == Token::Ident) {
            SkipOptions();
            if (!IsWord(Peek(), "BEGIN") && Peek().kind == Token::Ident)
                Fail(Peek(), "unexpected word in STRINGTABLE");
        } else {
            Fail(Peek(), "expected BEGIN after STRINGTABLE");
        }
    }
    Begin();
    while (!AtEnd()) {
        const Token& at = Peek();
        int64_t nId = Expr();
        if (nId < 0 || nId > 0xFFFF)
            Fail(at, "string id out of range 0 to 65535");
        Accept(',');
        StringDef def;
        def.nId = static_cast<uint32_t>(nId);
        def.strText = String("the string's text");
        script.strings.push_back(std::move(def));
    }
}

void CRcParser::Dialog(RcScript& script, uint32_t nId, bool bEx)
{
    DialogDef dialog;
    dialog.nId = nId;
    dialog.x = static_cast<int32_t>(Expr());
    Expect(',', "after the dialog's x");
    dialog.y = static_cast<int32_t>(Expr());
    Expect(',', "after the dialog's y");
    dialog.cx = static_cast<int32_t>(Expr());
    Expect(',', "after the dialog's width");
    dialog.cy = static_cast<int32_t>(Expr());
    if (bEx && Accept(','))
        Expr();   // help id
    bool bStyleGiven = false;
    bool bCaption = false;
    dialog.dwStyle = WS_POPUP | 0x00800000 /* WS_BORDER */ | WS_SYSMENU;
    while (!IsWord(Peek(), "BEGIN") && !IsPunct(Peek(), '{')) {
        const Token t = Next();
        if (IsWord(t, "STYLE")) {
            dialog.dwStyle = static_cast<uint32_t>(Expr());
            bStyleGiven = true;
        } else if (IsWord(t, "EXSTYLE")) {
            dialog.dwExStyle = static_cast<uint32_t>(Expr());
        } else if (IsWord(t, "CAPTION")) {
            dialog.strCaption = String("CAPTION");
            bCaption = true;
        } else if (IsWord(t, "FONT")) {
            dialog.nFontSize = static_cast<uint32_t>(Expr());
            Expect(',', "after the font size");
            dialog.strFontName = String("the font name");
            if (Accept(',')) {
                dialog.nFontWeight = static_cast<uint32_t>(Expr());
                if (Accept(',')) {
                    dialog.nItalic = static_cast<uint32_t>(Expr());
                    if (Accept(','))
                        dialog.nCharSet = static_cast<uint32_t>(Expr());
                }
            }
        } else if (IsWord(t, "LANGUAGE")) {
            Expr();
            Expect(',', "in LANGUAGE");
            Expr();
        } else if (IsWord(t, "CHARACTERISTICS") || IsWord(t, "VERSION")) {
            Expr();
        } else if (IsWord(t, "MENU") || IsWord(t, "CLASS")) {
            Fail(t, "dialog menus and classes are not supported");
        } else {
            Fail(t, "unexpected statement before the dialog's BEGIN");
        }
    }
    (void)bStyleGiven;
    if (bCaption)
        dialog.dwStyle |= WS_CAPTION;
    if (!dialog.strFontName.empty())
        dialog.dwStyle |= DS_SETFONT;
    Begin();
    while (!AtEnd()) {
        const Token keyword = Next();
        Control(dialog, keyword, bEx);
    }
    script.dialogs.push_back(std::move(dialog));
}

void CRcParser::Control(DialogDef& dialog, const Token& keyword, bool bEx)
{
    if (keyword.kind != Token::Ident)
        Fail(keyword, "expected a control statement");
    const std::string& k = keyword.strText;
    struct Kind { const char16_t* pszClass; uint32_t dwStyle; bool bText; };
    static const std::unordered_map<std::string, Kind> kKinds = {
        {"LTEXT", {u"STATIC", 0x0 | WS_GROUP, true}},
        {"CTEXT", {u"STATIC", 0x1 | WS_GROUP, true}},
        {"RTEXT", {u"STATIC", 0x2 | WS_GROUP, true}},
        {"PUSHBUTTON", {u"BUTTON", 0x0 | WS_TABSTOP, true}},
        {"DEFPUSHBUTTON", {u"BUTTON", 0x1 | WS_TABSTOP, true}},
        {"PUSHBOX", {u"BUTTON", 0xA | WS_TABSTOP, true}},
        {"CHECKBOX", {u"BUTTON", 0x2 | WS_TABSTOP, true}},
        {"AUTOCHECKBOX", {u"BUTTON", 0x3 | WS_TABSTOP, true}},
        {"STATE3", {u"BUTTON", 0x5 | WS_TABSTOP, true}},
        {"AUTO3STATE", {u"BUTTON", 0x6 | WS_TABSTOP, true}},
        {"RADIOBUTTON", {u"BUTTON", 0x4 | WS_TABSTOP, true}},
        {"AUTORADIOBUTTON", {u"BUTTON", 0x9 | WS_TABSTOP, true}},
        {"GROUPBOX", {u"BUTTON", 0x7, true}},
        {"EDITTEXT", {u"EDIT", 0x0 | WS_BORDER | WS_TABSTOP, false}},
        {"COMBOBOX", {u"COMBOBOX", 0x1 | WS_TABSTOP, false}},
        {"LISTBOX", {u"LISTBOX", 0x1 | WS_BORDER, false}},
        {"SCROLLBAR", {u"SCROLLBAR", 0x0, false}},
        {"ICON", {u"STATIC", 0x3, true}},
    };
    ControlDef c;
    c.nLine = keyword.nLine;
    auto textOrRef = [&]() {
        if (Peek().kind == Token::String) {
            c.strText = Next().strValue;
        } else {
            const Token& at = Peek();
            int64_t v = Expr();
            if (v < 1 || v > 0xFFFF)
                Fail(at, "a control's picture must be a resource id from 1 to 65535");
            c.nImageId = static_cast<uint32_t>(v);
        }
    };
    auto rect = [&](bool bSizeOptional) {
        c.x = static_cast<int32_t>(Expr());
        Expect(',', "after the control's x");
        c.y = static_cast<int32_t>(Expr());
        if (bSizeOptional && !IsPunct(Peek(), ','))
            return false;
        Expect(',', "after the control's y");
        c.cx = static_cast<int32_t>(Expr());
        Expect(',', "after the control's width");
        c.cy = static_cast<int32_t>(Expr());
        return true;
    };
    auto trailer = [&](uint32_t dwDefault) {
        c.dwStyle = dwDefault;
        if (Accept(',')) {
            c.dwStyle = static_cast<uint32_t>(Expr(dwDefault));
            if (Accept(',')) {
                c.dwExStyle = static_cast<uint32_t>(Expr());
                if (bEx && Accept(','))
                    Expr();   // help id
            }
        }
    };

    if (k == "CONTROL") {
        textOrRef();
        Expect(',', "after the control's text");
        c.nId = static_cast<int32_t>(Expr());
        Expect(',', "after the control's id");
        if (Peek().kind == Token::String)
            c.strClass = NormalClass(Next().strValue);
        else if (Peek().kind == Token::Ident)
            c.strClass = NormalClass(std::u16string(Peek().strText.begin(), Peek().strText.end())), Next();
        else
            Fail(Peek(), "expected the control's class");
        Expect(',', "after the control's class");
        c.dwStyle = static_cast<uint32_t>(Expr(WS_CHILD | WS_VISIBLE));
        Expect(',', "after the control's style");
        rect(false);
        if (Accept(',')) {
            c.dwExStyle = static_cast<uint32_t>(Expr());
            if (bEx && Accept(','))
                Expr();
        }
    } else {
        auto it = kKinds.find(k);
        if (it == kKinds.end())
            Fail(keyword, "unknown control statement " + k);
        const Kind& kind = it->second;
        c.strClass = kind.pszClass;
        if (kind.bText) {
            textOrRef();
            Expect(',', "after the control's text");
        }
        c.nId = static_cast<int32_t>(Expr());
        Expect(',', "after the control's id");
        bool bSized = rect(k == "ICON");
        if (bSized)
            trailer(WS_CHILD | WS_VISIBLE | kind.dwStyle);
        else
            c.dwStyle = WS_CHILD | WS_VISIBLE | kind.dwStyle;
    }
    if (c.nImageId != 0 && c.strClass != u"STATIC" && c.strClass != u"BUTTON")
        Fail(keyword, "only static controls and buttons take a picture as their text");
    dialog.controls.push_back(std::move(c));
}

uint32_t CRcParser::MenuOptions()
{
    uint32_t nFlags = 0;
    while (true) {
        if (Accept(','))
            continue;
        const Token& t = Peek();
        if (IsWord(t, "GRAYED")) nFlags |= kGrayed;
        else if (IsWord(t, "INACTIVE")) nFlags |= kDisabled;
        else if (IsWord(t, "CHECKED")) nFlags |= kChecked;
        else if (IsWord(t, "MENUBARBREAK")) nFlags |= kMenuBarBreak;
        else if (IsWord(t, "MENUBREAK")) nFlags |= kMenuBreak;
        else if (IsWord(t, "HELP")) nFlags |= kHelp;
        else return nFlags;
        Next();
    }
}

void CRcParser::MenuItems(std::vector<MenuItemDef>& items)
{
    Begin();
    while (!AtEnd()) {
        const Token t = Next();
        MenuItemDef item;
        if (IsWord(t, "MENUITEM")) {
            if (IsWord(Peek(), "SEPARATOR")) {
                Next();
                item.nFlags = kSeparator;
            } else {
                item.strText = String("the menu item's text");
                Expect(',', "after the menu item's text");
                const Token& at = Peek();
                int64_t nId = Expr();
                if (nId < 0 || nId > 0xFFFF)
                    Fail(at, "menu command id out of range 0 to 65535");
                item.nId = static_cast<uint32_t>(nId);
                item.nFlags = MenuOptions();
            }
        } else if (IsWord(t, "POPUP")) {
            item.strText = String("the pop-up's text");
            item.nFlags = kPopup | MenuOptions();
            MenuItems(item.children);
        } else {
            Fail(t, "expected MENUITEM or POPUP");
        }
        items.push_back(std::move(item));
    }
}

void CRcParser::Menu(RcScript& script, uint32_t nId)
{
    MenuDef menu;
    menu.nId = nId;
    while (IsWord(Peek(), "LANGUAGE") || IsWord(Peek(), "CHARACTERISTICS") || IsWord(Peek(), "VERSION")) {
        bool bLang = IsWord(Next(), "LANGUAGE");
        Expr();
        if (bLang) {
            Expect(',', "in LANGUAGE");
            Expr();
        }
    }
    MenuItems(menu.items);
    script.menus.push_back(std::move(menu));
}

} // namespace tavren::rc
