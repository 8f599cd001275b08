// The File Manager as a host opens it (ManageStxDialog and ManageDesignDialog through dlopen) and
// as a person uses it: what the exports refuse, what the person is told when there is nothing to
// show, the counters and arrows as both panes move, ticking on both sides, the context menus, the
// deletes (checked on disk), the view switches, and drives and the machine coming and going. A
// machine the module does not support is reported by the check both exports share (the Write a
// Design tests).
#include "tests/dialogs/FileManagerTransferFixture.h"

#include "link/MachineLink.h"
#include "platform/file/DriveWatcher.h"
#include "platform/user/Icon.h"
#include "platform/user/WinUser.h"

namespace {

using fmtest::ControlIn;
using fmtest::FromBytes;
using fmtest::IndexIn;
using fmtest::Shown;
using tavren::test::Narrow;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr const char16_t* kCaption = u"File Manager";
constexpr int kPcList = 13011, kPcNew = 13013, kPcOpen = 13014, kPcUp = 13015, kPcStyle = 13016, kPcDelete = 13017;
constexpr int kMacList = 13018, kMacNew = 13020, kMacOpen = 13021, kMacUp = 13022, kMacStyle = 13023,
              kMacDelete = 13024;
constexpr int kToMachine = 13025, kToPc = 13026, kPcCount = 13027, kMacCount = 13028, kTarget = 13029;
// Menu commands: the machine side's (menu 13015) and the PC's (menu 13017).
constexpr UINT kMacMenuOpen = 32785, kMacMenuCheckAll = 32788, kMacMenuUncheckAll = 32789;
constexpr UINT kPcMenuOpen = 32791, kPcMenuRename = 32792, kPcMenuDelete = 32793, kPcMenuCheckAll = 32794,
               kPcMenuUncheckAll = 32795;

// "Open, Rename(grayed), -, ..." as a person reads the menu.
std::string MenuText(const tavren::WindowInfo& menu)
{
    std::string str;
    for (const auto& item : menu.menuItems)
        str += (str.empty() ? "" : ", ") + (item.bSeparator ? std::string("-") : Narrow(item.strText)) +
               (item.bGrayed ? "(grayed)" : "");
    return str;
}

// Waits until the File Manager is in front (no transfer dialog over it) and the condition holds.
Snapshot Await(ScriptedUser& u, const std::function<bool(const Snapshot&)>& pred, const std::string& strWhat)
{
    return u.WaitUntil(
        [&](const Snapshot& s) { return s.Front() && s.Front()->strCaption == kCaption && pred(s); }, strWhat);
}

int WaitForItem(ScriptedUser& u, int nList, std::u16string_view strText)
{
    int nItem = -1;
    Await(u, [&](const Snapshot& s) { return (nItem = IndexIn(s, nList, strText)) >= 0; },
          "\"" + Narrow(strText) + "\" in list " + std::to_string(nList));
    return nItem;
}

void Open(ScriptedUser& u, int nList, std::u16string_view strText)
{
    const int nItem = WaitForItem(u, nList, strText);
    if (nItem >= 0)
        u.DoubleClickItem(nList, nItem);
}

void ClickOn(ScriptedUser& u, int nList, std::u16string_view strText)
{
    const int nItem = WaitForItem(u, nList, strText);
    if (nItem >= 0)
        u.ClickItem(nList, nItem);
}

// Right-clicks the item (or empty space for an empty text) and answers the menu it brings.
std::string MenuOn(ScriptedUser& u, int nList, std::u16string_view strText)
{
    const int nItem = strText.empty() ? -1 : WaitForItem(u, nList, strText);
    u.RightClickItem(nList, nItem);
    return MenuText(u.WaitForMenu());
}

bool Enabled(const Snapshot& s, int nId)
{
    const tavren::ControlInfo* c = ControlIn(s, nId);
    return c && c->bEnabled;
}

std::u16string TextOf(const Snapshot& s, int nId)
{
    const tavren::ControlInfo* c = ControlIn(s, nId);
    return c ? c->strText : u"";
}

// The counters and the arrows, "PC 1, machine 0, >> on, << off".
std::string Arrows(const Snapshot& s)
{
    return "PC" + Narrow(TextOf(s, kPcCount)) + ", machine" + Narrow(TextOf(s, kMacCount)) + ", >> " +
           (Enabled(s, kToMachine) ? "on" : "off") + ", << " + (Enabled(s, kToPc) ? "on" : "off");
}

void ExpectArrows(ScriptedUser& u, const std::string& strWanted, const std::string& strWhere)
{
    std::string strSeen;
    Await(u, [&](const Snapshot& s) { return (strSeen = Arrows(s)) == strWanted; }, strWhere + ": " + strWanted);
    u.Expect(strSeen == strWanted, strWhere + ": " + strSeen);
}

fixture::Bytes Design(int n)
{
    using namespace fixture;
    return MakeQef(LayoutFromStitches({Sew(10 * n, 5), Sew(-5, 10 * n), ChangeColor(), Sew(20, 20), EndDesign()}));
}

class FileManagerDialogTest : public tavren::test::ModuleFixture {
protected:
    explicit FileManagerDialogTest(Parts parts = Parts().Drives().Machine().Module()) : ModuleFixture(std::move(parts)) {}

    void SetUp() override
    {
        ModuleFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Module().pfnManageStxDialog && Module().pfnManageDesignDialog);
        // Drive changes reach the dialogs as volume broadcasts, as on a user's machine.
        tavren::InstallDriveBroadcasts();
    }

    void Seed()
    {
        Drives().Write("c/Designs/a.qef", FromBytes(Design(1)));
        Drives().Write("c/Designs/b.qef", FromBytes(Design(2)));
        Drives().Write("c/Designs/c.qef", FromBytes(Design(3)));
        Drives().Write("c/Designs/c.qbf", "companion");
        Drives().Write("c/Designs/Sub/Deeper/x.qef", FromBytes(Design(4)));
        Drives().Write("c/Designs/Sub/note.txt", "n");
        Drives().Write("USBSTICK/EMB/Embf/y.qef", FromBytes(Design(5)));
        Drives().Write("USBSTICK/EMB/Embf/y.qbf", "companion");
        const fs::path emb = Machine().Storage(1) / "EMB";
        fs::create_directories(emb / "Flowers");
        fs::create_directories(Machine().Storage(1) / "ORD");
        tavren::test::EmulatedMachine::WriteBytes(emb / "Flowers" / "lily.qef", Design(6));
        tavren::test::EmulatedMachine::WriteBytes(emb / "Flowers" / "rose.qef", Design(7));
    }
    fs::path OnC(const std::string& strRel) const { return fs::path(Drives().Host("c")) / strRel; }

    void Ctl(const std::vector<std::string>& words) const { tavren::test::CtlOk(Machine(), words); }

    // The PC pane from its root view into C:\Designs.
    static void PcIntoDesigns(ScriptedUser& u, std::u16string_view strFile = u"a.qef")
    {
        Open(u, kPcList, u"Computer");
        Open(u, kPcList, u"Local Disk (C:)");
        Open(u, kPcList, u"Designs");
        WaitForItem(u, kPcList, strFile);
    }
};

} // namespace

TEST_F(FileManagerDialogTest, ExportsRefuseATargetAboveTwoBeforeLoadingTheMachineLink)
{
    MachineLink().Clear();
    for (int32_t nTarget : {3, -1, 7}) {
        EXPECT_EQ(Module().pfnManageStxDialog(0, 0, nTarget), -1) << nTarget;
        EXPECT_EQ(Module().pfnManageDesignDialog(0, 1, nTarget), -1) << nTarget;
    }
    EXPECT_TRUE(MachineLink().IsEmpty());
}

TEST_F(FileManagerDialogTest, TargetZeroShowsTheFlashDrivesWithoutAskingTheMachine)
{
    MachineLink().Clear();
    // A question to the machine would use this fault up.
    Ctl({"fault", "GetConnectedDevice", "0x8001"});
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        const Snapshot s = Await(u, [](const Snapshot& s) { return IndexIn(s, kMacList, u"USBSTICK (E:)") >= 0; },
                                 "the flash drive on the machine side");
        u.Expect(Shown(s, kMacList) == std::vector<std::u16string>{u"USBSTICK (E:)"}, "only the PC's flash drive");
        const tavren::ControlInfo* pTarget = ControlIn(s, kTarget);
        u.Expect(pTarget && tavren::IconResourceId(pTarget->hImage) == 5, "the flash drive's picture as the target");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Module().pfnManageStxDialog(0, 0, 0), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_TRUE(MachineLink().IsEmpty());
    EXPECT_NE(Machine().Ctl({"show"}).find("fault GetConnectedDevice"), std::string::npos);
}

TEST_F(FileManagerDialogTest, CountersAndArrowsFollowBothPanes)
{
    Seed();
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        WaitForItem(u, kMacList, u"Built-in");
        Snapshot s = u.Look();
        u.Expect(Arrows(s) == "PC 0, machine 0, >> off, << off", "at the start: " + Arrows(s));
        const tavren::ControlInfo* pTarget = ControlIn(s, kTarget);
        u.Expect(pTarget && tavren::IconResourceId(pTarget->hImage) == 13023, "the machine-or-drive picture as the target");
        u.Expect(!Enabled(s, kPcUp) && !Enabled(s, kPcNew) && !Enabled(s, kMacUp) && !Enabled(s, kMacNew) &&
                     !Enabled(s, kPcDelete) && !Enabled(s, kMacDelete) && !Enabled(s, kPcOpen) && !Enabled(s, kMacOpen),
                 "both panes at their root views: nothing to go up to, make or delete");
        // A click on a place enables that pane's "Open".
        ClickOn(u, kPcList, u"Computer");
        Await(u, [](const Snapshot& s) { return Enabled(s, kPcOpen) && !Enabled(s, kMacOpen); }, "PC Open enabled");

        PcIntoDesigns(u);
        ClickOn(u, kPcList, u"a.qef");
        ExpectArrows(u, "PC 1, machine 0, >> off, << off", "a PC file ticked, the machine side at its root");
        s = u.Look();
        u.Expect(Enabled(s, kPcDelete) && Enabled(s, kPcUp) && Enabled(s, kPcNew), "PC Delete, Up and New enabled");

        Open(u, kMacList, u"Built-in");
        WaitForItem(u, kMacList, u"Flowers");
        ExpectArrows(u, "PC 1, machine 0, >> off, << off", "the storage's design folder is level 2");
        s = u.Look();
        u.Expect(Enabled(s, kMacNew) && Enabled(s, kMacUp), "machine New and Up at level 2");

        Open(u, kMacList, u"Flowers");
        WaitForItem(u, kMacList, u"rose.qef");
        ExpectArrows(u, "PC 1, machine 0, >> on, << off", "level 3 takes the ticked files");
        u.Expect(!Enabled(u.Look(), kMacNew), "no folder below level 3");

        // A machine file is fetched for its preview, then ticked.
        const int nRose = WaitForItem(u, kMacList, u"rose.qef");
        u.ClickItem(kMacList, nRose);
        ExpectArrows(u, "PC 1, machine 1, >> on, << on", "a machine file ticked");
        s = u.Look();
        const tavren::ControlInfo* pList = ControlIn(s, kMacList);
        const int nImage = pList && nRose < static_cast<int>(pList->items.size()) ? pList->items[nRose].nImage : -1;
        u.Expect(nImage >= 26 && nImage % 2 == 1, "rose.qef shows its own preview, ticked: picture " + std::to_string(nImage));
        u.Expect(pList && s.imageLists.count(pList->hImageListNormal) &&
                     s.imageLists.at(pList->hImageListNormal).nCount > nImage,
                 "the preview is in the list's large pictures");
        u.Expect(Enabled(s, kMacDelete), "machine Delete enabled");

        // A second click unticks it without a second fetch.
        u.ClickItem(kMacList, nRose);
        ExpectArrows(u, "PC 1, machine 0, >> on, << off", "the machine file unticked");
        u.ClickItem(kMacList, nRose);
        ExpectArrows(u, "PC 1, machine 1, >> on, << on", "ticked again");

        // The PC pane's computer place takes no files.
        u.Click(kPcUp);
        ExpectArrows(u, "PC 0, machine 1, >> off, << on", "C:\\ takes files");
        u.Click(kPcUp);
        ExpectArrows(u, "PC 0, machine 1, >> off, << off", "the computer place at level 1");
        u.Click(kPcUp);
        ExpectArrows(u, "PC 0, machine 1, >> off, << off", "the PC's root view");

        u.Click(kMacUp);
        WaitForItem(u, kMacList, u"Flowers");
        ExpectArrows(u, "PC 0, machine 0, >> off, << off", "the machine's ticks go with its folder");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Module().pfnManageDesignDialog(0, 0, 2), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(FileManagerDialogTest, DeepFoldersOpenTheArrowFromTheStorageRootAndStxFromBuiltIn)
{
    Seed();
    Drives().Write("c/Designs/p.stx", FromBytes(fixture::MakeStx({{fixture::StxPoint(1, 2), fixture::StxPoint(3, 4)}})));
    fs::create_directories(Machine().Storage(1) / "ORD" / "(UserST)");
    fs::create_directories(Machine().Storage(2) / "EMB" / "Roses");
    struct Case {
        const char* pszWhat;
        bool bStx;
        uint8_t bDeep;
        const char16_t* pszPlace;
        std::string strArrows;
        int nNew; // "New" on the machine side: 1 enabled, 0 not, -1 not looked at
    };
    const Case cases[] = {
        {"designs, deep folders: any folder of a storage", false, 1, u"USB flash drive 1", "PC 1, machine 0, >> on, << off", 1},
        {"STX without deep folders: built-in storage is level 1, not 3", true, 0, u"Built-in", "PC 1, machine 0, >> off, << off", 0},
        {"STX with deep folders: built-in storage takes them", true, 1, u"Built-in", "PC 1, machine 0, >> on, << off", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        ScriptedUser user([&c](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            const char16_t* pszFile = c.bStx ? u"p.stx" : u"b.qef";
            PcIntoDesigns(u, pszFile);
            ClickOn(u, kPcList, pszFile);
            ExpectArrows(u, "PC 1, machine 0, >> off, << off", "the machine side's root view");
            Open(u, kMacList, c.pszPlace);
            Await(u, [](const Snapshot& s) { return Enabled(s, kMacUp); }, "the place open");
            ExpectArrows(u, c.strArrows, c.pszWhat);
            u.Expect(c.nNew < 0 || Enabled(u.Look(), kMacNew) == (c.nNew == 1), "machine New");
            u.Click(IDCANCEL);
        });
        EXPECT_EQ(c.bStx ? Module().pfnManageStxDialog(0, c.bDeep, 2) : Module().pfnManageDesignDialog(0, c.bDeep, 2), IDCANCEL);
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
}

TEST_F(FileManagerDialogTest, ContextMenusOfBothPanesByLevelAndItem)
{
    Seed();
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        WaitForItem(u, kMacList, u"Built-in");
        // Empty space at the root views offers nothing: the next right click brings the place's menu.
        u.RightClickItem(kMacList, -1);
        u.RightClickItem(kPcList, -1);
        const auto menu = [&u](int nList, std::u16string_view strItem, const std::string& strWanted) {
            u.WaitForWindow(kCaption);
            const std::string strMenu = MenuOn(u, nList, strItem);
            u.Expect(strMenu == strWanted, "\"" + Narrow(strItem) + "\": " + strMenu);
        };
        const auto choose = [&u](UINT nCommand) {
            u.ChooseMenu(nCommand);
            u.WaitForWindow(kCaption);
        };
        const auto editing = [&u](int nList, std::u16string_view strItem) {
            const int nItem = WaitForItem(u, nList, strItem);
            Await(u, [=](const Snapshot& s) { const auto* c = ControlIn(s, nList); return c && c->nEditItem == nItem; },
                  Narrow(strItem) + "'s label in editing");
            u.PressEscape();
            Await(u, [=](const Snapshot& s) { const auto* c = ControlIn(s, nList); return c && c->nEditItem < 0; }, "the editing ended");
        };
        // The machine pane: a place opens, a folder at level 2 renames in place, the storages' own
        // folders at level 1 are grayed, a file has no "Open", empty space at the folder limit ticks.
        menu(kMacList, u"Built-in", "Open");
        choose(kMacMenuOpen);
        menu(kMacList, u"Flowers", "Open, Rename, Delete, -, Check all, Uncheck all");
        choose(32786);
        editing(kMacList, u"Flowers");
        u.Click(kMacUp);
        WaitForItem(u, kMacList, u"ORD");
        for (const char16_t* pszRoot : {u"EMB", u"ORD"}) {
            menu(kMacList, pszRoot, "Open, Rename(grayed), Delete(grayed), -, Check all, Uncheck all");
            u.DismissMenu();
        }
        u.WaitForWindow(kCaption);
        Open(u, kMacList, u"EMB");
        Open(u, kMacList, u"Flowers");
        menu(kMacList, u"rose.qef", "Rename, Delete, -, Check all, Uncheck all");
        u.DismissMenu();
        menu(kMacList, u"", "Check all, Uncheck all");
        choose(kMacMenuCheckAll);
        ExpectArrows(u, "PC 0, machine 2, >> off, << off", "Check all on the machine side");
        menu(kMacList, u"", "Check all, Uncheck all");
        choose(kMacMenuUncheckAll);
        ExpectArrows(u, "PC 0, machine 0, >> off, << off", "Uncheck all on the machine side");

        // The PC pane: a place opens; the computer place's drives have no menu (the double click
        // after the right click reaches the list); a folder and a file; empty space makes a folder.
        menu(kPcList, u"Computer", "Open");
        choose(kPcMenuOpen);
        u.RightClickItem(kPcList, WaitForItem(u, kPcList, u"Local Disk (C:)"));
        Open(u, kPcList, u"Local Disk (C:)");
        menu(kPcList, u"Designs", "Open, Rename, Delete, -, Check all, Uncheck all");
        choose(kPcMenuOpen);
        menu(kPcList, u"b.qef", "Rename, Delete, -, Check all, Uncheck all");
        choose(kPcMenuCheckAll);
        ExpectArrows(u, "PC 3, machine 0, >> on, << off", "Check all on the PC side");
        menu(kPcList, u"", "Make a Folder, -, Check all, Uncheck all");
        choose(kPcMenuUncheckAll);
        ExpectArrows(u, "PC 0, machine 0, >> off, << off", "Uncheck all on the PC side");
        menu(kPcList, u"b.qef", "Rename, Delete, -, Check all, Uncheck all");
        choose(kPcMenuRename);
        editing(kPcList, u"b.qef");
        menu(kPcList, u"", "Make a Folder, -, Check all, Uncheck all");
        choose(32796);
        editing(kPcList, u"New Folder");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Module().pfnManageDesignDialog(0, 0, 2), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_TRUE(fs::is_directory(OnC("Designs/New Folder")));
}

TEST_F(FileManagerDialogTest, ThePcMenusDeleteTakesTheEntryAloneAndAFolderWithWhatItHolds)
{
    Seed();
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        PcIntoDesigns(u);
        for (const char16_t* pszItem : {u"Sub", u"c.qef"}) {
            MenuOn(u, kPcList, pszItem);
            u.ChooseMenu(kPcMenuDelete);
            u.ExpectMessageBox(u"Confirm Deleting", u"Are you sure you want to delete the selected file(s)/folder(s)?");
            u.Answer(IDYES);
            u.WaitForWindow(kCaption);
            Await(u, [=](const Snapshot& s) { return IndexIn(s, kPcList, pszItem) < 0; }, Narrow(pszItem) + " gone from the list");
        }
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Module().pfnManageDesignDialog(0, 0, 2), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_FALSE(fs::exists(OnC("Designs/Sub")));
    EXPECT_FALSE(fs::exists(OnC("Designs/c.qef")));
    EXPECT_TRUE(fs::exists(OnC("Designs/c.qbf"))) << "the PC keeps no companions: only the chosen entry goes";
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(OnC("Designs/b.qef")), Design(2));
}

TEST_F(FileManagerDialogTest, WithTheFlashDriveAloneItsRemovalClosesTheDialog)
{
    Seed();
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kMacList, u"USBSTICK (E:)");
        WaitForItem(u, kMacList, u"Embf");
        // The person pulls the stick out of the PC: nothing is left to send to.
        tavren::test::RemoveDrive(u'E');
        u.WaitForClose(kCaption);
    });
    EXPECT_EQ(Module().pfnManageDesignDialog(0, 0, 0), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(FileManagerDialogTest, EnterOpensTheSelectedFolderAndTheLocationBoxesMoveThePanes)
{
    Seed();
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kPcList, u"Computer");
        ClickOn(u, kPcList, u"Local Disk (C:)");
        Await(u, [](const Snapshot& s) { const auto* c = ControlIn(s, kPcList); return c && c->bFocused; },
              "the PC list in focus");
        u.PressKeyIn(kPcList, VK_RETURN);
        WaitForItem(u, kPcList, u"Designs");
        ClickOn(u, kMacList, u"Built-in");
        Await(u, [](const Snapshot& s) { const auto* c = ControlIn(s, kMacList); return c && c->bFocused; },
              "the machine list in focus");
        u.PressKeyIn(kMacList, VK_RETURN);
        WaitForItem(u, kMacList, u"Flowers");
        u.Expect(u.Look().Find(kCaption) != nullptr, "Enter leaves the File Manager open");
        Snapshot s = u.Look();
        u.Expect(Enabled(s, kPcUp) && Enabled(s, kMacUp), "both panes below their roots");

        // The location boxes' first entries are the roots.
        u.ChooseCombo(13012, 0);
        s = Await(u, [](const Snapshot& s) { return IndexIn(s, kPcList, u"Computer") >= 0; }, "the PC's root view");
        u.Expect(!Enabled(s, kPcUp) && !Enabled(s, kPcNew), "PC Up and New off at the root");
        u.ChooseCombo(13019, 0);
        Await(u, [](const Snapshot& s) { return !Enabled(s, kMacUp) && IndexIn(s, kMacList, u"Built-in") >= 0; },
              "the machine side's root view");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Module().pfnManageDesignDialog(0, 0, 2), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

namespace {

class FileManagerNothingToShowTest : public FileManagerDialogTest {
protected:
    FileManagerNothingToShowTest()
        : FileManagerDialogTest(Parts().Drives({{u'C', DRIVE_FIXED}}).Machine({"--cable", "pulled"}).Module())
    {
    }
};

} // namespace

TEST_F(FileManagerNothingToShowTest, TheUserIsToldWhatToConnectByTarget)
{
    const std::u16string astrTexts[3] = {
        u"Connect USB flash drive to the PC.",
        u"Connect the machine to the PC. \nMake sure that the machine is turned on before connecting with the PC.",
        u"Connect the machine or USB flash drive to the PC. \nMake sure that the machine is turned on before connecting "
        u"with the PC.",
    };
    for (int32_t nTarget = 0; nTarget < 3; nTarget++) {
        const std::u16string strText = astrTexts[nTarget];
        ScriptedUser user([&](ScriptedUser& u) {
            u.ExpectMessageBox(u"Confirm", strText);
            u.Answer(IDOK);
        });
        EXPECT_EQ(Module().pfnManageStxDialog(0, 0, nTarget), IDCANCEL) << nTarget;
        EXPECT_TRUE(user.Finish()) << nTarget << ": " << user.Report();
    }
}
