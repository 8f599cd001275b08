// Pictures a dialog template names, taken from the resource tables of a module (here the test
// program's own tables, registered as a module's generated resource source registers them).
#include "WindowTestSupport.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Icon.h"

namespace {

using wintest::kChild;

// Pictures named by the template: an icon, and a bitmap (SS_BITMAP 0xE) as "CONTROL 64004, ... SS_BITMAP".
const tavren::DialogItemTemplate kPictureItems[] = {
    {u"STATIC", -1, u"", 64003, 10, 10, 21, 20, kChild | SS_ICON, 0},
    {u"STATIC", -1, u"", 64004, 40, 10, 11, 10, kChild | SS_BITMAP, 0},
};
const tavren::DialogTemplate kDialogs[] = {
    {64005, u"Pictures", wintest::kDialogStyle, 0, 0, 0, 100, 40, u"MS Shell Dlg", 8, 0, 0, 1, kPictureItems, 2},
};
// A 2 x 2 icon: red, green / blue, transparent (BGRA).
const uint8_t kIconBits[] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0};
const tavren::IconImage kIconImages[] = {{2, 2, kIconBits}};
const tavren::IconResource kIcons[] = {{64003, kIconImages, 1}};
// A 2 x 1 bitmap: blue, white (BGR).
const uint8_t kBitmapBits[] = {255, 0, 0, 255, 255, 255};
const tavren::BitmapResource kBitmaps[] = {{64004, 2, 1, kBitmapBits}};
const tavren::ResourceTable kTable = {"WindowTest.rc", 1033, nullptr, 0, kDialogs, 1, nullptr, 0, kBitmaps, 1, kIcons, 1};
tavren::CResourceRegistrar g_registrar(&kTable);

TEST(ResourceIcon, StaticsShowTheTemplatesPicturesAndFreeThem)
{
    const tavren::DialogTemplate* pTemplate = tavren::FindDialogTemplateChain(64005);
    ASSERT_NE(pTemplate, nullptr);
    CWnd wnd;
    const HWND hDlg = tavren::CreateDialogWindow(*pTemplate, 0, &wnd, 0);
    ASSERT_NE(hDlg, 0u);
    const std::vector<HWND> statics = tavren::GetWindowRecord(hDlg)->children;
    ASSERT_EQ(statics.size(), 2u);

    const auto hIcon = static_cast<HICON>(SendMessageW(statics[0], STM_GETICON, 0, 0));
    EXPECT_EQ(tavren::IconResourceId(hIcon), 64003u) << "the icon is loaded, not left as its resource number";
    int cx = 0, cy = 0;
    std::vector<uint8_t> pixels;
    EXPECT_TRUE(tavren::GetIconPicture(hIcon, &cx, &cy, &pixels));
    const auto hBitmap = static_cast<HBITMAP>(SendMessageW(statics[1], STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(tavren::GetBitmapPixels(hBitmap, cx, cy, pixels));
    EXPECT_EQ(cx * 10 + cy, 21) << "2 x 1";
    EXPECT_EQ(pixels, std::vector<uint8_t>(std::begin(kBitmapBits), std::end(kBitmapBits)));

    wnd.DestroyWindow();
    EXPECT_FALSE(DestroyIcon(hIcon)) << "the static freed the icon it kept";
    EXPECT_EQ(GetObjectType(hBitmap), 0u) << "and its bitmap";
}

} // namespace
