// How Write a Design opens and what a host hands to WriteSendDialog and WriteSendStxDialog (the
// name it proposes: the Rename tests): the folder the host handed in (opened when it still exists, dropped when it
// does not), the box it shows instead of itself when there is nothing to write to; calls that are
// refused before anything shows or the machine link loads, the USB-only target that leaves the
// machine alone, the unsupported machine, and the folder buffer (the arguments the STX export
// ignores: the send tests).
#include "tests/dialogs/WriteDesignFixture.h"

#include "platform/file/FileApi.h"

using namespace wdtest;

namespace {

class WriteDesignStartTest : public WriteDesignFixture {
protected:
    WriteDesignStartTest() : WriteDesignFixture(true) {}

    // The person walks to this working folder of E: and sends there.
    static void SendInto(ScriptedUser& u, std::u16string_view strWork, const Labels& there = {})
    {
        Open(u, kStick, {std::u16string(strWork)});
        Open(u, strWork, there);
        u.Click(kSend); // once enabled
    }
};
using WriteSendArgumentsTest = WriteDesignStartTest;

} // namespace

// (An STX folder in built-in storage handed back: WriteDesignButtonsTest.BuiltInStorageTakesFiftyNineStxItemsAndRefusesTheSixtieth.)
TEST_F(WriteDesignStartTest, AMachineFolderTheHostGotBackOpensAgainWhereItWas)
{
    Put(Emb() / "Flowers" / "Small" / "tiny.qef", DesignBytes("Bean.dst"));
    Put(Emb() / "Flowers" / "old.qef", DesignBytes("Bean.dst"));
    Put(Emb() / "top.qef", DesignBytes("Bean.dst"));

    // The first send: the person walks to Flowers.
    HostCall first{.bytes = DesignBytes(), .strName = u"first.qef", .nStorage = 3, .nTarget = 1};
    ASSERT_EQ(Run(first, [](ScriptedUser& u) {
        Open(u, kBuiltIn, {u"Flowers", u"top.qef"});
        Open(u, u"Flowers", {u"Small", u"old.qef"});
        u.Click(kSend);
    }), IDOK);
    // The machine's form: two backslashes, the root folder, one backslash and the folder.
    ASSERT_EQ(first.Folder(), u"\\\\EMB\\Flowers");

    // The next call hands the folder and storage back: the list opens in Flowers, ready to send.
    HostCall next{.bytes = DesignBytes("Cake 3.dst"), .strName = u"second.qef", .strFolder = first.Folder(), .nStorage = first.nStorage, .nTarget = 2};
    EXPECT_EQ(Run(next, [](ScriptedUser& u) {
        const Snapshot s = WaitForItems(u, {u"Small", u"old.qef", u"first.qef"}, "the folder handed in");
        u.Expect(BoxHas(s, u"*Flowers"), "Flowers selected in the location box: " + Describe(BoxOf(s)));
        u.Expect(Buttons(s) == "1001", "\">>\" and \"Up\" enabled as in Flowers (buttons " + Buttons(s) + ")");
        u.Click(kSend);
    }), IDOK);
    EXPECT_EQ(Read(Emb() / "Flowers" / "second.qef"), next.bytes);
}

TEST_F(WriteDesignStartTest, AnUnsupportedMachineIsToldBeforeTheDialogAndNothingToShowGivesTheTargetsBoxInstead)
{
    // The check both exports share (module/Exports.cpp and the File Manager's) tells of a machine
    // the module does not support, and the dialog shows anyway.
    Ctl({"supported", "no"});
    HostCall unsupported = Host(2);
    EXPECT_EQ(Run(unsupported, [](ScriptedUser& u) {
        const auto& box = u.ExpectMessageBox(u"Confirm", u"This application does not support the connected machine.");
        u.Expect(box.nIcon == MB_ICONINFORMATION && !u.Look().Find(kCaption), "the box comes before the dialog");
        u.Answer(IDOK);
        u.WaitForWindow(kCaption);
        u.Click(IDCANCEL);
    }), IDCANCEL);
    Ctl({"supported", "yes"});
    const std::u16string strTurnedOn = u" \nMake sure that the machine is turned on before connecting with the PC.";
    const std::u16string astrTexts[3] = {u"Connect USB flash drive to the PC.", u"Connect the machine to the PC." + strTurnedOn,
                                         u"Connect the machine or USB flash drive to the PC." + strTurnedOn};
    RemoveDrive(u'E');
    RemoveDrive(u'F');
    for (int32_t nTarget : {0, 1, 2}) {
        Ctl({"cable", nTarget ? "pull" : "plug"});
        HostCall c{.bytes = DesignBytes(), .strFolder = u"E:\\EMB\\Embf", .nTarget = nTarget}; // a folder gone with its drive
        EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
            u.Expect(u.ExpectMessageBox(u"Confirm", astrTexts[nTarget]).nIcon == MB_ICONINFORMATION && !u.Look().Find(kCaption), "no dialog behind");
            u.Answer(IDOK);
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
    // The refusals first, while the machine link is not loaded (the blanks below load it). Both
    // exports share these checks (module/Exports.cpp): the STX one is asked here.
    using tavren::test::LoadedModule;
    const bool bLinkBefore = LoadedModule::MachineLinkLoaded();
    const HostCall good{.bStx = true, .bytes = StxBytes(), .strName = u"pat.stx", .strFolder = u"E:\\EMB\\Embf", .bSelectEnable = 1, .nSelect = 1, .nTarget = 2};
    HostCall noBytes = good, noCount = good, noName = good;
    noBytes.bNullBytes = noName.bNullName = true;
    noCount.nCountOverride = 0;
    EXPECT_TRUE(Call(noBytes) == -1 && Call(noCount) == -1 && Call(noName) == -1) << "without bytes, byte count or name";
    for (int32_t nTarget : {3, -1, 0x7FFFFFFF}) {
        HostCall c = good;
        c.nTarget = nTarget;
        EXPECT_EQ(Call(c), -1) << "target " << nTarget;
        EXPECT_TRUE(c.nStorage == 1 && c.folder == c.before) << "the storage and the folder buffer stay";
    }
    // Refused calls: the machine link, the only way to the machine, was not even loaded.
    EXPECT_TRUE(bLinkBefore || !LoadedModule::MachineLinkLoaded());
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

TEST_F(WriteSendArgumentsTest, TheUsbOnlyTargetLeavesTheMachineAndTheCurrentDirectoryAloneAndTheFolderBufferTakesTheFolderOnlyWhenItFits)
{
    // "E:\EMB\Embf" is 11 units: 24 bytes hold it with its zero. Without a buffer (520: none handed
    // over) the write still succeeds. The storage and the selection are ignored for this target.
    fs::create_directories(Stick() / "EMB" / "Embf");
    fs::create_directories(Emb() / "Flowers");
    const bool bLinkBefore = tavren::test::LoadedModule::MachineLinkLoaded();
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
    Labels there;
    for (uint32_t nBytes : {24u, 23u, 0u, 520u}) {
        const std::string strName = "size" + std::to_string(nBytes) + ".qef";
        HostCall c{.bNullFolder = nBytes == 520, .bytes = DesignBytes(), .strName = std::u16string(strName.begin(), strName.end()),
                   .nFolderBytes = nBytes, .bSelectEnable = 1, .nStorage = 77, .nSelect = 1, .nTarget = 0};
        EXPECT_EQ(Run(c, [&there](ScriptedUser& u) { SendInto(u, u"Embf", there); }), IDOK) << nBytes;
        there.push_back(c.strName);
        EXPECT_EQ(Read(Stick() / "EMB" / "Embf" / strName), c.bytes);
        EXPECT_TRUE(c.GuardIntact()) << "nothing written past " << nBytes << " bytes";
        EXPECT_EQ(c.nStorage, 77) << "a drive on the PC has no machine storage to report";
        if (nBytes == 24) {
            EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
            EXPECT_EQ(c.folder[11], 0) << "with its zero";
        } else {
            EXPECT_EQ(c.folder, c.before) << "a buffer of " << nBytes << " bytes is left as it was";
        }
    }
    // A machine folder handed in is dropped for the root view, which offers the PC's drives only.
    HostCall stx{.bStx = true, .bytes = StxBytes(), .strName = u"pat.stx", .strFolder = u"\\\\EMB\\Flowers", .nTarget = 0};
    EXPECT_EQ(Run(stx, [&](ScriptedUser& u) {
        const Snapshot s = WaitForItems(u, {kStick, kStick2}, "the root view");
        u.Expect(Buttons(s) == "0000", "nothing to do in the root view (buttons " + Buttons(s) + ")");
        SendInto(u, u"Ordf");
    }), IDOK);
    EXPECT_EQ(Read(Stick() / "ORD" / "Ordf" / "pat.stx"), stx.bytes);
    EXPECT_EQ(Narrow(stx.Folder()), "E:\\ORD\\Ordf");
    EXPECT_TRUE(bLinkBefore || !tavren::test::LoadedModule::MachineLinkLoaded())
        << "the machine link, the only way to the machine, never loaded";
    char16_t szCurrent[261] = {};
    GetCurrentDirectoryW(261, szCurrent);
    EXPECT_EQ(std::u16string(szCurrent), u"C:\\") << "the current directory as it was before the dialog";
}
