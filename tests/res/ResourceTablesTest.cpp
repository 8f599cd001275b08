// The module's compiled resource tables (Tavren.rc, linked into this program as the module links
// them) and the Japanese module's tables against them.
#include "platform/kernel/Library.h"
#include "platform/afx/ModuleState.h"
#include "platform/user/Resource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace tavren;

namespace {
// Window style bits as the templates hold them.
constexpr DWORD kWsVisible = 0x10000000, kWsChild = 0x40000000, kWsBorder = 0x00800000, kWsCaption = 0x00C00000,
                kWsSysMenu = 0x00080000, kDsModalFrame = 0x80, kBsIcon = 0x40, kBsAutoRadio = 9, kBsGroupBox = 7,
                kBsDefPush = 1, kSsIcon = 3, kSsBitmap = 0xE, kSsCenter = 1, kSsCenterImage = 0x200,
                kEsReadOnly = 0x800, kEsAutoHScroll = 0x80, kLvsReport = 1, kLvsSingleSel = 4,
                kLvsShowSelAlways = 8, kLvsEditLabels = 0x200, kLvsAlignLeft = 0x800, kCbsDropDownList = 3;

HINSTANCE Own() { return GetModuleHandleW(nullptr); }

std::u16string Str(HINSTANCE h, UINT id)
{
    std::u16string s;
    EXPECT_TRUE(LoadResourceString(h, id, s)) << "string " << id;
    return s;
}

} // namespace

TEST(ResourceStrings, KeepTheSystemsWordingWithItsTypos)
{
    EXPECT_EQ(Str(Own(), 13520), u"Enter a file/foder name.");
    EXPECT_EQ(Str(Own(), 13521), u"You must type a file/folder name.");
    EXPECT_EQ(Str(Own(), 13007), u"Transferring Data");
    EXPECT_EQ(Str(Own(), 12522), u"The machine is temporary busy.\nStart data transfer later.");
    EXPECT_EQ(Str(Own(), 12536), u"The file cannot be saved. Short of memory space in the machine");
    EXPECT_EQ(Str(Own(), 13511), u" already exists.\nDo you want to replace it?");
    EXPECT_EQ(Str(Own(), 13512), u"Connect the machine or USB flash drive to the PC. \nMake sure that the machine is turned on before connecting with the PC.");
    EXPECT_EQ(Str(Own(), 13523), u"A file/folder name cannot contain any of the following characters:\n \\ / : * ? \" < > |");
    EXPECT_EQ(Str(Own(), 13531), u"It has been included in the letter can not be displayed on the sewing machine.\nPlease change the name.");
    EXPECT_EQ(Str(Own(), 13500), u"Please wait...");
}

TEST(ResourceStrings, EveryIdentifierTheModuleShowsIsPresent)
{
    std::set<UINT> ids = {13000, 13001, 13002, 13003, 13004, 13005, 13006, 13007, 13010, 13040, 13050, 13051, 13700};
    for (UINT id = 12500; id <= 12513; ++id) ids.insert(id);
    for (UINT id = 12520; id <= 12553; ++id) ids.insert(id);
    for (UINT id = 13020; id <= 13027; ++id) ids.insert(id);
    for (UINT id = 13030; id <= 13034; ++id) ids.insert(id);
    for (UINT id = 13500; id <= 13507; ++id) ids.insert(id);
    for (UINT id = 13510; id <= 13514; ++id) ids.insert(id);
    for (UINT id : {13520, 13521, 13523, 13524, 13525, 13526, 13527, 13528, 13531, 13532, 13533}) ids.insert(id);
    for (UINT id : ids) {
        std::u16string s;
        EXPECT_TRUE(LoadResourceString(Own(), id, s) && !s.empty()) << "string " << id;
    }
    std::u16string s;
    EXPECT_FALSE(LoadResourceString(Own(), 12514, s));
    EXPECT_TRUE(s.empty());
}

// Where the controls are is the layout test's (DialogLayoutTest.cpp); these are the kinds and
// styles that decide how they behave.
TEST(ResourceDialogs, ConnectionSettingsControlsAndStyles)
{
    const DialogTemplate* p = FindDialogTemplate(Own(), 13024);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::u16string(p->pszCaption), u"Connection Settings");
    EXPECT_EQ(p->dwStyle & (kDsModalFrame | kWsCaption | kWsSysMenu), kDsModalFrame | kWsCaption | kWsSysMenu);
    EXPECT_EQ(std::u16string(p->FindItem(13031)->pszText), u"Wireless LAN");
    EXPECT_EQ(std::u16string(p->FindItem(13033)->pszClass), u"SysListView32");
    EXPECT_EQ(p->FindItem(1)->dwStyle & 0xF, kBsDefPush);
    EXPECT_EQ(p->FindItem(-1)->dwStyle & 0xF, kBsGroupBox);
    EXPECT_EQ(p->FindItem(13030)->dwStyle & 0xF, kBsAutoRadio);
    EXPECT_EQ(p->FindItem(13031)->dwStyle & 0xF, kBsAutoRadio);
    DWORD dwList = p->FindItem(13033)->dwStyle;
    EXPECT_EQ(dwList & 3, kLvsReport);
    EXPECT_TRUE(dwList & kLvsSingleSel);
    EXPECT_TRUE(dwList & kLvsShowSelAlways);
    EXPECT_TRUE(dwList & kLvsAlignLeft);
    EXPECT_TRUE(dwList & kWsBorder);
    for (const DialogItemTemplate& item : p->Items())
        EXPECT_TRUE(item.dwStyle & kWsVisible) << item.nId;
    EXPECT_EQ(p->nItems, 7u);
}

TEST(ResourceDialogs, WriteADesignHidesItsDefaultButtonAndShowsIconButtons)
{
    const DialogTemplate* p = FindDialogTemplate(Own(), 13000);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::u16string(p->pszCaption), u"Write a Design");
    EXPECT_EQ(p->nItems, 13u);
    EXPECT_EQ(std::u16string(p->FindItem(2)->pszText), u"Close");
    EXPECT_EQ(std::u16string(p->FindItem(13005)->pszText), u"Stlye");
    // The PC on the left, the target (a USB drive until a machine is chosen) on the right.
    EXPECT_EQ(p->FindItem(-1)->nImageId, 13001u);
    EXPECT_EQ(p->FindItem(13029)->nImageId, 5u);
    EXPECT_FALSE(p->FindItem(1)->dwStyle & kWsVisible);
    for (int id : {13000, 13002, 13003, 13004, 13005})
        EXPECT_TRUE(p->FindItem(id)->dwStyle & kBsIcon) << id;
    EXPECT_FALSE(p->FindItem(13001)->dwStyle & kBsIcon);
    EXPECT_EQ(p->FindItem(13006)->dwStyle & 3, kCbsDropDownList);
    DWORD dwList = p->FindItem(13007)->dwStyle;
    EXPECT_EQ(dwList & 3, 0u);   // starts in the large-icon view
    EXPECT_EQ(dwList & (kLvsSingleSel | kLvsEditLabels | kLvsShowSelAlways), kLvsSingleSel | kLvsEditLabels | kLvsShowSelAlways);
    EXPECT_EQ(p->FindItem(13008)->dwStyle & (kEsReadOnly | kEsAutoHScroll), kEsReadOnly | kEsAutoHScroll);
    EXPECT_EQ(p->FindItem(13029)->dwStyle & 0x1F, kSsIcon);
}

TEST(ResourceDialogs, FileManagerTransferAndRenameTemplates)
{
    const DialogTemplate* pFm = FindDialogTemplate(Own(), 13016);
    ASSERT_NE(pFm, nullptr);
    EXPECT_EQ(pFm->nItems, 24u);
    EXPECT_EQ(pFm->cx, 471);
    EXPECT_EQ(std::u16string(pFm->FindItem(13016)->pszText), u"Stlye");
    EXPECT_EQ(std::u16string(pFm->FindItem(13023)->pszText), u"Stlye");
    EXPECT_EQ(std::u16string(pFm->FindItem(13027)->pszText), u" 0");
    EXPECT_EQ(std::u16string(pFm->FindItem(13026)->pszText), u"<<");
    int nTickPictures = 0;
    for (const DialogItemTemplate& item : pFm->Items())
        if ((item.dwStyle & 0x1F) == kSsBitmap && item.nImageId == 13006 && item.cx == 11 && item.cy == 10)
            ++nTickPictures;
    EXPECT_EQ(nTickPictures, 2);

    const DialogTemplate* pXfer = FindDialogTemplate(Own(), 13025);
    ASSERT_NE(pXfer, nullptr);
    EXPECT_EQ(std::u16string(pXfer->pszCaption), u"Transfering Data");
    EXPECT_EQ(pXfer->nItems, 4u);
    EXPECT_EQ(std::u16string(pXfer->FindItem(13034)->pszText), u"Please wait.");
    EXPECT_FALSE(pXfer->FindItem(1)->dwStyle & kWsVisible);
    EXPECT_FALSE(pXfer->FindItem(2)->dwStyle & kWsVisible);
    EXPECT_EQ(pXfer->FindItem(13034)->dwStyle & (kSsCenter | kSsCenterImage), kSsCenter | kSsCenterImage);
    EXPECT_TRUE(pXfer->FindItem(13035)->dwStyle & kWsBorder);

    const DialogTemplate* pRename = FindDialogTemplate(Own(), 13014);
    ASSERT_NE(pRename, nullptr);
    EXPECT_EQ(std::u16string(pRename->FindItem(-1)->pszText), u"Enter the file name to save.");
    EXPECT_EQ(FindDialogTemplate(Own(), 13015), nullptr);
}

TEST(ResourceMenus, ContextMenusHoldFivePopupsWithTheirCommands)
{
    struct Entry { UINT nId; const char16_t* pszText; };   // 0: separator
    auto expectPopup = [](const MenuItemTemplate& popup, std::initializer_list<Entry> entries) {
        ASSERT_TRUE(popup.IsPopup());
        ASSERT_EQ(popup.nChildren, entries.size());
        size_t i = 0;
        for (const Entry& e : entries) {
            const MenuItemTemplate& item = popup.pChildren[i++];
            if (e.nId == 0) {
                EXPECT_TRUE(item.IsSeparator());
                continue;
            }
            EXPECT_EQ(item.nId, e.nId);
            EXPECT_EQ(std::u16string(item.pszText), e.pszText);
            EXPECT_EQ(item.nFlags, 0u);
        }
    };
    const MenuTemplate* pMachine = FindMenuTemplate(Own(), 13015);
    ASSERT_NE(pMachine, nullptr);
    ASSERT_EQ(pMachine->nItems, 5u);
    expectPopup(pMachine->pItems[0], {{32785, u"Open"}, {32786, u"Rename"}, {32787, u"Delete"}, {0, nullptr}, {32788, u"Check all"}, {32789, u"Uncheck all"}});
    expectPopup(pMachine->pItems[1], {{32790, u"Make a Folder"}, {0, nullptr}, {32788, u"Check all"}, {32789, u"Uncheck all"}});
    expectPopup(pMachine->pItems[2], {{32785, u"Open"}, {32786, u"Rename"}, {32787, u"Delete"}});
    expectPopup(pMachine->pItems[3], {{32790, u"Make a Folder"}});
    expectPopup(pMachine->pItems[4], {{32788, u"Check all"}, {32789, u"Uncheck all"}});

    const MenuTemplate* pPc = FindMenuTemplate(Own(), 13017);
    ASSERT_NE(pPc, nullptr);
    ASSERT_EQ(pPc->nItems, 5u);
    expectPopup(pPc->pItems[0], {{32791, u"Open"}, {32792, u"Rename"}, {32793, u"Delete"}, {0, nullptr}, {32794, u"Check all"}, {32795, u"Uncheck all"}});
    expectPopup(pPc->pItems[1], {{32796, u"Make a Folder"}, {0, nullptr}, {32794, u"Check all"}, {32795, u"Uncheck all"}});
    expectPopup(pPc->pItems[2], {{32792, u"Rename"}, {32793, u"Delete"}});
    expectPopup(pPc->pItems[3], {{32796, u"Make a Folder"}});
    expectPopup(pPc->pItems[4], {{32794, u"Check all"}, {32795, u"Uncheck all"}});
}

TEST(ResourcePictures, StripsAndCheckBoxesHaveTheirSizesOnWhite)
{
    const BitmapResource* pSmall = FindBitmapResource(Own(), 13003);
    const BitmapResource* pLarge = FindBitmapResource(Own(), 13004);
    ASSERT_NE(pSmall, nullptr);
    ASSERT_NE(pLarge, nullptr);
    EXPECT_EQ(pSmall->nWidth, 16 * 16);
    EXPECT_EQ(pSmall->nHeight, 16);
    EXPECT_EQ(pLarge->nWidth, 16 * 48);
    EXPECT_EQ(pLarge->nHeight, 48);
    auto pixel = [](const BitmapResource* p, int x, int y) {
        const uint8_t* q = p->pBits + static_cast<size_t>(y) * p->Stride() + static_cast<size_t>(x) * 3;
        return (q[2] << 16) | (q[1] << 8) | q[0];
    };
    // Every picture is drawn on white (the location box takes white as transparent) and none is empty.
    for (const BitmapResource* p : {pSmall, pLarge}) {
        int s = p->nHeight;
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(pixel(p, i * s, 0), 0xFFFFFF) << "picture " << i;
            int nInk = 0;
            for (int y = 0; y < s; ++y)
                for (int x = 0; x < s; ++x)
                    nInk += pixel(p, i * s + x, y) != 0xFFFFFF;
            EXPECT_GT(nInk, s * s / 10) << "picture " << i << " of the " << s << " strip";
        }
    }
    const BitmapResource* pOff = FindBitmapResource(Own(), 13005);
    const BitmapResource* pOn = FindBitmapResource(Own(), 13006);
    ASSERT_NE(pOff, nullptr);
    ASSERT_NE(pOn, nullptr);
    EXPECT_EQ(pOff->nWidth, 16);
    EXPECT_EQ(pOff->nHeight, 16);
    EXPECT_EQ(pOn->nWidth, 16);
    EXPECT_EQ(pixel(pOff, 0, 0), 0xFFFFFF);
    // The box's inside is not pure white, so it survives a copy with white as the transparent colour.
    EXPECT_NE(pixel(pOff, 7, 7), 0xFFFFFF);
    EXPECT_NE(pixel(pOn, 7, 9), pixel(pOff, 7, 9));
}

TEST(ResourcePictures, IconsCarryThirtyTwoAndSixteenPixelImages)
{
    for (UINT id : {5u, 13001u, 13008u, 13009u, 13010u, 13011u, 13012u, 13013u, 13019u, 13021u, 13022u, 13023u}) {
        const IconResource* p = FindIconResource(Own(), id);
        ASSERT_NE(p, nullptr) << "icon " << id;
        const IconImage* p32 = p->BestImage(32, 32);
        ASSERT_NE(p32, nullptr);
        EXPECT_EQ(p32->nWidth, 32);
        EXPECT_EQ(p->BestImage(16, 16)->nWidth, 16);
        EXPECT_EQ(p->BestImage(20, 20)->nWidth, 32);   // the next larger image
        EXPECT_EQ(p32->pBits[3], 0) << "icon " << id << " has a transparent corner";
        int nOpaque = 0;
        for (int i = 0; i < 32 * 32; ++i)
            nOpaque += p32->pBits[i * 4 + 3] == 255;
        EXPECT_GT(nOpaque, 32 * 32 / 5) << "icon " << id;
    }
    EXPECT_EQ(FindIconResource(Own(), 13002), nullptr);
}

// The language module answers every identifier of the module's own tables, with the same layout.
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
