// The PC list as a person uses it in the File Manager: the places, the drives, folders on them,
// the location box's breadcrumb, "Up", and what cannot be opened or renamed.
#include "lists/PcListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;
using tavren::test::Narrow;
using listlook::Box;
using listlook::Items;
using listlook::Labels;

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr int kBox = CListHostDlg::IDC_HOST_LOCATION;

// A PC: C: a fixed disk with the user's desktop and documents on it, A: a floppy drive, E: a USB
// flash drive, Q: an optical drive without its disc and R: a network drive; and the PC list as the
// File Manager wires it: a double click opens, "Up" goes up, the location box navigates.
class PcListTest : public tavren::test::ModuleFixture {
protected:
    PcListTest()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'A', DRIVE_REMOVABLE, "FLOPPY"}, {u'E', DRIVE_REMOVABLE, "USBSTICK"},
                                        {u'Q', DRIVE_CDROM, "", false}, {u'R', DRIVE_REMOTE}}))
    {
    }
    // The list reads where the desktop and documents are when it is made.
    void MakeList()
    {
        m_host.emplace();
        m_host->dlg.m_onInit = [this](CListHostDlg& d) { m_host->list.Initialize(&d.m_location, CFolderListCtrl::LIST_DESIGN); };
        m_host->dlg.m_onDoubleClick = [this](int) { m_host->list.OpenSelected(); };
        m_host->dlg.m_onLocationChange = [this] { m_host->list.GoToLocationBoxSelection(); };
        m_host->dlg.m_onButton = [this](UINT nId) {
            if (nId == CListHostDlg::IDC_HOST_UP)
                m_host->list.UpOneLevel();
        };
    }
    void SetUp() override
    {
        ModuleFixture::SetUp();
        for (const char* folder : {"c/Photos/2024", "c/Windows", "c/Users/Ann/Desktop/Sketches/Roses",
                                   "c/Users/Ann/Desktop/Documents/Letters", "c/Users/Ann/Documents/Patterns/Old", "USBSTICK/EMB"})
            fs::create_directories(Host(folder));
        for (const char* design : {"c/Photos/leaf.qef", "c/Users/Ann/Desktop/rose.qef", "c/Users/Ann/Documents/tulip.qef"})
            fixture::WriteFile(Host(design), tavren::test::CorpusDesign());
        fixture::WriteFile(Host("c/Users/Ann/Desktop/notes.txt"), {'h', 'i'});
        // The desktop and documents folders come from the user's folder settings.
        fs::create_directories(Host("config"));
        std::ofstream(Host("config/user-dirs.dirs")) << "XDG_DESKTOP_DIR=\"" << Host("c/Users/Ann/Desktop") << "\"\n"
                                                     << "XDG_DOCUMENTS_DIR=\"" << Host("c/Users/Ann/Documents") << "\"\n";
        if (const char* pszConfig = std::getenv("XDG_CONFIG_HOME"))
            m_oldConfig = pszConfig;
        setenv("XDG_CONFIG_HOME", Host("config").c_str(), 1);
        MakeList();
    }
    void TearDown() override
    {
        if (m_oldConfig)
            setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        m_host.reset();
        ModuleFixture::TearDown();
    }
    std::string Host(const std::string& strRelative) const { return Drives().Host(strRelative); }
    void Run(const ScriptedUser::Script& script) { m_host->dlg.Play(script); }
    // Once the input is handled, the list shows exactly these labels (in this order), the location
    // box these entries and (nLevel >= 0) the list is at this level, location and path.
    Snapshot ExpectView(ScriptedUser& u, const std::vector<std::u16string>& labels, const std::string& strBox,
                        const std::string& strWhere, int nLevel = -1, int nLocation = 0, std::u16string_view strPath = u"")
    {
        const Snapshot snap = m_host->dlg.Settle(u);
        u.Expect(Labels(snap) == labels && Box(snap) == strBox,
                 strWhere + ": the list shows [" + Items(snap) + "], the box [" + Box(snap) + "]");
        int nShownLevel = -1, nShownLocation = -1;
        std::u16string strShown;
        m_host->dlg.RunOnUiThread([&] {
            nShownLevel = m_host->list.m_nLevel;
            nShownLocation = m_host->list.m_nLocation;
            strShown = m_host->list.m_strCurrentPath.Str();
        });
        u.Expect(nLevel < 0 || (nShownLevel == nLevel && nShownLocation == nLocation && strShown == strPath),
                 strWhere + ": level " + std::to_string(nShownLevel) + ", location " + std::to_string(nShownLocation) +
                     ", path \"" + Narrow(strShown) + "\"");
        return snap;
    }

    struct ListAndHost {
        CPcListCtrl list;
        CListHostDlg dlg{list};
    };
    std::optional<std::string> m_oldConfig;
    std::optional<ListAndHost> m_host;
};

const std::string kRootBox = "*PC:1:0, Desktop:0:1, Computer:1:1, Documents:2:1";
const std::string kDrivesBox = "PC:1:0, Desktop:0:1, *Computer:1:1, Documents:2:1";
const std::vector<std::u16string> kRoots = {u"Desktop", u"Computer", u"Documents"};
const std::vector<std::u16string> kDrives = {u"FLOPPY (A:)", u"Local Disk (C:)", u"USBSTICK (E:)", u"CD Drive (Q:)"};
const std::vector<std::u16string> kDriveC = {u"Photos", u"Users", u"Windows"};

TEST_F(PcListTest, RootViewOffersThePlacesAndNothingThereCanBeRenamed)
{
    Run([&](ScriptedUser& u) {
        const Snapshot snap = ExpectView(u, kRoots, kRootBox, "the root view", 0, CPcListCtrl::LOC_DRIVE, u"");
        u.Expect(Items(snap) == "Desktop:0, Computer:1, Documents:2", "desktop, computer and documents pictures");
        const tavren::ControlInfo list = u.Control(kList);
        u.Expect(list.columns.size() == 1 && list.columns[0].strText == u"Name" && list.columns[0].nWidth == 239,
                 "one column \"Name\", 239 pixels");
        u.Expect(list.items.size() == 3 && list.items[1].rc.left - list.items[0].rc.left == 75 &&
                     list.items[2].rc.left - list.items[1].rc.left == 75,
                 "the pictures stand 75 pixels apart");
        u.Expect(list.hImageListNormal != 0 && list.hImageListSmall != 0 && u.Control(kBox).hComboImageList != 0,
                 "the list and its location box have their pictures");

        // "Up" has nowhere to go from here.
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, kRoots, kRootBox, "Up in the root view", 0, CPcListCtrl::LOC_DRIVE, u"");

        u.EditLabel(kList, 0, u"Mine");
        ExpectView(u, kRoots, kRootBox, "the desktop renamed in the root view");
        u.Expect(fs::exists(Host("c/Users/Ann/Desktop")) && !fs::exists(Host("c/Users/Ann/Mine")),
                 "the desktop folder keeps its name");
    });
}

TEST_F(PcListTest, ComputerShowsTheDrivesInLetterOrderAndOpensThem)
{
    Run([&](ScriptedUser& u) {
        u.DoubleClickItem(kList, 1); // Computer
        const Snapshot snap = ExpectView(u, kDrives, kDrivesBox, "the drives view", 1, CPcListCtrl::LOC_DRIVES_VIEW, u"");
        // The network drive is no place for designs; the others show what kind of drive they are.
        u.Expect(Items(snap) == "FLOPPY (A:):7, Local Disk (C:):8, USBSTICK (E:):10, CD Drive (Q:):9",
                 "floppy, hard disk, removable and optical pictures");

        u.EditLabel(kList, 1, u"System");
        ExpectView(u, kDrives, kDrivesBox, "a drive renamed in the drives view");

        u.DoubleClickItem(kList, 1); // C:
        ExpectView(u, kDriveC, "PC:1:0, Desktop:0:1, Computer:1:1, *Local Disk (C:):8:2, Documents:2:1", "drive C:", 2, CPcListCtrl::LOC_DRIVE, u"C:\\");

        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, kDrives, kDrivesBox, "Up from drive C:", 1, CPcListCtrl::LOC_DRIVES_VIEW, u"");

        // The USB flash drive's own picture stays with it below its root.
        u.DoubleClickItem(kList, 2);
        ExpectView(u, {u"EMB"}, "PC:1:0, Desktop:0:1, Computer:1:1, *USBSTICK (E:):10:2, Documents:2:1", "drive E:");
        u.DoubleClickItem(kList, 0);
        ExpectView(u, {}, "PC:1:0, Desktop:0:1, Computer:1:1, USBSTICK (E:):10:2, *EMB:4:3, Documents:2:1", "E:\\EMB", 3, CPcListCtrl::LOC_DRIVE, u"E:\\\\EMB");

        u.ChooseCombo(kBox, 0); // PC
        ExpectView(u, kRoots, kRootBox, "PC chosen in the location box", 0, CPcListCtrl::LOC_DRIVE, u"");
    });
}

TEST_F(PcListTest, DesktopAndDocumentsArePlacesOfTheirOwn)
{
    const std::u16string strDesktop = u"C:\\Users\\Ann\\Desktop";
    const std::u16string strDocuments = u"C:\\Users\\Ann\\Documents";
    Run([&](ScriptedUser& u) {
        // Text files are not the list's family; folders come first.
        u.DoubleClickItem(kList, 0);
        const std::vector<std::u16string> desktop = {u"Documents", u"Sketches", u"rose.qef"};
        const std::string strDesktopBox = "PC:1:0, *Desktop:0:1, Computer:1:1, Documents:2:1";
        ExpectView(u, desktop, strDesktopBox, "the desktop", 1, CPcListCtrl::LOC_DESKTOP, strDesktop);

        u.DoubleClickItem(kList, 1);
        ExpectView(u, {u"Roses"}, "PC:1:0, Desktop:0:1, *Sketches:4:2, Computer:1:1, Documents:2:1", "Desktop\\Sketches");
        u.DoubleClickItem(kList, 0);
        ExpectView(u, {}, "PC:1:0, Desktop:0:1, Sketches:4:2, *Roses:4:3, Computer:1:1, Documents:2:1",
                   "Desktop\\Sketches\\Roses", 3, CPcListCtrl::LOC_DESKTOP, strDesktop + u"\\Sketches\\Roses");
        u.ChooseCombo(kBox, 2);
        ExpectView(u, {u"Roses"}, "PC:1:0, Desktop:0:1, *Sketches:4:2, Computer:1:1, Documents:2:1",
                   "Sketches chosen in the location box", 2, CPcListCtrl::LOC_DESKTOP, strDesktop + u"\\Sketches");
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, desktop, strDesktopBox, "Up from Sketches");
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, kRoots, kRootBox, "Up from the desktop");

        // A folder named like a place opens as the folder it is.
        u.DoubleClickItem(kList, 0);
        ExpectView(u, desktop, strDesktopBox, "the desktop again");
        u.DoubleClickItem(kList, 0);
        ExpectView(u, {u"Letters"}, "PC:1:0, Desktop:0:1, *Documents:4:2, Computer:1:1, Documents:2:1",
                   "the desktop's own folder Documents", 2, CPcListCtrl::LOC_DESKTOP, strDesktop + u"\\Documents");

        u.ChooseCombo(kBox, 4); // the documents place
        const std::vector<std::u16string> documents = {u"Patterns", u"tulip.qef"};
        const std::string strDocumentsBox = "PC:1:0, Desktop:0:1, Computer:1:1, *Documents:2:1";
        ExpectView(u, documents, strDocumentsBox, "Documents chosen in the location box", 1, CPcListCtrl::LOC_DOCUMENTS, strDocuments);
        // From the documents folder "Up" leads straight back to the places.
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, kRoots, kRootBox, "Up from the documents folder");
    });
}

TEST_F(PcListTest, WhatCannotBeEnteredLeavesTheListAsItWas)
{
    Run([&](ScriptedUser& u) {
        // The optical drive is there, but without its disc it cannot be opened.
        u.DoubleClickItem(kList, 1);
        ExpectView(u, kDrives, kDrivesBox, "the drives view");
        u.DoubleClickItem(kList, 3);
        ExpectView(u, kDrives, kDrivesBox, "the empty optical drive opened", 1, CPcListCtrl::LOC_DRIVES_VIEW, u"");
        u.DoubleClickItem(kList, 1);
        ExpectView(u, kDriveC, "PC:1:0, Desktop:0:1, Computer:1:1, *Local Disk (C:):8:2, Documents:2:1",
                   "drive C: after the optical drive");

        // A folder that went away meanwhile.
        fs::remove_all(Host("c/Windows"));
        u.DoubleClickItem(kList, 2);
        ExpectView(u, kDriveC, "PC:1:0, Desktop:0:1, Computer:1:1, *Local Disk (C:):8:2, Documents:2:1",
                   "a vanished folder opened", 2, CPcListCtrl::LOC_DRIVE, u"C:\\");

        // A breadcrumb entry whose folder was moved away: the box goes back to what is shown.
        u.DoubleClickItem(kList, 0);
        ExpectView(u, {u"2024", u"leaf.qef"},
                        "PC:1:0, Desktop:0:1, Computer:1:1, Local Disk (C:):8:2, *Photos:4:3, Documents:2:1", "C:\\Photos");
        u.DoubleClickItem(kList, 0);
        const std::string str2024Box = "PC:1:0, Desktop:0:1, Computer:1:1, Local Disk (C:):8:2, Photos:4:3, *2024:4:4, Documents:2:1";
        ExpectView(u, {}, str2024Box, "C:\\Photos\\2024");
        fs::rename(Host("c/Photos"), Host("c/Pictures"));
        u.ChooseCombo(kBox, 4);
        ExpectView(u, {}, str2024Box, "a moved folder chosen in the location box", 4, CPcListCtrl::LOC_DRIVE, u"C:\\\\Photos\\2024");

        // A desktop folder that is gone: the places stay, and nothing pretends to be elsewhere.
        u.ChooseCombo(kBox, 0);
        ExpectView(u, kRoots, kRootBox, "the root view");
        fs::rename(Host("c/Users/Ann/Desktop"), Host("c/Users/Ann/Old desktop"));
        u.DoubleClickItem(kList, 0);
        ExpectView(u, kRoots, kRootBox, "a missing desktop opened", 0, CPcListCtrl::LOC_DRIVE, u"");
    });
}

} // namespace
