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
