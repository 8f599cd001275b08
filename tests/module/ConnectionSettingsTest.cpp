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

TEST_F(ConnectionSettingsTest, OpensInTheUsbStateWithColumnsFromTheListWidth)
{
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Connection Settings");
        auto usb = u.Control(kUsb), wlan = u.Control(kWirelessLan);
        u.Expect(usb.nCheck == 1 && wlan.nCheck == 0, "USB is chosen");
        u.Expect(!u.Control(kSearch).bEnabled, "Search is disabled");
        u.Expect(!u.Control(kList).bEnabled, "the list is disabled");
        u.Expect(u.Control(IDOK).bEnabled, "OK is enabled");
        auto list = u.Control(kList);
        // 182 dialog units are 273 pixels; the border takes one pixel each side.
        int w = list.rcClient.right - list.rcClient.left;
        u.Expect(list.rc.right - list.rc.left == 273, "the list is 273 pixels wide");
        u.Expect(w == 271, "the list's client area is 271 pixels wide");
        // 4/7 and 3/7 of the client width, rounded down per seventh.
        u.Expect(list.columns.size() == 2 && list.columns[0].nWidth == 152 && list.columns[1].nWidth == 114,
                 "columns of 152 and 114 pixels");
        u.Expect(list.columns.size() == 2 && list.columns[1].strText == u"IP Address", "the second column");
        u.Expect((list.dwListExStyle & LVS_EX_FULLROWSELECT) != 0, "full-row select");
        u.Click(IDOK);
    });
    EXPECT_EQ(Module().pfnComSetDialog(0, 77), IDOK);
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
        u.Expect(u.Control(kList).bEnabled, "the list is enabled");
        u.Expect(!u.Control(IDOK).bEnabled, "OK is disabled: no machine in the list");
        // Search and a click into the empty list change nothing.
        u.Click(kSearch);
        u.ClickItem(kList, -1);
        u.Expect(u.Control(kList).items.empty(), "Search fills no rows");
        u.Expect(!u.Control(IDOK).bEnabled, "OK stays disabled");
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

TEST_F(ConnectionSettingsTest, CancelEscapeAndTheCloseBoxAllAnswerCancel)
{
    for (int way = 0; way < 3; ++way) {
        tavren::ScriptedUser user([way](tavren::ScriptedUser& u) {
            u.WaitForWindow(u"Connection Settings");
            if (way == 0)
                u.Click(IDCANCEL);
            else if (way == 1)
                u.PressEscape();
            else
                u.Close();
        });
        EXPECT_EQ(Module().pfnComSetDialog(0, 0), IDCANCEL) << "way " << way;
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
}
