// The Japanese module's compiled resource tables against the module's own (Tavren.rc, linked into
// this program as the module links it): every resource under the same identifier, translated.
// What the templates hold is the layout test's (DialogLayoutTest.cpp) and the dialogs' tests'.
#include "platform/kernel/Library.h"
#include "platform/afx/ModuleState.h"
#include "platform/user/Resource.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

using namespace tavren;

namespace {
HINSTANCE Own() { return GetModuleHandleW(nullptr); }
} // namespace

TEST(JapaneseModule, HoldsEveryResourceUnderTheSameIdentifiers)
{
    HMODULE hJ = LoadLibraryW(u"TavrenJ.dll");
    ASSERT_NE(hJ, 0u) << GetLastLoadError();
    const ResourceTable* pEn = FindResourceTable(Own());
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
