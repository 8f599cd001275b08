// The module's resource tables as compiled (Tavren.rc, linked into this program as the module
// links it) and the Japanese module's: every resource under the same identifier, translated; and
// the dialog templates as a person sees them in both, every control inside its dialog and no two
// visible controls on top of each other. What the templates hold is the dialogs' tests'.
#include "platform/afx/CString.h"
#include "platform/kernel/Library.h"
#include "platform/user/Resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

using namespace tavren;

namespace {

constexpr UINT kDialogs[] = {13000, 13014, 13016, 13024, 13025};
constexpr DWORD kWsVisible = 0x10000000, kWsChild = 0x40000000;
// A drop-down combo box shows its selection field only: its template height is that of the open
// list. The field of an 8- or 9-point dialog font is about 14 dialog units high.
constexpr int kComboFieldHeight = 14;
// A control set into a group box's frame as its title (a radio button that switches the group)
// lies across the top line, no lower than a line of text below it.
constexpr int kTitleBand = 10;

struct Box {
    int left, top, right, bottom;
    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool Contains(const Box& o) const { return left <= o.left && o.right <= right && top <= o.top && o.bottom <= bottom; }
};

bool IsClass(const DialogItemTemplate& item, std::u16string_view strClass)
{
    return std::ranges::equal(std::u16string_view(item.pszClass), strClass, [](char16_t a, char16_t b) { return (a | 0x20) == (b | 0x20); });
}

bool IsGroupBox(const DialogItemTemplate& item) { return IsClass(item, u"button") && (item.dwStyle & 0xF) == 7 /* BS_GROUPBOX */; }

// What a person sees of the control: a drop-down combo box without its list.
Box Seen(const DialogItemTemplate& item)
{
    const bool bDropDown = (IsClass(item, u"ComboBoxEx32") || IsClass(item, u"ComboBox")) && (item.dwStyle & 3) >= 2;
    return {item.x, item.y, item.x + item.cx, item.y + (bDropDown ? std::min<int>(item.cy, kComboFieldHeight) : item.cy)};
}

// A control may share space with a group box only inside it or as its title.
bool FitsGroupBox(const DialogItemTemplate& group, const DialogItemTemplate& control)
{
    const Box g = Seen(group), c = Seen(control);
    return IsGroupBox(group) && !IsGroupBox(control) &&
           (g.Contains(c) || (g.left <= c.left && c.right <= g.right && c.top <= g.top && g.top < c.bottom && c.bottom <= g.top + kTitleBand));
}

std::string Name(const DialogItemTemplate& i)
{
    return "control " + std::to_string(i.nId) + " at " + std::to_string(i.x) + "," + std::to_string(i.y) + " " + std::to_string(i.cx) + "x" + std::to_string(i.cy);
}

// The faults of one template, as sentences; empty when a person sees nothing wrong.
std::vector<std::string> LayoutFaults(const DialogTemplate& dlg)
{
    std::vector<std::string> faults;
    const auto items = dlg.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        const DialogItemTemplate& a = items[i];
        if (!(a.dwStyle & kWsChild))
            faults.push_back(Name(a) + " is a window of its own, not a control of the dialog");
        if (!Box{0, 0, dlg.cx, dlg.cy}.Contains(Seen(a)))
            faults.push_back(Name(a) + " reaches outside the dialog's client area (" + std::to_string(dlg.cx) + " x " +
                             std::to_string(dlg.cy) + ")");
        for (const DialogItemTemplate& b : items.subspan(i + 1))
            if ((a.dwStyle & kWsVisible) && (b.dwStyle & kWsVisible) && Seen(a).Overlaps(Seen(b)) && !FitsGroupBox(a, b) &&
                !FitsGroupBox(b, a))
                faults.push_back(Name(a) + " and " + Name(b) + " overlap");
    }
    return faults;
}

// The identifiers of every resource of a table, with the classes, styles and pictures of the
// dialogs' controls.
std::vector<std::string> Identifiers(const ResourceTable& t)
{
    std::vector<std::string> ids;
    const auto add = [&](const std::string& strKind, auto nId) { ids.push_back(strKind + " " + std::to_string(nId)); };
    for (const StringEntry& s : std::span(t.pStrings, t.nStrings))
        add("string", s.nId);
    for (const DialogTemplate& d : std::span(t.pDialogs, t.nDialogs))
        for (add("dialog", d.nId); const DialogItemTemplate& i : d.Items())
            add(" control " + std::to_string(i.nId) + " " + Utf16ToUtf8(i.pszClass) + " " + std::to_string(i.dwStyle), i.nImageId);
    for (const MenuTemplate& m : std::span(t.pMenus, t.nMenus))
        for (add("menu", m.nId); const MenuItemTemplate& item : m.Items())
            for (const MenuItemTemplate& child : item.Children())
                add(" command", child.nId);
    for (const BitmapResource& b : std::span(t.pBitmaps, t.nBitmaps))
        add("bitmap", b.nId);
    for (const IconResource& i : std::span(t.pIcons, t.nIcons))
        add("icon", i.nId);
    return ids;
}

} // namespace

// The English tables and the Japanese module's: every dialog laid out cleanly in both, and every
// resource of the one in the other under the same identifier, its texts translated.
TEST(ResourceTables, DialogsLaidOutAndTheJapaneseModuleHoldsEveryResourceTranslated)
{
    HMODULE hJ = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(hJ, 0u) << GetLastLoadError();
    for (HMODULE hModule : {GetModuleHandleW(nullptr), hJ}) {
        for (UINT nId : kDialogs) {
            const DialogTemplate* p = FindDialogTemplate(hModule, nId);
            ASSERT_NE(p, nullptr) << "dialog " << nId;
            for (const std::string& strFault : LayoutFaults(*p))
                ADD_FAILURE() << (hModule == hJ ? "Japanese " : "English ") << "dialog " << nId << ": " << strFault;
        }
    }

    const ResourceTable* pEn = FindResourceTable(GetModuleHandleW(nullptr));
    const ResourceTable* pJa = FindResourceTable(hJ);
    ASSERT_TRUE(pEn && pJa);
    EXPECT_EQ(pEn->wLanguage, 1033);
    EXPECT_EQ(pJa->wLanguage, 1041);
    EXPECT_EQ(Identifiers(*pJa), Identifiers(*pEn));
    for (const StringEntry& en : std::span(pEn->pStrings, pEn->nStrings)) {
        const StringEntry* ja = FindStringEntry(hJ, en.nId);
        EXPECT_TRUE(ja && std::u16string(ja->psz) != en.psz) << "string " << en.nId << " is translated";
    }
    for (const DialogTemplate& en : std::span(pEn->pDialogs, pEn->nDialogs)) {
        const DialogTemplate* ja = FindDialogTemplate(hJ, en.nId);
        EXPECT_TRUE(ja && std::u16string(ja->pszCaption) != en.pszCaption) << "dialog " << en.nId << " is translated";
    }
    EXPECT_TRUE(FreeLibrary(hJ));
}
