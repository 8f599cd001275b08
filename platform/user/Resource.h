// Resources of a module: string table, dialog templates, menus, bitmaps and icons, as the build-time
// resource compiler (res/) turns a resource script into constant tables, and the lookups by
// (module handle, id) that the framework's LoadString, CDialog, CMenu, LoadIcon and LoadBitmap use.
//
// For CString::LoadString: tavren::LoadResourceString(hInstance, nID, out) looks in one module;
// tavren::LoadResourceStringChain(nID, out) looks through the resource chain (AfxGetResourceHandle()
// first, then the current module's own instance), as CString::LoadString(UINT) does.
//
// Every shared library that carries tables registers them from a static initializer in its
// generated resource source (CResourceRegistrar below); the module it lives in is found from the
// table's own address, so a table always answers under its module's handle (Library.h). When the
// library is freed, its tables stop answering.
//
// Pixel formats: bitmaps are 24-bit BGR, top-down, rows of nWidth * 3 bytes with no padding; icon
// images are 32-bit BGRA (straight, not premultiplied alpha), top-down, rows of nWidth * 4 bytes.
// An icon is "transparent" where alpha < 128 (the AND mask of a 24-bit-with-mask consumer).
//
// Deliberately missing: custom resource types, accelerators, version resources, cursors, and
// names instead of numbers as resource identifiers.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <span>
#include <string>

namespace tavren {

// One control of a dialog template. Coordinates are dialog units.
struct DialogItemTemplate {
    const char16_t* pszClass;   // u"BUTTON", u"STATIC", u"EDIT", u"SysListView32",
                                // u"msctls_progress32", u"ComboBoxEx32", u"COMBOBOX", u"LISTBOX" ...
    int nId;                    // control identifier; -1 for a control nobody addresses (IDC_STATIC)
    const char16_t* pszText;    // the control's text, u"" when none (never null)
    UINT nImageId;              // when the text is a resource reference (SS_ICON / SS_BITMAP statics
                                // "ICON 13001"): that icon's or bitmap's id; 0 otherwise.
                                // pszText is then u"".
    short x, y, cx, cy;         // rectangle in dialog units
    DWORD dwStyle;              // WS_* | class styles (BS_*, SS_*, ES_*, LVS_*, CBS_*, PBS_* ...),
                                // WS_CHILD and (unless WS_VISIBLE was removed with NOT) WS_VISIBLE set
    DWORD dwExStyle;            // WS_EX_*
};

struct DialogTemplate {
    UINT nId;
    const char16_t* pszCaption; // u"" when none
    DWORD dwStyle;              // DS_*, WS_* (DS_SETFONT set when a font is given)
    DWORD dwExStyle;
    short x, y, cx, cy;         // dialog units
    const char16_t* pszFontName;// u"MS Shell Dlg" etc.; u"" when none
    WORD wFontSize;             // points
    WORD wFontWeight;           // 0 = normal
    BYTE bItalic;
    BYTE bCharSet;
    const DialogItemTemplate* pItems;
    UINT nItems;

    std::span<const DialogItemTemplate> Items() const { return {pItems, nItems}; }
    // The item with control id nId, or null.
    const DialogItemTemplate* FindItem(int nId) const;
};

// One entry of a menu: a command, a separator, or a pop-up holding its own entries.
struct MenuItemTemplate {
    enum : UINT {
        fPopup = 0x0010,        // the values of MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_CHECKED,
        fSeparator = 0x0800,    // MF_DISABLED, MF_MENUBARBREAK, MF_MENUBREAK and MF_HELP, so a
        fGrayed = 0x0001,       // menu can take them unchanged
        fDisabled = 0x0002,
        fChecked = 0x0008,
        fMenuBarBreak = 0x0020,
        fMenuBreak = 0x0040,
        fHelp = 0x4000,
    };
    const char16_t* pszText;    // with its "&" mnemonics and "\t" accelerator text; u"" for a separator
    UINT nId;                   // command id; 0 for separators and pop-ups
    UINT nFlags;
    const MenuItemTemplate* pChildren; // a pop-up's entries; null otherwise
    UINT nChildren;

    bool IsPopup() const { return (nFlags & fPopup) != 0; }
    bool IsSeparator() const { return (nFlags & fSeparator) != 0; }
    std::span<const MenuItemTemplate> Children() const { return {pChildren, nChildren}; }
};

// A menu resource: its top-level entries (for context menus, pop-ups whose sub-menus are taken
// with GetSubMenu(n)).
struct MenuTemplate {
    UINT nId;
    const MenuItemTemplate* pItems;
    UINT nItems;

    std::span<const MenuItemTemplate> Items() const { return {pItems, nItems}; }
};

// 24-bit BGR, top-down, nWidth * 3 bytes a row, no padding.
struct BitmapResource {
    UINT nId;
    int nWidth;
    int nHeight;
    const uint8_t* pBits;

    size_t Stride() const { return static_cast<size_t>(nWidth) * 3; }
};

// One image of an icon: 32-bit BGRA (straight alpha), top-down, nWidth * 4 bytes a row.
struct IconImage {
    int nWidth;
    int nHeight;
    const uint8_t* pBits;
};

// An icon resource with its images (typically 16x16 and 32x32), largest first.
struct IconResource {
    UINT nId;
    const IconImage* pImages;
    UINT nImages;

    std::span<const IconImage> Images() const { return {pImages, nImages}; }
    // The image of exactly cx x cy, else the smallest larger one, else the largest; null when
    // the icon has no image. Callers that must have another size scale the result.
    const IconImage* BestImage(int cx, int cy) const;
};

struct StringEntry {
    UINT nId;
    const char16_t* psz;        // zero-terminated; may hold '\n'
    UINT nLength;
};

// Everything one resource script compiled into; all arrays sorted by id.
struct ResourceTable {
    const char* pszScript;      // name of the script it was compiled from ("Tavren.rc"), for messages
    WORD wLanguage;             // LANGUAGE of the script: 1033, 1041 ...
    const StringEntry* pStrings;
    UINT nStrings;
    const DialogTemplate* pDialogs;
    UINT nDialogs;
    const MenuTemplate* pMenus;
    UINT nMenus;
    const BitmapResource* pBitmaps;
    UINT nBitmaps;
    const IconResource* pIcons;
    UINT nIcons;
};

// Called by the generated resource source of each library (a static object in that library).
// The module is found from pTable's address; unregistering happens when the library unloads.
void RegisterResourceTable(const ResourceTable* pTable);
void UnregisterResourceTable(const ResourceTable* pTable);

class CResourceRegistrar {
public:
    explicit CResourceRegistrar(const ResourceTable* pTable) : m_pTable(pTable) { RegisterResourceTable(pTable); }
    ~CResourceRegistrar() { UnregisterResourceTable(m_pTable); }
    CResourceRegistrar(const CResourceRegistrar&) = delete;
    CResourceRegistrar& operator=(const CResourceRegistrar&) = delete;

private:
    const ResourceTable* m_pTable;
};

// ---- Lookups in one module. Null / false when the module is unknown, freed, or lacks the id.
// The pointers stay valid while the module stays loaded.
const ResourceTable* FindResourceTable(HINSTANCE hInstance);
const DialogTemplate* FindDialogTemplate(HINSTANCE hInstance, UINT nId);
const MenuTemplate* FindMenuTemplate(HINSTANCE hInstance, UINT nId);
const BitmapResource* FindBitmapResource(HINSTANCE hInstance, UINT nId);
const IconResource* FindIconResource(HINSTANCE hInstance, UINT nId);
const StringEntry* FindStringEntry(HINSTANCE hInstance, UINT nId);
bool LoadResourceString(HINSTANCE hInstance, UINT nId, std::u16string& strOut);

// ---- Lookups through the resource chain of the current module state (ModuleState.h): the current
// resource handle (AfxGetResourceHandle, which a language module may have replaced) first, then the
// module's own instance (AfxGetInstanceHandle). The module that answered is stored in *phFound
// when that is not null.
enum class ResourceKind { String, Dialog, Menu, Bitmap, Icon };
// The two modules the chain looks in, as the calling thread's current module state has them.
struct ResourceChain {
    HINSTANCE hResource;   // AfxGetResourceHandle()
    HINSTANCE hInstance;   // AfxGetInstanceHandle()
};
// The framework (afx/ModuleState.cpp) registers where the chain comes from when the platform
// library starts; until then the chain is the executable's own handle twice.
void SetResourceChainSource(ResourceChain (*pfnCurrentChain)());
HINSTANCE FindResourceModule(ResourceKind kind, UINT nId);
const DialogTemplate* FindDialogTemplateChain(UINT nId, HINSTANCE* phFound = nullptr);
const MenuTemplate* FindMenuTemplateChain(UINT nId, HINSTANCE* phFound = nullptr);
const BitmapResource* FindBitmapResourceChain(UINT nId, HINSTANCE* phFound = nullptr);
const IconResource* FindIconResourceChain(UINT nId, HINSTANCE* phFound = nullptr);
bool LoadResourceStringChain(UINT nId, std::u16string& strOut);

} // namespace tavren

// MFC's name for the chain search: the module whose resources hold the id of that kind, or 0.
HINSTANCE AfxFindResourceHandle(UINT nId, tavren::ResourceKind kind);
