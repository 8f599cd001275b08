// Write a Design when the cable is pulled in the middle of the send (the machine never answering,
// or holding the design before it stores it) and plugged back in, once first into a machine the
// module cannot drive (the machine's busy states and refusals are the send tests' business,
// answers slower than the link waits the File Manager's): the message, the dialog still answering
// without the machine, a send that goes through once the fault is gone, and the design whole on
// the machine or not there at all.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

class WriteDesignFaultTest : public WriteDesignFixture {
protected:
    WriteDesignFaultTest() : WriteDesignFixture(true) {}
    // The dialog without the machine: the PC's drives, the root view's buttons, "Not connected".
    static void ExpectWithoutMachine(ScriptedUser& u, const std::string& strWhat)
    {
        const Snapshot s = WaitForItems(u, {kStick, kStick2}, strWhat);
        u.Expect(Buttons(s) == "0000" && BoxHas(s, u"Not connected"), strWhat + ": buttons " + Buttons(s) + ", box " + Describe(BoxOf(s)));
    }
};

} // namespace

// The machine holds the design before it stores it when the cable comes out. (A design cut off
// while it travels is the same lost connection to the link:
// TransferDlgTest.APulledCableOrAFailureBeforeTheStartClosesAtOnceWithItsCode.)
TEST_F(WriteDesignFaultTest, CablePulledInTheMiddleOfTheSendThenSentAgain)
{
    fs::create_directories(Emb() / "Flowers");
    HostCall c = Host(2);
    const auto toFlowers = [](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kBuiltIn, {u"Flowers"});
        Open(u, u"Flowers", {});
    };
    ScriptedUser user([&](ScriptedUser& u) {
        toFlowers(u);
        Ctl({"fault", "DownloadFile", "delay", "1500"});
        u.Click(kSend);
        u.WaitUntil([&](const Snapshot&) { return !FaultArmed("DownloadFile"); }, "the design on its way");
        Ctl({"cable", "pull"});
        AnswerBox(u, kCommError, u"Reconnect the USB cable.", MB_ICONEXCLAMATION);
        ExpectWithoutMachine(u, "the PC's drives left");
        u.Expect(NamesIn(Emb() / "Flowers").empty(), "nothing half stored on the machine");
        Ctl({"fault", "clear"});
        // A machine the module cannot drive is told of, and the dialog goes on without it.
        Ctl({"supported", "no"});
        Ctl({"cable", "plug"});
        AnswerBox(u, u"Confirm", u"This application does not support the connected machine.", MB_ICONINFORMATION);
        ExpectWithoutMachine(u, "no machine to drive");
        Ctl({"cable", "pull"});
        Ctl({"supported", "yes"});
        Ctl({"cable", "plug"});
        const Snapshot s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the machine back");
        u.Expect(!BoxHas(s, u"Not connected"), "the location box shows the machine again: " + Describe(BoxOf(s)));
        toFlowers(u);
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(NamesIn(Emb() / "Flowers"), std::vector<std::string>{"rose.qef"});
    EXPECT_EQ(Read(Emb() / "Flowers" / "rose.qef"), c.bytes);
    EXPECT_EQ(c.nStorage, 1);
}
