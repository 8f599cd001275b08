// Sending the design to the machine: the machine's state checked first when the host wants the
// design selected afterwards, the question before the machine leaves ordinary sewing, a transfer
// the machine refuses or the person stops, the design selected on the machine at the end, and the STX
// export, which neither checks the machine nor selects the pattern.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

constexpr const char16_t* kMachineError = u"Data transfer failed due to an error on the machine.";
constexpr const char16_t* kBusy = u"The machine is temporary busy.\nStart data transfer later.";
constexpr const char16_t* kModeQuestion =
    u"Ordinary sewing mode will be changed to Embroidery mode.\nBe sure to use the proper foot.\nDo you still want to send the data?";

class WriteDesignMachineSendTest : public WriteDesignFixture {
protected:
    WriteDesignMachineSendTest() : WriteDesignFixture(true) {}

    void SetUp() override
    {
        WriteDesignFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        fs::create_directories(Emb() / "Flowers");
        fs::create_directories(Emb(2) / "Work");
    }

    // A host that wants the design selected on the machine after the send (unless told otherwise).
    static HostCall Selecting(std::u16string strName = u"rose.qef", const std::string& strCorpus = "Star.DST", uint8_t bEnable = 1,
                              int32_t nSelect = 1)
    { return {.bytes = DesignBytes(strCorpus), .strName = std::move(strName), .bSelectEnable = bEnable, .nStorage = 3, .nSelect = nSelect, .nTarget = 1}; }
    // Built-in storage's Flowers, where ">>" sends.
    static void GoToFlowers(ScriptedUser& u)
    {
        Open(u, kBuiltIn, {u"Flowers"});
        Open(u, u"Flowers", {});
    }
    static void SendInWork(ScriptedUser& u, const Labels& there)
    {
        Open(u, kUsb1, {u"Work"});
        Open(u, u"Work", there);
        u.Click(kSend);
    }
};

} // namespace

TEST_F(WriteDesignMachineSendTest, EachBusyOrBlockedStateRefusesTheSendAndLeavingOrdinarySewingIsAskedFirst)
{
    struct Row { int a, b; std::u16string strText; };
    const std::vector<Row> rows = {
        {0, 1, u"The machine is locked.\nStart communication after unlock the machine."},
        {0, 2, u"Message is displayed on the machine.\nClose the message before starting data transfer."},
        {0, 3, u"Help window is open on the machine.\nClose the help window before starting data transfer."},
        {0, 4, u"Setting mode window is open on the machine.\nClose the setting mode window before starting data transfer."},
        {0, 5, u"The machine is opening/saving a file.\nStart data transfer after opening/saving the file is completed."},
        {0, 6, u"Dialog box is open on the machine.\nClose the dialog box before starting data transfer."},
        {0, 7, kMachineError}, {0, 200, kMachineError}, {1, 0, kBusy}, {3, 5, kBusy}, {5, 0, kBusy}, {6, 1, kBusy},
        {9, 0, kBusy}, {2, 0, kMachineError}, {4, 0, u"The machine is now sewing.\nStart communication after the sewing is finished."},
        {7, 0, kBusy}, {8, 3, u"The machine is winding a bobbin.\nStart communication after the bobbin winding is finished."},
        {10, 0, kMachineError}, {255, 1, kMachineError}, };
    HostCall c = Selecting();
    EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
        GoToFlowers(u);
        for (const Row& r : rows) {
            Ctl({"status", "3=" + std::to_string(r.a), "4=" + std::to_string(r.b)});
            u.Click(kSend);
            AnswerBox(u, kCommError, r.strText, MB_ICONEXCLAMATION);
            u.WaitForWindow(kCaption);
            u.Expect(NamesIn(Emb() / "Flowers").empty(), "state " + std::to_string(r.a) + "/" + std::to_string(r.b) + ": nothing sent");
        }
        // A machine that does not answer the state question: nothing said, nothing sent.
        Ctl({"status", "3=0", "4=0"});
        Ctl({"fault", "GetStatus", "0x3"});
        u.Click(kSend);
        u.WaitUntil([&](const Snapshot&) { return !FaultArmed("GetStatus"); }, "the state asked for");
        u.WaitForWindow(kCaption);
        u.Expect(NamesIn(Emb() / "Flowers").empty(), "nothing sent without an answer");
        // Idle in ordinary sewing: the person is asked first, and No sends nothing.
        for (const auto& [pszMode, nAnswer] : {std::pair<const char*, int>{"0=0", IDNO}, {"0=1", IDNO}, {"0=1", IDYES}}) {
            Ctl({"status", pszMode});
            u.Click(kSend);
            const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", kModeQuestion);
            u.Expect(box.nIcon == MB_ICONQUESTION && box.buttons == std::vector<int>{IDYES, IDNO}, "the question icon, Yes and No");
            u.Answer(nAnswer);
            if (nAnswer == IDNO) {
                u.WaitForWindow(kCaption);
                u.Expect(NamesIn(Emb() / "Flowers").empty(), std::string("mode ") + pszMode + ": No sends nothing");
            }
        }
    }), IDOK);
    EXPECT_EQ(NamesIn(Emb() / "Flowers"), std::vector<std::string>{"rose.qef"});
    EXPECT_EQ(Read(Emb() / "Flowers" / "rose.qef"), c.bytes);
    EXPECT_EQ(SelectedOnMachine(), c.bytes);
}

TEST_F(WriteDesignMachineSendTest, ATransferTheMachineRefusesIsReportedAndTheDialogStaysOneThePersonStopsCountsAsSent)
{
    HostCall c = Selecting();
    c.strFolder = u"\\\\EMB\\Gone";
    Ctl({"fault", "DownloadFile", "0x8010"});
    EXPECT_EQ(Run(c, [](ScriptedUser& u) {
        GoToFlowers(u);
        u.Click(kSend);
        AnswerBox(u, kCommError, u"The file cannot be saved. Short of memory space in the machine", MB_ICONEXCLAMATION);
        u.WaitForWindow(kCaption);
        u.Click(IDCANCEL);
    }), IDCANCEL);
    EXPECT_TRUE(NamesIn(Emb() / "Flowers").empty());
    EXPECT_EQ(c.nStorage, 3) << "the storage is written only after a send";
    EXPECT_EQ(c.folder, c.before);
    EXPECT_TRUE(SelectedOnMachine().empty());

    // A transfer the person stops counts as sent.
    c = Selecting(u"rose.qef", "Star.DST", 0);
    Ctl({"fault", "DownloadFile", "delay", "2000"});
    EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
        GoToFlowers(u);
        u.Click(kSend);
        u.WaitForWindow(u"Send Designs");
        u.WaitUntil([&](const Snapshot&) { return !FaultArmed("DownloadFile"); }, "the transfer under way");
        u.PressEscape();
    }), IDOK);
    EXPECT_EQ(Narrow(c.Folder()), "\\\\EMB\\Flowers");
    EXPECT_EQ(c.nStorage, 1);
}

TEST_F(WriteDesignMachineSendTest, TheDesignIsSelectedOnTheMachineOnlyWhenTheHostAsks)
{
    // A busy machine: a host that does not want the design selected does not have it checked either.
    Ctl({"status", "3=4", "4=0"});
    for (auto [bEnable, nValue] : {std::pair<uint8_t, int32_t>{0, 1}, {1, 0}}) {
        HostCall c = Selecting(u"plain" + std::u16string(1, static_cast<char16_t>(u'0' + bEnable)) + u".qef", "Star.DST", bEnable, nValue);
        const Labels there = bEnable ? Labels{u"plain0.qef"} : Labels{};
        EXPECT_EQ(Run(c, [&there](ScriptedUser& u) { SendInWork(u, there); }), IDOK) << int(bEnable) << "/" << nValue;
        EXPECT_EQ(Read(Emb(2) / "Work" / Narrow(c.strName)), c.bytes);
    }
    // The STX export neither checks the busy machine nor selects the pattern; its list shows the
    // machine's "(UserST)" folder outside built-in storage.
    fs::create_directories(Machine().Storage(2) / "ORD" / "Work");
    HostCall stx{.bStx = true, .bytes = StxBytes(), .strName = u"pat.stx", .bSelectEnable = 1, .nSelect = 1, .nTarget = 1};
    EXPECT_EQ(Run(stx, [](ScriptedUser& u) {
        Open(u, kUsb1, {u"(UserST)", u"Work"});
        Open(u, u"Work", {});
        u.Click(kSend);
    }), IDOK);
    EXPECT_EQ(Read(Machine().Storage(2) / "ORD" / "Work" / "pat.stx"), stx.bytes);
    EXPECT_EQ(stx.nStorage, 2) << "the storage the file went to";
    EXPECT_TRUE(SelectedOnMachine().empty()) << "nothing selected";

    // Asked for: the machine is checked, and the design is selected after the send.
    Ctl({"status", "3=0", "4=0"});
    HostCall wanted = Selecting(u"Chosen .QEF", "Embroidermodder.DST");
    EXPECT_EQ(Run(wanted, [](ScriptedUser& u) { SendInWork(u, {u"plain0.qef", u"plain1.qef"}); }), IDOK);
    EXPECT_EQ(Read(Emb(2) / "Work" / "Chosen.qef"), wanted.bytes);
    EXPECT_EQ(SelectedOnMachine(), wanted.bytes);

    // The machine refuses the selection: said, and the send still counts.
    Ctl({"fault", "SelectFile", "0x8015"});
    HostCall refused = Selecting(u"refused.qef", "shamrockin.dst");
    EXPECT_EQ(Run(refused, [](ScriptedUser& u) {
        GoToFlowers(u);
        u.Click(kSend);
        AnswerBox(u, kCommError, u"The machine failed to select the file.", MB_ICONEXCLAMATION);
    }), IDOK);
    EXPECT_EQ(Read(Emb() / "Flowers" / "refused.qef"), refused.bytes);
    EXPECT_EQ(SelectedOnMachine(), wanted.bytes) << "the earlier selection stays";
}
