// The File Manager as a host opens it (ManageStxDialog and ManageDesignDialog through dlopen) and
// as a person uses it: what the exports refuse, what the person is told when there is nothing to
// show, the counters and arrows as both panes move, ticking on both sides, Enter and the location
// boxes, the context menus, the deletes (checked on disk), and the flash drive going. A
// machine the module does not support is reported by the check both exports share (the Write a
// Design tests).
#include "tests/dialogs/FileManagerTransferFixture.h"

#include "platform/comctl/CommCtrl.h"
#include "platform/user/Icon.h"

namespace {

using namespace fmtest;

// Menu commands: the machine side's (menu 13015) and the PC's (menu 13017).
constexpr UINT kMacMenuOpen = 32785, kMacMenuRename = 32786, kMacMenuCheckAll = 32788, kMacMenuUncheckAll = 32789;
constexpr UINT kPcMenuOpen = 32791, kPcMenuRename = 32792, kPcMenuDelete = 32793, kPcMenuCheckAll = 32794,
               kPcMenuUncheckAll = 32795, kPcMenuNewFolder = 32796;

// The menu open on the screen as a person reads it: "Open, Rename(grayed), -, ...".
std::string ShownMenu(ScriptedUser& u)
{
    std::string str;
    for (const auto& item : u.WaitForMenu().menuItems)
        str += (str.empty() ? "" : ", ") + (item.bSeparator ? std::string("-") : Narrow(item.strText)) +
               (item.bGrayed ? "(grayed)" : "");
    return str;
}

// Right-clicks the item (or empty space for an empty text) and reads the menu it brings.
std::string MenuOn(ScriptedUser& u, int nList, std::u16string_view strText)
{
    u.RightClickItem(nList, strText.empty() ? -1 : WaitForItem(u, nList, strText));
    return ShownMenu(u);
}

fixture::Bytes Design(int n)
{
    using namespace fixture;
    return MakeQef(LayoutFromStitches({Sew(10 * n, 5), Sew(-5, 10 * n), ChangeColor(), Sew(20, 20), EndDesign()}));
}

class FileManagerDialogTest : public FileManagerFixture {
protected:
    using FileManagerFixture::FileManagerFixture;

    void Seed()
    {
        for (int n : {1, 2, 3})
            Drives().Write("c/Designs/" + std::string(1, static_cast<char>('a' + n - 1)) + ".qef", FromBytes(Design(n)));
        Drives().Write("c/Designs/c.qbf", "companion");
        Drives().Write("c/Designs/Sub/Deeper/x.qef", FromBytes(Design(4)));
        fs::create_directories(Machine().Storage(1) / "ORD");
        tavren::test::EmulatedMachine::WriteBytes(Emb() / "Flowers" / "lily.qef", Design(6));
        tavren::test::EmulatedMachine::WriteBytes(Emb() / "Flowers" / "rose.qef", Design(7));
    }
    fs::path OnC(const std::string& strRel) const { return fs::path(Drives().Host("c")) / strRel; }
};

} // namespace

TEST_F(FileManagerDialogTest, ATargetAboveTwoIsRefusedTargetZeroShowsTheFlashDrivesAloneAndNothingToShowIsToldByTarget)
{
    using tavren::test::LoadedModule;
    const bool bLinkBefore = LoadedModule::MachineLinkLoaded();
    for (int32_t nTarget : {3, -1, 7})
        EXPECT_TRUE(Module().pfnManageStxDialog(0, 0, nTarget) == -1 && Module().pfnManageDesignDialog(0, 1, nTarget) == -1) << nTarget;
    EXPECT_TRUE(bLinkBefore || !LoadedModule::MachineLinkLoaded()) << "refused before the machine link loads";
    Run([](ScriptedUser& u) {
        const Snapshot s = Await(u, [](const Snapshot& s) { return IndexIn(s, kMachineList, u"USBSTICK (E:)") >= 0; },
                                 "the flash drive on the machine side");
        u.Expect(Shown(s, kMachineList) == Labels{u"USBSTICK (E:)"} && tavren::IconResourceId(ControlIn(s, kTarget)->hImage) == 5,
                 "only the PC's flash drive, and its picture as the target");
        // The person pulls the stick out of the PC while its folder shows: nothing is left to send to.
        Open(u, kMachineList, u"USBSTICK (E:)");
        Await(u, [](const Snapshot& s) { return Enabled(s, kMacUp); }, "the flash drive open");
        tavren::test::RemoveDrive(u'E');
        u.WaitForClose(kFileManager);
    }, true, 0, 0);
    EXPECT_TRUE(bLinkBefore || !LoadedModule::MachineLinkLoaded())
        << "target 0 never loads the machine link, the only way to the machine";

    // Nothing left to show, the person is told what to connect for the target.
    Ctl({"cable", "pull"});
    const std::u16string strTurnedOn = u" \nMake sure that the machine is turned on before connecting with the PC.";
    const std::u16string astrTexts[3] = {u"Connect USB flash drive to the PC.", u"Connect the machine to the PC." + strTurnedOn,
                                         u"Connect the machine or USB flash drive to the PC." + strTurnedOn};
    for (int32_t nTarget = 0; nTarget < 3; nTarget++)
        Run([&](ScriptedUser& u) { Expect(u, u"Confirm", astrTexts[nTarget], IDOK, MB_ICONINFORMATION); }, true, 0, nTarget);
}

TEST_F(FileManagerDialogTest, CountersAndArrowsFollowBothPanes)
{
    Seed();
    // A file the machine hands back empty when its preview is fetched.
    tavren::test::EmulatedMachine::WriteBytes(Emb() / "Flowers" / "empty.qef", {});
    Run([this](ScriptedUser& u) {
        WaitForItem(u, kMachineList, u"Built-in");
        Snapshot s = u.Look();
        u.Expect(Arrows(s) == "PC 0, machine 0, >> off, << off", "at the start: " + Arrows(s));
        const tavren::ControlInfo* pTarget = ControlIn(s, kTarget);
        u.Expect(pTarget && tavren::IconResourceId(pTarget->hImage) == 13023, "the machine-or-drive picture as the target");
        for (int nId : {kPcUp, kPcNew, kMacUp, kMacNew, kPcDelete, kMacDelete, kPcOpen, kMacOpen})
            u.Expect(!Enabled(s, nId), "both panes at their root views: nothing to open, go up to, make or delete");
        // Each pane's style button switches its list between pictures and details, and back.
        for (const auto& [nButton, nList] : {std::pair{kPcStyle, kPcList}, std::pair{kMacStyle, kMachineList}}) {
            const int nBefore = ControlIn(u.Look(), nList)->nView;
            for (const int nView : {nBefore == LV_VIEW_DETAILS ? LV_VIEW_ICON : LV_VIEW_DETAILS, nBefore}) {
                u.Click(nButton);
                Await(u, [=](const Snapshot& s) { return ControlIn(s, nList)->nView == nView; },
                      "list " + std::to_string(nList) + " in view " + std::to_string(nView));
            }
        }
        // A click on a place enables that pane's "Open", and Enter opens it.
        ClickOn(u, kPcList, u"Computer");
        Await(u, [](const Snapshot& s) { return Enabled(s, kPcOpen) && !Enabled(s, kMacOpen) && ControlIn(s, kPcList)->bFocused; },
              "PC Open enabled, the PC list in focus");
        u.PressKeyIn(kPcList, VK_RETURN);
        Open(u, kPcList, u"Local Disk (C:)");
        Open(u, kPcList, u"Designs");
        ClickOn(u, kPcList, u"a.qef");
        ExpectArrows(u, "PC 1, machine 0, >> off, << off", "a PC file ticked, the machine side at its root");
        s = u.Look();
        u.Expect(Enabled(s, kPcDelete) && Enabled(s, kPcUp) && Enabled(s, kPcNew), "PC Delete, Up and New enabled");

        ClickOn(u, kMachineList, u"Built-in");
        Await(u, [](const Snapshot& s) { return ControlIn(s, kMachineList)->bFocused; }, "the machine list in focus");
        u.PressKeyIn(kMachineList, VK_RETURN);
        WaitForItem(u, kMachineList, u"Flowers");
        ExpectArrows(u, "PC 1, machine 0, >> off, << off", "the storage's design folder is level 2");
        u.Expect(Enabled(u.Look(), kMacNew) && Enabled(u.Look(), kMacUp), "machine New and Up at level 2");

        Open(u, kMachineList, u"Flowers");
        WaitForItem(u, kMachineList, u"rose.qef");
        ExpectArrows(u, "PC 1, machine 0, >> on, << off", "level 3 takes the ticked files");
        u.Expect(!Enabled(u.Look(), kMacNew), "no folder below level 3");

        // A machine file is fetched for its preview, then ticked.
        ClickOn(u, kMachineList, u"rose.qef");
        ExpectArrows(u, "PC 1, machine 1, >> on, << on", "a machine file ticked");
        s = u.Look();
        const int nImage = ImageIn(s, kMachineList, u"rose.qef");
        u.Expect(nImage >= 26 && nImage % 2 == 1, "rose.qef shows its own preview, ticked: picture " + std::to_string(nImage));
        u.Expect(Enabled(s, kMacDelete), "machine Delete enabled");

        // A file that comes back without bytes keeps its picture and its tick as they were.
        const int nEmpty = ImageIn(s, kMachineList, u"empty.qef");
        Ctl({"fault", "UploadFile", "delay", "300"});
        ClickOn(u, kMachineList, u"empty.qef");
        u.WaitUntil([this](const Snapshot&) { return !tavren::test::FaultArmed(Machine(), "UploadFile"); }, "empty.qef fetched");
        // A second click on rose.qef unticks it without a second fetch.
        ClickOn(u, kMachineList, u"rose.qef");
        ExpectArrows(u, "PC 1, machine 0, >> on, << off", "empty.qef never ticked, rose.qef unticked");
        u.Expect(nEmpty >= 16 && nEmpty < 26 && ImageIn(u.Look(), kMachineList, u"empty.qef") == nEmpty,
                 "empty.qef keeps its type's picture, unticked");
        ClickOn(u, kMachineList, u"rose.qef");
        ExpectArrows(u, "PC 1, machine 1, >> on, << on", "ticked again");

        // The PC pane's computer place takes no files.
        for (const char* pszArrows : {"PC 0, machine 1, >> off, << on", "PC 0, machine 1, >> off, << off", "PC 0, machine 1, >> off, << off"}) {
            u.Click(kPcUp); // to C:\ (which takes files), the computer place at level 1 (which does not), the root view
            ExpectArrows(u, pszArrows, "PC Up");
        }

        u.Click(kMacUp);
        WaitForItem(u, kMachineList, u"Flowers");
        ExpectArrows(u, "PC 0, machine 0, >> off, << off", "the machine's ticks go with its folder");
        // The location box's first entry is the root view.
        u.ChooseCombo(13019, 0);
        Await(u, [](const Snapshot& s) { return !Enabled(s, kMacUp) && IndexIn(s, kMachineList, u"Built-in") >= 0; },
              "the machine side's root view");
        u.Click(IDCANCEL);
    }, false, 0);
}

TEST_F(FileManagerDialogTest, DeepFoldersOpenTheArrowFromTheStorageRootAndStxFromBuiltIn)
{
    Seed();
    Drives().Write("c/Designs/p.stx", FromBytes(fixture::MakeStx({{fixture::StxPoint(1, 2), fixture::StxPoint(3, 4)}})));
    fs::create_directories(UserSt());
    fs::create_directories(Machine().Storage(2) / "EMB" / "Roses");
    // nNew: "New" on the machine side, 1 enabled, 0 not, -1 not looked at.
    fs::create_directories(UserSt() / "Mine");
    // strFolderMenu: the menu on the folder "Mine" of built-in storage (empty: not looked at);
    // there the STX list offers only the ticks.
    struct Case { const char* pszWhat; bool bStx; uint8_t bDeep; const char16_t* pszPlace; std::string strArrows; int nNew; std::string strFolderMenu; };
    const Case cases[] = {
        {"designs, deep folders: any folder of a storage", false, 1, u"USB flash drive 1", "PC 1, machine 0, >> on, << off", 1, ""},
        {"STX without deep folders: built-in storage is level 1, not 3", true, 0, u"Built-in", "PC 1, machine 0, >> off, << off", 0, ""},
        {"STX with deep folders: built-in storage takes them", true, 1, u"Built-in", "PC 1, machine 0, >> on, << off", -1, "Check all, Uncheck all"}, };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Run([&c](ScriptedUser& u) {
            for (const char16_t* pszFolder : {u"Computer", u"Local Disk (C:)", u"Designs"})
                Open(u, kPcList, pszFolder);
            Tick(u, kPcList, c.bStx ? u"p.stx" : u"b.qef");
            Open(u, kMachineList, c.pszPlace);
            Await(u, [](const Snapshot& s) { return Enabled(s, kMacUp); }, "the place open");
            ExpectArrows(u, c.strArrows, c.pszWhat);
            u.Expect(c.nNew < 0 || Enabled(u.Look(), kMacNew) == (c.nNew == 1), "machine New");
            if (!c.strFolderMenu.empty()) {
                const std::string strMenu = MenuOn(u, kMachineList, u"Mine");
                u.Expect(strMenu == c.strFolderMenu, "the menu on a folder of built-in storage: " + strMenu);
                u.DismissMenu();
                u.WaitForWindow(kFileManager);
            }
            u.Click(IDCANCEL);
        }, c.bStx, c.bDeep);
    }
}

TEST_F(FileManagerDialogTest, ContextMenusOfBothPanesByLevelAndItemAndThePcsDelete)
{
    Seed();
    Run([](ScriptedUser& u) {
        WaitForItem(u, kMachineList, u"Built-in");
        // Empty space at the root views offers nothing: the next right click brings the place's menu.
        u.RightClickItem(kMachineList, -1);
        u.RightClickItem(kPcList, -1);
        const auto menu = [&u](int nList, std::u16string_view strItem, const std::string& strWanted, UINT nChoose = 0) {
            const std::string strMenu = MenuOn(u, nList, strItem);
            u.Expect(strMenu == strWanted, "\"" + Narrow(strItem) + "\": " + strMenu);
            u.ChooseMenu(nChoose); // 0: dismissed
            u.WaitForWindow(kFileManager);
        };
        const auto editing = [&u](int nList, std::u16string_view strItem) {
            const int nItem = WaitForItem(u, nList, strItem);
            Await(u, [=](const Snapshot& s) { return ControlIn(s, nList)->nEditItem == nItem; }, Narrow(strItem) + " in editing");
            u.PressEscape();
            Await(u, [=](const Snapshot& s) { return ControlIn(s, nList)->nEditItem < 0; }, "the editing ended");
        };
        const std::string strChecks = "-, Check all, Uncheck all";
        // The machine pane: a place opens, a folder at level 2 renames in place, the storages' own
        // folders at level 1 are grayed, a file has no "Open", empty space at the folder limit ticks.
        menu(kMachineList, u"Built-in", "Open", kMacMenuOpen);
        menu(kMachineList, u"Flowers", "Open, Rename, Delete, " + strChecks, kMacMenuRename);
        editing(kMachineList, u"Flowers");
        u.Click(kMacUp);
        for (const char16_t* pszRoot : {u"EMB", u"ORD"})
            menu(kMachineList, pszRoot, "Open, Rename(grayed), Delete(grayed), " + strChecks);
        Open(u, kMachineList, u"EMB");
        Open(u, kMachineList, u"Flowers");
        menu(kMachineList, u"rose.qef", "Rename, Delete, " + strChecks);
        // From the keyboard the menu is the focused item's: the context-menu key, and Shift+F10.
        const auto keyMenu = [&u](int nList, WPARAM nKey, UINT nModifiers, const std::string& strWanted) {
            u.PressKeyIn(nList, nKey, nModifiers);
            const std::string strMenu = ShownMenu(u);
            u.Expect(strMenu == strWanted, "the keyboard's menu: " + strMenu);
            u.DismissMenu();
            u.WaitForWindow(kFileManager);
        };
        keyMenu(kMachineList, VK_APPS, 0, "Rename, Delete, " + strChecks);
        menu(kMachineList, u"", "Check all, Uncheck all", kMacMenuCheckAll);
        ExpectArrows(u, "PC 0, machine 2, >> off, << off", "Check all on the machine side");
        menu(kMachineList, u"", "Check all, Uncheck all", kMacMenuUncheckAll);
        ExpectArrows(u, "PC 0, machine 0, >> off, << off", "Uncheck all on the machine side");

        // The PC pane: a place opens; the computer place's drives have no menu (the double click
        // after the right click reaches the list); a folder and a file; empty space makes a folder.
        menu(kPcList, u"Computer", "Open", kPcMenuOpen);
        u.RightClickItem(kPcList, WaitForItem(u, kPcList, u"Local Disk (C:)"));
        Open(u, kPcList, u"Local Disk (C:)");
        menu(kPcList, u"Designs", "Open, Rename, Delete, " + strChecks, kPcMenuOpen);
        menu(kPcList, u"b.qef", "Rename, Delete, " + strChecks, kPcMenuCheckAll);
        ExpectArrows(u, "PC 3, machine 0, >> on, << off", "Check all on the PC side");
        menu(kPcList, u"", "Make a Folder, " + strChecks, kPcMenuUncheckAll);
        ExpectArrows(u, "PC 0, machine 0, >> off, << off", "Uncheck all on the PC side");
        menu(kPcList, u"b.qef", "Rename, Delete, " + strChecks, kPcMenuRename);
        editing(kPcList, u"b.qef");
        keyMenu(kPcList, VK_F10, tavren::kKeyShift, "Rename, Delete, " + strChecks);
        menu(kPcList, u"", "Make a Folder, " + strChecks, kPcMenuNewFolder);
        editing(kPcList, u"New Folder");
        // "Delete" takes the entry alone, and a folder with what it holds.
        for (const char16_t* pszItem : {u"Sub", u"c.qef"}) {
            MenuOn(u, kPcList, pszItem);
            u.ChooseMenu(kPcMenuDelete);
            u.ExpectMessageBox(u"Confirm Deleting", u"Are you sure you want to delete the selected file(s)/folder(s)?");
            u.Answer(IDYES);
            Await(u, [=](const Snapshot& s) { return IndexIn(s, kPcList, pszItem) < 0; }, Narrow(pszItem) + " gone from the list");
        }
        // The location box's first entry is the root view.
        u.ChooseCombo(13012, 0);
        Await(u, [](const Snapshot& s) { return !Enabled(s, kPcUp) && !Enabled(s, kPcNew) && IndexIn(s, kPcList, u"Computer") >= 0; },
              "the PC's root view");
        u.Click(IDCANCEL);
    }, false, 0);
    EXPECT_TRUE(fs::is_directory(OnC("Designs/New Folder")));
    EXPECT_FALSE(fs::exists(OnC("Designs/Sub")) || fs::exists(OnC("Designs/c.qef")));
    EXPECT_TRUE(fs::exists(OnC("Designs/c.qbf"))) << "the PC keeps no companions: only the chosen entry goes";
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(OnC("Designs/b.qef")), Design(2));
}
