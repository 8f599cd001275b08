// The destination list of Write a Design as a person walks down the machine's folders: where ">>"
// may send, where "New" may still make a folder, "Up" below the root view and "Open" after a click
// on a folder, and the limit on STX files in built-in storage; the context menus (which commands
// each place and depth offers), "Delete" from them, Enter, and the preview fetched from the machine
// on a click except in the details view ("Stlye"). What the commands change is checked on the
// drive's folder.
#include "tests/dialogs/WriteDesignFixture.h"

#include "platform/file/FileApi.h"
#include "platform/user/Icon.h"

#include <cerrno>
#include <set>

using namespace wdtest;

namespace {

constexpr UINT kMenuOpen = 32785, kMenuDelete = 32787;

class WriteDesignButtonsTest : public WriteDesignFixture {
protected:
    WriteDesignButtonsTest() : WriteDesignFixture(true) {}

    void MakeTree() const
    {
        // \EMB\A\B\C\D: levels 2 (\EMB) to 6.
        fs::create_directories(Emb() / "A" / "B" / "C" / "D");
        Put(Emb() / "A" / "a.qef", DesignBytes("Bean.dst"));
        fs::create_directories(Machine().Storage(1) / "ORD");
    }

    // Walks from the root view down to \EMB\A\B\C and checks the buttons at every step against
    // "root, \EMB, A, B, C" in the form of Buttons().
    static void Walk(ScriptedUser& u, const std::vector<std::string>& expected)
    {
        u.WaitForWindow(kCaption);
        Snapshot s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the root view");
        u.Expect(Buttons(s) == expected[0], "root view: buttons " + Buttons(s) + ", wanted " + expected[0]);
        s = Open(u, kBuiltIn, {u"A"});
        u.Expect(Buttons(s) == expected[1], "\\EMB: buttons " + Buttons(s) + ", wanted " + expected[1]);
        s = Open(u, u"A", {u"B", u"a.qef"});
        u.Expect(Buttons(s) == expected[2], "\\EMB\\A: buttons " + Buttons(s) + ", wanted " + expected[2]);
        s = Open(u, u"B", {u"C"});
        u.Expect(Buttons(s) == expected[3], "\\EMB\\A\\B: buttons " + Buttons(s) + ", wanted " + expected[3]);
        // Five levels down folders are no longer listed.
        s = Open(u, u"C", {});
        u.Expect(Buttons(s) == expected[4], "\\EMB\\A\\B\\C: buttons " + Buttons(s) + ", wanted " + expected[4]);
    }
    int32_t Run(int32_t nTarget, const char16_t* pszFolder = u"")
    {
        HostCall c;
        c.bytes = m_design;
        c.strName = u"new.qef";
        c.nTarget = nTarget;
        c.strFolder = pszFolder;
        return Call(c);
    }
    // The index of an item once the dialog is in front showing it.
    static int WaitForItem(ScriptedUser& u, std::u16string_view strLabel)
    {
        int n = -1;
        u.WaitUntil([&](const Snapshot& s) { return s.Front() == s.Find(kCaption) && (n = IndexOf(s, strLabel)) >= 0; },
                    "\"" + Narrow(strLabel) + "\" in the list");
        return n;
    }
    static int ImageOf(ScriptedUser& u, std::u16string_view strLabel)
    {
        const int n = WaitForItem(u, strLabel);
        const tavren::Snapshot snap = u.Look();
        const tavren::ControlInfo* c = Find(snap, kList);
        return c && n >= 0 && n < static_cast<int>(c->items.size()) ? c->items[static_cast<size_t>(n)].nImage : -1;
    }
    static void OpenTo(ScriptedUser& u, std::u16string_view strFolder, std::u16string_view strInside)
    {
        u.DoubleClickItem(kList, WaitForItem(u, strFolder));
        WaitForItem(u, strInside);
    }
    // The commands of the menu a right click brings, "-" before a grayed one: "Open,-Rename,-Delete".
    static std::string MenuAt(ScriptedUser& u, int nItem)
    {
        u.WaitForWindow(kCaption);
        u.RightClickItem(kList, nItem);
        std::string s;
        for (const auto& item : u.WaitForMenu().menuItems)
            s += (s.empty() ? "" : ",") + std::string(item.bGrayed ? "-" : "") + Narrow(item.strText);
        return s;
    }
    static void PressStyleAndWaitFor(ScriptedUser& u, int nView)
    {
        u.WaitForWindow(kCaption);
        u.Click(kStyle);
        u.WaitUntil([&](const Snapshot& s) { return Find(s, kList) && Find(s, kList)->nView == nView; },
                    nView == 1 ? "the details view" : "the large-icon view");
    }

    const fixture::Bytes m_design = DesignBytes();
};
using WriteDesignListCommandsTest = WriteDesignButtonsTest;

} // namespace

TEST_F(WriteDesignButtonsTest, SendAndNewFollowTheDepthWithoutDeepFolders)
{
    MakeTree();
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 2;
    ScriptedUser user([](ScriptedUser& u) {
        // ">>", "New", "Open", "Up": ">>" only at the third level, "New" above it.
        Walk(u, {"0000", "0101", "1001", "0001", "0001"});
        // Back up to the third level, where the design goes.
        u.Click(kUp);
        Snapshot s = WaitForItems(u, {u"C"}, "up to B");
        u.Click(kUp);
        s = WaitForItems(u, {u"B", u"a.qef"}, "up to A");
        u.Expect(Buttons(s) == "1001", "A again: buttons " + Buttons(s));
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(Read(Emb() / "A" / "rose.qef"), c.bytes);
}

TEST_F(WriteDesignButtonsTest, DeepFoldersSendFromTheFirstLevelOnAndMakeFoldersToTheFifth)
{
    MakeTree();
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 2;
    c.bDeep = 1;
    ScriptedUser user([](ScriptedUser& u) {
        Walk(u, {"0000", "1101", "1101", "1101", "1001"});
        u.Click(kUp);
        Snapshot s = WaitForItems(u, {u"C"}, "up to B");
        u.Click(kUp);
        s = WaitForItems(u, {u"B", u"a.qef"}, "up to A");
        u.Click(kUp);
        s = WaitForItems(u, {u"A"}, "up to \\EMB");
        u.Click(kUp);
        // The storage's top folder "\" (level 1): still a place to send to with deep folders.
        s = WaitForItems(u, {u"EMB", u"ORD"}, "up to the storage's top");
        u.Expect(Buttons(s) == "1101", "the storage's top: buttons " + Buttons(s));
        u.Click(kUp);
        s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the root view");
        u.Expect(Buttons(s) == "0000", "root view: buttons " + Buttons(s));
        // A flash drive on the PC: its root folder is the second level, already a place to send to.
        s = Open(u, kStick, {u"Embf"});
        u.Expect(Buttons(s) == "1101", "E:\\EMB: buttons " + Buttons(s));
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(Read(Stick() / "EMB" / "rose.qef"), c.bytes);
}

TEST_F(WriteDesignButtonsTest, OpenIsEnabledByAClickOnAFolderAndOpensIt)
{
    MakeTree();
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 1;
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Snapshot s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2}, "the machine's storages");
        u.Expect(!Enabled(s, kOpen), "\"Open\" disabled at first");
        // A storage is a place to open too.
        u.ClickItem(kList, IndexOf(s, kBuiltIn));
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kOpen); }, "\"Open\" enabled by a click on a storage");
        u.Click(kOpen);
        s = WaitForItems(u, {u"A"}, "\"Open\" on Built-in");
        u.Expect(!Enabled(s, kOpen), "\"Open\" disabled again after the move");
        s = Open(u, u"A", {u"B", u"a.qef"});
        u.ClickItem(kList, IndexOf(s, u"B"));
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kOpen); }, "\"Open\" enabled by a click on B");
        // A click on a file takes it away again.
        u.ClickItem(kList, IndexOf(s, u"a.qef"));
        u.WaitUntil([](const Snapshot& snap) { return !Enabled(snap, kOpen) && Enabled(snap, kSend); },
                    "\"Open\" disabled by a click on a file");
        u.ClickItem(kList, IndexOf(u.Look(), u"B"));
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kOpen); }, "\"Open\" enabled by a click on B again");
        u.Click(kOpen);
        s = WaitForItems(u, {u"C"}, "\"Open\" on B");
        u.Expect(Buttons(s) == "0001", "B: buttons " + Buttons(s));
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(WriteDesignButtonsTest, BuiltInStorageTakesFiftyNineStxFilesAndRefusesTheSixtieth)
{
    const fs::path userSt = Machine().Storage(1) / "ORD" / "(UserST)";
    const fixture::Bytes pattern = StxBytes();
    for (int i = 0; i < 58; ++i)
        Put(userSt / ("p" + std::to_string(100 + i) + ".stx"), pattern);
    // A folder counts as an item too.
    fs::create_directories(userSt / "Old");
    Labels listed = {u"Old"};
    for (int i = 0; i < 58; ++i) {
        const std::string name = "p" + std::to_string(100 + i) + ".stx";
        listed.push_back(std::u16string(name.begin(), name.end()));
    }

    auto send = [&](const std::u16string& strName, bool bRefused, const Labels& items) {
        HostCall c;
        c.bStx = true;
        c.bytes = StxBytes(30);
        c.strName = strName;
        c.nTarget = 1;
        c.bDeep = 1;
        ScriptedUser user([&](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            const Snapshot s = Open(u, kBuiltIn, items);
            u.Expect(Buttons(s) == "1001", "built-in STX storage: \">>\" and \"Up\" only (" + Buttons(s) + ")");
            u.Click(kSend);
            if (bRefused) {
                const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", u"Exceeding maximum CS.");
                u.Expect(box.nIcon == MB_ICONINFORMATION, "the information icon");
                u.Answer(IDOK);
                u.WaitForWindow(kCaption);
                u.Click(IDCANCEL);
            }
        });
        const int32_t nResult = Call(c);
        EXPECT_TRUE(user.Finish()) << user.Report();
        return std::make_pair(nResult, c);
    };

    // 59 items: one more goes.
    auto [nFirst, first] = send(u"q59.stx", false, listed);
    EXPECT_EQ(nFirst, IDOK);
    EXPECT_EQ(Read(userSt / "q59.stx"), first.bytes);
    EXPECT_EQ(first.nStorage, 1);

    // 60 items: refused, nothing sent.
    listed.push_back(u"q59.stx");
    auto [nSecond, second] = send(u"q60.stx", true, listed);
    EXPECT_EQ(nSecond, IDCANCEL);
    EXPECT_FALSE(fs::exists(userSt / "q60.stx"));
    EXPECT_EQ(NamesIn(userSt).size(), 60u);
}

TEST_F(WriteDesignListCommandsTest, EachPlaceAndDepthOffersItsOwnMenuAndEnterOpensAFolder)
{
    fs::create_directories(Emb() / "Flowers");
    Put(Emb() / "rose.qef", m_design);
    Put(Emb() / "Flowers" / "tulip.qef", m_design);

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        // Root view: empty space offers nothing (the next menu is the place's), a place only "Open".
        u.RightClickItem(kList, -1);
        u.Expect(MenuAt(u, WaitForItem(u, kBuiltIn)) == "Open", "a place offers only Open");
        u.DismissMenu();
        u.WaitForWindow(kCaption);
        OpenTo(u, kBuiltIn, u"Flowers");

        // \EMB at depth 2: a file has no "Open"; a folder has all three; empty space makes a folder.
        u.Expect(MenuAt(u, WaitForItem(u, u"rose.qef")) == "Rename,Delete", "a file: Rename and Delete");
        u.DismissMenu();
        u.Expect(MenuAt(u, -1) == "Make a Folder", "empty space: Make a Folder");
        u.DismissMenu();
        u.Expect(MenuAt(u, WaitForItem(u, u"Flowers")) == "Open,Rename,Delete", "a folder: all three");
        // "Open" from the menu opens the folder: depth 3, the limit without deep folders, where a
        // right click brings no menu (the "Up" after it reaches the dialog).
        u.ChooseMenu(kMenuOpen);
        u.WaitForWindow(kCaption);
        u.RightClickItem(kList, WaitForItem(u, u"tulip.qef"));
        u.Click(kUp);
        WaitForItem(u, u"rose.qef");
        u.Click(kUp);
        u.Expect(MenuAt(u, WaitForItem(u, u"EMB")) == "Open,-Rename,-Delete", "EMB at depth 1: Rename and Delete grayed");
        u.DismissMenu();

        // Enter opens the selected folder; on a file it does nothing and never ends the dialog.
        u.WaitForWindow(kCaption);
        u.ClickItem(kList, WaitForItem(u, u"EMB"));
        u.PressEnter();
        u.ClickItem(kList, WaitForItem(u, u"rose.qef"));
        u.WaitUntil([](const Snapshot& s) { const int n = IndexOf(s, u"rose.qef"); return n >= 0 && Find(s, kList)->items[n].nImage >= 26; },
                    "rose.qef with its preview");
        u.WaitForWindow(kCaption);
        u.PressEnter();
        PressStyleAndWaitFor(u, 1);
        u.Expect(u.Look().Find(kCaption) != nullptr, "the dialog is still open");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(2), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(WriteDesignListCommandsTest, DeleteOnAFlashDriveTakesCompanionsAndFoldersAndTheCurrentDirectoryComesBack)
{
    const fs::path emb = Stick() / "EMB";
    for (const char* pszName : {"rose.qef", "rose.qbf", "tulip.qef", "Old/a.qef", "Old/Older/b.qef", "Kept/Inner/locked.qef"})
        Put(emb / pszName, m_design);
    // A read-only file stops the delete of its folder part-way.
    fs::permissions(emb / "Kept" / "Inner" / "locked.qef", fs::perms::owner_read | fs::perms::group_read);
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));

    const auto setWriteProtected = [](bool bProtected) { tavren::test::SetWriteFault(u'E', bProtected ? EROFS : 0); };
    const auto deleteItem = [](ScriptedUser& u, std::u16string_view strLabel) {
        u.WaitForWindow(kCaption);
        u.RightClickItem(kList, WaitForItem(u, strLabel));
        u.ChooseMenu(kMenuDelete);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
    };
    // What a refused delete shows: the system's message, caption "Error", the information icon.
    const auto expectRefused = [](ScriptedUser& u, std::u16string_view strMessage) {
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Error");
        u.Expect(box.strText.starts_with(strMessage) && box.nIcon == MB_ICONINFORMATION,
                 "the system's message with the information icon: " + Narrow(box.strText));
    };
    ScriptedUser user([&](ScriptedUser& u) {
        for (const char16_t* pszGone : {u"rose.qef", u"Old"}) {
            deleteItem(u, pszGone);
            u.WaitUntil([&](const Snapshot& s) { return s.Front() == s.Find(kCaption) && IndexOf(s, pszGone) < 0; },
                        Narrow(pszGone) + " gone from the list");
        }
        // Refused part-way: what is left stays, and the list shows the folder as it is now.
        deleteItem(u, u"Kept");
        expectRefused(u, u"Access is denied.");
        Put(emb / "later.qef", m_design);
        u.Answer(IDOK);
        WaitForItem(u, u"later.qef");
        WaitForItem(u, u"Kept");
        // A write-protected drive refuses the delete of a file as well.
        setWriteProtected(true);
        deleteItem(u, u"tulip.qef");
        expectRefused(u, u"The media is write protected.");
        u.Answer(IDOK);
        setWriteProtected(false);
        u.WaitForWindow(kCaption);
        WaitForItem(u, u"tulip.qef");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(0, u"E:\\EMB"), IDCANCEL);
    setWriteProtected(false);
    EXPECT_TRUE(user.Finish()) << user.Report();
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(emb))
        if (entry.is_regular_file())
            left.insert(entry.path().lexically_relative(emb).generic_string());
    EXPECT_EQ(left, (std::set<std::string>{"Kept/Inner/locked.qef", "later.qef", "tulip.qef"}))
        << "the design, its companion and the folder tree deleted, what was refused kept";
    char16_t szCurrent[261] = {};
    GetCurrentDirectoryW(261, szCurrent);
    EXPECT_EQ(std::u16string(szCurrent), u"C:\\") << "the current directory as it was before the dialog";
}

TEST_F(WriteDesignListCommandsTest, AClickOnAMachineFileShowsItsPreviewExceptInTheDetailsView)
{
    Put(Emb() / "rose.qef", m_design);
    Put(Emb() / "tulip.qef", m_design);

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        const auto styleIcon = [&u] { return tavren::IconResourceId(u.Control(kStyle).hImage); };
        u.Expect(styleIcon() == 13012, "\"Stlye\" shows the large-icon picture at start");
        OpenTo(u, kBuiltIn, u"rose.qef");
        const int nTypePicture = ImageOf(u, u"rose.qef");
        u.Expect(nTypePicture >= 16 && nTypePicture < 26, "a machine file starts with its type's picture");

        PressStyleAndWaitFor(u, 1);
        u.Expect(styleIcon() == 13011, "\"Stlye\" shows the details picture");
        u.ClickItem(kList, WaitForItem(u, u"tulip.qef"));
        // Back to large icons: the click was handled before, without fetching anything.
        PressStyleAndWaitFor(u, 0);
        u.Expect(ImageOf(u, u"tulip.qef") == nTypePicture, "no preview fetched in the details view");
        u.Expect(styleIcon() == 13012, "\"Stlye\" shows the large-icon picture again");

        u.ClickItem(kList, WaitForItem(u, u"rose.qef"));
        u.WaitUntil([](const Snapshot& s) { const int n = IndexOf(s, u"rose.qef"); return n >= 0 && Find(s, kList)->items[n].nImage >= 26; },
                    "rose.qef with its own preview");
        u.WaitForWindow(kCaption);
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(1), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}
