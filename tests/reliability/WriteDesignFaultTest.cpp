// Write a Design under machine faults: the cable pulled in the middle of the send, and answers
// slower than the link waits (the machine's busy states are the send tests' business). After each:
// the message, the dialog still answering, a send that goes through once the fault is gone, and
// the design whole on the machine or not there at all.
#include "tests/dialogs/WriteDesignFixture.h"

#include <chrono>
#include <thread>

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
            WaitForItems(u, {kStick, kStick2}, "the PC's drives left");
            u.Expect(NamesIn(Emb() / "Flowers").empty(), "nothing half stored on the machine");
            Open(u, kStick, {u"Embf"});
            u.Click(kUp);
            WaitForItems(u, {u"EMB"}, "up on the stick");
            u.Click(kUp);
            WaitForItems(u, {kStick, kStick2}, "back at the root view");
            Ctl({"fault", "clear"});
            Ctl({"cable", "plug"});
            WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the machine back");
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

TEST_F(WriteDesignFaultTest, AnswersSlowerThanTheLinkWaits)
{
    HostCall c = Selecting();
    ScriptedUser user([&](ScriptedUser& u) {
        GoToFlowers(u);
        // The state question unanswered in time: the send stops without a word.
        Ctl({"fault", "GetStatus", "delay", "3500"});
        u.Click(kSend);
        u.WaitUntil([&](const Snapshot&) { return !FaultArmed("GetStatus"); }, "the state asked for");
        u.WaitForWindow(kCaption);
        u.Expect(NamesIn(Emb() / "Flowers").empty(), "nothing sent without an answer");

        // The design itself unanswered in time: told as a failed save, though the machine stores
        // it once its delay is over.
        Ctl({"fault", "DownloadFile", "delay", "3500"});
        u.Click(kSend);
        u.Expect(u.ExpectMessageBox(kCommError, u"The machine failed to save the file.").nIcon == MB_ICONEXCLAMATION,
                 "the exclamation icon");
        u.Answer(IDOK);
        u.WaitForWindow(kCaption);
        u.WaitUntil([&](const Snapshot&) { return fs::exists(Emb() / "Flowers" / "rose.qef"); }, "the late design stored");
        u.Expect(Read(Emb() / "Flowers" / "rose.qef") == c.bytes, "the late design whole");
        u.Expect(SelectedOnMachine().empty(), "nothing selected after the failed send");
        // Sent again: the person replaces the copy that came late.
        u.Click(kUp);
        WaitForItems(u, {u"Flowers"}, "up in the design folder");
        Open(u, u"Flowers", {u"rose.qef"});
        u.Click(kSend);
        u.ExpectMessageBox(u"Save As", u"rose.qef already exists.\nDo you want to replace it?");
        u.Answer(IDYES);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish(90000)) << user.Report();
    EXPECT_EQ(Read(Emb() / "Flowers" / "rose.qef"), c.bytes);
    EXPECT_EQ(SelectedOnMachine(), c.bytes);
}
