// How Write a Design opens and what a host hands to WriteSendDialog and WriteSendStxDialog: the
// name it proposes, the folder the host handed in (opened when it still exists, dropped when it
// does not), the box it shows instead of itself when there is nothing to write to; calls that are
// refused before anything shows or the machine link loads, the USB-only target that leaves the
// machine alone, the unsupported machine, the arguments the STX export ignores, and the folder
// buffer.
#include "tests/dialogs/WriteDesignFixture.h"

#include "link/MachineLink.h"

using namespace wdtest;

namespace {

// A person who watches the screen while the host makes calls that must show nothing: any window
// that shows is a failure (and is closed, so that the call returns).
class NothingShows {
public:
    NothingShows()
        : m_user(
              [this](ScriptedUser& u) {
                  const Snapshot s =
                      u.WaitUntil([this](const Snapshot& snap) { return m_bDone.load() || !snap.windows.empty(); },
                                  "the host's calls to end");
                  u.Expect(s.windows.empty(),
                           "no window shows (saw \"" + (s.windows.empty() ? "" : Narrow(s.windows[0].strCaption)) + "\")");
              },
              60000)
    {
    }
    bool Finish()
    {
        m_bDone = true;
        return m_user.Finish();
    }
    std::string Report() const { return m_user.Report(); }

private:
    std::atomic<bool> m_bDone{false};
    ScriptedUser m_user;
};

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
};
using WriteSendArgumentsTest = WriteDesignStartTest;

} // namespace

TEST_F(WriteDesignStartTest, TheProposedNameIsTrimmedAndItsExtensionLowerCased)
{
    struct Case {
        std::u16string strProposed, strShown;
    };
    const std::vector<Case> cases = {{u"Rose .QEF", u"Rose.qef"},
                                     {u"  Tulip  ", u"Tulip"},
                                     {u" Lily.Big .QEF+", u"Lily.Big.qef+"},
                                     {u"Daisy\t.Qpx", u"Daisy.qpx"}};
    for (const Case& k : cases) {
        HostCall c;
        c.bytes = DesignBytes();
        c.strName = k.strProposed;
        c.nTarget = 0;
        ScriptedUser user([&k](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            const tavren::ControlInfo name = u.Control(kName);
            u.Expect(name.strText == k.strShown, "the name shows as \"" + Narrow(k.strShown) + "\", not \"" +
                                                     Narrow(name.strText) + "\"");
            u.Expect(name.bReadOnly, "the name cannot be typed over");
            u.Click(IDCANCEL);
        });
        EXPECT_EQ(Call(c), IDCANCEL) << Narrow(k.strProposed);
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
}

TEST_F(WriteDesignStartTest, AnEmptyNameClosesAtOnceWithoutAWindow)
{
    NothingShows watcher;
    for (const std::u16string& strName : {std::u16string(), std::u16string(u"   ")}) {
        for (int32_t nTarget : {0, 2}) {
            HostCall c;
            c.bytes = DesignBytes();
            c.strName = strName;
            c.nTarget = nTarget;
            EXPECT_EQ(Call(c), IDCANCEL) << "\"" << Narrow(strName) << "\" target " << nTarget;
            EXPECT_EQ(c.folder, c.before);
        }
    }
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
}

TEST_F(WriteDesignStartTest, AMachineFolderTheHostGotBackOpensAgainWhereItWas)
{
    Put(Emb() / "Flowers" / "Small" / "tiny.qef", DesignBytes("Bean.dst"));
    Put(Emb() / "Flowers" / "old.qef", DesignBytes("Bean.dst"));
    Put(Emb() / "top.qef", DesignBytes("Bean.dst"));

    // The first send: the person walks to Flowers.
    HostCall first;
    first.bytes = DesignBytes();
    first.strName = u"first.qef";
    first.nTarget = 1;
    first.nStorage = 3;
    {
        ScriptedUser user([](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            Open(u, kBuiltIn, {u"Flowers", u"top.qef"});
            Open(u, u"Flowers", {u"Small", u"old.qef"});
            u.Click(kSend);
        });
        EXPECT_EQ(Call(first), IDOK);
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
    ASSERT_EQ(first.nStorage, 1);
    // The machine's form: two backslashes, the root folder, one backslash and the folder.
    ASSERT_EQ(first.Folder(), u"\\\\EMB\\Flowers");

    // The next call hands the folder and storage back: the list opens in Flowers, ready to send.
    HostCall next;
    next.bytes = DesignBytes("Cake 3.dst");
    next.strName = u"second.qef";
    next.nTarget = 2;
    next.strFolder = first.Folder();
    next.nStorage = first.nStorage;
    {
        ScriptedUser user([](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            const Snapshot s = WaitForItems(u, {u"Small", u"old.qef", u"first.qef"}, "the folder handed in");
            const Labels box = BoxOf(s);
            u.Expect(std::find(box.begin(), box.end(), u"*Flowers") != box.end(),
                     "the location box shows Flowers selected: " + Describe(box));
            u.Expect(Buttons(s) == "1001", "\">>\" and \"Up\" enabled as in Flowers (buttons " + Buttons(s) + ")");
            u.Click(kSend);
        });
        EXPECT_EQ(Call(next), IDOK);
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
    EXPECT_EQ(Read(Emb() / "Flowers" / "second.qef"), next.bytes);
    EXPECT_EQ(next.Folder(), first.Folder());
}

TEST_F(WriteDesignStartTest, AnStxFolderInBuiltInStorageOpensAtTheStoragesTopLevel)
{
    const fs::path userSt = Machine().Storage(1) / "ORD" / "(UserST)";
    Put(userSt / "a.stx", StxBytes());
    Put(userSt / "b.stx", StxBytes(10));

    HostCall c;
    c.bStx = true;
    c.bytes = StxBytes(16);
    c.strName = u"c.stx";
    c.nTarget = 2;
    c.bDeep = 1;
    c.strFolder = u"\\\\ORD\\(UserST)";
    c.nStorage = 1;
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Snapshot s = WaitForItems(u, {u"a.stx", u"b.stx"}, "the folder handed in");
        u.Expect(Buttons(s) == "1001", "\">>\" and \"Up\", never \"New\" in built-in STX storage (buttons " + Buttons(s) + ")");
        // One step up is the root view: the folder was opened at the top level.
        u.Click(kUp);
        s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "one step up");
        u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(WriteDesignStartTest, NothingToShowGivesTheTargetsBoxInsteadOfTheDialog)
{
    struct Case {
        int32_t nTarget;
        bool bCablePulled;
        std::u16string strText;
    };
    const std::vector<Case> cases = {
        {0, false, u"Connect USB flash drive to the PC."},
        {1, true, u"Connect the machine to the PC. \nMake sure that the machine is turned on before connecting with the PC."},
        {2, true,
         u"Connect the machine or USB flash drive to the PC. \nMake sure that the machine is turned on before connecting with the PC."},
    };
    RemoveDrive(u'E');
    RemoveDrive(u'F');
    for (const Case& k : cases) {
        Ctl({"cable", k.bCablePulled ? "pull" : "plug"});
        HostCall c;
        c.bytes = DesignBytes();
        c.nTarget = k.nTarget;
        c.strFolder = u"E:\\EMB\\Embf"; // gone with its drive
        ScriptedUser user([&k](ScriptedUser& u) {
            const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", k.strText);
            u.Expect(box.nIcon == MB_ICONINFORMATION, "the information icon");
            u.Expect(u.Look().Find(kCaption) == nullptr, "no dialog behind the box");
            u.Answer(IDOK);
        });
        EXPECT_EQ(Call(c), IDCANCEL) << "target " << k.nTarget;
        EXPECT_TRUE(user.Finish()) << user.Report();
        EXPECT_EQ(c.folder, c.before);
    }
}

TEST_F(WriteSendArgumentsTest, RefusedCallsAnswerMinusOneShowNothingAndNeverAskTheMachine)
{
    ArmEveryOperation();
    MachineLink().Clear();
    NothingShows watcher;
    for (bool bStx : {false, true}) {
        const std::string which = bStx ? "WriteSendStxDialog " : "WriteSendDialog ";
        auto good = [&] {
            HostCall c;
            c.bStx = bStx;
            c.bytes = bStx ? StxBytes() : DesignBytes();
            c.strName = bStx ? u"pat.stx" : u"rose.qef";
            c.strFolder = u"E:\\EMB\\Embf";
            c.nStorage = 1;
            return c;
        };
        HostCall noBytes = good();
        noBytes.bNullBytes = true;
        EXPECT_EQ(Call(noBytes), -1) << which << "without bytes";
        HostCall noCount = good();
        noCount.nCountOverride = 0;
        EXPECT_EQ(Call(noCount), -1) << which << "with no byte count";
        HostCall noName = good();
        noName.bNullName = true;
        EXPECT_EQ(Call(noName), -1) << which << "without a name";
        for (int32_t nTarget : {3, -1, 0x7FFFFFFF}) {
            HostCall c = good();
            c.nTarget = nTarget;
            c.bSelectEnable = 1;
            c.nSelect = 1;
            EXPECT_EQ(Call(c), -1) << which << "target " << nTarget;
            EXPECT_EQ(c.nStorage, 1) << which << "the storage stays";
            EXPECT_EQ(c.folder, c.before) << which << "the folder buffer stays";
        }
    }
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    // Not even the connected machine was asked for, nor the machine link loaded.
    EXPECT_EQ(UsedOperations(), "");
    EXPECT_TRUE(MachineLink().IsEmpty());
}

TEST_F(WriteSendArgumentsTest, TheUsbOnlyTargetWritesToTheDriveWithoutTouchingTheMachine)
{
    fs::create_directories(Emb() / "Flowers");
    for (bool bStx : {false, true}) {
        ArmEveryOperation();
        HostCall c;
        c.bStx = bStx;
        c.bytes = bStx ? StxBytes(12) : DesignBytes("Bean.dst");
        c.strName = bStx ? u"pat.stx" : u"bean.qef";
        c.nTarget = 0;
        c.bSelectEnable = 1; // ignored for this target, with the storage and the selection value
        c.nSelect = 1;
        c.nStorage = 77;
        c.strFolder = u"\\\\EMB\\Flowers"; // a machine folder: dropped for the root view
        const std::u16string strWork = bStx ? u"Ordf" : u"Embf";
        ScriptedUser user([&](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            // Only the PC's flash drives are offered.
            Snapshot s = WaitForItems(u, {kStick, kStick2}, "the root view");
            u.Expect(Buttons(s) == "0000", "nothing to do in the root view (buttons " + Buttons(s) + ")");
            Open(u, kStick, {strWork});
            Open(u, strWork, {});
            u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kSend); }, "\">>\" enabled in the working folder");
            u.Click(kSend);
        });
        EXPECT_EQ(Call(c), IDOK) << bStx;
        EXPECT_TRUE(user.Finish()) << user.Report();
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
        HostCall c;
        c.bStx = bStx;
        c.bytes = bStx ? StxBytes() : DesignBytes();
        c.strName = bStx ? u"pat.stx" : u"rose.qef";
        ScriptedUser user([](ScriptedUser& u) {
            const tavren::WindowInfo& box =
                u.ExpectMessageBox(u"Confirm", u"This application does not support the connected machine.");
            u.Expect(box.nIcon == MB_ICONINFORMATION, "the information icon");
            u.Expect(u.Look().Find(kCaption) == nullptr, "the box comes before the dialog");
            u.Answer(IDOK);
            u.WaitForWindow(kCaption);
            u.Click(IDCANCEL);
        });
        EXPECT_EQ(Call(c), IDCANCEL) << bStx;
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
}

TEST_F(WriteSendArgumentsTest, TheStxExportNeitherChecksTheMachineNorSelectsTheFile)
{
    // A busy machine, which refuses a design the host wants selected (the send tests), takes the
    // pattern; the STX list shows the machine's "(UserST)" folder outside built-in storage.
    Ctl({"status", "3=1", "4=0"});
    fs::create_directories(Machine().Storage(2) / "ORD" / "Work");
    HostCall stx;
    stx.bStx = true;
    stx.bytes = StxBytes(20);
    stx.strName = u"pat.stx";
    stx.bSelectEnable = 1;
    stx.nSelect = 1;
    stx.nTarget = 1;
    stx.nStorage = 1;
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kUsb1, {u"(UserST)", u"Work"});
        Open(u, u"Work", {});
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kSend); }, "\">>\" enabled");
        u.Click(kSend);
    });
    EXPECT_EQ(Call(stx), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
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
        HostCall c;
        c.bytes = DesignBytes();
        c.nTarget = 0;
        c.nFolderBytes = nBytes;
        c.bNullFolder = nBytes == 520;
        const std::string strName = "size" + std::to_string(nBytes) + ".qef";
        c.strName = std::u16string(strName.begin(), strName.end());
        ScriptedUser user([&there](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            Open(u, kStick, {u"Embf"});
            Open(u, u"Embf", there);
            u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kSend); }, "\">>\" enabled");
            u.Click(kSend);
        });
        EXPECT_EQ(Call(c), IDOK) << nBytes;
        there.push_back(c.strName);
        EXPECT_TRUE(user.Finish()) << user.Report();
        EXPECT_EQ(Read(Stick() / "EMB" / "Embf" / strName), c.bytes);
        EXPECT_TRUE(c.GuardIntact()) << "nothing written past " << nBytes << " bytes";
        if (nBytes == 24) {
            EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
            EXPECT_EQ(c.folder[11], 0) << "with its zero";
        } else {
            EXPECT_EQ(c.folder, c.before) << "a buffer of " << nBytes << " bytes is left as it was";
        }
    }
    EXPECT_EQ(NamesIn(Stick() / "EMB" / "Embf"), (std::vector<std::string>{"size0.qef", "size23.qef", "size24.qef", "size520.qef"}));
}
