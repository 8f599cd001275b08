// How Write a Design opens and what a host hands to WriteSendDialog and WriteSendStxDialog (the
// name it proposes: the Rename tests): the folder the host handed in (opened when it still exists, dropped when it
// does not), the box it shows instead of itself when there is nothing to write to; calls that are
// refused before anything shows or the machine link loads, the USB-only target that leaves the
// machine alone, the unsupported machine, the arguments the STX export ignores, and the folder
// buffer.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

// The machine operations a Write a Design call could reach.
const std::vector<std::string> kMachineOps = {"GetConnectedDevice", "GetMachineType", "GetStatus",
                                              "UploadList", "DownloadFile", "SelectFile"};

class WriteDesignStartTest : public WriteDesignFixture {
protected:
    WriteDesignStartTest() : WriteDesignFixture(true) {}

    // Every operation answers an error once; a call that reaches the machine uses its fault up.
    void ArmEveryOperation() const
    {
        for (const auto& op : kMachineOps)
            Ctl({"fault", op, "0x1"});
    }
    std::string UsedOperations() const
    {
        std::string s;
        for (const auto& op : kMachineOps)
            if (!FaultArmed(op))
                s += op + " ";
        return s;
    }
    // The person walks to this working folder of E: and sends there.
    static void SendInto(ScriptedUser& u, std::u16string_view strWork, const Labels& there = {})
    {
        Open(u, kStick, {std::u16string(strWork)});
        Open(u, strWork, there);
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kSend); }, "\">>\" enabled in the working folder");
        u.Click(kSend);
    }
};
using WriteSendArgumentsTest = WriteDesignStartTest;

} // namespace

TEST_F(WriteDesignStartTest, AMachineFolderTheHostGotBackOpensAgainWhereItWasAnStxOneInBuiltInStorageAtItsTop)
{
    Put(Emb() / "Flowers" / "Small" / "tiny.qef", DesignBytes("Bean.dst"));
    Put(Emb() / "Flowers" / "old.qef", DesignBytes("Bean.dst"));
    Put(Emb() / "top.qef", DesignBytes("Bean.dst"));

    // The first send: the person walks to Flowers.
    HostCall first = Host(1, u"first.qef");
    first.nStorage = 3;
    ASSERT_EQ(Run(first, [](ScriptedUser& u) {
        Open(u, kBuiltIn, {u"Flowers", u"top.qef"});
        Open(u, u"Flowers", {u"Small", u"old.qef"});
        u.Click(kSend);
    }), IDOK);
    ASSERT_EQ(first.nStorage, 1);
    // The machine's form: two backslashes, the root folder, one backslash and the folder.
    ASSERT_EQ(first.Folder(), u"\\\\EMB\\Flowers");

    // The next call hands the folder and storage back: the list opens in Flowers, ready to send.
    HostCall next = Host(2, u"second.qef");
    next.bytes = DesignBytes("Cake 3.dst");
    next.strFolder = first.Folder();
    next.nStorage = first.nStorage;
    EXPECT_EQ(Run(next, [](ScriptedUser& u) {
        const Snapshot s = WaitForItems(u, {u"Small", u"old.qef", u"first.qef"}, "the folder handed in");
        const Labels box = BoxOf(s);
        u.Expect(std::find(box.begin(), box.end(), u"*Flowers") != box.end(), "Flowers selected in the location box: " + Describe(box));
        u.Expect(Buttons(s) == "1001", "\">>\" and \"Up\" enabled as in Flowers (buttons " + Buttons(s) + ")");
        u.Click(kSend);
    }), IDOK);
    EXPECT_EQ(Read(Emb() / "Flowers" / "second.qef"), next.bytes);
    EXPECT_EQ(next.Folder(), first.Folder());

    // An STX folder in built-in storage opens at the storage's top level.
    const fs::path userSt = Machine().Storage(1) / "ORD" / "(UserST)";
    Put(userSt / "a.stx", StxBytes());
    Put(userSt / "b.stx", StxBytes(10));
    HostCall stx = Host(2, u"c.stx", true);
    stx.bDeep = 1;
    stx.strFolder = u"\\\\ORD\\(UserST)";
    EXPECT_EQ(Run(stx, [](ScriptedUser& u) {
        Snapshot s = WaitForItems(u, {u"a.stx", u"b.stx"}, "the folder handed in");
        u.Expect(Buttons(s) == "1001", "\">>\" and \"Up\", never \"New\" in built-in STX storage (buttons " + Buttons(s) + ")");
        // One step up is the root view: the folder was opened at the top level.
        u.Click(kUp);
        s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "one step up");
        u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
        u.Click(IDCANCEL);
    }), IDCANCEL);
}

TEST_F(WriteDesignStartTest, NothingToShowGivesTheTargetsBoxInsteadOfTheDialog)
{
    const std::u16string strTurnedOn = u" \nMake sure that the machine is turned on before connecting with the PC.";
    const std::u16string astrTexts[3] = {u"Connect USB flash drive to the PC.", u"Connect the machine to the PC." + strTurnedOn,
                                         u"Connect the machine or USB flash drive to the PC." + strTurnedOn};
    RemoveDrive(u'E');
    RemoveDrive(u'F');
    for (int32_t nTarget : {0, 1, 2}) {
        Ctl({"cable", nTarget ? "pull" : "plug"});
        HostCall c = Host(nTarget);
        c.strFolder = u"E:\\EMB\\Embf"; // gone with its drive
        EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
            u.ExpectMessageBox(u"Confirm", astrTexts[nTarget]);
            u.Expect(u.Look().Find(kCaption) == nullptr, "no dialog behind the box");
            AnswerBox(u, u"Confirm", astrTexts[nTarget], MB_ICONINFORMATION);
        }), IDCANCEL) << "target " << nTarget;
        EXPECT_EQ(c.folder, c.before);
    }
}

TEST_F(WriteSendArgumentsTest, RefusedCallsAndEmptyNamesShowNothingAndNeverAskTheMachine)
{
    // A person watches the screen: any window that shows is a failure (and is closed, so that the
    // call returns).
    std::atomic<bool> bDone{false};
    ScriptedUser watcher([&bDone](ScriptedUser& u) {
        const Snapshot s = u.WaitUntil([&](const Snapshot& snap) { return bDone.load() || !snap.windows.empty(); }, "the calls to end");
        u.Expect(s.windows.empty(), "no window shows (saw \"" + (s.windows.empty() ? "" : Narrow(s.windows[0].strCaption)) + "\")");
    }, 60000);
    // The refusals first, while the machine link is not loaded (the blanks below load it).
    using tavren::test::LoadedModule;
    const bool bLinkBefore = LoadedModule::MachineLinkLoaded();
    ArmEveryOperation();
    for (bool bStx : {false, true}) {
        const std::string which = bStx ? "WriteSendStxDialog " : "WriteSendDialog ";
        const auto good = [&] {
            HostCall c = Host(2, bStx ? u"pat.stx" : u"rose.qef", bStx);
            c.strFolder = u"E:\\EMB\\Embf";
            c.bSelectEnable = c.nSelect = 1;
            return c;
        };
        HostCall noBytes = good(), noCount = good(), noName = good();
        noBytes.bNullBytes = noName.bNullName = true;
        noCount.nCountOverride = 0;
        EXPECT_TRUE(Call(noBytes) == -1 && Call(noCount) == -1 && Call(noName) == -1) << which << "without bytes, byte count or name";
        for (int32_t nTarget : {3, -1, 0x7FFFFFFF}) {
            HostCall c = good();
            c.nTarget = nTarget;
            EXPECT_EQ(Call(c), -1) << which << "target " << nTarget;
            EXPECT_EQ(c.nStorage, 1) << which << "the storage stays";
            EXPECT_EQ(c.folder, c.before) << which << "the folder buffer stays";
        }
    }
    // Refused calls: not even the connected machine was asked for, nor the machine link loaded.
    EXPECT_EQ(UsedOperations(), "");
    EXPECT_TRUE(bLinkBefore || !LoadedModule::MachineLinkLoaded());
    Ctl({"fault", "clear"});
    // A name of nothing but blanks closes at once, whatever the target.
    for (const std::u16string& strName : {std::u16string(), std::u16string(u"   ")})
        for (int32_t nTarget : {0, 2}) {
            HostCall c = Host(nTarget, strName);
            EXPECT_EQ(Call(c), IDCANCEL) << "\"" << Narrow(strName) << "\" target " << nTarget;
            EXPECT_EQ(c.folder, c.before);
        }
    bDone = true;
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
}

TEST_F(WriteSendArgumentsTest, TheUsbOnlyTargetWritesToTheDriveWithoutTouchingTheMachine)
{
    fs::create_directories(Emb() / "Flowers");
    for (bool bStx : {false, true}) {
        ArmEveryOperation();
        HostCall c = Host(0, bStx ? u"pat.stx" : u"bean.qef", bStx);
        c.bSelectEnable = c.nSelect = 1; // ignored for this target, with the storage and the selection value
        c.nStorage = 77;
        c.strFolder = u"\\\\EMB\\Flowers"; // a machine folder: dropped for the root view
        EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
            // Only the PC's flash drives are offered.
            const Snapshot s = WaitForItems(u, {kStick, kStick2}, "the root view");
            u.Expect(Buttons(s) == "0000", "nothing to do in the root view (buttons " + Buttons(s) + ")");
            SendInto(u, bStx ? u"Ordf" : u"Embf");
        }), IDOK) << bStx;
        const fs::path written = Stick() / (bStx ? "ORD/Ordf/pat.stx" : "EMB/Embf/bean.qef");
        EXPECT_EQ(Read(written), c.bytes) << written;
        EXPECT_EQ(Narrow(c.Folder()), bStx ? "E:\\ORD\\Ordf" : "E:\\EMB\\Embf");
        EXPECT_EQ(c.nStorage, 77) << "a drive on the PC has no machine storage to report";
        EXPECT_EQ(UsedOperations(), "") << "no call reached the machine";
        Ctl({"fault", "clear"});
    }
}

TEST_F(WriteSendArgumentsTest, AnUnsupportedMachineIsReportedAndTheDialogShowsAnyway)
{
    Ctl({"supported", "no"});
    for (bool bStx : {false, true}) {
        HostCall c = Host(2, bStx ? u"pat.stx" : u"rose.qef", bStx);
        EXPECT_EQ(Run(c, [](ScriptedUser& u) {
            u.ExpectMessageBox(u"Confirm");
            u.Expect(u.Look().Find(kCaption) == nullptr, "the box comes before the dialog");
            AnswerBox(u, u"Confirm", u"This application does not support the connected machine.", MB_ICONINFORMATION);
            u.WaitForWindow(kCaption);
            u.Click(IDCANCEL);
        }), IDCANCEL) << bStx;
    }
}

TEST_F(WriteSendArgumentsTest, TheStxExportNeitherChecksTheMachineNorSelectsTheFile)
{
    // A busy machine, which refuses a design the host wants selected (the send tests), takes the
    // pattern; the STX list shows the machine's "(UserST)" folder outside built-in storage.
    Ctl({"status", "3=1", "4=0"});
    fs::create_directories(Machine().Storage(2) / "ORD" / "Work");
    HostCall stx = Host(1, u"pat.stx", true);
    stx.bytes = StxBytes(20);
    stx.bSelectEnable = stx.nSelect = 1;
    EXPECT_EQ(Run(stx, [](ScriptedUser& u) {
        Open(u, kUsb1, {u"(UserST)", u"Work"});
        Open(u, u"Work", {});
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kSend); }, "\">>\" enabled");
        u.Click(kSend);
    }), IDOK);
    EXPECT_EQ(Read(Machine().Storage(2) / "ORD" / "Work" / "pat.stx"), stx.bytes);
    EXPECT_EQ(stx.nStorage, 2) << "the storage the file went to";
    EXPECT_EQ(Narrow(stx.Folder()), "\\\\ORD\\Work");
    EXPECT_TRUE(SelectedOnMachine().empty()) << "nothing was selected on the machine";
}

TEST_F(WriteSendArgumentsTest, TheFolderBufferTakesTheFolderOnlyWhenItFitsWithItsZero)
{
    // "E:\EMB\Embf" is 11 units: 24 bytes hold it with its zero. Without a buffer (520: none handed
    // over) the write still succeeds.
    fs::create_directories(Stick() / "EMB" / "Embf");
    Labels there;
    for (uint32_t nBytes : {24u, 23u, 0u, 520u}) {
        const std::string strName = "size" + std::to_string(nBytes) + ".qef";
        HostCall c = Host(0, std::u16string(strName.begin(), strName.end()));
        c.nFolderBytes = nBytes;
        c.bNullFolder = nBytes == 520;
        EXPECT_EQ(Run(c, [&there](ScriptedUser& u) { SendInto(u, u"Embf", there); }), IDOK) << nBytes;
        there.push_back(c.strName);
        EXPECT_EQ(Read(Stick() / "EMB" / "Embf" / strName), c.bytes);
        EXPECT_TRUE(c.GuardIntact()) << "nothing written past " << nBytes << " bytes";
        if (nBytes == 24) {
            EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
            EXPECT_EQ(c.folder[11], 0) << "with its zero";
        } else {
            EXPECT_EQ(c.folder, c.before) << "a buffer of " << nBytes << " bytes is left as it was";
        }
    }
}
