// One person's visit to the machine's built-in storage in the machine list, end to end and only
// through what a person does: double clicks, the location box, "Up", clicks that tick files, label
// edits, the File Manager's commands and the boxes they bring. Against a real emulated machine
// whose storage is seeded on disk; at the end the storage must hold exactly what the person asked
// for, so an operation that never reached the machine, or reached more than it should, shows.
#include "lists/MacUsbListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"

#include "platform/kernel/Handle.h"
#include "res/resource.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using tavren::test::Narrow;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr int kBox = CListHostDlg::IDC_HOST_LOCATION;
constexpr const char16_t* kListing = u"Design List";
constexpr const char16_t* kDeletingFolder = u"Delete Folder";
constexpr const char16_t* kCommError = u"Communication Error";

// The host's buttons as the File Manager's commands on the machine side; "Style" only counts its
// presses, to tell when the person's input has been handled.
constexpr UINT kUp = CListHostDlg::IDC_HOST_UP;
constexpr UINT kNewFolder = CListHostDlg::IDC_HOST_NEW;
constexpr UINT kDeleteChecked = CListHostDlg::IDC_HOST_DELETE;
constexpr UINT kDeleteSelected = CListHostDlg::IDC_HOST_CHECK_ALL;
constexpr UINT kDeleteFolder = CListHostDlg::IDC_HOST_UNCHECK_ALL;
constexpr UINT kSettle = CListHostDlg::IDC_HOST_STYLE;

CString Text(UINT nID)
{
    AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
    CString s;
    s.LoadString(nID);
    return s;
}

// A folder's whole tree on disk: relative path -> contents, "<folder>" for a folder.
std::map<std::string, std::string> TreeOf(const fs::path& root)
{
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string strRel = entry.path().lexically_relative(root).generic_string();
        if (entry.is_directory()) {
            tree[strRel] = "<folder>";
        } else {
            const std::vector<uint8_t> bytes = tavren::test::EmulatedMachine::ReadBytes(entry.path());
            tree[strRel] = std::string(bytes.begin(), bytes.end());
        }
    }
    return tree;
}

std::string Describe(const std::map<std::string, std::string>& tree)
{
    std::string s;
    for (const auto& [strPath, strBytes] : tree)
        s += "  " + strPath + " = " + strBytes + "\n";
    return s;
}

class MachineListJourneyTest : public tavren::test::ModuleFixture {
protected:
    MachineListJourneyTest()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}).Machine()), m_dlg(m_list)
    {
    }

    void SetUp() override
    {
        ModuleFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_hDevice = CListHostDlg::ConnectMachine();
        ASSERT_NE(m_hDevice, 0u) << "the machine link loaded and the emulated machine answering";
        m_dlg.m_onInit = [this](CListHostDlg& d) {
            m_list.Initialize(m_hDevice, &d.m_location, CFolderListCtrl::LIST_DESIGN, TRUE, TRUE, CMacUsbListCtrl::MODE_EITHER,
                              FALSE);
        };
        // As the File Manager: a click on a file ticks or unticks it.
        m_dlg.m_onClick = [this](int) {
            if (m_list.IsFileSelected() == 1)
                m_list.ToggleCheck();
        };
        m_dlg.m_onDoubleClick = [this](int) { m_list.OpenSelected(); };
        m_dlg.m_onLocationChange = [this] { m_list.GoToLocationBoxSelection(); };
        m_dlg.m_onButton = [this](UINT nId) {
            switch (nId) {
            case kUp: m_list.UpOneLevel(); break;
            case kNewFolder: m_list.CreateMachineFolder(); break;
            case kDeleteChecked: m_list.DeleteCheckedMachineFiles(); break;
            case kDeleteSelected: m_list.DeleteSelectedMachineFiles(); break;
            case kDeleteFolder: m_list.DeleteSelectedMachineFolder(); break;
            case kSettle: ++m_nSettles; break;
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

    fs::path Emb() const { return Machine().Storage(1) / "EMB"; }
    void Put(const std::string& strRel, const std::string& strBytes) const
    {
        fs::create_directories((Emb() / strRel).parent_path());
        tavren::test::EmulatedMachine::WriteBytes(Emb() / strRel, std::vector<uint8_t>(strBytes.begin(), strBytes.end()));
    }
    void Ctl(const std::vector<std::string>& words) const
    {
        int rc = -1;
        Machine().Ctl(words, &rc);
        EXPECT_EQ(rc, 0) << words[0] << " " << words[1];
    }

    const tavren::ControlInfo* FindControl(const Snapshot& snap, int nId) const
    {
        const tavren::WindowInfo* w = snap.Find(CListHostDlg::kCaption);
        return w ? w->Control(nId) : nullptr;
    }
    // "label:picture" for each item, in the order shown.
    std::string Items(const Snapshot& snap) const
    {
        std::string s;
        if (const tavren::ControlInfo* c = FindControl(snap, kList))
            for (const auto& item : c->items)
                s += (s.empty() ? "" : ", ") + Narrow(item.strLabel) + ":" + std::to_string(item.nImage);
        return s;
    }
    // "text:picture:indent" for each location box entry, "*" on the selected one.
    std::string Box(const Snapshot& snap) const
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
    int IndexOf(ScriptedUser& u, std::u16string_view strLabel)
    {
        const Snapshot snap = Settle(u);
        if (const tavren::ControlInfo* c = FindControl(snap, kList))
            for (size_t i = 0; i < c->items.size(); i++)
                if (c->items[i].strLabel == strLabel)
                    return static_cast<int>(i);
        u.Expect(false, "\"" + Narrow(strLabel) + "\" is in the list");
        return -1;
    }

    // Waits until the dialog has handled the person's input (a transfer dialog included) and looks.
    Snapshot Settle(ScriptedUser& u)
    {
        const int nBefore = m_nSettles;
        u.WaitForWindow(CListHostDlg::kCaption);
        u.Click(kSettle);
        u.WaitUntil([&](const Snapshot&) { return m_nSettles > nBefore; }, "the dialog to handle the input");
        return u.Look();
    }
    void ExpectView(ScriptedUser& u, const std::string& strItems, const std::string& strBox, int nLevel,
                    std::u16string_view strPath, const std::string& strWhere)
    {
        const Snapshot snap = Settle(u);
        int nShownLevel = -1;
        std::u16string strShown;
        m_dlg.RunOnUiThread([&] {
            nShownLevel = m_list.m_nLevel;
            strShown = m_list.m_strCurrentPath.Str();
        });
        u.Expect(Items(snap) == strItems && Box(snap) == strBox && nShownLevel == nLevel && strShown == strPath,
                 strWhere + ": the list shows [" + Items(snap) + "], the box [" + Box(snap) + "], level " +
                     std::to_string(nShownLevel) + " at \"" + Narrow(strShown) + "\"");
    }
    // A command may run its transfer dialogs after the click returns: waits for the items.
    void ExpectItems(ScriptedUser& u, const std::string& strItems, const std::string& strWhere)
    {
        std::string strShown;
        for (int nTry = 0; nTry < 500; nTry++) {
            const Snapshot snap = u.Look();
            strShown = Items(snap);
            if (snap.Front() && snap.Front()->strCaption == CListHostDlg::kCaption && strShown == strItems)
                return;
            Sleep(20);
        }
        u.Expect(false, strWhere + ": the list shows [" + strShown + "]");
    }
    // A listing from the machine shows its transfer dialog, which comes and goes by itself.
    void Listed(ScriptedUser& u)
    {
        u.WaitForWindow(kListing);
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
    }
    void Open(ScriptedUser& u, std::u16string_view strLabel, bool bFromMachine = true)
    {
        const int nItem = IndexOf(u, strLabel);
        if (nItem >= 0)
            u.DoubleClickItem(kList, nItem);
        if (bFromMachine)
            Listed(u);
    }
    void Up(ScriptedUser& u, bool bFromMachine = true)
    {
        u.Click(kUp);
        if (bFromMachine)
            Listed(u);
    }
    void ClickOn(ScriptedUser& u, std::u16string_view strLabel)
    {
        const int nItem = IndexOf(u, strLabel);
        if (nItem >= 0)
            u.ClickItem(kList, nItem);
    }
    void Rename(ScriptedUser& u, std::u16string_view strLabel, std::u16string_view strNew)
    {
        const int nItem = IndexOf(u, strLabel);
        if (nItem >= 0)
            u.EditLabel(kList, nItem, strNew);
    }

    HANDLE m_hDevice = 0;
    CMacUsbListCtrl m_list;
    CListHostDlg m_dlg;
    std::atomic<int> m_nSettles{0};
};

const std::string kStick = "USBSTICK (E:)";
const std::string kPc = ", PC:1:0, " + kStick + ":10:1";
const std::string kRootItems = "Built-in:2, USB flash drive 1:5, USB flash drive 2:5, " + kStick + ":10";
const std::string kRootBox = "*Machine:3:0, Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc;
const std::string kTopBox = "Machine:3:0, *Built-in:2:1, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc;
const std::string kEmbBox = "Machine:3:0, Built-in:2:1, *EMB:4:2, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc;
const std::string kWorkBox = "Machine:3:0, Built-in:2:1, EMB:4:2, *Work:4:3, USB flash drive 1:5:1, USB flash drive 2:5:1" + kPc;
const std::string kEmbItems = "Work:4, top.qef:16";

TEST_F(MachineListJourneyTest, APersonTidiesAFolderOfBuiltInStorage)
{
    Put("top.qef", "top");
    Put("Work/a.qef", "design a");
    Put("Work/a.qbf", "companion a");
    Put("Work/c.qef", "design c");
    Put("Work/c.qbf", "companion c");
    Put("Work/d.qef", "design d");
    Put("Work/e.qef", "design e");
    Put("Work/e.qbf", "companion e");
    Put("Work/f.qef", "design f");
    Put("Work/keep.qpx", "design keep");
    Put("Work/notes.txt", "notes");
    Put("Work/Old/inside.qef", "inside");
    // A tree of five files and four folders.
    Put("Work/Tree/t1.qef", "t1");
    Put("Work/Tree/t2.qbf", "t2");
    Put("Work/Tree/Sub1/s1.qef", "s1");
    Put("Work/Tree/Sub1/Deep/d1.qef", "d1");
    Put("Work/Tree/Sub1/Deep/d2.qpx", "d2");
    fs::create_directories(Emb() / "Work" / "Tree" / "Sub2");

    const std::string strWorkItems = "Old:4, Tree:4, a.qef:16, c.qef:16, d.qef:16, e.qef:16, f.qef:16, keep.qpx:20";
    ScriptedUser user([&](ScriptedUser& u) {
        // Down into built-in storage and a folder of it, and back up to where it began.
        u.WaitForWindow(CListHostDlg::kCaption);
        ExpectView(u, kRootItems, kRootBox, 0, u"", "the root view");
        Open(u, u"Built-in");
        ExpectView(u, kEmbItems, kEmbBox, 2, u"\\EMB", "built-in storage's root folder");
        Open(u, u"Work");
        ExpectView(u, strWorkItems, kWorkBox, 3, u"\\EMB\\Work", "the folder Work");
        u.ChooseCombo(kBox, 2); // "EMB"
        Listed(u);
        ExpectView(u, kEmbItems, kEmbBox, 2, u"\\EMB", "back by the location box");
        Open(u, u"Work");
        ExpectView(u, strWorkItems, kWorkBox, 3, u"\\EMB\\Work", "Work again");
        Up(u);
        ExpectView(u, kEmbItems, kEmbBox, 2, u"\\EMB", "up once");
        Up(u);
        ExpectView(u, "EMB:4, ORD:4", kTopBox, 1, u"\\", "up to the storage's top");
        Up(u, false);
        ExpectView(u, kRootItems, kRootBox, 0, u"", "up to the root view");

        Open(u, u"Built-in");
        Open(u, u"Work");
        ExpectView(u, strWorkItems, kWorkBox, 3, u"\\EMB\\Work", "in Work to tidy it");

        // Two new folders take the next free names.
        u.Click(kNewFolder);
        ExpectItems(u, "New Folder:4, Old:4, Tree:4, a.qef:16, c.qef:16, d.qef:16, e.qef:16, f.qef:16, keep.qpx:20",
                    "a new folder");
        u.Click(kNewFolder);
        ExpectItems(u,
                    "New Folder:4, New Folder (2):4, Old:4, Tree:4, a.qef:16, c.qef:16, d.qef:16, e.qef:16, f.qef:16, "
                    "keep.qpx:20",
                    "a second new folder");

        // A file keeps its type when renamed; a folder takes the name as typed.
        Rename(u, u"a.qef", u"b");
        Rename(u, u"Old", u"Archive");
        ExpectItems(u,
                    "New Folder:4, New Folder (2):4, Archive:4, Tree:4, b.qef:16, c.qef:16, d.qef:16, e.qef:16, "
                    "f.qef:16, keep.qpx:20",
                    "renamed in place");

        // Two files ticked by a click each, and erased after the question.
        ClickOn(u, u"c.qef");
        ClickOn(u, u"d.qef");
        ExpectItems(u,
                    "New Folder:4, New Folder (2):4, Archive:4, Tree:4, b.qef:16, c.qef:17, d.qef:17, e.qef:16, "
                    "f.qef:16, keep.qpx:20",
                    "c.qef and d.qef ticked");
        u.Click(kDeleteChecked);
        u.ExpectMessageBox(u"Confirm Deleting", u"Are you sure you want to delete the selected file(s)/folder(s)?");
        u.Answer(IDYES);
        u.WaitForWindow(CListHostDlg::kCaption);
        ExpectItems(u, "Archive:4, New Folder:4, New Folder (2):4, Tree:4, b.qef:16, e.qef:16, f.qef:16, keep.qpx:20",
                    "the ticked files erased");

        // The selected file goes with its companion.
        ClickOn(u, u"e.qef");
        u.Click(kDeleteSelected);
        ExpectItems(u, "Archive:4, New Folder:4, New Folder (2):4, Tree:4, b.qef:16, f.qef:16, keep.qpx:20",
                    "the selected file deleted");

        // A folder's whole tree, its progress shown as it goes: each erase is slowed down.
        Ctl({"fault", "EraseFile", "delay", "400", "--count", "5"});
        ClickOn(u, u"Tree");
        u.Click(kDeleteFolder);
        const tavren::WindowInfo& transfer = u.WaitForWindow(kDeletingFolder);
        const HWND hTransfer = transfer.hWnd;
        u.WaitUntil(
            [&](const Snapshot& snap) {
                const tavren::WindowInfo* w = snap.Find(hTransfer);
                const tavren::ControlInfo* bar = w ? w->Control(IDC_XFER_PROGRESS) : nullptr;
                return bar && bar->nRangeUpper > bar->nRangeLower && bar->nPos > bar->nRangeLower;
            },
            "the progress bar moving");
        u.WaitForClose();
        u.WaitForWindow(CListHostDlg::kCaption);
        ExpectItems(u, "Archive:4, New Folder:4, New Folder (2):4, b.qef:16, f.qef:16, keep.qpx:20", "the folder deleted");
        u.Expect(Machine().Ctl({"show"}).find("fault EraseFile ") == std::string::npos, "every file of the tree erased");

        // The machine refuses a rename: the message, and the label as it was.
        Ctl({"fault", "RenameFile", "0x8014"});
        Rename(u, u"f.qef", u"g");
        const CString strFailed = Text(12540); // "The machine failed to rename the file."
        u.ExpectMessageBox(kCommError, std::u16string_view(strFailed.GetString(), static_cast<size_t>(strFailed.GetLength())));
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
        ExpectView(u, "Archive:4, New Folder:4, New Folder (2):4, b.qef:16, f.qef:16, keep.qpx:20", kWorkBox, 3,
                   u"\\EMB\\Work", "after the refused rename");
        u.Close();
    });
    m_dlg.DoModal();
    ASSERT_TRUE(user.Finish(120000)) << user.Report();

    const std::map<std::string, std::string> expected = {
        {"top.qef", "top"},
        {"Work", "<folder>"},
        {"Work/Archive", "<folder>"},
        {"Work/Archive/inside.qef", "inside"},
        {"Work/New Folder", "<folder>"},
        {"Work/New Folder (2)", "<folder>"},
        {"Work/b.qef", "design a"},
        {"Work/b.qbf", "companion a"},
        {"Work/c.qbf", "companion c"}, // a ticked file's companion stays
        {"Work/f.qef", "design f"},
        {"Work/keep.qpx", "design keep"},
        {"Work/notes.txt", "notes"},
    };
    const std::map<std::string, std::string> actual = TreeOf(Emb());
    EXPECT_EQ(actual, expected) << "built-in storage's EMB holds:\n" << Describe(actual);
}

} // namespace
