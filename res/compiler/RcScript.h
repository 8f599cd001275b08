// What a resource script compiles to, before it is written out as tables: the compiler's own model,
// close to the platform's resource structures but owning its data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavren::rc {

struct ControlDef {
    std::u16string strClass;
    int32_t nId = 0;
    std::u16string strText;
    uint32_t nImageId = 0;       // text given as a number: a resource reference
    int32_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t dwStyle = 0;
    uint32_t dwExStyle = 0;
    int nLine = 0;
};

struct DialogDef {
    uint32_t nId = 0;
    std::u16string strCaption;
    uint32_t dwStyle = 0;
    uint32_t dwExStyle = 0;
    int32_t x = 0, y = 0, cx = 0, cy = 0;
    std::u16string strFontName;
    uint32_t nFontSize = 0;
    uint32_t nFontWeight = 0;
    uint32_t nItalic = 0;
    uint32_t nCharSet = 0;
    std::vector<ControlDef> controls;
};

struct MenuItemDef {
    std::u16string strText;
    uint32_t nId = 0;
    uint32_t nFlags = 0;         // MenuItemTemplate flag values
    std::vector<MenuItemDef> children;
};

struct MenuDef {
    uint32_t nId = 0;
    std::vector<MenuItemDef> items;
};

struct ImageDef {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> pixels; // bitmaps: BGR top-down; icon images: BGRA top-down
};

struct BitmapDef {
    uint32_t nId = 0;
    std::string strFile;
    ImageDef image;
};

struct IconDef {
    uint32_t nId = 0;
    std::string strFile;
    std::vector<ImageDef> images; // largest first
};

struct StringDef {
    uint32_t nId = 0;
    std::u16string strText;
};

struct RcScript {
    std::string strName;         // file name of the script
    uint16_t wLanguage = 0;
    std::vector<StringDef> strings;
    std::vector<DialogDef> dialogs;
    std::vector<MenuDef> menus;
    std::vector<BitmapDef> bitmaps;
    std::vector<IconDef> icons;
};

} // namespace tavren::rc
