// The module's resource tables as compiled (Tavren.rc, linked into this program as the module
// links it) and the Japanese module's: every resource under the same identifier, translated; and
// the dialog templates as a person sees them in both, every control inside its dialog and no two
// visible controls on top of each other. What the templates hold is the dialogs' tests'.
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
constexpr DWORD kWsVisible = 0x10000000, kWsChild = 0x40000000, kBsTypeMask = 0xF, kBsGroupBox = 7, kCbsTypeMask = 3;
// A drop-down combo box shows its selection field only: its template height is that of the open
// list. The field of an 8- or 9-point dialog font is about 14 dialog units high.
constexpr short kComboFieldHeight = 14;
// A control set into a group box's frame as its title (a radio button that switches the group)
// lies across the top line, no lower than a line of text below it.
constexpr short kTitleBand = 10;

struct Box {
    short left, top, right, bottom;
    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool Contains(const Box& o) const { return left <= o.left && o.right <= right && top <= o.top && o.bottom <= bottom; }
};

bool SameClass(const char16_t* psz, std::u16string_view strClass)
{
    std::u16string_view s(psz);
    if (s.size() != strClass.size())
        return false;
    for (size_t i = 0; i < s.size(); ++i)
        if ((s[i] | 0x20) != (strClass[i] | 0x20))
            return false;
    return true;
}

bool IsGroupBox(const DialogItemTemplate& item)
{
    return SameClass(item.pszClass, u"button") && (item.dwStyle & kBsTypeMask) == kBsGroupBox;
}

// What a person sees of the control: a drop-down combo box without its list.
Box Seen(const DialogItemTemplate& item)
{
    short cy = item.cy;
    const DWORD dwComboType = item.dwStyle & kCbsTypeMask;
    if ((SameClass(item.pszClass, u"ComboBoxEx32") || SameClass(item.pszClass, u"ComboBox")) && dwComboType >= 2)
        cy = std::min(cy, kComboFieldHeight);
    return {item.x, item.y, static_cast<short>(item.x + item.cx), static_cast<short>(item.y + cy)};
}

// A control may share space with a group box only inside it or as its title.
bool FitsGroupBox(const Box& group, const Box& control)
{
    if (group.Contains(control))
        return true;
    return group.left <= control.left && control.right <= group.right && control.top <= group.top &&
           group.top < control.bottom && control.bottom <= group.top + kTitleBand;
}

std::string Name(const DialogItemTemplate& item)
{
    return "control " + std::to_string(item.nId) + " at (" + std::to_string(item.x) + ", " + std::to_string(item.y) +
           ", " + std::to_string(item.cx) + " x " + std::to_string(item.cy) + ")";
}

// The faults of one template, as sentences; empty when a person sees nothing wrong.
std::vector<std::string> LayoutFaults(const DialogTemplate& dlg)
{
    std::vector<std::string> faults;
    const Box client{0, 0, dlg.cx, dlg.cy};
    const auto items = dlg.Items();
    for (const DialogItemTemplate& item : items)
        if (!(item.dwStyle & kWsChild))
            faults.push_back(Name(item) + " is a window of its own, not a control of the dialog");
    for (const DialogItemTemplate& item : items)
        if (!client.Contains(Seen(item)))
            faults.push_back(Name(item) + " reaches outside the dialog's client area (" + std::to_string(dlg.cx) +
                             " x " + std::to_string(dlg.cy) + ")");
    for (size_t i = 0; i < items.size(); ++i) {
        for (size_t k = i + 1; k < items.size(); ++k) {
            const DialogItemTemplate& a = items[i];
            const DialogItemTemplate& b = items[k];
            if (!(a.dwStyle & kWsVisible) || !(b.dwStyle & kWsVisible) || !Seen(a).Overlaps(Seen(b)))
                continue;
            if (IsGroupBox(a) && !IsGroupBox(b) && FitsGroupBox(Seen(a), Seen(b)))
                continue;
            if (IsGroupBox(b) && !IsGroupBox(a) && FitsGroupBox(Seen(b), Seen(a)))
                continue;
            faults.push_back(Name(a) + " and " + Name(b) + " overlap");
        }
    }
    return faults;
}

} // namespace

TEST(DialogLayout, EveryControlInsideItsDialogAndNoneOnTopOfAnother)
{
    HMODULE hJapanese = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(hJapanese, 0u) << GetLastLoadError();
    for (HMODULE hModule : {GetModuleHandleW(nullptr), hJapanese}) {
        for (UINT nId : kDialogs) {
            const DialogTemplate* p = FindDialogTemplate(hModule, nId);
            ASSERT_NE(p, nullptr) << "dialog " << nId;
            for (const std::string& strFault : LayoutFaults(*p))
                ADD_FAILURE() << (hModule == hJapanese ? "Japanese " : "English ") << "dialog " << nId << ": " << strFault;
        }
    }
    EXPECT_TRUE(FreeLibrary(hJapanese));
}

TEST(JapaneseModule, HoldsEveryResourceUnderTheSameIdentifiers)
{
    HMODULE hJ = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(hJ, 0u) << GetLastLoadError();
    const ResourceTable* pEn = FindResourceTable(GetModuleHandleW(nullptr));
    const ResourceTable* pJa = FindResourceTable(hJ);
    ASSERT_NE(pEn, nullptr);
    ASSERT_NE(pJa, nullptr);
    EXPECT_EQ(pEn->wLanguage, 1033);
    EXPECT_EQ(pJa->wLanguage, 1041);

    int nTranslated = 0;
    for (UINT i = 0; i < pEn->nStrings; ++i) {
        const StringEntry& en = pEn->pStrings[i];
        const StringEntry* ja = FindStringEntry(hJ, en.nId);
        ASSERT_NE(ja, nullptr) << "string " << en.nId;
        nTranslated += std::u16string(ja->psz) != std::u16string(en.psz);
    }
    EXPECT_EQ(pJa->nStrings, pEn->nStrings);
    EXPECT_EQ(nTranslated, static_cast<int>(pEn->nStrings));

    for (const DialogTemplate& en : std::span(pEn->pDialogs, pEn->nDialogs)) {
        const DialogTemplate* ja = FindDialogTemplate(hJ, en.nId);
        ASSERT_NE(ja, nullptr) << "dialog " << en.nId;
        EXPECT_NE(std::u16string(ja->pszCaption), std::u16string(en.pszCaption));
        ASSERT_EQ(ja->nItems, en.nItems);
        for (UINT k = 0; k < en.nItems; ++k) {
            EXPECT_EQ(ja->pItems[k].nId, en.pItems[k].nId);
            EXPECT_EQ(std::u16string(ja->pItems[k].pszClass), std::u16string(en.pItems[k].pszClass));
            EXPECT_EQ(ja->pItems[k].dwStyle, en.pItems[k].dwStyle);
            EXPECT_EQ(ja->pItems[k].nImageId, en.pItems[k].nImageId);
        }
    }
    for (const MenuTemplate& en : std::span(pEn->pMenus, pEn->nMenus)) {
        const MenuTemplate* ja = FindMenuTemplate(hJ, en.nId);
        ASSERT_NE(ja, nullptr) << "menu " << en.nId;
        ASSERT_EQ(ja->nItems, en.nItems);
        for (UINT k = 0; k < en.nItems; ++k) {
            ASSERT_EQ(ja->pItems[k].nChildren, en.pItems[k].nChildren);
            for (UINT m = 0; m < en.pItems[k].nChildren; ++m)
                EXPECT_EQ(ja->pItems[k].pChildren[m].nId, en.pItems[k].pChildren[m].nId);
        }
    }
    for (const BitmapResource& en : std::span(pEn->pBitmaps, pEn->nBitmaps))
        EXPECT_NE(FindBitmapResource(hJ, en.nId), nullptr) << "bitmap " << en.nId;
    for (const IconResource& en : std::span(pEn->pIcons, pEn->nIcons))
        EXPECT_NE(FindIconResource(hJ, en.nId), nullptr) << "icon " << en.nId;
    EXPECT_TRUE(FreeLibrary(hJ));
}
