// The machine and USB-drive list as a person uses it: the root view with and without a machine,
// the machine's storages and their folders listed through the transfer dialog from a real
// emulated machine, flash drives on the PC, the location box, "Up", and what a broken machine or
// listing does to the list.
#include "lists/MacUsbListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/lists/ListTestDrives.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"

#include "platform/kernel/Handle.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using tavren::test::Narrow;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr int kBox = CListHostDlg::IDC_HOST_LOCATION;
constexpr const char16_t* kCommError = u"Communication Error";
constexpr const char16_t* kTransfer = u"Design List";

const tavren::ControlInfo* FindControl(const Snapshot& snap, int nId)
{
    const tavren::WindowInfo* w = snap.Find(CListHostDlg::kCaption);
    return w ? w->Control(nId) : nullptr;
}

// "label:picture" for each item, in the order shown.
std::string Items(const Snapshot& snap)
{
    std::string s;
    if (const tavren::ControlInfo* c = FindControl(snap, kList))
        for (const auto& item : c->items)
            s += (s.empty() ? "" : ", ") + Narrow(item.strLabel) + ":" + std::to_string(item.nImage);
    return s;
}

// "text:picture:indent" for each location box entry, "*" on the selected one.
std::string Box(const Snapshot& snap)
{
    std::string s;
    const tavren::ControlInfo* c = FindControl(snap, kBox);
    if (!c)
        return "(no box)";
    for (size_t i = 0; i < c->entries.size(); i++) {
        const auto& e = c->entries[i];
        s += std::string(s.empty() ? "" : ", ") + (static_cast<int>(i) == c->nCurSel ? "*" : "") + Narrow(e.strText) +
             ":" + std::to_string(e.nImage) + ":" + std::to_string(e.nIndent);
    }
    return s;
}

int ItemIndex(const Snapshot& snap, std::u16string_view strLabel)
{
    if (const tavren::ControlInfo* c = FindControl(snap, kList))
        for (size_t i = 0; i < c->items.size(); i++)
            if (c->items[i].strLabel == strLabel)
                return static_cast<int>(i);
    return -1;
}

struct ListSetup {
    int nListKind = CFolderListCtrl::LIST_DESIGN;
    bool bMachine = true;        // a machine is connected
    BOOL bMachinePresent = TRUE; // the dialog was opened for a machine
    int nMode = CMacUsbListCtrl::MODE_EITHER;
    BOOL bDeepUsbFolders = FALSE;
};

// The list as the File Manager wires it: a double click opens, "Up" goes up, the location box
// navigates; "Style" only counts its presses, to tell when the person's input has been handled.
class MacListTest : public tavren::test::ModuleFixture {
protected:
    MacListTest() : ModuleFixture(Parts().Drives(DriveSpecs()).Machine()), m_dlg(m_list) {}
    static std::vector<tavren::test::DriveSpec> DriveSpecs() { return {{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}; }

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
            if (nId == CListHostDlg::IDC_HOST_STYLE)
                ++m_nStylePresses;
            else if (nId == CListHostDlg::IDC_HOST_UP)
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
    void Ctl(const std::vector<std::string>& words) const
    {
        int rc = -1;
        Machine().Ctl(words, &rc);
        ASSERT_EQ(rc, 0) << words[0];
    }

    void Run(const ListSetup& setup, const ScriptedUser::Script& script)
    {
        m_dlg.m_onInit = [this, setup](CListHostDlg& d) {
            m_list.Initialize(setup.bMachine ? m_hDevice : 0, &d.m_location, setup.nListKind, setup.bMachinePresent,
                              TRUE, setup.nMode, setup.bDeepUsbFolders);
        };
        ScriptedUser user([&](ScriptedUser& u) {
            u.WaitForWindow(CListHostDlg::kCaption);
            script(u);
            u.Close();
        });
        m_dlg.DoModal();
        EXPECT_TRUE(user.Finish()) << user.Report();
    }
    // Waits until the dialog has handled the person's input (a listing's transfer dialog
    // included) and looks.
    Snapshot Settle(ScriptedUser& u)
    {
        const int nBefore = m_nStylePresses;
        u.Click(CListHostDlg::IDC_HOST_STYLE);
        u.WaitUntil([&](const Snapshot&) { return m_nStylePresses > nBefore; }, "the dialog to handle the input");
        return u.Look();
    }
    void ExpectView(ScriptedUser& u, const std::string& strItems, const std::string& strBox, const std::string& strWhere)
    {
        const Snapshot snap = Settle(u);
        u.Expect(Items(snap) == strItems && Box(snap) == strBox,
                 strWhere + ": the list shows [" + Items(snap) + "], the box [" + Box(snap) + "]");
    }
    // Opens an item; bMachine: it is listed from the machine, so the transfer dialog comes and
    // goes first.
    void Open(ScriptedUser& u, std::u16string_view strLabel, bool bMachine = true)
    {
        const int nItem = ItemIndex(Settle(u), strLabel);
        u.Expect(nItem >= 0, "\"" + Narrow(strLabel) + "\" is in the list");
        if (nItem >= 0)
            u.DoubleClickItem(kList, nItem);
        if (bMachine)
            Listed(u);
    }
    void Listed(ScriptedUser& u)
    {
        u.WaitForWindow(kTransfer);
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
    }
    void Up(ScriptedUser& u, bool bMachine = true)
    {
        u.Click(CListHostDlg::IDC_HOST_UP);
        if (bMachine)
            Listed(u);
    }
    void Choose(ScriptedUser& u, int nEntry, bool bMachine = true)
    {
        u.ChooseCombo(kBox, nEntry);
        if (bMachine)
            Listed(u);
    }
    void ExpectPlace(ScriptedUser& u, int nLevel, std::u16string_view strPath, const std::string& strWhere)
    {
        int nShownLevel = -1;
        std::u16string strShown;
        m_dlg.RunOnUiThread([&] {
            nShownLevel = m_list.m_nLevel;
            strShown = m_list.m_strCurrentPath.Str();
        });
        u.Expect(nShownLevel == nLevel && strShown == strPath,
                 strWhere + ": level " + std::to_string(nShownLevel) + ", path \"" + Narrow(strShown) + "\"");
    }
    // Ends the message box the list showed, and goes back to the list's dialog.
    void AnswerCommError(ScriptedUser& u)
    {
        u.ExpectMessageBox(kCommError);
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
    }

    HANDLE m_hDevice = 0;
    CMacUsbListCtrl m_list;
    CListHostDlg m_dlg;
    std::atomic<int> m_nStylePresses{0};
};

const std::string kMachineBox = "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1";
const std::string kStick = "USBSTICK (E:)";
// The machine's entries with folder entries below "Built-in".
std::string InBuiltin(const std::string& strFolders)
{
    return "Machine:3:0, Built-in:2:1, " + strFolders + ", USB flash drive 1:5:1, USB flash drive 2:5:1";
}

TEST_F(MacListTest, RootViewOffersTheMachineAndTheFlashDrivesTheModeAsksFor)
{
    Run({}, [&](ScriptedUser& u) {
        const Snapshot snap = Settle(u);
        u.Expect(Items(snap) == "Built-in:2, USB flash drive 1:5, USB flash drive 2:5, " + kStick + ":10",
                 "the root view shows [" + Items(snap) + "]");
        u.Expect(Box(snap) == "*" + kMachineBox + ", PC:1:0, " + kStick + ":10:1", "box [" + Box(snap) + "]");
        const tavren::ControlInfo* c = FindControl(snap, kList);
        u.Expect(c && c->items.size() == 4 && c->items[0].nGroupId == CMacUsbListCtrl::GROUP_MACHINE &&
                     c->items[3].nGroupId == CMacUsbListCtrl::GROUP_PC,
                 "the storages are in the Machine group, the flash drive in the PC group");
        bool bGroups = false;
        m_dlg.RunOnUiThread([&] { bGroups = m_list.IsGroupViewEnabled(); });
        u.Expect(bGroups, "the root view is grouped for a machine");
    });
}

TEST_F(MacListTest, RootViewWithoutAMachineOrWithoutDrives)
{
    ListSetup none;
    none.bMachine = false;
    Run(none, [&](ScriptedUser& u) {
        ExpectView(u, kStick + ":10", "Machine:3:0, Not connected:6:1, *PC:1:0, " + kStick + ":10:1",
                   "expected but not connected");
    });
    ListSetup usbOnly;
    usbOnly.bMachinePresent = FALSE;
    usbOnly.nMode = CMacUsbListCtrl::MODE_USB_ONLY;
    Run(usbOnly, [&](ScriptedUser& u) {
        ExpectView(u, kStick + ":10", "*PC:1:0, " + kStick + ":10:1", "flash drives only");
        bool bGroups = true;
        m_dlg.RunOnUiThread([&] { bGroups = m_list.IsGroupViewEnabled(); });
        u.Expect(!bGroups, "no groups without a machine");
    });
    ListSetup machineOnly;
    machineOnly.nMode = CMacUsbListCtrl::MODE_MACHINE_ONLY;
    Run(machineOnly, [&](ScriptedUser& u) {
        ExpectView(u, "Built-in:2, USB flash drive 1:5, USB flash drive 2:5", "*" + kMachineBox, "machine only");
    });
}

TEST_F(MacListTest, MachineFoldersShowTheirFamilyWithBreadcrumbsAndUpLeadsBack)
{
    Put(Builtin() / "EMB" / "a.qef");
    Put(Builtin() / "EMB" / "b.qef+");
    Put(Builtin() / "EMB" / "c.QPX");
    Put(Builtin() / "EMB" / "d.stx");
    Put(Builtin() / "EMB" / "notes.txt");
    Put(Builtin() / "EMB" / "Flowers" / "rose.qef");
    fs::create_directories(Builtin() / "EMB" / "(UserST)");
    fs::create_directories(Builtin() / "ORD");
    Put(Usb1() / "EMB" / "(UserST)" / "x.qef");

    Run({}, [&](ScriptedUser& u) {
        Open(u, u"Built-in");
        ExpectView(u, "Flowers:4, a.qef:16, b.qef+:18, c.QPX:20", InBuiltin("*EMB:4:2") + ", PC:1:0, " + kStick + ":10:1",
                   "built-in storage's \\EMB");
        ExpectPlace(u, 2, u"\\\\EMB", "the location's root");
        Open(u, u"Flowers");
        ExpectView(u, "rose.qef:16",
                   "Machine:3:0, Built-in:2:1, EMB:4:2, *Flowers:4:3, USB flash drive 1:5:1, USB flash drive 2:5:1, "
                   "PC:1:0, " + kStick + ":10:1",
                   "a folder in it");
        ExpectPlace(u, 3, u"\\\\EMB\\Flowers", "the folder");
        // The breadcrumb's "EMB" goes back to the root folder.
        Choose(u, 2);
        ExpectView(u, "Flowers:4, a.qef:16, b.qef+:18, c.QPX:20",
                   "Machine:3:0, Built-in:2:1, *EMB:4:2, USB flash drive 1:5:1, USB flash drive 2:5:1, PC:1:0, " +
                       kStick + ":10:1",
                   "back by the location box");
        Up(u);
        ExpectView(u, "EMB:4, ORD:4", "Machine:3:0, *Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1, PC:1:0, " +
                                          kStick + ":10:1",
                   "up from the root folder: the storage's top");
        ExpectPlace(u, 1, u"\\", "the storage's top");
        Up(u, false);
        ExpectView(u, "Built-in:2, USB flash drive 1:5, USB flash drive 2:5, " + kStick + ":10",
                   "*" + kMachineBox + ", PC:1:0, " + kStick + ":10:1", "up again: the root view");
        // "(UserST)" belongs to built-in storage only.
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4",
                   "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, *EMB:4:2, USB flash drive 2:5:1, PC:1:0, " +
                       kStick + ":10:1",
                   "USB flash drive 1's \\EMB");
    });
}

TEST_F(MacListTest, EachListKeepsToItsRootFolderAndFoldersStopAtTheDepthLimit)
{
    Put(Builtin() / "ORD" / "(UserST)" / "p.stx");
    Put(Builtin() / "ORD" / "(UserST)" / "q.ord+");
    Put(Builtin() / "ORD" / "(UserST)" / "L2" / "L3" / "L4" / "deep.stx");
    fs::create_directories(Builtin() / "ORD" / "(UserST)" / "L2" / "L3" / "L4" / "L5");
    Put(Usb1() / "ORD" / "r.stx");
    Put(Usb1() / "ORD" / "s.ord+");
    fs::create_directories(Usb1() / "ORD" / "(UserST)");

    ListSetup stx;
    stx.nListKind = CFolderListCtrl::LIST_STX;
    Run(stx, [&](ScriptedUser& u) {
        Open(u, u"Built-in");
        ExpectView(u, "L2:4, p.stx:22", "Machine:3:0, *Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1, PC:1:0, " + kStick + ":10:1",
                   "the STX list in built-in storage");
        ExpectPlace(u, 1, u"\\\\ORD\\(UserST)", "STX root in built-in storage");
        Open(u, u"L2");
        Open(u, u"L3");
        ExpectView(u, "L4:4", "Machine:3:0, Built-in:2:1, L2:4:2, *L3:4:3, USB flash drive 1:5:1, USB flash drive 2:5:1, PC:1:0, " +
                                  kStick + ":10:1",
                   "level 3");
        Open(u, u"L4");
        ExpectView(u, "deep.stx:22",
                   "Machine:3:0, Built-in:2:1, L2:4:2, L3:4:3, *L4:4:4, USB flash drive 1:5:1, USB flash drive 2:5:1, "
                   "PC:1:0, " + kStick + ":10:1",
                   "level 4: files, no more folders");
        Choose(u, 0, false);
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4, r.stx:22", "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, *ORD:4:2, USB flash drive 2:5:1, PC:1:0, " + kStick + ":10:1",
                   "the STX list on a machine flash drive");
    });
    ListSetup ordPlus;
    ordPlus.nListKind = CFolderListCtrl::LIST_ORDPLUS;
    Run(ordPlus, [&](ScriptedUser& u) {
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4, s.ord+:24", "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, *ORD:4:2, USB flash drive 2:5:1, PC:1:0, " + kStick + ":10:1",
                   "the ORD+ list");
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
        ExpectView(u, "", "Machine:3:0, Built-in:2:1, EMB:4:2, *Empty:4:3, USB flash drive 1:5:1, USB flash drive 2:5:1, PC:1:0, " +
                              kStick + ":10:1",
                   "an empty folder");
        Up(u);
        const std::string strEmbBox =
            "Machine:3:0, Built-in:2:1, *EMB:4:2, USB flash drive 1:5:1, USB flash drive 2:5:1, PC:1:0, " + kStick + ":10:1";
        ExpectView(u, "Empty:4, Full:4, a.qef:16", strEmbBox, "back up");

        // Escape while a folder is being listed: nothing to report, and the list, its path, level
        // and location box stay on the folder that was listed.
        Ctl({"fault", "UploadList", "delay", "3000"});
        Open(u, u"Full", false);
        u.WaitForWindow(kTransfer);
        u.PressEscape();
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
        ExpectView(u, "Empty:4, Full:4, a.qef:16", strEmbBox, "after Escape");
        ExpectPlace(u, 2, u"\\\\EMB", "still the root folder after Escape");
        u.Expect(u.Look().Find(kCommError) == nullptr, "a stopped listing is not reported");

        // The cable pulled while the folder is listed: the message, and the list as it was.
        Ctl({"fault", "UploadList", "pull"});
        Open(u, u"Full", false);
        AnswerCommError(u);
        ExpectView(u, "Empty:4, Full:4, a.qef:16", strEmbBox, "after the pulled cable");
        ExpectPlace(u, 2, u"\\\\EMB", "still the root folder");
        Ctl({"cable", "plug"});

        // A flash drive missing from the machine.
        Ctl({"usb2", "absent"});
        u.ChooseCombo(kBox, 4);
        AnswerCommError(u);
        ExpectView(u, "Empty:4, Full:4, a.qef:16", strEmbBox, "after the absent flash drive");
    });
}

TEST_F(MacListTest, AFlashDriveOnThePcGetsItsRootAndWorkingFolder)
{
    Run({}, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Embf:4", kMachineBox + ", PC:1:0, " + kStick + ":10:1, *EMB:4:2", "a new stick");
        ExpectPlace(u, 2, u"E:\\EMB", "the stick's root folder");
        u.Expect(fs::is_directory(Drives().Host("USBSTICK/EMB/Embf")), "EMB and Embf made on the stick");
        // Through the location box the root folder opens at level 1, the drive's entry selected.
        Choose(u, 5, false);
        ExpectView(u, "Embf:4", kMachineBox + ", PC:1:0, *" + kStick + ":10:1", "the drive's entry");
        ExpectPlace(u, 1, u"E:\\EMB", "level 1");
        Up(u, false);
        ExpectView(u, "Built-in:2, USB flash drive 1:5, USB flash drive 2:5, " + kStick + ":10",
                   kMachineBox + ", *PC:1:0, " + kStick + ":10:1", "up: the root view with \"PC\" chosen");
    });
    // A root folder with a folder of the user's in it gets no working folder; folders below level
    // 2 are not listed.
    fs::remove_all(Drives().Host("USBSTICK/EMB"));
    fs::create_directories(Drives().Host("USBSTICK/EMB/Mine/Deeper/Deepest"));
    Run({}, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Mine:4", kMachineBox + ", PC:1:0, " + kStick + ":10:1, *EMB:4:2", "a stick with a folder");
        Open(u, u"Mine", false);
        ExpectView(u, "", kMachineBox + ", PC:1:0, " + kStick + ":10:1, EMB:4:2, *Mine:4:3", "level 3: no folders");
        u.Expect(!fs::exists(Drives().Host("USBSTICK/EMB/Embf")), "no working folder made");
    });
    ListSetup deep;
    deep.bDeepUsbFolders = TRUE;
    // A root folder with files but no folder gets the working folder.
    fs::create_directories(Drives().Host("USBSTICK/ORD"));
    fixture::WriteFile(Drives().Host("USBSTICK/ORD/loose.txt"), {'x'});
    ListSetup stx;
    stx.nListKind = CFolderListCtrl::LIST_STX;
    Run(stx, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Ordf:4", kMachineBox + ", PC:1:0, " + kStick + ":10:1, *ORD:4:2", "a root folder without folders");
    });
    Run(deep, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        Open(u, u"Mine", false);
        ExpectView(u, "Deeper:4", kMachineBox + ", PC:1:0, " + kStick + ":10:1, EMB:4:2, *Mine:4:3", "deep folders");
        Choose(u, 6, false);
        ExpectView(u, "Mine:4", kMachineBox + ", PC:1:0, " + kStick + ":10:1, *EMB:4:2", "back by the box");
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
            CListTestDrives::ReadCorpus("Star.DST", design);
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
