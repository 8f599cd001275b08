// The machine and USB-drive list as a person uses it, against a real emulated machine: the root
// view with and without a machine, the machine's storages and their folders listed through the
// transfer dialog, flash drives on the PC, the location box, "Up", what a broken machine or listing
// does to the list; and the list's own file operations (a new folder, renaming in place with the
// companion file, erasing the ticked or the selected files, deleting a folder) and the machine's
// refusals of them.
#include "lists/MacUsbListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/support/MachineAndDrives.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"

#include "platform/kernel/Handle.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;
using tavren::test::Narrow;
using Labels = std::vector<std::u16string>;

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr const char16_t* kCommError = u"Communication Error";
constexpr const char16_t* kTransfer = u"Design List";

// The machine list in the host dialog, with a connected machine's handle.
class MachineListFixture : public tavren::test::ModuleFixture {
protected:
    MachineListFixture() : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}).Machine()) {}
    void SetUp() override
    {
        ModuleFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_hDevice = CListHostDlg::ConnectMachine();
        ASSERT_NE(m_hDevice, 0u) << "the machine link loaded and the emulated machine answering";
    }
    void TearDown() override
    {
        if (m_hDevice) {
            AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
            CloseHandle(m_hDevice);
        }
        ModuleFixture::TearDown();
    }
    static void Put(const fs::path& p, const std::string& bytes = "x")
    {
        fs::create_directories(p.parent_path());
        tavren::test::EmulatedMachine::WriteBytes(p, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    void Ctl(const std::vector<std::string>& words) const { tavren::test::CtlOk(Machine(), words); }
    // Ends the message box the list showed (with this string of the module, when given).
    static void AnswerBox(ScriptedUser& u, std::u16string_view strCaption, UINT nText = 0)
    {
        const CString strText = listlook::Text(nText);
        CListHostDlg::AnswerBox(u, strCaption, nText ? std::optional<std::u16string_view>(strText.Str()) : std::nullopt);
    }

    HANDLE m_hDevice = 0;
    CMacUsbListCtrl m_list;
    CListHostDlg m_dlg{m_list};
};

struct ListSetup {
    int nListKind = CFolderListCtrl::LIST_DESIGN;
    bool bMachine = true;        // a machine is connected
    BOOL bMachinePresent = TRUE; // the dialog was opened for a machine
    int nMode = CMacUsbListCtrl::MODE_EITHER;
    BOOL bDeepUsbFolders = FALSE;
};

// The list as the File Manager wires it.
class MacListTest : public MachineListFixture {
protected:
    void Run(const ListSetup& setup, const ScriptedUser::Script& script)
    {
        m_dlg.m_onInit = [this, setup](CListHostDlg& d) {
            m_list.Initialize(setup.bMachine ? m_hDevice : 0, &d.m_location, setup.nListKind, setup.bMachinePresent, TRUE, setup.nMode,
                              setup.bDeepUsbFolders);
        };
        m_dlg.Navigate(m_list);
        m_dlg.Play(script);
    }
    // strAt: "level storage path".
    void ExpectView(ScriptedUser& u, const std::string& strItems, const std::string& strBox, const std::string& strWhat,
                    const std::string& strAt = "")
    {
        m_dlg.ExpectView(u, strItems, strBox, strWhat, strAt);
    }
    // A step, then (bMachine: it lists from the machine) the transfer dialog comes and goes.
    static void Listed(ScriptedUser& u, bool bMachine)
    {
        if (!bMachine)
            return;
        u.WaitForWindow(kTransfer);
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
    }
    void Open(ScriptedUser& u, std::u16string_view strLabel, bool bMachine = true)
    {
        const int nItem = listlook::IndexOf(m_dlg.Settle(u), strLabel);
        u.Expect(nItem >= 0, "\"" + Narrow(strLabel) + "\" is in the list");
        u.DoubleClickItem(kList, nItem);
        Listed(u, bMachine);
    }
    static void Up(ScriptedUser& u, bool bMachine = true)
    {
        u.Click(CListHostDlg::IDC_HOST_UP);
        Listed(u, bMachine);
    }
    static void Choose(ScriptedUser& u, int nEntry, bool bMachine = true)
    {
        u.ChooseCombo(CListHostDlg::IDC_HOST_LOCATION, nEntry);
        Listed(u, bMachine);
    }
    fs::path Builtin() const { return Machine().Storage(1); }
    fs::path Usb1() const { return Machine().Storage(2); }
};

const std::string kMachineBox = "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1";
const std::string kStick = "USBSTICK (E:)";
const std::string kPc = ", PC:1:0, " + kStick + ":10:1";
const std::string kRootItems = "Built-in:2, USB flash drive 1:5, USB flash drive 2:5, " + kStick + ":10";
// The machine's entries with folder entries below "Built-in" or "USB flash drive 1", and the PC's after them.
std::string InBuiltin(const std::string& strFolders)
{
    return "Machine:3:0, Built-in:2:1, " + strFolders + ", USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc;
}
std::string InUsb1(const std::string& strFolders)
{
    return "Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, " + strFolders + ", USB flash drive 2:5:1" + kPc;
}

TEST_F(MacListTest, RootViewOffersWhatTheModeAsksForGroupedOnlyWithAMachine)
{
    using M = CMacUsbListCtrl;
    // With a machine, the storages are in the Machine group and the flash drive in the PC group
    // (nGroups 1); without one the list is not grouped (0; -1 not looked at).
    const struct { const char* pszWhat; ListSetup setup; std::string strItems, strBox; int nGroups; } cases[] = {
        {"a machine", {}, kRootItems, "*" + kMachineBox + kPc, 1},
        {"expected but not connected", {CFolderListCtrl::LIST_DESIGN, false}, kStick + ":10", "Machine:3:0, Not connected:6:1, *PC:1:0, " + kStick + ":10:1", -1},
        {"flash drives only", {CFolderListCtrl::LIST_DESIGN, true, FALSE, M::MODE_USB_ONLY}, kStick + ":10", "*PC:1:0, " + kStick + ":10:1", 0},
        {"machine only", {CFolderListCtrl::LIST_DESIGN, true, TRUE, M::MODE_MACHINE_ONLY}, "Built-in:2, USB flash drive 1:5, USB flash drive 2:5", "*" + kMachineBox, -1},
    };
    for (const auto& c : cases) {
        Run(c.setup, [&](ScriptedUser& u) {
            ExpectView(u, c.strItems, c.strBox, c.pszWhat);
            int nGroups = -1;
            m_dlg.RunOnUiThread([&] { nGroups = m_list.IsGroupViewEnabled() ? 1 : 0; });
            const Snapshot snap = u.Look();
            const auto& items = listlook::Control(snap, kList)->items;
            u.Expect(c.nGroups < 0 || (nGroups == c.nGroups && (nGroups == 0 || (items[0].nGroupId == M::GROUP_MACHINE && items[3].nGroupId == M::GROUP_PC))),
                     std::string(c.pszWhat) + ": grouped " + std::to_string(nGroups));
        });
    }
}

TEST_F(MacListTest, EachListKeepsToItsRootFolderAndFoldersStopAtTheDepthLimit)
{
    for (const char* pszName : {"p.stx", "q.ord+", "L2/L3/L4/deep.stx"})
        Put(Builtin() / "ORD" / "(UserST)" / pszName);
    fs::create_directories(Builtin() / "ORD" / "(UserST)" / "L2" / "L3" / "L4" / "L5");
    Put(Usb1() / "ORD" / "r.stx");
    Put(Usb1() / "ORD" / "s.ord+");
    fs::create_directories(Usb1() / "ORD" / "(UserST)");
    Run({CFolderListCtrl::LIST_STX}, [&](ScriptedUser& u) {
        Open(u, u"Built-in");
        ExpectView(u, "L2:4, p.stx:22", "Machine:3:0, *Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc,
                   "the STX list in built-in storage", "1 1 \\\\ORD\\(UserST)");
        Open(u, u"L2");
        Open(u, u"L3");
        ExpectView(u, "L4:4", InBuiltin("L2:4:2, *L3:4:3"), "level 3");
        Open(u, u"L4");
        ExpectView(u, "deep.stx:22", InBuiltin("L2:4:2, L3:4:3, *L4:4:4"), "level 4: files, no more folders");
        Choose(u, 0, false);
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4, r.stx:22", InUsb1("*ORD:4:2"), "the STX list on a machine flash drive");
    });
    Run({CFolderListCtrl::LIST_ORDPLUS}, [&](ScriptedUser& u) {
        Open(u, u"USB flash drive 1");
        ExpectView(u, "(UserST):4, s.ord+:24", InUsb1("*ORD:4:2"), "the ORD+ list");
    });
}

// A design folder shows its family, each type with its picture ("(UserST)" belongs to built-in
// storage, which hides it here); the breadcrumb and "Up" lead back.
TEST_F(MacListTest, AnEmptyFolderShowsAnEmptyListAndFailuresKeepWhatWasShown)
{
    for (const char* pszName : {"a.qef", "b.qef+", "c.QPX", "d.stx", "notes.txt"})
        Put(Builtin() / "EMB" / pszName);
    for (const char* pszName : {"EMB/Empty", "EMB/(UserST)", "ORD"})
        fs::create_directories(Builtin() / pszName);
    Put(Builtin() / "EMB" / "Full" / "b.qef");
    Run({}, [&](ScriptedUser& u) {
        Open(u, u"Built-in");
        Open(u, u"Empty");
        ExpectView(u, "", InBuiltin("EMB:4:2, *Empty:4:3"), "an empty folder");
        // Escape while a folder chosen in the location box is listed: the box goes back to the
        // folder still shown.
        Ctl({"fault", "UploadList", "delay", "3000"});
        Choose(u, 2, false);
        u.WaitForWindow(kTransfer);
        u.PressEscape();
        u.WaitForClose();
        ExpectView(u, "", InBuiltin("EMB:4:2, *Empty:4:3"), "the box back on the folder shown", "3 1 \\\\EMB\\Empty");
        Choose(u, 2); // the breadcrumb's "EMB"
        const std::string strEmbItems = "Empty:4, Full:4, a.qef:16, b.qef+:18, c.QPX:20";
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "back by the location box", "2 1 \\\\EMB");
        Up(u);
        ExpectView(u, "EMB:4, ORD:4", "Machine:3:0, *Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc,
                   "up from the root folder: the storage's top", "1 1 \\");
        Open(u, u"EMB");

        // Escape while a folder is being listed: nothing to report, and the list, its path, level
        // and location box stay on the folder that was listed.
        Ctl({"fault", "UploadList", "delay", "3000"});
        Open(u, u"Full", false);
        u.WaitForWindow(kTransfer);
        u.PressEscape();
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "after Escape", "2 1 \\\\EMB");
        u.Expect(u.Look().Find(kCommError) == nullptr, "a stopped listing is not reported");

        // The cable pulled while the folder is listed: the message, and the list as it was.
        Ctl({"fault", "UploadList", "pull"});
        Open(u, u"Full", false);
        AnswerBox(u, kCommError);
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "after the pulled cable", "2 1 \\\\EMB");
        Ctl({"cable", "plug"});

        // A flash drive missing from the machine, chosen in the location box and in the root view.
        Ctl({"usb2", "absent"});
        u.ChooseCombo(CListHostDlg::IDC_HOST_LOCATION, 4);
        AnswerBox(u, kCommError);
        ExpectView(u, strEmbItems, InBuiltin("*EMB:4:2"), "after the absent flash drive");
        Choose(u, 0, false);
        Open(u, u"USB flash drive 2", false);
        AnswerBox(u, kCommError);
        ExpectView(u, kRootItems, "*" + kMachineBox + kPc, "the root view after the absent flash drive", "0 0 ");
    });
}

TEST_F(MacListTest, AFlashDriveOnThePcGetsItsRootAndWorkingFolder)
{
    Run({}, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Embf:4", kMachineBox + kPc + ", *EMB:4:2", "a new stick", "2 0 E:\\EMB");
        u.Expect(fs::is_directory(Drives().Host("USBSTICK/EMB/Embf")), "EMB and Embf made on the stick");
        // Through the location box the root folder opens at level 1, the drive's entry selected.
        Choose(u, 5, false);
        ExpectView(u, "Embf:4", kMachineBox + ", PC:1:0, *" + kStick + ":10:1", "the drive's entry", "1 0 E:\\EMB");
        Up(u, false);
        ExpectView(u, kRootItems, kMachineBox + ", *PC:1:0, " + kStick + ":10:1", "up: the root view with \"PC\" chosen");
    });
    // A root folder with a folder of the user's in it gets no working folder; folders below level
    // 2 are not listed.
    fs::remove_all(Drives().Host("USBSTICK/EMB"));
    fs::create_directories(Drives().Host("USBSTICK/EMB/Mine/Deeper/Deepest"));
    const fixture::Bytes qef = tavren::test::CorpusDesign();
    Drives().Write("USBSTICK/EMB/Mine/a.qef", std::string(qef.begin(), qef.end()));
    Drives().Write("USBSTICK/EMB/Mine/a.qbf", "companion a");
    Run({}, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Mine:4", kMachineBox + kPc + ", *EMB:4:2", "a stick with a folder");
        Open(u, u"Mine", false);
        ExpectView(u, "a.qef:26", kMachineBox + kPc + ", EMB:4:2, *Mine:4:3", "level 3: no folders");
        u.Expect(!fs::exists(Drives().Host("USBSTICK/EMB/Embf")), "no working folder made");
        // A rename on the PC's drive goes to its file system, the companion along.
        u.EditLabel(kList, 0, u"b");
        ExpectView(u, "b.qef:26", kMachineBox + kPc + ", EMB:4:2, *Mine:4:3", "renamed");
    });
    EXPECT_TRUE(fs::exists(Drives().Host("USBSTICK/EMB/Mine/b.qef")) && fs::exists(Drives().Host("USBSTICK/EMB/Mine/b.qbf")));
    EXPECT_FALSE(fs::exists(Drives().Host("USBSTICK/EMB/Mine/a.qef")));
    // A root folder with files but no folder gets the working folder.
    fs::create_directories(Drives().Host("USBSTICK/ORD"));
    fixture::WriteFile(Drives().Host("USBSTICK/ORD/loose.txt"), {'x'});
    Run({CFolderListCtrl::LIST_STX}, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        ExpectView(u, "Ordf:4", kMachineBox + kPc + ", *ORD:4:2", "a root folder without folders");
    });
    ListSetup deep;
    deep.bDeepUsbFolders = TRUE;
    Run(deep, [&](ScriptedUser& u) {
        Open(u, u"USBSTICK (E:)", false);
        Open(u, u"Mine", false);
        ExpectView(u, "Deeper:4, b.qef:26", kMachineBox + kPc + ", EMB:4:2, *Mine:4:3", "deep folders");
        Choose(u, 6, false);
        ExpectView(u, "Mine:4", kMachineBox + kPc + ", *EMB:4:2", "back by the box");
    });
}

TEST_F(MacListTest, PicturesForFetchedFilesKeepBothImageListsInStep)
{
    Run({}, [&](ScriptedUser& u) {
        m_dlg.RunOnUiThread([&] {
            auto counts = [&] { return std::make_pair(m_list.m_imlSmall.GetImageCount(), m_list.m_imlLarge.GetImageCount()); };
            // Sixteen fixed pictures and the five type pairs; then a pair for each picture made.
            EXPECT_EQ(counts(), std::make_pair(26, 26));
            CEmbData design, empty;
            tavren::test::ReadCorpus("Star.DST", design);
            EXPECT_EQ(m_list.MakeDesignPictureFor(design, TRUE, 2), 27);
            EXPECT_EQ(m_list.MakeDesignPictureFor(design, FALSE, 4), -1);
            EXPECT_EQ(m_list.MakeDesignPictureFor(empty, FALSE, 1), -1);
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

// The host's buttons as the File Manager's commands on the machine side; the list's folder is
// "\EMB\Work" of built-in storage, opened by "Open".
class MachineOpsTest : public MachineListFixture {
protected:
    static constexpr UINT kOpenWork = CListHostDlg::IDC_HOST_OPEN, kNewFolder = CListHostDlg::IDC_HOST_NEW,
                          kDeleteChecked = CListHostDlg::IDC_HOST_DELETE, kDeleteSelected = CListHostDlg::IDC_HOST_UP,
                          kDeleteFolder = CListHostDlg::IDC_HOST_STYLE;
    void SetUp() override
    {
        MachineListFixture::SetUp();
        fs::create_directories(Work());
        m_dlg.m_onInit = [this](CListHostDlg& d) {
            m_list.Initialize(m_hDevice, &d.m_location, CFolderListCtrl::LIST_DESIGN, TRUE, TRUE, CMacUsbListCtrl::MODE_EITHER, FALSE);
        };
        m_dlg.m_onButton = [this](UINT nId) {
            switch (nId) {
            case kOpenWork: m_fnOpen(); break;
            case kNewFolder: m_list.CreateMachineFolder(); break;
            case kDeleteChecked: m_nResult = m_list.DeleteCheckedMachineFiles(); break;
            case kDeleteSelected: m_list.DeleteSelectedMachineFiles(); break;
            case kDeleteFolder: m_list.DeleteSelectedMachineFolder(); break;
            default: break;
            }
        };
    }
    fs::path Work() const { return Machine().Storage(1) / "EMB" / "Work"; }
    bool OnMachine(const std::string& rel) const { return fs::exists(Work() / rel); }
    void Run(const ScriptedUser::Script& script) { m_dlg.Play(script, 60000); }
    // label -> picture
    static std::map<std::u16string, int> PicturesIn(const Snapshot& s)
    {
        std::map<std::u16string, int> m;
        for (const auto& item : listlook::Control(s, kList)->items)
            m[item.strLabel] = item.nImage;
        return m;
    }
    int IndexOf(ScriptedUser& u, std::u16string_view strLabel)
    {
        const int n = listlook::IndexOf(u.Look(), strLabel);
        u.Expect(n >= 0, "an item " + Narrow(strLabel));
        return n;
    }
    Snapshot ExpectLabels(ScriptedUser& u, const Labels& expected, const std::string& strWhat) { return m_dlg.ExpectLabels(u, expected, strWhat); }
    // Opens "\EMB\Work" (through the transfer dialog) and waits for its items.
    void OpenWork(ScriptedUser& u, const Labels& expected)
    {
        u.Click(kOpenWork);
        ExpectLabels(u, expected, "the folder Work listed");
    }
    // Selects items by label on the list's own thread and (bTick) ticks each.
    void Select(const Labels& labels, bool bTick = false)
    {
        EXPECT_TRUE(m_dlg.RunOnUiThread([&] {
            m_list.ModifyStyle(LVS_SINGLESEL, 0);
            m_list.SetItemState(-1, 0, LVIS_SELECTED);
            for (const auto& strLabel : labels) {
                LVFINDINFOW find{LVFI_STRING, strLabel.c_str()};
                if (bTick)
                    m_list.SetItemState(-1, 0, LVIS_SELECTED);
                m_list.SetItemState(m_list.FindItem(&find), LVIS_SELECTED, LVIS_SELECTED);
                if (bTick)
                    m_list.ToggleCheck();
            }
        }));
    }
    int Checked()
    {
        int n = -1;
        m_dlg.RunOnUiThread([&] { n = m_list.m_nCheckedCount; });
        return n;
    }
    bool FaultTaken(const std::string& strOp) const { return !tavren::test::FaultArmed(Machine(), strOp); }
    static void ConfirmDeleting(ScriptedUser& u, int nButton = IDYES)
    {
        u.ExpectMessageBox(u"Confirm Deleting", u"Are you sure you want to delete the selected file(s)/folder(s)?");
        u.Answer(nButton);
    }

    std::function<void()> m_fnOpen = [this] { m_list.OpenMachineFolder(1, u"\\\\EMB\\Work", 3); };
    std::atomic<int> m_nResult{-1};
};

TEST_F(MachineOpsTest, NewFoldersTakeTheNextFreeNameAndSelectedFilesAndFoldersGoWithWhatTheyHold)
{
    fs::create_directories(Work() / "New Folder");
    fs::create_directories(Work() / "new folder (2)");
    for (const char* psz : {"a.qef", "a.qbf", "b.qef", "b.qbf", "c.qef", "Old/x.qef", "Old/Inner/y.qef"})
        Put(Work() / psz);
    Run([&](ScriptedUser& u) {
        OpenWork(u, {u"New Folder", u"new folder (2)", u"Old", u"a.qef", u"b.qef", u"c.qef"});
        u.Click(kNewFolder);
        Snapshot s = ExpectLabels(u, {u"New Folder", u"new folder (2)", u"New Folder (3)", u"Old", u"a.qef", u"b.qef", u"c.qef"}, "(3)");
        u.Expect(PicturesIn(s)[u"New Folder (3)"] == CFolderListCtrl::PIC_FOLDER && fs::is_directory(Work() / "New Folder (3)"),
                 "a folder's picture, made on the machine");
        u.Click(kNewFolder);
        ExpectLabels(u, {u"New Folder", u"new folder (2)", u"New Folder (3)", u"New Folder (4)", u"Old", u"a.qef", u"b.qef", u"c.qef"}, "(4)");
        // A file of the next name is no folder, so the name is taken all the same; the machine
        // refuses it, the refusal is shown and no item appears.
        Put(Work() / "New Folder (5)");
        u.Click(kNewFolder);
        AnswerBox(u, kCommError, 12542); // "The machine failed to create the folder."
        u.Expect(listlook::Labels(u.Look()).size() == 8, "no item for a refused folder");
        // The folder cannot be listed: the message, and nothing is made.
        Ctl({"fault", "UploadList", "0x8002"});
        u.Click(kNewFolder);
        AnswerBox(u, kCommError, 12522); // "The machine is temporary busy..."
        u.Expect(listlook::Labels(u.Look()).size() == 8, "nothing made without a listing");

        // Selected files go with their companions and their ticks; a folder with what it holds.
        Select({u"a.qef"}, true);
        Select({u"a.qef", u"c.qef"});
        u.Click(kDeleteSelected);
        ExpectLabels(u, {u"New Folder", u"new folder (2)", u"New Folder (3)", u"New Folder (4)", u"Old", u"b.qef"}, "a.qef and c.qef gone");
        u.Expect(Checked() == 0, "the tick went with the item");
        Select({u"Old"});
        u.Click(kDeleteFolder);
        ExpectLabels(u, {u"New Folder", u"new folder (2)", u"New Folder (3)", u"New Folder (4)", u"b.qef"}, "Old gone");
        Ctl({"fault", "DeleteFolder", "0x8013"});
        Select({u"New Folder"});
        u.Click(kDeleteFolder);
        AnswerBox(u, kCommError, 12539); // "The machine failed to delete the file."
        ExpectLabels(u, {u"New Folder", u"new folder (2)", u"New Folder (3)", u"New Folder (4)", u"b.qef"}, "New Folder kept");
    });
    EXPECT_FALSE(fs::exists(Work() / "New Folder (6)")) << "no other name tried";
    EXPECT_TRUE(fs::is_regular_file(Work() / "New Folder (5)"));
    EXPECT_FALSE(OnMachine("a.qef") || OnMachine("a.qbf") || OnMachine("c.qef") || OnMachine("Old"));
    EXPECT_TRUE(OnMachine("b.qef") && OnMachine("b.qbf") && OnMachine("New Folder"));
}

TEST_F(MachineOpsTest, RenamedFilesKeepTheirTypeAndTakeTheirCompanionFoldersAnyAllowedName)
{
    Put(Work() / "a.qef", "design a");
    Put(Work() / "a.qbf", "companion a");
    Put(Work() / "c.qpx", "design c");
    fs::create_directories(Work() / "Old");
    Run([&](ScriptedUser& u) {
        // The root view's places keep their names.
        const Labels roots = {u"Built-in", u"USB flash drive 1", u"USB flash drive 2", u"USBSTICK (E:)"};
        ExpectLabels(u, roots, "the root view");
        u.EditLabel(kList, 0, u"Mine");
        ExpectLabels(u, roots, "Built-in kept, no box for a place");

        OpenWork(u, {u"Old", u"a.qef", u"c.qpx"});
        u.EditLabel(kList, IndexOf(u, u"a.qef"), u"b.txt"); // another extension is part of the name
        ExpectLabels(u, {u"Old", u"b.txt.qef", u"c.qpx"}, "b.txt.qef");
        u.EditLabel(kList, IndexOf(u, u"c.qpx"), u"  D.QPX  "); // trimmed, its own extension kept as typed
        ExpectLabels(u, {u"Old", u"b.txt.qef", u"D.QPX"}, "D.QPX without a companion");
        u.EditLabel(kList, IndexOf(u, u"Old"), u"Summer.qef");
        ExpectLabels(u, {u"Summer.qef", u"b.txt.qef", u"D.QPX"}, "a folder named like a design");

        // A name the machine cannot take is refused before anything is asked of it.
        const int nItem = IndexOf(u, u"D.QPX");
        u.EditLabel(kList, nItem, u"Com1");
        AnswerBox(u, u"Confirm", IDS_NAME_RESERVED);
        Snapshot s = u.WaitUntil([&](const Snapshot& snap) { return listlook::Control(snap, kList) && listlook::Control(snap, kList)->nEditItem == nItem; }, "editing again");
        u.Expect(listlook::Control(s, kList)->hEdit && tavren::PressKey(m_dlg.m_hShown, VK_ESCAPE), "giving up");
        ExpectLabels(u, {u"Summer.qef", u"b.txt.qef", u"D.QPX"}, "D.QPX kept");

        // The machine refuses the design's new name and goes on to take its companion's: the
        // message, the label stays, and the companion is renamed back so the pair keeps one name.
        Ctl({"fault", "RenameFile", "0x8014"});
        u.EditLabel(kList, IndexOf(u, u"b.txt.qef"), u"e");
        AnswerBox(u, kCommError, 12540); // "The machine failed to rename the file."
        ExpectLabels(u, {u"Summer.qef", u"b.txt.qef", u"D.QPX"}, "b.txt.qef kept");
    });
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(Work() / "b.txt.qef").size(), 8u);
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(Work() / "b.txt.qbf").size(), 11u);
    EXPECT_FALSE(OnMachine("a.qef") || OnMachine("a.qbf") || OnMachine("e.qef") || OnMachine("e.qbf") || OnMachine("c.qpx") || OnMachine("Old"));
    EXPECT_TRUE(OnMachine("D.QPX") && fs::is_directory(Work() / "Summer.qef"));
}

TEST_F(MachineOpsTest, ErasingTickedFilesStopsAtAFailureAndACancelRemovesWhatWent)
{
    for (const char* psz : {"a.qef", "a.qbf", "b.qef", "c.qef+", "d.qpx"})
        Put(Work() / psz);
    Run([&](ScriptedUser& u) {
        OpenWork(u, {u"a.qef", u"b.qef", u"c.qef+", u"d.qpx"});
        Select({u"a.qef", u"b.qef", u"c.qef+"}, true);
        u.Click(kDeleteChecked);
        ConfirmDeleting(u, IDNO);
        u.WaitForWindow(CListHostDlg::kCaption);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == FALSE; }, "nothing for No");

        // The first erase goes through slowly; the machine turns busy for the next one.
        Ctl({"fault", "EraseFile", "delay", "1500"});
        u.Click(kDeleteChecked);
        ConfirmDeleting(u);
        u.WaitUntil([&](const Snapshot&) { return FaultTaken("EraseFile"); }, "the first erase under way");
        Ctl({"fault", "EraseFile", "0x8002"});
        // A failure is shown and leaves the list as it was, every tick in place.
        AnswerBox(u, kCommError, 12522);
        Snapshot s = ExpectLabels(u, {u"a.qef", u"b.qef", u"c.qef+", u"d.qpx"}, "the list as it was");
        auto pictures = PicturesIn(s);
        u.Expect(pictures[u"a.qef"] == CMacUsbListCtrl::PIC_MAC_QEF + 1 && pictures[u"b.qef"] == CMacUsbListCtrl::PIC_MAC_QEF + 1 &&
                     pictures[u"c.qef+"] == CMacUsbListCtrl::PIC_MAC_QEF_PLUS + 1 && pictures[u"d.qpx"] == CMacUsbListCtrl::PIC_MAC_QPX,
                 "the ticks still set");
        u.Expect(m_nResult == FALSE && Checked() == 3, "the list unchanged, three ticked");
        u.Expect(!OnMachine("a.qef") && OnMachine("b.qef") && OnMachine("c.qef+"), "only the first erased on the machine");

        // Listed again, the folder shows what the machine holds.
        OpenWork(u, {u"b.qef", u"c.qef+", u"d.qpx"});
        Select({u"b.qef", u"c.qef+"}, true);

        // The user stops the run during the first erase: what went leaves the list, nothing is said.
        Ctl({"fault", "EraseFile", "delay", "1500"});
        u.Click(kDeleteChecked);
        ConfirmDeleting(u);
        u.WaitForWindow(u"Delete Designs");
        u.WaitUntil([&](const Snapshot&) { return FaultTaken("EraseFile"); }, "the erase under way");
        u.PressEscape();
        u.WaitForWindow(CListHostDlg::kCaption);
        s = ExpectLabels(u, {u"c.qef+", u"d.qpx"}, "b.qef gone");
        u.Expect(PicturesIn(s)[u"c.qef+"] == CMacUsbListCtrl::PIC_MAC_QEF_PLUS + 1, "c.qef+ still ticked");
        u.Expect(!OnMachine("b.qef") && OnMachine("c.qef+"), "b.qef erased, c.qef+ not");

        u.Click(kDeleteChecked);
        ConfirmDeleting(u);
        ExpectLabels(u, {u"d.qpx"}, "the rest erased");
        u.Expect(Checked() == 0, "none ticked");
    });
    EXPECT_FALSE(OnMachine("a.qef") || OnMachine("b.qef") || OnMachine("c.qef+"));
    EXPECT_TRUE(OnMachine("a.qbf") && OnMachine("d.qpx")) << "companions of ticked files stay";
}

} // namespace
