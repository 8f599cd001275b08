// Write a Design while devices come and go: a flash drive pulled out of the PC, the machine's
// cable pulled and plugged back in, and nothing left to write to.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

class WriteDesignDeviceChangeTest : public WriteDesignFixture {
protected:
    WriteDesignDeviceChangeTest() : WriteDesignFixture(true) {}

    static bool BoxHas(const Snapshot& s, std::u16string_view strText)
    {
        for (const auto& e : BoxOf(s))
            if (e == strText || e == u"*" + std::u16string(strText))
                return true;
        return false;
    }
};

} // namespace

TEST_F(WriteDesignDeviceChangeTest, PullingTheShownFlashDriveGoesBackToTheRootView)
{
    HostCall c;
    c.bytes = DesignBytes();
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kStick, {u"Embf"});
        RemoveDrive(u'E');
        const Snapshot s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick2}, "E: pulled out");
        u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
        u.Expect(!BoxHas(s, kStick) && BoxHas(s, kStick2), "the location box without E: " + Describe(BoxOf(s)));
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(WriteDesignDeviceChangeTest, TheMachinesCablePulledAndPluggedBackIn)
{
    fs::create_directories(Emb() / "Flowers");
    HostCall c;
    c.bytes = DesignBytes();
    ScriptedUser user([this](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kBuiltIn, {u"Flowers"});
        Open(u, u"Flowers", {});
        Ctl({"cable", "pull"});
        Snapshot s = WaitForItems(u, {kStick, kStick2}, "the cable pulled");
        u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
        u.Expect(BoxHas(s, u"Not connected"), "the location box says the machine is not connected: " + Describe(BoxOf(s)));
        // A machine the module cannot drive is told of, and the dialog goes on without it.
        Ctl({"supported", "no"});
        Ctl({"cable", "plug"});
        const tavren::WindowInfo& box =
            u.ExpectMessageBox(u"Confirm", u"This application does not support the connected machine.");
        u.Expect(box.nIcon == MB_ICONINFORMATION, "the information icon");
        u.Answer(IDOK);
        u.WaitForWindow(kCaption);
        s = WaitForItems(u, {kStick, kStick2}, "no machine to drive");
        u.Expect(BoxHas(s, u"Not connected"), "still not connected: " + Describe(BoxOf(s)));
        // One it can drive: its handle reaches the list.
        Ctl({"cable", "pull"});
        Ctl({"supported", "yes"});
        Ctl({"cable", "plug"});
        s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the cable plugged back in");
        u.Expect(!BoxHas(s, u"Not connected"), "the location box shows the machine again: " + Describe(BoxOf(s)));
        // The machine answers again: the design goes to it.
        Open(u, kBuiltIn, {u"Flowers"});
        Open(u, u"Flowers", {});
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(Read(Emb() / "Flowers" / "rose.qef"), c.bytes);
    EXPECT_EQ(c.nStorage, 1);
}

TEST_F(WriteDesignDeviceChangeTest, TheDialogClosesWhenNothingIsLeftToShow)
{
    fs::create_directories(Emb() / "Flowers");
    {
        // The machine only: its cable pulled while a folder of it is shown.
        HostCall c;
        c.bytes = DesignBytes();
        c.nTarget = 1;
        ScriptedUser user([this](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            Open(u, kBuiltIn, {u"Flowers"});
            Ctl({"cable", "pull"});
            u.WaitForClose();
        });
        EXPECT_EQ(Call(c), IDCANCEL);
        EXPECT_TRUE(user.Finish()) << user.Report();
        EXPECT_EQ(c.folder, c.before);
    }
    {
        // The PC's drives only: both pulled out, one after the other.
        HostCall c;
        c.bytes = DesignBytes();
        c.nTarget = 0;
        ScriptedUser user([](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            Open(u, kStick2, {u"Embf"});
            RemoveDrive(u'E');
            u.WaitUntil([](const Snapshot& snap) { return !BoxHas(snap, kStick); }, "E: gone from the location box");
            u.Expect(u.Look().Find(kCaption) != nullptr, "the dialog stays while F: is there");
            RemoveDrive(u'F');
            u.WaitForClose();
        });
        EXPECT_EQ(Call(c), IDCANCEL);
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
}
