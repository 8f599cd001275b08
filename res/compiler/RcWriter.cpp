#include "res/compiler/RcWriter.h"

#include <cstdio>
#include <string>

namespace tavren::rc {

namespace {
// A u"" literal; everything outside printable ASCII as a universal character name.
std::string Literal(const std::u16string& s)
{
    std::string out = "u\"";
    char buf[16];
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t ch = s[i];
        if (ch == u'\\') out += "\\\\";
        else if (ch == u'"') out += "\\\"";
        else if (ch == u'?') out += "\\?";
        else if (ch == u'\n') out += "\\n";
        else if (ch == u'\t') out += "\\t";
        else if (ch == u'\r') out += "\\r";
        else if (ch >= 0x20 && ch < 0x7F) out += static_cast<char>(ch);
        else if (ch >= 0xD800 && ch < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            uint32_t cp = 0x10000 + ((ch - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            std::snprintf(buf, sizeof buf, "\\U%08X", cp);
            out += buf;
            ++i;
        } else if (ch < 0xA0 || (ch >= 0xD800 && ch < 0xE000)) {
            std::snprintf(buf, sizeof buf, "\\x%04X\" u\"", static_cast<unsigned>(ch));   // controls and lone surrogates
            out += buf;
        } else {
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(ch));
            out += buf;
        }
    }
    return out + "\"";
}

void Bytes(std::ostream& out, const std::string& strName, const std::vector<uint8_t>& bytes)
{
    out << "const uint8_t " << strName << "[" << bytes.size() + 1 << "] =\n";
    char buf[8];
    for (size_t i = 0; i < bytes.size(); i += 32) {
        out << "    \"";
        for (size_t k = i; k < bytes.size() && k < i + 32; ++k) {
            std::snprintf(buf, sizeof buf, "\\x%02X", bytes[k]);
            out << buf;
        }
        out << "\"\n";
    }
    if (bytes.empty())
        out << "    \"\"\n";
    out << ";\n";
}

void MenuArrays(std::ostream& out, const std::vector<MenuItemDef>& items, const std::string& strName)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].children.empty())
            MenuArrays(out, items[i].children, strName + "_" + std::to_string(i));
    out << "const MenuItemTemplate " << strName << "[] = {\n";
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItemDef& m = items[i];
        out << "    {" << Literal(m.strText) << ", " << m.nId << ", 0x" << std::hex << m.nFlags << std::dec << ", ";
        if (m.children.empty())
            out << "nullptr, 0},\n";
        else
            out << strName << "_" << i << ", " << m.children.size() << "},\n";
    }
    out << "};\n";
}

template <typename T>
std::string Array(const std::vector<T>& v, const std::string& strName)
{
    return v.empty() ? "nullptr, 0" : strName + ", " + std::to_string(v.size());
}
} // namespace

void CRcWriter::Write(const RcScript& script, std::ostream& out)
{
    out << "// Generated from " << script.strName << " by tavren-rc. Do not edit: change the script.\n"
        << "#include \"platform/user/Resource.h\"\n\n"
        << "namespace {\nusing namespace tavren;\n\n";

    if (!script.strings.empty()) {
        out << "const StringEntry g_strings[] = {\n";
        for (const StringDef& s : script.strings)
            out << "    {" << s.nId << ", " << Literal(s.strText) << ", " << s.strText.size() << "},\n";
        out << "};\n\n";
    }

    for (const DialogDef& d : script.dialogs) {
        if (d.controls.empty())
            continue;
        out << "const DialogItemTemplate g_dialog" << d.nId << "[] = {\n";
        for (const ControlDef& c : d.controls)
            out << "    {" << Literal(c.strClass) << ", " << c.nId << ", " << Literal(c.strText) << ", " << c.nImageId
                << ", " << c.x << ", " << c.y << ", " << c.cx << ", " << c.cy << ", 0x" << std::hex << c.dwStyle
                << ", 0x" << c.dwExStyle << std::dec << "},\n";
        out << "};\n";
    }
    if (!script.dialogs.empty()) {
        out << "const DialogTemplate g_dialogs[] = {\n";
        for (const DialogDef& d : script.dialogs) {
            out << "    {" << d.nId << ", " << Literal(d.strCaption) << ", 0x" << std::hex << d.dwStyle << ", 0x"
                << d.dwExStyle << std::dec << ", " << d.x << ", " << d.y << ", " << d.cx << ", " << d.cy << ", "
                << Literal(d.strFontName) << ", " << d.nFontSize << ", " << d.nFontWeight << ", " << d.nItalic << ", "
                << d.nCharSet << ", ";
            if (d.controls.empty())
                out << "nullptr, 0},\n";
            else
                out << "g_dialog" << d.nId << ", " << d.controls.size() << "},\n";
        }
        out << "};\n\n";
    }

    for (const MenuDef& m : script.menus)
        MenuArrays(out, m.items, "g_menu" + std::to_string(m.nId));
    if (!script.menus.empty()) {
        out << "const MenuTemplate g_menus[] = {\n";
        for (const MenuDef& m : script.menus)
            out << "    {" << m.nId << ", " << (m.items.empty() ? std::string("nullptr") : "g_menu" + std::to_string(m.nId)) << ", "
                << m.items.size() << "},\n";
        out << "};\n\n";
    }

    for (const BitmapDef& b : script.bitmaps)
        Bytes(out, "g_bitmap" + std::to_string(b.nId), b.image.pixels);
    if (!script.bitmaps.empty()) {
        out << "const BitmapResource g_bitmaps[] = {\n";
        for (const BitmapDef& b : script.bitmaps)
            out << "    {" << b.nId << ", " << b.image.nWidth << ", " << b.image.nHeight << ", g_bitmap" << b.nId << "},\n";
        out << "};\n\n";
    }

    for (const IconDef& icon : script.icons) {
        for (size_t i = 0; i < icon.images.size(); ++i)
            Bytes(out, "g_icon" + std::to_string(icon.nId) + "_" + std::to_string(i), icon.images[i].pixels);
        out << "const IconImage g_icon" << icon.nId << "[] = {\n";
        for (size_t i = 0; i < icon.images.size(); ++i)
            out << "    {" << icon.images[i].nWidth << ", " << icon.images[i].nHeight << ", g_icon" << icon.nId << "_" << i << "},\n";
        out << "};\n";
    }
    if (!script.icons.empty()) {
        out << "const IconResource g_icons[] = {\n";
        for (const IconDef& icon : script.icons)
            out << "    {" << icon.nId << ", g_icon" << icon.nId << ", " << icon.images.size() << "},\n";
        out << "};\n\n";
    }

    std::u16string strName(script.strName.begin(), script.strName.end());
    out << "const ResourceTable g_table = {\n"
        << "    \"" << script.strName << "\", " << script.wLanguage << ",\n"
        << "    " << Array(script.strings, "g_strings") << ",\n"
        << "    " << Array(script.dialogs, "g_dialogs") << ",\n"
        << "    " << Array(script.menus, "g_menus") << ",\n"
        << "    " << Array(script.bitmaps, "g_bitmaps") << ",\n"
        << "    " << Array(script.icons, "g_icons") << ",\n"
        << "};\n\n"
        << "// Registers the tables with the library that holds them; unregisters them when it unloads.\n"
        << "CResourceRegistrar g_registrar(&g_table);\n"
        << "} // namespace\n";
}

} // namespace tavren::rc
