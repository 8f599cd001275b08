// The PC list as a person uses it in the File Manager: the places, the drives, folders on them,
// the location box's breadcrumb, "Up", and what cannot be opened or renamed.
#include "lists/PcListCtrl.h"

#include "tests/design/FixtureWriter.h"
#include "tests/lists/ListHostDlg.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using tavren::test::Narrow;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr int kBox = CListHostDlg::IDC_HOST_LOCATION;

using listlook::Box;
using listlook::Items;
using listlook::Labels;

struct ListState {
    int nLevel = -1;
    int nLocation = -1;
    std::u16string strPath;
};

// The PC list as the File Manager wires it: a double click and "Open" open, "Up" goes up, the
// location box navigates.
class PcListHost {
public:
    explicit PcListHost(int nListKind = CFolderListCtrl::LIST_DESIGN) : m_dlg(m_list)
    {
        m_dlg.m_onInit = [this, nListKind](CListHostDlg& d) { m_list.Initialize(&d.m_location, nListKind); };
        m_dlg.m_onDoubleClick = [this](int) { m_list.OpenSelected(); };
        m_dlg.m_onLocationChange = [this] { m_list.GoToLocationBoxSelection(); };
        m_dlg.m_onButton = [this](UINT nId) {
            if (nId == CListHostDlg::IDC_HOST_UP)
                m_list.UpOneLevel();
            else if (nId == CListHostDlg::IDC_HOST_OPEN)
                m_list.OpenSelected();
        };
    }
    void Run(const ScriptedUser::Script& script) { m_dlg.Play(script); }
    // Once the input is handled, the list shows exactly these labels (in this order) and the
    // location box these entries.
    Snapshot ExpectView(ScriptedUser& u, const std::vector<std::u16string>& labels, const std::string& strBox,
                        const std::string& strWhere)
    {
        const Snapshot snap = m_dlg.Settle(u);
        u.Expect(Labels(snap) == labels && Box(snap) == strBox,
                 strWhere + ": the list shows [" + Items(snap) + "], the box [" + Box(snap) + "]");
        return snap;
    }
    ListState State()
    {
        ListState s;
        m_dlg.RunOnUiThread([&] {
            s.nLevel = m_list.m_nLevel;
            s.nLocation = m_list.m_nLocation;
            s.strPath = m_list.m_strCurrentPath.Str();
        });
        return s;
    }
    void ExpectState(ScriptedUser& u, int nLevel, int nLocation, std::u16string_view strPath, const std::string& strWhere)
    {
        const ListState s = State();
        u.Expect(s.nLevel == nLevel && s.nLocation == nLocation && s.strPath == strPath,
                 strWhere + ": level " + std::to_string(s.nLevel) + ", location " + std::to_string(s.nLocation) +
                     ", path \"" + Narrow(s.strPath) + "\"");
    }

    CPcListCtrl m_list;
    CListHostDlg m_dlg;
};

// A PC: C: a fixed disk with the user's desktop and documents on it, A: a floppy drive, E: a USB
// flash drive, Q: an optical drive without its disc and R: a network drive.
class PcListTest : public tavren::test::ModuleFixture {
protected:
    PcListTest()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED},
                                        {u'A', DRIVE_REMOVABLE, "FLOPPY"},
                                        {u'E', DRIVE_REMOVABLE, "USBSTICK"},
                                        {u'Q', DRIVE_CDROM, "", false},
                                        {u'R', DRIVE_REMOTE}}))
    {
    }
    void SetUp() override
    {
        ModuleFixture::SetUp();
        for (const char* folder : {"c/Photos/2024", "c/Windows", "c/Users/Ann/Desktop/Sketches/Roses",
                                   "c/Users/Ann/Desktop/Documents/Letters", "c/Users/Ann/Documents/Patterns/Old",
                                   "USBSTICK/EMB"})
            fs::create_directories(Host(folder));
        const fixture::Bytes design =
            fixture::MakeQef(fixture::LayoutFromStitches({fixture::JumpBy(-50, -50), fixture::Sew(100, 0),
                                                          fixture::Sew(0, 100), fixture::Sew(-100, 0), fixture::EndDesign()}));
        fixture::WriteFile(Host("c/Photos/leaf.qef"), design);
        fixture::WriteFile(Host("c/Users/Ann/Desktop/rose.qef"), design);
        fixture::WriteFile(Host("c/Users/Ann/Desktop/notes.txt"), {'h', 'i'});
        fixture::WriteFile(Host("c/Users/Ann/Documents/tulip.qef"), design);

        // The desktop and documents folders come from the user's folder settings.
        fs::create_directories(Host("config"));
        std::ofstream(Host("config/user-dirs.dirs")) << "XDG_DESKTOP_DIR=\"" << Host("c/Users/Ann/Desktop") << "\"\n"
                                                     << "XDG_DOCUMENTS_DIR=\"" << Host("c/Users/Ann/Documents") << "\"\n";
        const char* pszConfig = std::getenv("XDG_CONFIG_HOME");
        m_oldConfig = pszConfig ? std::optional<std::string>(pszConfig) : std::nullopt;
        setenv("XDG_CONFIG_HOME", Host("config").c_str(), 1);
    }
    void TearDown() override
    {
        if (m_oldConfig)
            setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        ModuleFixture::TearDown();
    }
    std::string Host(const std::string& strRelative) const { return Drives().Host(strRelative); }

    std::optional<std::string> m_oldConfig;
};

const std::string kRootBox = "*PC:1:0, Desktop:0:1, Computer:1:1, Documents:2:1";
const std::string kDrivesBox = "PC:1:0, Desktop:0:1, *Computer:1:1, Documents:2:1";
const std::vector<std::u16string> kRoots = {u"Desktop", u"Computer", u"Documents"};
const std::vector<std::u16string> kDrives = {u"FLOPPY (A:)", u"Local Disk (C:)", u"USBSTICK (E:)", u"CD Drive (Q:)"};
const std::vector<std::u16string> kDriveC = {u"Photos", u"Users", u"Windows"};

TEST_F(PcListTest, RootViewOffersThePlacesAndNothingThereCanBeRenamed)
{
    PcListHost host;
    host.Run([&](ScriptedUser& u) {
        Snapshot snap = host.ExpectView(u, kRoots, kRootBox, "the root view");
        u.Expect(Items(snap) == "Desktop:0, Computer:1, Documents:2", "desktop, computer and documents pictures");
        const tavren::ControlInfo list = u.Control(kList);
        u.Expect(list.columns.size() == 1 && list.columns[0].strText == u"Name" && list.columns[0].nWidth == 239,
                 "one column \"Name\", 239 pixels");
        u.Expect(list.items.size() == 3 && list.items[1].rc.left - list.items[0].rc.left == 75 &&
                     list.items[2].rc.left - list.items[1].rc.left == 75,
                 "the pictures stand 75 pixels apart");
        u.Expect(list.hImageListNormal != 0 && list.hImageListSmall != 0 && u.Control(kBox).hComboImageList != 0,
                 "the list and its location box have their pictures");
        host.ExpectState(u, 0, CPcListCtrl::LOC_DRIVE, u"", "the root view");

        // "Up" has nowhere to go from here.
        u.Click(CListHostDlg::IDC_HOST_UP);
        host.ExpectView(u, kRoots, kRootBox, "Up in the root view");
        host.ExpectState(u, 0, CPcListCtrl::LOC_DRIVE, u"", "Up in the root view");

        u.EditLabel(kList, 0, u"Mine");
        host.ExpectView(u, kRoots, kRootBox, "the desktop renamed in the root view");
        u.Expect(fs::exists(Host("c/Users/Ann/Desktop")) && !fs::exists(Host("c/Users/Ann/Mine")),
                 "the desktop folder keeps its name");
    });
}

TEST_F(PcListTest, ComputerShowsTheDrivesInLetterOrderAndOpensThem)
{
    PcListHost host;
    host.Run([&](ScriptedUser& u) {
        u.DoubleClickItem(kList, 1); // Computer
        Snapshot snap = host.ExpectView(u, kDrives, kDrivesBox, "the drives view");
        // The network drive is no place for designs; the others show what kind of drive they are.
        u.Expect(Items(snap) == "FLOPPY (A:):7, Local Disk (C:):8, USBSTICK (E:):10, CD Drive (Q:):9",
                 "floppy, hard disk, removable and optical pictures");
        host.ExpectState(u, 1, CPcListCtrl::LOC_DRIVES_VIEW, u"", "the drives view");

        u.EditLabel(kList, 1, u"System");
        host.ExpectView(u, kDrives, kDrivesBox, "a drive renamed in the drives view");

        u.DoubleClickItem(kList, 1); // C:
        host.ExpectView(u, kDriveC, "PC:1:0, Desktop:0:1, Computer:1:1, *Local Disk (C:):8:2, Documents:2:1", "drive C:");
        host.ExpectState(u, 2, CPcListCtrl::LOC_DRIVE, u"C:\\", "drive C:");

        u.Click(CListHostDlg::IDC_HOST_UP);
        host.ExpectView(u, kDrives, kDrivesBox, "Up from drive C:");
        host.ExpectState(u, 1, CPcListCtrl::LOC_DRIVES_VIEW, u"", "Up from drive C:");

        // The USB flash drive's own picture stays with it below its root.
        u.DoubleClickItem(kList, 2);
        host.ExpectView(u, {u"EMB"}, "PC:1:0, Desktop:0:1, Computer:1:1, *USBSTICK (E:):10:2, Documents:2:1", "drive E:");
        u.DoubleClickItem(kList, 0);
        host.ExpectView(u, {}, "PC:1:0, Desktop:0:1, Computer:1:1, USBSTICK (E:):10:2, *EMB:4:3, Documents:2:1", "E:\\EMB");
        host.ExpectState(u, 3, CPcListCtrl::LOC_DRIVE, u"E:\\\\EMB", "E:\\EMB");

        u.ChooseCombo(kBox, 0); // PC
        host.ExpectView(u, kRoots, kRootBox, "PC chosen in the location box");
        host.ExpectState(u, 0, CPcListCtrl::LOC_DRIVE, u"", "PC chosen in the location box");
    });
}

TEST_F(PcListTest, DesktopAndDocumentsArePlacesOfTheirOwn)
{
    PcListHost host;
    const std::u16string strDesktop = u"C:\\Users\\Ann\\Desktop";
    const std::u16string strDocuments = u"C:\\Users\\Ann\\Documents";
    host.Run([&](ScriptedUser& u) {
        // Text files are not the list's family; folders come first.
        u.DoubleClickItem(kList, 0);
        const std::vector<std::u16string> desktop = {u"Documents", u"Sketches", u"rose.qef"};
        const std::string strDesktopBox = "PC:1:0, *Desktop:0:1, Computer:1:1, Documents:2:1";
        host.ExpectView(u, desktop, strDesktopBox, "the desktop");
        host.ExpectState(u, 1, CPcListCtrl::LOC_DESKTOP, strDesktop, "the desktop");

        u.DoubleClickItem(kList, 1);
        host.ExpectView(u, {u"Roses"}, "PC:1:0, Desktop:0:1, *Sketches:4:2, Computer:1:1, Documents:2:1", "Desktop\\Sketches");
        u.DoubleClickItem(kList, 0);
        host.ExpectView(u, {}, "PC:1:0, Desktop:0:1, Sketches:4:2, *Roses:4:3, Computer:1:1, Documents:2:1",
                   "Desktop\\Sketches\\Roses");
        host.ExpectState(u, 3, CPcListCtrl::LOC_DESKTOP, strDesktop + u"\\Sketches\\Roses", "Desktop\\Sketches\\Roses");
        u.ChooseCombo(kBox, 2);
        host.ExpectView(u, {u"Roses"}, "PC:1:0, Desktop:0:1, *Sketches:4:2, Computer:1:1, Documents:2:1",
                   "Sketches chosen in the location box");
        host.ExpectState(u, 2, CPcListCtrl::LOC_DESKTOP, strDesktop + u"\\Sketches", "Sketches chosen in the location box");
        u.Click(CListHostDlg::IDC_HOST_UP);
        host.ExpectView(u, desktop, strDesktopBox, "Up from Sketches");
        u.Click(CListHostDlg::IDC_HOST_UP);
        host.ExpectView(u, kRoots, kRootBox, "Up from the desktop");

        // A folder named like a place opens as the folder it is.
        u.DoubleClickItem(kList, 0);
        host.ExpectView(u, desktop, strDesktopBox, "the desktop again");
        u.DoubleClickItem(kList, 0);
        host.ExpectView(u, {u"Letters"}, "PC:1:0, Desktop:0:1, *Documents:4:2, Computer:1:1, Documents:2:1",
                   "the desktop's own folder Documents");
        host.ExpectState(u, 2, CPcListCtrl::LOC_DESKTOP, strDesktop + u"\\Documents", "the desktop's folder Documents");

        u.ChooseCombo(kBox, 4); // the documents place
        const std::vector<std::u16string> documents = {u"Patterns", u"tulip.qef"};
        const std::string strDocumentsBox = "PC:1:0, Desktop:0:1, Computer:1:1, *Documents:2:1";
        host.ExpectView(u, documents, strDocumentsBox, "Documents chosen in the location box");
        host.ExpectState(u, 1, CPcListCtrl::LOC_DOCUMENTS, strDocuments, "Documents chosen in the location box");
        // From the documents folder "Up" leads straight back to the places.
        u.Click(CListHostDlg::IDC_HOST_UP);
        host.ExpectView(u, kRoots, kRootBox, "Up from the documents folder");
    });
}

TEST_F(PcListTest, WhatCannotBeEnteredLeavesTheListAsItWas)
{
    PcListHost host;
    host.Run([&](ScriptedUser& u) {
        // The optical drive is there, but without its disc it cannot be opened.
        u.DoubleClickItem(kList, 1);
        host.ExpectView(u, kDrives, kDrivesBox, "the drives view");
        u.DoubleClickItem(kList, 3);
        host.ExpectView(u, kDrives, kDrivesBox, "the empty optical drive opened");
        host.ExpectState(u, 1, CPcListCtrl::LOC_DRIVES_VIEW, u"", "the empty optical drive opened");
        u.DoubleClickItem(kList, 1);
        host.ExpectView(u, kDriveC, "PC:1:0, Desktop:0:1, Computer:1:1, *Local Disk (C:):8:2, Documents:2:1",
                   "drive C: after the optical drive");

        // A folder that went away meanwhile.
        fs::remove_all(Host("c/Windows"));
        u.DoubleClickItem(kList, 2);
        host.ExpectView(u, kDriveC, "PC:1:0, Desktop:0:1, Computer:1:1, *Local Disk (C:):8:2, Documents:2:1",
                   "a vanished folder opened");
        host.ExpectState(u, 2, CPcListCtrl::LOC_DRIVE, u"C:\\", "a vanished folder opened");

        // A breadcrumb entry whose folder was moved away: the box goes back to what is shown.
        u.DoubleClickItem(kList, 0);
        host.ExpectView(u, {u"2024", u"leaf.qef"},
                        "PC:1:0, Desktop:0:1, Computer:1:1, Local Disk (C:):8:2, *Photos:4:3, Documents:2:1", "C:\\Photos");
        u.DoubleClickItem(kList, 0);
        const std::string str2024Box = "PC:1:0, Desktop:0:1, Computer:1:1, Local Disk (C:):8:2, Photos:4:3, *2024:4:4, Documents:2:1";
        host.ExpectView(u, {}, str2024Box, "C:\\Photos\\2024");
        fs::rename(Host("c/Photos"), Host("c/Pictures"));
        u.ChooseCombo(kBox, 4);
        host.ExpectView(u, {}, str2024Box, "a moved folder chosen in the location box");
        host.ExpectState(u, 4, CPcListCtrl::LOC_DRIVE, u"C:\\\\Photos\\2024", "a moved folder chosen in the location box");

        // A desktop folder that is gone: the places stay, and nothing pretends to be elsewhere.
        u.ChooseCombo(kBox, 0);
        host.ExpectView(u, kRoots, kRootBox, "the root view");
        fs::rename(Host("c/Users/Ann/Desktop"), Host("c/Users/Ann/Old desktop"));
        u.DoubleClickItem(kList, 0);
        host.ExpectView(u, kRoots, kRootBox, "a missing desktop opened");
        host.ExpectState(u, 0, CPcListCtrl::LOC_DRIVE, u"", "a missing desktop opened");
    });
}

} // namespace
