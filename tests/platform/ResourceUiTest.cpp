// Dialogs, menus and message texts taken from the resource tables of a module (here the test
// program's own tables, registered as a module's generated resource source registers them).
#include "WindowTestSupport.h"

#include "tests/support/Watchdog.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Icon.h"
#include "platform/user/Menu.h"
#include "platform/user/MessageBox.h"
#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

namespace {

using wintest::kChild;

const tavren::DialogItemTemplate kRenameItems[] = {
    {u"EDIT", 13020, u"", 0, 10, 10, 110, 14, kChild | WS_TABSTOP | ES_AUTOHSCROLL, 0},
    {u"BUTTON", IDOK, u"OK", 0, 10, 30, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {u"BUTTON", IDCANCEL, u"Cancel", 0, 70, 30, 50, 14, kChild | WS_TABSTOP, 0},
};
// Pictures named by the template: an icon, and a bitmap (SS_BITMAP 0xE) as "CONTROL 64004, ... SS_BITMAP".
const tavren::DialogItemTemplate kPictureItems[] = {
    {u"STATIC", -1, u"", 64003, 10, 10, 21, 20, kChild | SS_ICON, 0},
    {u"STATIC", -1, u"", 64004, 40, 10, 11, 10, kChild | SS_BITMAP, 0},
    {u"STATIC", 13029, u"", 64003, 60, 10, 21, 20, kChild | SS_ICON, 0},
};
const tavren::DialogTemplate kDialogs[] = {
    {64000, u"Rename", wintest::kDialogStyle, 0, 0, 0, 130, 50, u"MS Shell Dlg", 8, 0, 0, 1, kRenameItems, 3},
    {64005, u"Pictures", wintest::kDialogStyle, 0, 0, 0, 100, 40, u"MS Shell Dlg", 8, 0, 0, 1, kPictureItems, 3},
};
const tavren::MenuItemTemplate kPopup0[] = {
    {u"Open", 32785, 0, nullptr, 0},
    {u"Rename", 32786, 0, nullptr, 0},
    {u"Delete", 32787, 0, nullptr, 0},
    {u"", 0, tavren::MenuItemTemplate::fSeparator, nullptr, 0},
    {u"Check all", 32788, 0, nullptr, 0},
};
const tavren::MenuItemTemplate kPopup1[] = {
    {u"Make a Folder", 32790, 0, nullptr, 0},
};
const tavren::MenuItemTemplate kMenuTop[] = {
    {u"0", 0, tavren::MenuItemTemplate::fPopup, kPopup0, 5},
    {u"1", 0, tavren::MenuItemTemplate::fPopup, kPopup1, 1},
};
const tavren::MenuTemplate kMenus[] = {{64001, kMenuTop, 2}};
// A 2 x 2 icon: red, green / blue, transparent (BGRA).
const uint8_t kIconBits[] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0};
const tavren::IconImage kIconImages[] = {{2, 2, kIconBits}};
const tavren::IconResource kIcons[] = {{64003, kIconImages, 1}};
const tavren::StringEntry kStrings[] = {{64002, u"The name is too long.", 21}};
// A 2 x 1 bitmap: blue, white (BGR).
const uint8_t kBitmapBits[] = {255, 0, 0, 255, 255, 255};
const tavren::BitmapResource kBitmaps[] = {{64004, 2, 1, kBitmapBits}};
const tavren::ResourceTable kTable = {"WindowTest.rc", 1033, kStrings, 1, kDialogs, 2, kMenus, 1, kBitmaps, 1, kIcons, 1};
tavren::CResourceRegistrar g_registrar(&kTable);

class CRenameDlg : public CDialog {
public:
    CString m_strName;
    CRenameDlg() : CDialog(64000) {}
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 13020, m_strName); }
    void OnOK() override
    {
        UpdateData(TRUE);
        if (m_strName.GetLength() > 8) {
            AfxMessageBox(64002, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        CDialog::OnOK();
    }
};

TEST(ResourceDialog, RunsFromItsTemplateAndExchangesItsText)
{
    tavren::test::Watchdog watchdog;
    CRenameDlg dlg;
    dlg.m_strName = u"Rose";
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        const tavren::WindowInfo& w = u.WaitForWindow(u"Rename");
        u.Expect(w.Control(13020)->strText == u"Rose", "the edit shows the name");
        u.Expect(w.Control(13020)->bFocused, "the first tab stop has the focus");
        u.Type(13020, u"A much longer name");
        u.PressEnter();
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"", u"The name is too long.");
        u.Expect(box.nIcon == MB_ICONEXCLAMATION && box.buttons == std::vector<int>{IDOK}, "warning with OK");
        u.PressEscape(); // a box with only OK answers Escape with IDOK
        u.WaitForClose();
        u.WaitForWindow(u"Rename");
        u.ReplaceText(13020, u"Tulip");
        u.Click(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(dlg.m_strName, u"Tulip");
}

TEST(ResourceMenu, WithoutReturnCommandTheChoiceIsPostedToTheOwner)
{
    tavren::test::Watchdog watchdog;
    struct CMenuDlg : public CRenameDlg {
        UINT m_nCommand = 0;
        BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
        {
            if (LOWORD(wParam) == 32786) {
                m_nCommand = LOWORD(wParam);
                EndDialog(IDABORT);
                return TRUE;
            }
            return CRenameDlg::OnCommand(wParam, lParam);
        }
        BOOL OnInitDialog() override
        {
            CRenameDlg::OnInitDialog();
            PostMessage(WM_APP);
            return TRUE;
        }
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_APP) {
                CMenu menu;
                menu.LoadMenu(64001);
                BOOL b = menu.GetSubMenu(0)->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, 10, 10, this);
                return b;
            }
            return CRenameDlg::WindowProc(message, wParam, lParam);
        }
    } dlg;
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForMenu();
        u.ChooseMenu(32786);
    });
    EXPECT_EQ(dlg.DoModal(), IDABORT);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(dlg.m_nCommand, 32786u);
}

TEST(ResourceIcon, StaticsShowTheTemplatesPicturesAndFreeOnlyWhatTheyKeep)
{
    const tavren::DialogTemplate* pTemplate = tavren::FindDialogTemplateChain(64005);
    ASSERT_NE(pTemplate, nullptr);
    CWnd wnd;
    HWND hDlg = tavren::CreateDialogWindow(*pTemplate, 0, &wnd, 0);
    ASSERT_NE(hDlg, 0u);
    std::vector<HWND> statics = tavren::GetWindowRecord(hDlg)->children;
    ASSERT_EQ(statics.size(), 3u);

    auto hIcon = static_cast<HICON>(SendMessageW(statics[0], STM_GETICON, 0, 0));
    EXPECT_EQ(tavren::IconResourceId(hIcon), 64003u) << "the icon is loaded, not left as its resource number";
    int cx = 0, cy = 0;
    std::vector<uint8_t> pixels;
    EXPECT_TRUE(tavren::GetIconPicture(hIcon, &cx, &cy, &pixels));
    auto hBitmap = static_cast<HBITMAP>(SendMessageW(statics[1], STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(tavren::GetBitmapPixels(hBitmap, cx, cy, pixels));
    EXPECT_EQ(cx, 2);
    EXPECT_EQ(cy, 1);
    EXPECT_EQ(pixels, std::vector<uint8_t>(std::begin(kBitmapBits), std::end(kBitmapBits)));

    // The program sets its own picture: the one loaded from the template is handed back to it.
    auto hOwn = static_cast<HICON>(LoadIconW(0, MAKEINTRESOURCE(64003)));
    auto hTemplateIcon = static_cast<HICON>(SendMessageW(statics[2], STM_GETICON, 0, 0));
    EXPECT_EQ(static_cast<HICON>(SendMessageW(statics[2], STM_SETICON, hOwn, 0)), hTemplateIcon);
    EXPECT_TRUE(DestroyIcon(hTemplateIcon)) << "the program frees what it was handed";

    wnd.DestroyWindow();
    EXPECT_FALSE(DestroyIcon(hIcon)) << "the static freed the icon it kept";
    EXPECT_EQ(GetObjectType(hBitmap), 0u) << "and its bitmap";
    EXPECT_TRUE(DestroyIcon(hOwn)) << "but not the program's";
}

} // namespace
