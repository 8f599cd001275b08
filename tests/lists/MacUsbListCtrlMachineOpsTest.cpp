// The machine list's own file operations as a person meets them in the File Manager: a new folder
// on the machine, renaming in place (files keep their type and take their companion along),
// erasing the ticked or the selected files, deleting a folder, and what the machine's refusals
// look like. Against a real emulated machine; the list's folder is "\EMB\Work" of built-in storage.
#include "lists/MacUsbListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/support/MachineAndDrives.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"

#include "platform/kernel/Handle.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;
using Labels = std::vector<std::u16string>;
constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr const char16_t* kCommError = u"Communication Error";

CString Text(UINT nID)
{
    AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
    CString s;
    s.LoadString(nID);
    return s;
}

// The host's buttons as the File Manager's commands on the machine side.
constexpr UINT kOpenWork = CListHostDlg::IDC_HOST_OPEN;
constexpr UINT kNewFolder = CListHostDlg::IDC_HOST_NEW;
constexpr UINT kDeleteChecked = CListHostDlg::IDC_HOST_DELETE;
constexpr UINT kDeleteSelected = CListHostDlg::IDC_HOST_UP;
constexpr UINT kDeleteFolder = CListHostDlg::IDC_HOST_STYLE;

class MachineOpsTest : public tavren::test::ModuleFixture {
protected:
    MachineOpsTest()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}).Machine())
    {
    }
    void SetUp() override
    {
        ModuleFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_hDevice = CListHostDlg::ConnectMachine();
        ASSERT_NE(m_hDevice, 0u) << "the machine link loaded and the emulated machine answering";
        fs::create_directories(Work());
        m_dlg.m_onInit = [this](CListHostDlg& d) {
            m_list.Initialize(m_hDevice, &d.m_location, CFolderListCtrl::LIST_DESIGN, TRUE, TRUE,
                              CMacUsbListCtrl::MODE_EITHER, FALSE);
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
    void TearDown() override
    {
        if (m_hDevice) {
            AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
            CloseHandle(m_hDevice);
        }
        ModuleFixture::TearDown();
    }

    fs::path Work() const { return Machine().Storage(1) / "EMB" / "Work"; }
    void Put(const std::string& rel, const std::string& bytes = "x") const
    {
        fs::create_directories((Work() / rel).parent_path());
        tavren::test::EmulatedMachine::WriteBytes(Work() / rel, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    bool OnMachine(const std::string& rel) const { return fs::exists(Work() / rel); }
    void Ctl(const std::vector<std::string>& words) const { tavren::test::CtlOk(Machine(), words); }

    void Run(const ScriptedUser::Script& script) { m_dlg.Play(script, 60000); }
    static const tavren::ControlInfo* ListIn(const Snapshot& s) { return listlook::Control(s, kList); }
    static Labels LabelsIn(const Snapshot& s) { return listlook::Labels(s); }
    // label -> picture
    std::map<std::u16string, int> PicturesIn(const Snapshot& s) const
    {
        std::map<std::u16string, int> m;
        if (const tavren::ControlInfo* c = ListIn(s))
            for (const auto& item : c->items)
                m[item.strLabel] = item.nImage;
        return m;
    }
    static int IndexOf(ScriptedUser& u, std::u16string_view strLabel)
    {
        const int n = listlook::IndexOf(u.Look(), strLabel);
        u.Expect(n >= 0, "an item " + CString(std::u16string(strLabel).c_str()).ToUtf8());
        return n;
    }
    Snapshot ExpectLabels(ScriptedUser& u, const Labels& expected, const std::string& strWhat)
    {
        return u.WaitUntil([&](const Snapshot& s) { return s.Front() && s.Front()->hWnd == m_dlg.m_hShown && LabelsIn(s) == expected; },
                           strWhat);
    }
    // Opens "\EMB\Work" (through the transfer dialog) and waits for its items.
    void OpenWork(ScriptedUser& u, const Labels& expected)
    {
        u.Click(kOpenWork);
        ExpectLabels(u, expected, "the folder Work listed");
    }
    void ExpectBox(ScriptedUser& u, std::u16string_view strCaption, UINT nText)
    {
        const CString strText = Text(nText);
        u.ExpectMessageBox(strCaption, std::u16string_view(strText.GetString(), static_cast<size_t>(strText.GetLength())));
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
    }
    // Ticks or selects items by label on the list's own thread.
    void Tick(const Labels& labels)
    {
        EXPECT_TRUE(m_dlg.RunOnUiThread([&] {
            for (const auto& strLabel : labels) {
                m_list.SetItemState(-1, 0, LVIS_SELECTED);
                m_list.SetItemState(Find(strLabel), LVIS_SELECTED, LVIS_SELECTED);
                m_list.ToggleCheck();
            }
        }));
    }
    void Select(const Labels& labels)
    {
        EXPECT_TRUE(m_dlg.RunOnUiThread([&] {
            m_list.ModifyStyle(LVS_SINGLESEL, 0);
            m_list.SetItemState(-1, 0, LVIS_SELECTED);
            for (const auto& strLabel : labels)
                m_list.SetItemState(Find(strLabel), LVIS_SELECTED, LVIS_SELECTED);
        }));
    }
    int Find(const std::u16string& strLabel)
    {
        LVFINDINFOW find{};
        find.flags = LVFI_STRING;
        find.psz = strLabel.c_str();
        return m_list.FindItem(&find);
    }
    bool FaultTaken(const std::string& strOp) const { return !tavren::test::FaultArmed(Machine(), strOp); }

    HANDLE m_hDevice = 0;
    CMacUsbListCtrl m_list;
    CListHostDlg m_dlg{m_list};
    std::function<void()> m_fnOpen = [this] { m_list.OpenMachineFolder(1, u"\\\\EMB\\Work", 3); };
    std::atomic<int> m_nResult{-1};
};

TEST_F(MachineOpsTest, NewFolderTakesTheNextFreeFolderNameAndRefusalsAddNothing)
{
    fs::create_directories(Work() / "New Folder");
    fs::create_directories(Work() / "new folder (2)");
    Put("Rose.qef");
    Run([&](ScriptedUser& u) {
        OpenWork(u, {u"New Folder", u"new folder (2)", u"Rose.qef"});
        u.Click(kNewFolder);
        Snapshot s = ExpectLabels(u, {u"New Folder", u"new folder (2)", u"New Folder (3)", u"Rose.qef"}, "New Folder (3)");
        u.Expect(PicturesIn(s)[u"New Folder (3)"] == CFolderListCtrl::PIC_FOLDER, "a folder's picture");
        u.Expect(fs::is_directory(Work() / "New Folder (3)"), "made on the machine");
        u.Click(kNewFolder);
        ExpectLabels(u, {u"New Folder", u"new folder (2)", u"New Folder (3)", u"New Folder (4)", u"Rose.qef"}, "(4)");

        // A file of the next name is no folder, so the name is taken all the same; the machine
        // refuses it, the refusal is shown and no item appears.
        Put("New Folder (5)");
        u.Click(kNewFolder);
        ExpectBox(u, kCommError, 12542); // "The machine failed to create the folder."
        u.Expect(LabelsIn(u.Look()).size() == 5, "no item for a refused folder");
        u.Expect(!fs::exists(Work() / "New Folder (6)"), "no other name tried");

        // The folder cannot be listed: the message, and nothing is made.
        Ctl({"fault", "UploadList", "0x8002"});
        u.Click(kNewFolder);
        ExpectBox(u, kCommError, 12522); // "The machine is temporary busy..."
        u.Expect(LabelsIn(u.Look()).size() == 5, "nothing made without a listing");
    });
    EXPECT_FALSE(fs::exists(Work() / "New Folder (6)"));
    EXPECT_TRUE(fs::is_regular_file(Work() / "New Folder (5)"));
}

TEST_F(MachineOpsTest, RenamedFilesKeepTheirTypeAndTakeTheirCompanionFoldersAnyAllowedName)
{
    Put("a.qef", "design a");
    Put("a.qbf", "companion a");
    Put("c.qpx", "design c");
    fs::create_directories(Work() / "Old");
    Run([&](ScriptedUser& u) {
        // The root view's places keep their names.
        ExpectLabels(u, {u"Built-in", u"USB flash drive 1", u"USB flash drive 2", u"USBSTICK (E:)"}, "the root view");
        u.EditLabel(kList, 0, u"Mine");
        ExpectLabels(u, {u"Built-in", u"USB flash drive 1", u"USB flash drive 2", u"USBSTICK (E:)"}, "Built-in kept");
        u.Expect(u.Look().Front()->hWnd == m_dlg.m_hShown, "no box for a place");

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
        ExpectBox(u, u"Confirm", IDS_NAME_RESERVED);
        Snapshot s = u.WaitUntil([&](const Snapshot& snap) { return ListIn(snap) && ListIn(snap)->nEditItem == nItem; },
                                 "editing again");
        u.Expect(ListIn(s)->hEdit && tavren::PressKey(m_dlg.m_hShown, VK_ESCAPE), "giving up");
        ExpectLabels(u, {u"Summer.qef", u"b.txt.qef", u"D.QPX"}, "D.QPX kept");

        // The machine refuses the design's new name and goes on to take its companion's: the
        // message, the label stays, and the companion is renamed back so the pair keeps one name.
        Ctl({"fault", "RenameFile", "0x8014"});
        u.EditLabel(kList, IndexOf(u, u"b.txt.qef"), u"e");
        ExpectBox(u, kCommError, 12540); // "The machine failed to rename the file."
        ExpectLabels(u, {u"Summer.qef", u"b.txt.qef", u"D.QPX"}, "b.txt.qef kept");
    });
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(Work() / "b.txt.qef").size(), 8u);
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(Work() / "b.txt.qbf").size(), 11u);
    EXPECT_FALSE(OnMachine("a.qef") || OnMachine("a.qbf") || OnMachine("e.qef") || OnMachine("e.qbf") || OnMachine("c.qpx"));
    EXPECT_TRUE(OnMachine("D.QPX"));
    EXPECT_TRUE(fs::is_directory(Work() / "Summer.qef"));
    EXPECT_FALSE(OnMachine("Old"));
}

TEST_F(MachineOpsTest, ErasingTickedFilesStopsAtAFailureAndACancelRemovesWhatWent)
{
    for (const char* psz : {"a.qef", "a.qbf", "b.qef", "c.qef+", "d.qpx"})
        Put(psz);
    Run([&](ScriptedUser& u) {
        OpenWork(u, {u"a.qef", u"b.qef", u"c.qef+", u"d.qpx"});
        Tick({u"a.qef", u"b.qef", u"c.qef+"});
        u.Click(kDeleteChecked);
        u.ExpectMessageBox(u"Confirm Deleting", u"Are you sure you want to delete the selected file(s)/folder(s)?");
        u.Answer(IDNO);
        u.WaitForWindow(CListHostDlg::kCaption);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == FALSE; }, "nothing for No");

        // The first erase goes through slowly; the machine turns busy for the next one.
        Ctl({"fault", "EraseFile", "delay", "1500"});
        u.Click(kDeleteChecked);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        u.WaitUntil([&](const Snapshot&) { return FaultTaken("EraseFile"); }, "the first erase under way");
        Ctl({"fault", "EraseFile", "0x8002"});
        // A failure is shown and leaves the list as it was, every tick in place.
        ExpectBox(u, kCommError, 12522);
        Snapshot s = ExpectLabels(u, {u"a.qef", u"b.qef", u"c.qef+", u"d.qpx"}, "the list as it was");
        auto pictures = PicturesIn(s);
        u.Expect(pictures[u"a.qef"] == CMacUsbListCtrl::PIC_MAC_QEF + 1 && pictures[u"b.qef"] == CMacUsbListCtrl::PIC_MAC_QEF + 1 &&
                     pictures[u"c.qef+"] == CMacUsbListCtrl::PIC_MAC_QEF_PLUS + 1 && pictures[u"d.qpx"] == CMacUsbListCtrl::PIC_MAC_QPX,
                 "the ticks still set");
        u.Expect(m_nResult == FALSE, "the list unchanged");
        m_dlg.RunOnUiThread([&] { m_nResult = m_list.m_nCheckedCount; });
        u.Expect(m_nResult == 3, "three ticked");
        u.Expect(!OnMachine("a.qef") && OnMachine("b.qef") && OnMachine("c.qef+"), "only the first erased on the machine");

        // Listed again, the folder shows what the machine holds.
        OpenWork(u, {u"b.qef", u"c.qef+", u"d.qpx"});
        Tick({u"b.qef", u"c.qef+"});

        // The user stops the run during the first erase: what went leaves the list, nothing is said.
        Ctl({"fault", "EraseFile", "delay", "1500"});
        u.Click(kDeleteChecked);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        u.WaitForWindow(u"Delete Designs");
        u.WaitUntil([&](const Snapshot&) { return FaultTaken("EraseFile"); }, "the erase under way");
        u.PressEscape();
        u.WaitForWindow(CListHostDlg::kCaption);
        s = ExpectLabels(u, {u"c.qef+", u"d.qpx"}, "b.qef gone");
        u.Expect(PicturesIn(s)[u"c.qef+"] == CMacUsbListCtrl::PIC_MAC_QEF_PLUS + 1, "c.qef+ still ticked");
        u.Expect(!OnMachine("b.qef") && OnMachine("c.qef+"), "b.qef erased, c.qef+ not");

        u.Click(kDeleteChecked);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        s = ExpectLabels(u, {u"d.qpx"}, "the rest erased");
        m_dlg.RunOnUiThread([&] { m_nResult = m_list.m_nCheckedCount; });
        u.Expect(m_nResult == 0, "none ticked");
    });
    EXPECT_FALSE(OnMachine("a.qef") || OnMachine("b.qef") || OnMachine("c.qef+"));
    EXPECT_TRUE(OnMachine("a.qbf")); // companions of ticked files stay
    EXPECT_TRUE(OnMachine("d.qpx"));
}

TEST_F(MachineOpsTest, DeletingSelectedFilesTakesCompanionsAndFoldersGoWithTheirContents)
{
    for (const char* psz : {"a.qef", "a.qbf", "b.qef", "b.qbf", "c.qef", "Old/x.qef", "Old/Inner/y.qef"})
        Put(psz);
    fs::create_directories(Work() / "Keep");
    Run([&](ScriptedUser& u) {
        OpenWork(u, {u"Keep", u"Old", u"a.qef", u"b.qef", u"c.qef"});
        Tick({u"a.qef"});
        Select({u"a.qef", u"c.qef"});
        u.Click(kDeleteSelected);
        ExpectLabels(u, {u"Keep", u"Old", u"b.qef"}, "a.qef and c.qef gone");
        m_dlg.RunOnUiThread([&] { m_nResult = m_list.m_nCheckedCount; });
        u.Expect(m_nResult == 0, "the tick went with the item");

        Select({u"Old"});
        u.Click(kDeleteFolder);
        ExpectLabels(u, {u"Keep", u"b.qef"}, "Old gone");

        Ctl({"fault", "DeleteFolder", "0x8013"});
        Select({u"Keep"});
        u.Click(kDeleteFolder);
        ExpectBox(u, kCommError, 12539); // "The machine failed to delete the file."
        ExpectLabels(u, {u"Keep", u"b.qef"}, "Keep kept");
    });
    EXPECT_FALSE(OnMachine("a.qef") || OnMachine("a.qbf") || OnMachine("c.qef") || OnMachine("Old"));
    EXPECT_TRUE(OnMachine("b.qef") && OnMachine("b.qbf") && OnMachine("Keep"));
}

TEST_F(MachineOpsTest, OnAFlashDriveOfThePcRenamesGoToTheFileSystem)
{
    const fixture::Bytes qef = tavren::test::CorpusDesign();
    Drives().Write("USBSTICK/EMB/Embf/a.qef", std::string(qef.begin(), qef.end()));
    Drives().Write("USBSTICK/EMB/Embf/a.qbf", "companion a");
    m_fnOpen = [this] { m_list.ShowUsbFolder(u"E:\\EMB\\Embf", 3, TRUE); };
    Run([&](ScriptedUser& u) {
        u.Click(kOpenWork);
        ExpectLabels(u, {u"a.qef"}, "the drive's folder");
        u.EditLabel(kList, 0, u"b");
        ExpectLabels(u, {u"b.qef"}, "b.qef");
    });
    EXPECT_TRUE(fs::exists(Drives().Host("USBSTICK/EMB/Embf/b.qef")));
    EXPECT_TRUE(fs::exists(Drives().Host("USBSTICK/EMB/Embf/b.qbf")));
    EXPECT_FALSE(fs::exists(Drives().Host("USBSTICK/EMB/Embf/a.qef")));
}

} // namespace
