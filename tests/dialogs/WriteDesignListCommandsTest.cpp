// What a person does in the destination list of "Write a Design" besides sending: the context
// menus (which commands each place and depth offers), "Open", "Rename" and "Delete" from them,
// Enter, the preview fetched from the machine on a click, and "Stlye". Through WriteSendDialog,
// against the emulated machine and a temporary drive map; what the commands change is checked on
// the machine's storage and the drive's folder.
#include "tests/design/FixtureWriter.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"

#include "platform/file/DriveMap.h"
#include "platform/file/FileApi.h"
#include "platform/user/Icon.h"
#include "platform/user/WinUser.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using tavren::test::Narrow;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr const char16_t* kCaption = u"Write a Design";
constexpr int kUp = 13004, kStyle = 13005, kList = 13007;
constexpr UINT kOpen = 32785, kRename = 32786, kDelete = 32787, kMakeFolder = 32790;

const tavren::ControlInfo* ListOf(const Snapshot& s)
{
    const tavren::WindowInfo* w = s.Find(kCaption);
    return w && s.Front() == w ? w->Control(kList) : nullptr;
}

int WaitForItem(ScriptedUser& u, std::u16string_view strLabel)
{
    int nIndex = -1;
    u.WaitUntil(
        [&](const Snapshot& s) {
            const tavren::ControlInfo* c = ListOf(s);
            for (size_t i = 0; c && i < c->items.size(); i++)
                if (c->items[i].strLabel == strLabel) {
                    nIndex = static_cast<int>(i);
                    return true;
                }
            return false;
        },
        "\"" + Narrow(strLabel) + "\" in the list");
    return nIndex;
}

void WaitForGone(ScriptedUser& u, std::u16string_view strLabel)
{
    u.WaitUntil(
        [&](const Snapshot& s) {
            const tavren::ControlInfo* c = ListOf(s);
            if (!c)
                return false;
            for (const auto& item : c->items)
                if (item.strLabel == strLabel)
                    return false;
            return true;
        },
        "\"" + Narrow(strLabel) + "\" gone from the list");
}

int ImageOf(ScriptedUser& u, std::u16string_view strLabel)
{
    const int nItem = WaitForItem(u, strLabel);
    const Snapshot snap = u.Look();
    const tavren::ControlInfo* c = ListOf(snap);
    return c && nItem >= 0 && nItem < static_cast<int>(c->items.size()) ? c->items[static_cast<size_t>(nItem)].nImage : -1;
}

void Open(ScriptedUser& u, std::u16string_view strFolder, std::u16string_view strInside)
{
    u.WaitForWindow(kCaption);
    u.DoubleClickItem(kList, WaitForItem(u, strFolder));
    WaitForItem(u, strInside);
}

// A right click in the list (nItem -1: empty space), whatever window was current before.
void RightClick(ScriptedUser& u, int nItem)
{
    u.WaitForWindow(kCaption);
    u.RightClickItem(kList, nItem);
}

// The commands of the menu a right click brings, "-" for a grayed one: "Open,-Rename,-Delete".
std::string MenuAt(ScriptedUser& u, int nItem)
{
    u.WaitForWindow(kCaption);
    u.RightClickItem(kList, nItem);
    const tavren::WindowInfo& menu = u.WaitForMenu();
    std::string s;
    for (const auto& item : menu.menuItems)
        s += (s.empty() ? "" : ",") + std::string(item.bGrayed ? "-" : "") + Narrow(item.strText);
    return s;
}

// The view of the list and the picture on "Stlye" once a click on "Stlye" has shown.
void PressStyleAndWaitFor(ScriptedUser& u, int nView)
{
    u.WaitForWindow(kCaption);
    u.Click(kStyle);
    u.WaitUntil(
        [&](const Snapshot& s) {
            const tavren::ControlInfo* c = ListOf(s);
            return c && c->nView == nView;
        },
        nView == 1 ? "the details view" : "the large-icon view");
}

std::vector<uint8_t> Design()
{
    using namespace fixture;
    return MakeQef(LayoutFromStitches({Sew(200, 0), Sew(0, 200), ChangeColor(), Sew(-200, 0), Sew(0, -200), EndDesign()}));
}

class WriteDesignListCommandsTest : public tavren::test::ModuleFixture {
protected:
    WriteDesignListCommandsTest()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}).Machine().Module())
    {
    }
    void SetUp() override
    {
        ModuleFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Module().pfnWriteSendDialog);
    }
    fs::path Emb() const { return Machine().Storage(1) / "EMB"; }
    int32_t Run(int32_t nTarget, const char16_t* pszFolder = u"")
    {
        char16_t szFolder[64] = {};
        std::char_traits<char16_t>::copy(szFolder, pszFolder, std::char_traits<char16_t>::length(pszFolder));
        int32_t nStorage = 1;
        return Module().pfnWriteSendDialog(m_design.data(), static_cast<uint32_t>(m_design.size()), u"new.qef", 0, szFolder,
                                           sizeof szFolder, &nStorage, nullptr, nTarget, 0, 0);
    }

    const std::vector<uint8_t> m_design = Design();
};

} // namespace

TEST_F(WriteDesignListCommandsTest, EachPlaceAndDepthOffersItsOwnMenu)
{
    fs::create_directories(Emb() / "Flowers");
    tavren::test::EmulatedMachine::WriteBytes(Emb() / "rose.qef", m_design);
    tavren::test::EmulatedMachine::WriteBytes(Emb() / "Flowers" / "tulip.qef", m_design);

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        // Root view: empty space offers nothing (the next menu is the place's), a place only "Open".
        RightClick(u, -1);
        u.Expect(MenuAt(u, WaitForItem(u, u"Built-in")) == "Open", "a place offers only Open");
        u.DismissMenu();
        Open(u, u"Built-in", u"Flowers");

        // \EMB at depth 2: a file has no "Open"; a folder has all three; empty space makes a folder.
        u.Expect(MenuAt(u, WaitForItem(u, u"rose.qef")) == "Rename,Delete", "a file: Rename and Delete");
        u.DismissMenu();
        u.Expect(MenuAt(u, -1) == "Make a Folder", "empty space: Make a Folder");
        u.DismissMenu();
        u.Expect(MenuAt(u, WaitForItem(u, u"Flowers")) == "Open,Rename,Delete", "a folder: all three");
        // "Open" from the menu opens the folder: depth 3, the limit without deep folders.
        u.ChooseMenu(kOpen);
        WaitForItem(u, u"tulip.qef");
        RightClick(u, WaitForItem(u, u"tulip.qef"));

        // Up twice: the storage's top folder at depth 1, where "EMB" may be neither renamed nor deleted.
        u.WaitForWindow(kCaption);
        u.Click(kUp);
        WaitForItem(u, u"rose.qef");
        u.Click(kUp);
        const std::string strEmb = MenuAt(u, WaitForItem(u, u"EMB"));
        u.Expect(strEmb == "Open,-Rename,-Delete", "EMB at depth 1: Rename and Delete grayed, saw " + strEmb);
        u.DismissMenu();
        u.WaitForWindow(kCaption);
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(2), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(WriteDesignListCommandsTest, DeleteOnAFlashDriveTakesCompanionsAndFoldersAndTheCurrentDirectoryComesBack)
{
    // E:\EMB, at depth 2: the menu is offered below the depth limit only.
    const fs::path flowers = fs::path(Drives().Folder(u'E')) / "EMB";
    fs::create_directories(flowers / "Old" / "Older");
    for (const char* pszName : {"rose.qef", "rose.qbf", "tulip.qef", "Old/a.qef", "Old/Older/b.qef", "Kept/Inner/locked.qef"})
        tavren::test::EmulatedMachine::WriteBytes(flowers / pszName, m_design);
    // A read-only file stops the delete of its folder part-way.
    fs::permissions(flowers / "Kept" / "Inner" / "locked.qef", fs::perms::owner_read | fs::perms::group_read);
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));

    const auto setWriteProtected = [](bool bProtected) {
        auto drives = tavren::DriveMap::Instance().Drives();
        for (tavren::Drive& d : drives)
            if (d.letter == u'E')
                d.writeFault = bProtected ? EROFS : 0;
        tavren::DriveMap::Instance().SetDrives(drives);
    };
    // What a refused delete shows: the system's message, caption "Error", the information icon.
    const auto expectRefused = [](ScriptedUser& u, std::u16string_view strMessage) {
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Error");
        u.Expect(box.strText.starts_with(strMessage) && box.nIcon == MB_ICONINFORMATION,
                 "the system's message with the information icon: " + Narrow(box.strText));
    };
    ScriptedUser user([&](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        RightClick(u, WaitForItem(u, u"rose.qef"));
        u.ChooseMenu(kDelete);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        WaitForGone(u, u"rose.qef");
        RightClick(u, WaitForItem(u, u"Old"));
        u.ChooseMenu(kDelete);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        WaitForGone(u, u"Old");
        // Refused part-way: what is left stays, and the list shows the folder as it is now.
        RightClick(u, WaitForItem(u, u"Kept"));
        u.ChooseMenu(kDelete);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        expectRefused(u, u"Access is denied.");
        tavren::test::EmulatedMachine::WriteBytes(flowers / "later.qef", m_design);
        u.Answer(IDOK);
        WaitForItem(u, u"later.qef");
        WaitForItem(u, u"Kept");
        // A write-protected drive refuses the delete of a file as well.
        setWriteProtected(true);
        RightClick(u, WaitForItem(u, u"tulip.qef"));
        u.ChooseMenu(kDelete);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
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
    for (const auto& entry : fs::recursive_directory_iterator(flowers))
        if (entry.is_regular_file())
            left.insert(entry.path().lexically_relative(flowers).generic_string());
    EXPECT_EQ(left, (std::set<std::string>{"Kept/Inner/locked.qef", "later.qef", "tulip.qef"}))
        << "the design, its companion and the folder tree deleted, what was refused kept";
    char16_t szCurrent[261] = {};
    GetCurrentDirectoryW(261, szCurrent);
    EXPECT_EQ(std::u16string(szCurrent), u"C:\\") << "the current directory as it was before the dialog";
}

TEST_F(WriteDesignListCommandsTest, AClickOnAMachineFileShowsItsPreviewExceptInTheDetailsView)
{
    tavren::test::EmulatedMachine::WriteBytes(Emb() / "rose.qef", m_design);
    tavren::test::EmulatedMachine::WriteBytes(Emb() / "tulip.qef", m_design);

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        const auto styleIcon = [&u] { return tavren::IconResourceId(u.Control(kStyle).hImage); };
        u.Expect(styleIcon() == 13012, "\"Stlye\" shows the large-icon picture at start");
        Open(u, u"Built-in", u"rose.qef");
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
        u.WaitUntil([](const Snapshot& s) {
            const tavren::ControlInfo* c = ListOf(s);
            for (size_t i = 0; c && i < c->items.size(); i++)
                if (c->items[i].strLabel == u"rose.qef")
                    return c->items[i].nImage >= 26;
            return false;
        },
                    "rose.qef with its own preview");
        u.WaitForWindow(kCaption);
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(1), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(WriteDesignListCommandsTest, EnterOpensTheSelectedFolderAndNeverEndsTheDialog)
{
    fs::create_directories(Emb() / "Flowers");
    tavren::test::EmulatedMachine::WriteBytes(Emb() / "Flowers" / "tulip.qef", m_design);

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, u"Built-in", u"Flowers");
        u.ClickItem(kList, WaitForItem(u, u"Flowers"));
        u.PressEnter();
        WaitForItem(u, u"tulip.qef");
        // On a file Enter does nothing at all (once the click's preview has come).
        u.ClickItem(kList, WaitForItem(u, u"tulip.qef"));
        u.WaitUntil([](const Snapshot& s) { return ListOf(s) && ListOf(s)->items.size() == 1 && ListOf(s)->items[0].nImage >= 26; },
                    "tulip.qef with its preview");
        u.WaitForWindow(kCaption);
        u.PressEnter();
        PressStyleAndWaitFor(u, 1);
        u.Expect(u.Look().Find(kCaption) != nullptr, "the dialog is still open");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Run(1), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}
