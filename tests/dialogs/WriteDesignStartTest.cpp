// How Write a Design opens: the name it proposes, the folder the host handed in (opened when it
// still exists, dropped when it does not), and the box it shows instead of itself when there is
// nothing to write to.
#include "tests/dialogs/WriteDesignFixture.h"
#include "tests/dialogs/WriteDesignNothingShows.h"

using namespace wdtest;

namespace {

class WriteDesignStartTest : public WriteDesignFixture {
protected:
    WriteDesignStartTest() : WriteDesignFixture(true) {}
};

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

    // The name as shown is the name written.
    HostCall c;
    c.bytes = DesignBytes("Cake 3.dst");
    c.strName = u"Rose .QEF";
    c.nTarget = 0;
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kStick, {u"Embf"});
        Open(u, u"Embf", {});
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(NamesIn(Stick() / "EMB" / "Embf"), std::vector<std::string>{"Rose.qef"});
    EXPECT_EQ(Read(Stick() / "EMB" / "Embf" / "Rose.qef"), c.bytes);
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

    // A folder in that form the host writes itself, one below Flowers: it opens at its own level,
    // and "Up" leads to Flowers.
    HostCall deeper;
    deeper.bytes = DesignBytes();
    deeper.nTarget = 1;
    deeper.strFolder = u"\\\\EMB\\Flowers\\Small";
    deeper.nStorage = 1;
    {
        ScriptedUser user([](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            Snapshot s = WaitForItems(u, {u"tiny.qef"}, "the deeper folder handed in");
            u.Expect(Buttons(s) == "0001", "only \"Up\" at the fourth level (buttons " + Buttons(s) + ")");
            u.Click(kUp);
            s = WaitForItems(u, {u"Small", u"old.qef", u"first.qef", u"second.qef"}, "one step up");
            u.Expect(Buttons(s) == "1001", "Flowers' buttons (" + Buttons(s) + ")");
            u.Click(IDCANCEL);
        });
        EXPECT_EQ(Call(deeper), IDCANCEL);
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
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

TEST_F(WriteDesignStartTest, APcFolderThatExistsOpensAtItsDepth)
{
    Put(Stick() / "EMB" / "Embf" / "old.qef", DesignBytes("Bean.dst"));
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 2;
    c.strFolder = u"E:\\EMB\\Embf";
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Snapshot s = WaitForItems(u, {u"old.qef"}, "the folder handed in");
        u.Expect(Buttons(s) == "1001", "the buttons of a third-level folder (" + Buttons(s) + ")");
        u.Click(kUp);
        s = WaitForItems(u, {u"Embf"}, "one step up");
        u.Expect(Buttons(s) == "0101", "the buttons of the second level (" + Buttons(s) + ")");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(c.folder, c.before) << "Close hands nothing back";
}

TEST_F(WriteDesignStartTest, AMachineFolderForAUsbOnlyTargetIsDroppedForTheRootView)
{
    fs::create_directories(Emb() / "Flowers");
    for (const std::u16string& strFolder : {std::u16string(u"\\\\EMB\\Flowers")}) {
        for (const auto& op : {"GetConnectedDevice", "UploadList"})
            Ctl({"fault", op, "0x1"});
        HostCall c;
        c.bytes = DesignBytes();
        c.nTarget = 0;
        c.strFolder = strFolder;
        ScriptedUser user([](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            const Snapshot s = WaitForItems(u, {kStick, kStick2}, "the root view of the PC's drives");
            u.Expect(Buttons(s) == "0000", "the root view's buttons (" + Buttons(s) + ")");
            u.Click(IDCANCEL);
        });
        EXPECT_EQ(Call(c), IDCANCEL) << Narrow(strFolder);
        EXPECT_TRUE(user.Finish()) << user.Report();
        EXPECT_TRUE(FaultArmed("GetConnectedDevice") && FaultArmed("UploadList")) << "the machine was not asked";
        Ctl({"fault", "clear"});
    }
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
