// The destination list of Write a Design as a person walks down the machine's folders: where ">>"
// may send, where "New" may still make a folder, "Up" below the root view and "Open" after a click
// on a folder, and the limit on STX files in built-in storage; the context menus (which commands
// each place and depth offers), Enter, and the preview fetched from the machine on a click except
// in the details view ("Stlye"). (The delete of selected entries with their companions and folders:
// MachineOpsTest.DeletingSelectedFilesTakesCompanionsAndFoldersGoWithTheirContents for the list,
// FileManagerDialogTest.ContextMenusOfBothPanesByLevelAndItemAndThePcsDelete on a PC drive.)
#include "tests/dialogs/WriteDesignFixture.h"

#include "platform/user/Icon.h"

using namespace wdtest;

namespace {

constexpr UINT kMenuOpen = 32785;

class WriteDesignButtonsTest : public WriteDesignFixture {
protected:
    WriteDesignButtonsTest() : WriteDesignFixture(true) {}

    // The buttons after a step, in the form of Buttons().
    static void ExpectButtons(ScriptedUser& u, const Snapshot& s, const std::string& strWanted, const std::string& strWhere)
    { u.Expect(Buttons(s) == strWanted, strWhere + ": buttons " + Buttons(s) + ", wanted " + strWanted); }
    // The index of an item once the dialog is in front showing it.
    static int WaitForItem(ScriptedUser& u, std::u16string_view strLabel)
    {
        int n = -1;
        u.WaitUntil([&](const Snapshot& s) { return s.Front() == s.Find(kCaption) && (n = IndexOf(s, strLabel)) >= 0; },
                    "\"" + Narrow(strLabel) + "\" in the list");
        return n;
    }
    static int ImageOf(const Snapshot& s, std::u16string_view strLabel)
    { const int n = IndexOf(s, strLabel); return n >= 0 ? Find(s, kList)->items[static_cast<size_t>(n)].nImage : -1; }
    static void PressStyleAndWaitFor(ScriptedUser& u, int nView)
    {
        u.WaitForWindow(kCaption);
        u.Click(kStyle);
        u.WaitUntil([&](const Snapshot& s) { return Find(s, kList) && Find(s, kList)->nView == nView; },
                    nView == 1 ? "the details view" : "the large-icon view");
    }
};
using WriteDesignListCommandsTest = WriteDesignButtonsTest;

} // namespace

TEST_F(WriteDesignButtonsTest, SendAndNewFollowTheDepthWithAndWithoutDeepFolders)
{
    // \EMB\A\B\C\D: levels 2 (\EMB) to 6.
    fs::create_directories(Emb() / "A" / "B" / "C" / "D");
    Put(Emb() / "A" / "a.qef", DesignBytes("Bean.dst"));
    fs::create_directories(Machine().Storage(1) / "ORD");
    // ">>", "New", "Open", "Up" at the root view, \EMB, A, B and C: without deep folders ">>" only
    // at the third level and "New" above it; with them ">>" from the first level on and "New" to the fifth.
    for (uint8_t bDeep : {1, 0}) { // the deep run sends to E:, leaving A as it was
        const std::vector<std::string> walk = bDeep ? std::vector<std::string>{"0000", "1101", "1101", "1101", "1001"}
                                                    : std::vector<std::string>{"0000", "0101", "1001", "0001", "0001"};
        HostCall c{.bytes = DesignBytes(), .bDeep = bDeep, .nTarget = 2};
        EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
            Snapshot s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the root view");
            ExpectButtons(u, s, walk[0], "the root view");
            ExpectButtons(u, Open(u, kBuiltIn, {u"A"}), walk[1], "\\EMB");
            ExpectButtons(u, Open(u, u"A", {u"B", u"a.qef"}), walk[2], "\\EMB\\A");
            ExpectButtons(u, Open(u, u"B", {u"C"}), walk[3], "\\EMB\\A\\B");
            // Five levels down folders are no longer listed.
            ExpectButtons(u, Open(u, u"C", {}), walk[4], "\\EMB\\A\\B\\C");
            u.Click(kUp);
            WaitForItems(u, {u"C"}, "up to B");
            u.Click(kUp);
            ExpectButtons(u, WaitForItems(u, {u"B", u"a.qef"}, "up to A"), walk[2], "A again");
            if (!bDeep)
                return u.Click(kSend);
            u.Click(kUp);
            WaitForItems(u, {u"A"}, "up to \\EMB");
            u.Click(kUp);
            // The storage's top folder "\" (level 1): still a place to send to with deep folders.
            ExpectButtons(u, WaitForItems(u, {u"EMB", u"ORD"}, "up to the storage's top"), "1101", "the storage's top");
            u.Click(kUp);
            ExpectButtons(u, WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the root view"), "0000", "the root view");
            // A flash drive on the PC: its root folder is the second level, already a place to send to.
            ExpectButtons(u, Open(u, kStick, {u"Embf"}), "1101", "E:\\EMB");
            u.Click(kSend);
        }), IDOK);
        EXPECT_EQ(Read(bDeep ? Stick() / "EMB" / "rose.qef" : Emb() / "A" / "rose.qef"), c.bytes);
    }
}

// The host hands the STX folder of built-in storage back: it opens at the storage's top level,
// where ">>" sends and no folder may be made.
TEST_F(WriteDesignButtonsTest, BuiltInStorageTakesFiftyNineStxItemsAndRefusesTheSixtieth)
{
    const fs::path userSt = Machine().Storage(1) / "ORD" / "(UserST)";
    // A folder counts as an item too.
    fs::create_directories(userSt / "Old");
    Labels listed = {u"Old"};
    for (int i = 0; i < 58; ++i) {
        const std::string name = "p" + std::to_string(100 + i) + ".stx";
        Put(userSt / name, StxBytes());
        listed.push_back(std::u16string(name.begin(), name.end()));
    }
    // 59 items: one more goes; 60 items: refused, nothing sent.
    for (const std::u16string strName : {u"q59.stx", u"q60.stx"}) {
        const bool bRefused = strName == u"q60.stx";
        HostCall c{.bStx = true, .bytes = StxBytes(), .strName = strName, .strFolder = u"\\\\ORD\\(UserST)", .bDeep = 1, .nTarget = 2};
        EXPECT_EQ(Run(c, [&](ScriptedUser& u) {
            ExpectButtons(u, WaitForItems(u, listed, "the folder handed in"), "1001", "built-in STX storage");
            // One step up is the root view: the folder was opened at the top level.
            u.Click(kUp);
            ExpectButtons(u, WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "one step up"), "0000", "the root view");
            Open(u, kBuiltIn, listed);
            u.Click(kSend);
            if (bRefused) {
                AnswerBox(u, u"Confirm", u"Exceeding maximum CS.", MB_ICONINFORMATION);
                u.WaitForWindow(kCaption);
                u.Click(IDCANCEL);
            }
        }), bRefused ? IDCANCEL : IDOK);
        EXPECT_EQ(Read(userSt / Narrow(strName)), bRefused ? fixture::Bytes{} : c.bytes);
        listed.push_back(u"q59.stx");
    }
    EXPECT_EQ(NamesIn(userSt).size(), 60u);
}

TEST_F(WriteDesignListCommandsTest, EachPlaceAndDepthOffersItsOwnMenuOpenFollowsTheClickEnterOpensAFolderAndPreviewsSkipTheDetailsView)
{
    for (const fs::path& p : {Emb() / "rose.qef", Emb() / "tulip.qef", Emb() / "Flowers" / "lily.qef"})
        Put(p, DesignBytes());

    HostCall c = Host(2);
    EXPECT_EQ(Run(c, [](ScriptedUser& u) {
        const auto styleIcon = [&u] { return tavren::IconResourceId(u.Control(kStyle).hImage); };
        // The commands of the menu a right click brings, "-" before a grayed one ("Open,-Rename,-Delete"),
        // then the command chosen (0: the menu dismissed).
        const auto menu = [&u](int nItem, const std::string& strWanted, const std::string& strWhat, UINT nChoose = 0) {
            u.WaitForWindow(kCaption);
            u.RightClickItem(kList, nItem);
            std::string s;
            for (const auto& item : u.WaitForMenu().menuItems)
                s += (s.empty() ? "" : ",") + std::string(item.bGrayed ? "-" : "") + Narrow(item.strText);
            u.Expect(s == strWanted, strWhat + ": " + s);
            u.ChooseMenu(nChoose);
            u.WaitForWindow(kCaption);
        };
        const auto openIs = [&u](bool bEnabled, const std::string& strWhat) {
            u.WaitUntil([=](const Snapshot& s) { return Enabled(s, kOpen) == bEnabled; }, "\"Open\" " + strWhat);
        };
        u.WaitForWindow(kCaption);
        u.Expect(styleIcon() == 13012 && !Enabled(u.Look(), kOpen), "\"Stlye\" shows the large-icon picture, \"Open\" off at start");
        // Root view: empty space offers nothing (the next menu is the place's), a place only "Open".
        u.RightClickItem(kList, -1);
        menu(WaitForItem(u, kBuiltIn), "Open", "a place offers only Open");
        // A click on a storage enables "Open", which opens it.
        u.ClickItem(kList, WaitForItem(u, kBuiltIn));
        openIs(true, "enabled by a click on a storage");
        u.Click(kOpen);
        WaitForItem(u, u"Flowers");
        openIs(false, "disabled again after the move");

        // \EMB at depth 2: a file has no "Open"; a folder has all three; empty space makes a folder.
        menu(WaitForItem(u, u"rose.qef"), "Rename,Delete", "a file: Rename and Delete");
        menu(-1, "Make a Folder", "empty space: Make a Folder");
        // "Open" from the menu opens the folder: depth 3, the limit without deep folders, where a
        // right click brings no menu (the "Up" after it reaches the dialog).
        menu(WaitForItem(u, u"Flowers"), "Open,Rename,Delete", "a folder: all three", kMenuOpen);
        u.RightClickItem(kList, WaitForItem(u, u"lily.qef"));
        u.Click(kUp);
        WaitForItem(u, u"rose.qef");
        u.Click(kUp);
        menu(WaitForItem(u, u"EMB"), "Open,-Rename,-Delete", "EMB at depth 1: Rename and Delete grayed");

        // Enter opens the selected folder.
        u.ClickItem(kList, WaitForItem(u, u"EMB"));
        u.PressEnter();
        WaitForItem(u, u"rose.qef");
        const int nTypePicture = ImageOf(u.Look(), u"rose.qef");
        u.Expect(nTypePicture >= 16 && nTypePicture < 26, "a machine file starts with its type's picture");
        // A click in the details view fetches no preview.
        PressStyleAndWaitFor(u, 1);
        u.Expect(styleIcon() == 13011, "\"Stlye\" shows the details picture");
        // A click on a folder enables "Open", a click on a file takes it away again.
        u.ClickItem(kList, WaitForItem(u, u"Flowers"));
        openIs(true, "enabled by a click on a folder");
        u.ClickItem(kList, WaitForItem(u, u"tulip.qef"));
        openIs(false, "disabled by a click on a file");
        PressStyleAndWaitFor(u, 0);
        u.Expect(ImageOf(u.Look(), u"tulip.qef") == nTypePicture, "no preview fetched in the details view");
        u.Expect(styleIcon() == 13012, "\"Stlye\" shows the large-icon picture again");
        // In large icons a click brings the file's own preview; Enter on a file does nothing and
        // never ends the dialog.
        u.ClickItem(kList, WaitForItem(u, u"rose.qef"));
        u.WaitUntil([](const Snapshot& s) { return ImageOf(s, u"rose.qef") >= 26; }, "rose.qef with its own preview");
        u.WaitForWindow(kCaption);
        u.PressEnter();
        PressStyleAndWaitFor(u, 1);
        u.Expect(u.Look().Find(kCaption) != nullptr, "the dialog is still open");
        u.Click(IDCANCEL);
    }), IDCANCEL);
}
