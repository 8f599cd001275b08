// Write a Design when the cable is pulled in the middle of the send and plugged back in, first
// into a machine the module cannot drive (the machine's busy states and
// refusals are the send tests' business, answers slower than the link waits the File Manager's):
// the message, the dialog still answering, a send that goes through once the fault is gone, and
// the design whole on the machine or not there at all.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

constexpr const char16_t* kReconnect = u"Reconnect the USB cable.";

class WriteDesignFaultTest : public WriteDesignFixture {
protected:
    WriteDesignFaultTest() : WriteDesignFixture(true) {}

    void SetUp() override
    {
        WriteDesignFixture::SetUp();
        if (HasFatalFailure())
            return;
        fs::create_directories(Emb() / "Flowers");
    }
    HostCall Selecting() const
    {
        HostCall c;
        c.bytes = DesignBytes();
        c.nTarget = 1;
        c.bSelectEnable = 1;
        c.nSelect = 1;
        return c;
    }
    static void GoToFlowers(ScriptedUser& u)
    {
        u.WaitForWindow(kCaption);
        Open(u, kBuiltIn, {u"Flowers"});
        Open(u, u"Flowers", {});
    }
};

} // namespace

TEST_F(WriteDesignFaultTest, CablePulledInTheMiddleOfTheSendThenSentAgain)
{
    HostCall c = Selecting();
    c.nTarget = 2;
    ScriptedUser user([&](ScriptedUser& u) {
        for (bool bWhileTravelling : {true, false}) {
            GoToFlowers(u);
            if (bWhileTravelling) {
                // The cable comes out while the design travels: the machine never answers.
                Ctl({"fault", "DownloadFile", "pull"});
            } else {
                // The cable comes out while the machine holds the design, before it stores it.
                Ctl({"fault", "DownloadFile", "delay", "1500"});
            }
            u.Click(kSend);
            if (!bWhileTravelling) {
                u.WaitUntil([&](const Snapshot&) { return !FaultArmed("DownloadFile"); }, "the design on its way");
                Ctl({"cable", "pull"});
            }
            const tavren::WindowInfo& box = u.ExpectMessageBox(kCommError, kReconnect);
            u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
            u.Answer(IDOK);
            // The dialog stays, shows what is left without the machine, and lets the person look.
            Snapshot s = WaitForItems(u, {kStick, kStick2}, "the PC's drives left");
            u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
            u.Expect(BoxHas(s, u"Not connected"), "the location box says the machine is not connected: " + Describe(BoxOf(s)));
            u.Expect(NamesIn(Emb() / "Flowers").empty(), "nothing half stored on the machine");
            Open(u, kStick, {u"Embf"});
            u.Click(kUp);
            WaitForItems(u, {u"EMB"}, "up on the stick");
            u.Click(kUp);
            WaitForItems(u, {kStick, kStick2}, "back at the root view");
            Ctl({"fault", "clear"});
            if (!bWhileTravelling) {
                // A machine the module cannot drive is told of, and the dialog goes on without it.
                Ctl({"supported", "no"});
                Ctl({"cable", "plug"});
                u.Expect(u.ExpectMessageBox(u"Confirm", u"This application does not support the connected machine.").nIcon ==
                             MB_ICONINFORMATION, "the information icon");
                u.Answer(IDOK);
                s = WaitForItems(u, {kStick, kStick2}, "no machine to drive");
                u.Expect(BoxHas(s, u"Not connected"), "still not connected: " + Describe(BoxOf(s)));
                Ctl({"cable", "pull"});
                Ctl({"supported", "yes"});
            }
            Ctl({"cable", "plug"});
            s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the machine back");
            u.Expect(!BoxHas(s, u"Not connected"), "the location box shows the machine again: " + Describe(BoxOf(s)));
        }
        GoToFlowers(u);
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(NamesIn(Emb() / "Flowers"), std::vector<std::string>{"rose.qef"});
    EXPECT_EQ(Read(Emb() / "Flowers" / "rose.qef"), c.bytes);
    EXPECT_EQ(SelectedOnMachine(), c.bytes);
    EXPECT_EQ(c.nStorage, 1);
}
