#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/user/WinUser.h"

#include <gtest/gtest.h>

namespace {
constexpr int kUsb = 13030, kWirelessLan = 13031, kSearch = 13032, kList = 13033;

class ConnectionSettingsTest : public tavren::test::ModuleFixture {
protected:
    ConnectionSettingsTest() : ModuleFixture(Parts().Module()) {}
    void SetUp() override
    {
        ModuleFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Module().pfnComSetDialog);
    }
};
} // namespace

TEST_F(ConnectionSettingsTest, OpensInTheUsbStateWithColumnsFromTheListWidthAndCancelAnswersCancel)
{
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Connection Settings");
        u.Expect(u.Control(kUsb).nCheck == 1 && u.Control(kWirelessLan).nCheck == 0, "USB is chosen");
        u.Expect(!u.Control(kSearch).bEnabled && !u.Control(kList).bEnabled, "Search and the list are disabled");
        u.Expect(u.Control(IDOK).bEnabled, "OK is enabled");
        const auto list = u.Control(kList);
        // 182 dialog units are 273 pixels; the border takes one pixel each side; the columns take
        // 4/7 and 3/7 of the client width, rounded down per seventh.
        u.Expect(list.rc.right - list.rc.left == 273 && list.rcClient.right - list.rcClient.left == 271, "273 pixels wide, 271 inside");
        u.Expect(list.columns.size() == 2 && list.columns[0].nWidth == 152 && list.columns[1].nWidth == 114 &&
                     list.columns[1].strText == u"IP Address", "columns of 152 and 114 pixels, the second for the address");
        u.Expect((list.dwListExStyle & LVS_EX_FULLROWSELECT) != 0, "full-row select");
        u.Click(IDCANCEL); // (Escape: LanguageSwitch; the close box and Escape in any dialog: the platform's MouseTest)
    });
    EXPECT_EQ(Module().pfnComSetDialog(0, 77), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(ConnectionSettingsTest, WirelessLanDisablesOkUntilAMachineIsChosenAndUsbEnablesItAgain)
{
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Connection Settings");
        u.Click(kWirelessLan);
        u.WaitUntil([](const tavren::Snapshot& s) { return s.Front() && s.Front()->Control(kSearch)->bEnabled; },
                    "Search enabled");
        u.Expect(u.Control(kUsb).nCheck == 0 && u.Control(kWirelessLan).nCheck == 1, "the radio group moved");
        u.Expect(u.Control(kList).bEnabled && !u.Control(IDOK).bEnabled, "the list enabled, OK disabled: no machine in it");
        // Search and a click into the empty list change nothing.
        u.Click(kSearch);
        u.ClickItem(kList, -1);
        u.Expect(u.Control(kList).items.empty() && !u.Control(IDOK).bEnabled, "Search fills no rows, OK stays disabled");
        u.Expect(u.Control(kSearch).bEnabled && u.Control(kWirelessLan).nCheck == 1, "still wireless LAN");
        // Enter does not end the dialog while OK is disabled.
        u.PressEnter();
        u.Expect(u.Look().Find(u"Connection Settings") != nullptr, "Enter leaves the dialog open");
        u.Click(kUsb);
        u.WaitUntil([](const tavren::Snapshot& s) { return s.Front() && s.Front()->Control(IDOK)->bEnabled; },
                    "OK enabled again");
        u.Expect(!u.Control(kSearch).bEnabled && !u.Control(kList).bEnabled, "Search and list disabled again");
        u.PressEnter();
    });
    EXPECT_EQ(Module().pfnComSetDialog(0, 0), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
}
