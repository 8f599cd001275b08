// The machine and USB-drive list as a person uses it: the root view with and without a machine,
// the machine's storages and their folders listed through the transfer dialog from a real
// emulated machine, flash drives on the PC, the location box, "Up", and what a broken machine or
// listing does to the list.
#include "lists/MacUsbListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/support/MachineAndDrives.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"

#include "platform/kernel/Handle.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using tavren::test::Narrow;
using listlook::Box;
using listlook::Items;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr int kBox = CListHostDlg::IDC_HOST_LOCATION;
constexpr const char16_t* kCommError = u"Communication Error";
constexpr const char16_t* kTransfer = u"Design List";

struct ListSetup {
    int nListKind = CFolderListCtrl::LIST_DESIGN;
    bool bMachine = true;        // a machine is connected
    BOOL bMachinePresent = TRUE; // the dialog was opened for a machine
    int nMode = CMacUsbListCtrl::MODE_EITHER;
    BOOL bDeepUsbFolders = FALSE;
};

// The list as the File Manager wires it: a double click opens, "Up" goes up, the location box
// navigates.
class MacListTest : public tavren::test::ModuleFixture {
protected:
    MacListTest() : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}).Machine()), m_dlg(m_list) {}

    void SetUp() override
    {
        ModuleFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_hDevice = CListHostDlg::ConnectMachine();
        ASSERT_NE(m_hDevice, 0u) << "the machine link loaded and the emulated machine answering";
        m_dlg.m_onDoubleClick = [this](int) { m_list.OpenSelected(); };
        m_dlg.m_onLocationChange = [this] { m_list.GoToLocationBoxSelection(); };
        m_dlg.m_onButton = [this](UINT nId) {
            if (nId == CListHostDlg::IDC_HOST_UP)
                m_list.UpOneLevel();
        };
    }
    void TearDown() override
    {
        if (m_hDevice) {
            AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
            CloseHandle(m_hDevice);
        }
        ModuleFixture::TearDown();
    }

    fs::path Builtin() const { return Machine().Storage(1); }
    fs::path Usb1() const { return Machine().Storage(2); }
    static void Put(const fs::path& p)
    {
        fs::create_directories(p.parent_path());
        tavren::test::EmulatedMachine::WriteBytes(p, {'x'});
    }
    void Ctl(const std::vector<std::string>& words) const { tavren::test::CtlOk(Machine(), words); }

    void Run(const ListSetup& setup, const ScriptedUser::Script& script)
    {
        m_dlg.m_onInit = [this, setup](CListHostDlg& d) {
            m_list.Initialize(setup.bMachine ? m_hDevice : 0, &d.m_location, setup.nListKind, setup.bMachinePresent,
                              TRUE, setup.nMode, setup.bDeepUsbFolders);
        };
        m_dlg.Play(script);
    }
    // Once the input is handled: the items, the location box and (nLevel >= 0) the list's level and path.
    void ExpectView(ScriptedUser& u, const std::string& strItems, const std::string& strBox, const std::string& strWhere,
                    int nLevel = -1, std::u16string_view strPath = u"")
    {
        const Snapshot snap = m_dlg.Settle(u);
        u.Expect(Items(snap) == strItems && Box(snap) == strBox,
                 strWhere + ": the list shows [" + Items(snap) + "], the box [" + Box(snap) + "]");
        if (nLevel < 0)
            return;
        int nShownLevel = -1;
        std::u16string strShown;
        m_dlg.RunOnUiThread([&] {
            nShownLevel = m_list.m_nLevel;
            strShown = m_list.m_strCurrentPath.Str();
        });
        u.Expect(nShownLevel == nLevel && strShown == strPath,
                 strWhere + ": level " + std::to_string(nShownLevel) + ", path \"" + Narrow(strShown) + "\"");
    }
    // Opens an item; bMachine: it is listed from the machine, so the transfer dialog comes and
    // goes first.
    void Open(ScriptedUser& u, std::u16string_view strLabel, bool bMachine = true)
    {
        const int nItem = listlook::IndexOf(m_dlg.Settle(u), strLabel);
        u.Expect(nItem >= 0, "\"" + Narrow(strLabel) + "\" is in the list");
        u.DoubleClickItem(kList, nItem);
        if (bMachine)
            Listed(u);
    }
    static void Listed(ScriptedUser& u)
    {
        u.WaitForWindow(kTransfer);
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
    }
    static void Up(ScriptedUser& u, bool bMachine = true)
    {
        u.Click(CListHostDlg::IDC_HOST_UP);
        if (bMachine)
            Listed(u);
    }
    static void Choose(ScriptedUser& u, int nEntry, bool bMachine = true)
    {
        u.ChooseCombo(kBox, nEntry);
        if (bMachine)
            Listed(u);
    }
    // Ends the message box the list showed, and goes back to the list's dialog.
    static void AnswerCommError(ScriptedUser& u)
    {
        u.ExpectMessageBox(kCommError);
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
    }

    HANDLE m_hDevice = 0;
    CMacUsbListCtrl m_list;
    CListHostDlg m_dlg;
};

const std::string kMachineBox = "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1";
const std::string kStick = "USBSTICK (E:)";
const std::string kPc = ", PC:1:0, " + kStick + ":10:1";
// The machine's entries with folder entries below "Built-in", and the PC's after them.
std::string InBuiltin(const std::string& strFolders)
{
    return "Machine:3:0, Built-in:2:1, " + strFolders + ", USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc;
}
std::string InUsb1(const std::string& strFolders)
{
    return "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, " + strFolders + ", USB flash drive 2:5:1" + kPc;
}

const std::string kRootItems = "Built-in:2, USB flash drive 1:5, USB flash drive 2:5, " + kStick + ":10";

TEST_F(MacListTest, RootViewOffersWhatTheModeAsksForGroupedOnlyWithAMachine)
{
    struct Case {
        const char* pszWhat;
        bool bMachine;
        BOOL bMachinePresent;
        int nMode;
        std::string strItems, strBox;
        int nGroups; // 1 grouped, 0 not, -1 not looked at
    };
    const std::vector<Case> cases = {
        {"a machine", true, TRUE, CMacUsbListCtrl::MODE_EITHER, kRootItems, "*" + kMachineBox + kPc, 1},
        {"expected but not connected", false, TRUE, CMacUsbListCtrl::MODE_EITHER, kStick + ":10",
         "Machine:3:0, Not connected:6:1, *PC:1:0, " + kStick + ":10:1", -1},
        {"flash drives only", true, FALSE, CMacUsbListCtrl::MODE_USB_ONLY, kStick + ":10", "*PC:1:0, " + kStick + ":10:1", 0},
        {"machine only", true, TRUE, CMacUsbListCtrl::MODE_MACHINE_ONLY, "Built-in:2, USB flash drive 1:5, USB flash drive 2:5",
         "*" + kMachineBox, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        ListSetup setup;
        setup.bMachine = c.bMachine;
        setup.bMachinePresent = c.bMachinePresent;
        setup.nMode = c.nMode;
        Run(setup, [&](ScriptedUser& u) {
            ExpectView(u, c.strItems, c.strBox, c.pszWhat);
            int nGroups = -1;
            m_dlg.RunOnUiThread([&] { nGroups = m_list.IsGroupViewEnabled() ? 1 : 0; });
            u.Expect(c.nGroups < 0 || nGroups == c.nGroups, std::string(c.pszWhat) + ": grouped " + std::to_string(nGroups));
        });
    }
    // With a machine, the storages are in the Machine group and the flash drive in the PC group.
    Run({}, [&](ScriptedUser& u) {
        const tavren::Snapshot snap = m_dlg.Settle(u);
        const tavren::ControlInfo* c = listlook::Control(snap, kList);
        u.Expect(c && c->items.size() == 4 && c->items[0].nGroupId == CMacUsbListCtrl::GROUP_MACHINE &&
                     c->items[3].nGroupId == CMacUsbListCtrl::GROUP_PC,
                 "the storages in the Machine group, the flash drive in the PC group");
    });
}

TEST_F(MacListTest, MachineFoldersShowTheirFamilyWithBreadcrumbsAndUpLeadsBack)
{
    for (const char* pszName : {"a.qef", "b.qef+", "c.QPX", "d.stx", "notes.txt", "Flowers/rose.qef"})
        Put(Builtin() / "EMB" / pszName);
    fs::create_directories(Builtin() / "EMB" / "(UserST)");
    fs::create_directories(Builtin() / "ORD");
    Put(Usb1() / "EMB" / "(UserST)" / "x.qef");

    Run({}, [&](ScriptedUser& u) {
        const std::string strEmbItems = "Flowers:4, a.qef:16, b.qef+:18, c.QPX:20";
        Open(u, u"Built-in");
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "built-in storage's \\EMB", 2, u"\\\\EMB");
        Open(u, u"Flowers");
        ExpectView(u, "rose.qef:16", InBuiltin("EMB:4:2, *Flowers:4:3"), "a folder in it", 3, u"\\\\EMB\\Flowers");
        // The breadcrumb's "EMB" goes back to the root folder.
        Choose(u, 2);
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "back by the location box");
        Up(u);
        ExpectView(u, "EMB:4, ORD:4", "Machine:3:0, *Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc,
                   "up from the root folder: the storage's top", 1, u"\\");
        Up(u, false);
        ExpectView(u, kRootItems, "*" + kMachineBox + kPc, "up again: the root view");
        // "(UserST)" belongs to built-in storage only.
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4", InUsb1("*EMB:4:2"), "USB flash drive 1's \\EMB");
    });
}

TEST_F(MacListTest, EachListKeepsToItsRootFolderAndFoldersStopAtTheDepthLimit)
{
    for (const char* pszName : {"p.stx", "q.ord+", "L2/L3/L4/deep.stx"})
        Put(Builtin() / "ORD" / "(UserST)" / pszName);
    fs::create_directories(Builtin() / "ORD" / "(UserST)" / "L2" / "L3" / "L4" / "L5");
    Put(Usb1() / "ORD" / "r.stx");
    Put(Usb1() / "ORD" / "s.ord+");
    fs::create_directories(Usb1() / "ORD" / "(UserST)");

    ListSetup stx;
    stx.nListKind = CFolderListCtrl::LIST_STX;
    Run(stx, [&](ScriptedUser& u) {
        Open(u, u"Built-in");
        ExpectView(u, "L2:4, p.stx:22", "Machine:3:0, *Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc,
                   "the STX list in built-in storage", 1, u"\\\\ORD\\(UserST)");
        Open(u, u"L2");
        Open(u, u"L3");
        ExpectView(u, "L4:4", InBuiltin("L2:4:2, *L3:4:3"), "level 3");
        Open(u, u"L4");
        ExpectView(u, "deep.stx:22", InBuiltin("L2:4:2, L3:4:3, *L4:4:4"), "level 4: files, no more folders");
        Choose(u, 0, false);
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4, r.stx:22", InUsb1("*ORD:4:2"), "the STX list on a machine flash drive");
    });
    ListSetup ordPlus;
    ordPlus.nListKind = CFolderListCtrl::LIST_ORDPLUS;
    Run(ordPlus, [&](ScriptedUser& u) {
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4, s.ord+:24", InUsb1("*ORD:4:2"), "the ORD+ list");
    });
}

TEST_F(MacListTest, AnEmptyFolderShowsAnEmptyListAndFailuresKeepWhatWasShown)
{
    Put(Builtin() / "EMB" / "a.qef");
    fs::create_directories(Builtin() / "EMB" / "Empty");
    Put(Builtin() / "EMB" / "Full" / "b.qef");

    Run({}, [&](ScriptedUser& u) {
        Open(u, u"Built-in");
        Open(u, u"Empty");
        ExpectView(u, "", InBuiltin("EMB:4:2, *Empty:4:3"), "an empty folder");
        Up(u);
        const std::string strEmbItems = "Empty:4, Full:4, a.qef:16";
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "back up");

        // Escape while a folder is being listed: nothing to report, and the list, its path, level
        // and location box stay on the folder that was listed.
        Ctl({"fault", "UploadList", "delay", "3000"});
        Open(u, u"Full", false);
        u.WaitForWindow(kTransfer);
        u.PressEscape();
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "after Escape", 2, u"\\\\EMB");
        u.Expect(u.Look().Find(kCommError) == nullptr, "a stopped listing is not reported");

        // The cable pulled while the folder is listed: the message, and the list as it was.
        Ctl({"fault", "UploadList", "pull"});
        Open(u, u"Full", false);
        AnswerCommError(u);
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "after the pulled cable", 2, u"\\\\EMB");
        Ctl({"cable", "plug"});

        // A flash drive missing from the machine.
        Ctl({"usb2", "absent"});
        u.ChooseCombo(kBox, 4);
        AnswerCommError(u);
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "after the absent flash drive");
    });
}

TEST_F(MacListTest, AFlashDriveOnThePcGetsItsRootAndWorkingFolder)
{
    Run({}, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Embf:4", kMachineBox + kPc + ", *EMB:4:2", "a new stick", 2, u"E:\\EMB");
        u.Expect(fs::is_directory(Drives().Host("USBSTICK/EMB/Embf")), "EMB and Embf made on the stick");
        // Through the location box the root folder opens at level 1, the drive's entry selected.
        Choose(u, 5, false);
        ExpectView(u, "Embf:4", kMachineBox + ", PC:1:0, *" + kStick + ":10:1", "the drive's entry", 1, u"E:\\EMB");
        Up(u, false);
        ExpectView(u, kRootItems, kMachineBox + ", *PC:1:0, " + kStick + ":10:1", "up: the root view with \"PC\" chosen");
    });
    // A root folder with a folder of the user's in it gets no working folder; folders below level
    // 2 are not listed.
    fs::remove_all(Drives().Host("USBSTICK/EMB"));
    fs::create_directories(Drives().Host("USBSTICK/EMB/Mine/Deeper/Deepest"));
    Run({}, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Mine:4", kMachineBox + kPc + ", *EMB:4:2", "a stick with a folder");
        Open(u, u"Mine", false);
        ExpectView(u, "", kMachineBox + kPc + ", EMB:4:2, *Mine:4:3", "level 3: no folders");
        u.Expect(!fs::exists(Drives().Host("USBSTICK/EMB/Embf")), "no working folder made");
    });
    // A root folder with files but no folder gets the working folder.
    fs::create_directories(Drives().Host("USBSTICK/ORD"));
    fixture::WriteFile(Drives().Host("USBSTICK/ORD/loose.txt"), {'x'});
    ListSetup stx;
    stx.nListKind = CFolderListCtrl::LIST_STX;
    Run(stx, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Ordf:4", kMachineBox + kPc + ", *ORD:4:2", "a root folder without folders");
    });
    ListSetup deep;
    deep.bDeepUsbFolders = TRUE;
    Run(deep, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        Open(u, u"Mine", false);
        ExpectView(u, "Deeper:4", kMachineBox + kPc + ", EMB:4:2, *Mine:4:3", "deep folders");
        Choose(u, 6, false);
        ExpectView(u, "Mine:4", kMachineBox + kPc + ", *EMB:4:2", "back by the box");
    });
}

TEST_F(MacListTest, PicturesForFetchedFilesKeepBothImageListsInStep)
{
    Run({}, [&](ScriptedUser& u) {
        m_dlg.RunOnUiThread([&] {
            auto counts = [&] { return std::make_pair(m_list.m_imlSmall.GetImageCount(), m_list.m_imlLarge.GetImageCount()); };
            // Sixteen fixed pictures and the five type pairs.
            EXPECT_EQ(counts(), std::make_pair(26, 26));
            EXPECT_EQ(CMacUsbListCtrl::MachineFilePicture(u"A.QEF+"), 18);
            EXPECT_EQ(CMacUsbListCtrl::MachineFilePicture(u"b.ord+"), 24);
            EXPECT_EQ(CMacUsbListCtrl::MachineFilePicture(u"c.qbf"), -1);

            CEmbData design;
            tavren::test::ReadCorpus("Star.DST", design);
            EXPECT_EQ(m_list.MakeDesignPictureFor(design, TRUE, 2), 27);
            EXPECT_EQ(m_list.MakeDesignPictureFor(design, FALSE, 4), -1);
            CEmbData empty;
            EXPECT_EQ(m_list.MakeDesignPictureFor(empty, FALSE, 1), -1);
            EXPECT_EQ(counts(), std::make_pair(28, 28));

            const fixture::Bytes stx = fixture::MakeStx(fixture::WellFormedStx(8));
            EXPECT_EQ(m_list.MakeStxPictureFor(stx.data(), static_cast<uint32_t>(stx.size()), FALSE), 28);
            const BYTE junk[] = {1, 2, 3};
            EXPECT_EQ(m_list.MakeStxPictureFor(junk, sizeof junk, FALSE), -1);
            EXPECT_EQ(counts(), std::make_pair(30, 30));
            // The single picture is for the STX list only.
            EXPECT_EQ(m_list.MakeStxPictureSingle(stx.data(), static_cast<uint32_t>(stx.size())), -1);
            m_list.m_nListKind = CFolderListCtrl::LIST_STX;
            EXPECT_EQ(m_list.MakeStxPictureSingle(stx.data(), static_cast<uint32_t>(stx.size())), 30);
            EXPECT_EQ(counts(), std::make_pair(31, 31));
            m_list.m_nListKind = CFolderListCtrl::LIST_DESIGN;
        });
    });
}

} // namespace
