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

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr int kBox = CListHostDlg::IDC_HOST_LOCATION;

// A PC: C: a fixed disk with the user's desktop and documents on it, A: a floppy drive, E: a USB
// flash drive, Q: an optical drive without its disc and R: a network drive; and the PC list as the
// File Manager wires it.
class PcListTest : public tavren::test::ModuleFixture {
protected:
    PcListTest()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'A', DRIVE_REMOVABLE, "FLOPPY"}, {u'E', DRIVE_REMOVABLE, "USBSTICK"},
                                        {u'Q', DRIVE_CDROM, "", false}, {u'R', DRIVE_REMOTE}}))
    {
    }
    void SetUp() override
    {
        ModuleFixture::SetUp();
        for (const char* folder : {"c/Photos/2024", "c/Windows", "c/Users/Ann/Desktop/Sketches/Roses",
                                   "c/Users/Ann/Desktop/Documents/Letters", "c/Users/Ann/Documents/Patterns/Old", "USBSTICK/EMB", "config"})
            fs::create_directories(Host(folder));
        for (const char* design : {"c/Photos/leaf.qef", "c/Users/Ann/Desktop/rose.qef", "c/Users/Ann/Documents/tulip.qef"})
            fixture::WriteFile(Host(design), tavren::test::CorpusDesign());
        fixture::WriteFile(Host("c/Users/Ann/Desktop/notes.txt"), {'h', 'i'});
        // The desktop and documents folders come from the user's folder settings, read when the list is made.
        std::ofstream(Host("config/user-dirs.dirs")) << "XDG_DESKTOP_DIR=\"" << Host("c/Users/Ann/Desktop") << "\"\n"
                                                     << "XDG_DOCUMENTS_DIR=\"" << Host("c/Users/Ann/Documents") << "\"\n";
        if (const char* pszConfig = std::getenv("XDG_CONFIG_HOME"))
            m_oldConfig = pszConfig;
        setenv("XDG_CONFIG_HOME", Host("config").c_str(), 1);
        m_host.emplace();
        m_host->dlg.m_onInit = [this](CListHostDlg& d) { m_host->list.Initialize(&d.m_location, CFolderListCtrl::LIST_DESIGN); };
        m_host->dlg.Navigate(m_host->list);
    }
    void TearDown() override
    {
        m_oldConfig ? setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
        m_host.reset();
        ModuleFixture::TearDown();
    }
    std::string Host(const std::string& strRelative) const { return Drives().Host(strRelative); }
    void Run(const ScriptedUser::Script& script) { m_host->dlg.Play(script); }
    void ExpectView(ScriptedUser& u, const std::string& strItems, const std::string& strBox, const std::string& strWhat,
                    const std::string& strAt = "")
    {
        m_host->dlg.ExpectView(u, strItems, strBox, strWhat, strAt);
    }

    struct ListAndHost {
        CPcListCtrl list;
        CListHostDlg dlg{list};
    };
    std::optional<std::string> m_oldConfig;
    std::optional<ListAndHost> m_host;
};

const std::string kRoots = "Desktop:0, Computer:1, Documents:2";
const std::string kRootBox = "*PC:1:0, Desktop:0:1, Computer:1:1, Documents:2:1";
// The network drive is no place for designs; the others show what kind of drive they are.
const std::string kDrives = "FLOPPY (A:):7, Local Disk (C:):8, USBSTICK (E:):10, CD Drive (Q:):9";
const std::string kDrivesBox = "PC:1:0, Desktop:0:1, *Computer:1:1, Documents:2:1";
const std::string kDriveC = "Photos:4, Users:4, Windows:4";
const std::string kDriveCBox = "PC:1:0, Desktop:0:1, Computer:1:1, *Local Disk (C:):8:2, Documents:2:1";
// Level, location (0 a drive, 1 the desktop, 2 the drives view, 4 the documents) and path.
const std::string kAtRoot = "0 0 ";

TEST_F(PcListTest, RootViewOffersThePlacesAndNothingThereCanBeRenamed)
{
    Run([&](ScriptedUser& u) {
        ExpectView(u, kRoots, kRootBox, "the root view", kAtRoot);
        const tavren::ControlInfo list = u.Control(kList);
        u.Expect(list.columns.size() == 1 && list.columns[0].strText == u"Name" && list.columns[0].nWidth == 239 &&
                     list.items[1].rc.left - list.items[0].rc.left == 75 && list.hImageListNormal && list.hImageListSmall && u.Control(kBox).hComboImageList,
                 "one column \"Name\", 239 pixels; the pictures 75 pixels apart; the list and its location box have their pictures");
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, kRoots, kRootBox, "Up in the root view", kAtRoot);
        u.EditLabel(kList, 0, u"Mine");
        ExpectView(u, kRoots, kRootBox, "the desktop renamed in the root view");
        u.Expect(fs::exists(Host("c/Users/Ann/Desktop")) && !fs::exists(Host("c/Users/Ann/Mine")), "the desktop folder keeps its name");
    });
}

TEST_F(PcListTest, ComputerShowsTheDrivesInLetterOrderAndOpensThem)
{
    Run([&](ScriptedUser& u) {
        u.DoubleClickItem(kList, 1); // Computer
        ExpectView(u, kDrives, kDrivesBox, "the drives view", "1 2 ");
        u.EditLabel(kList, 1, u"System");
        ExpectView(u, kDrives, kDrivesBox, "a drive renamed in the drives view");
        u.DoubleClickItem(kList, 1); // C:
        ExpectView(u, kDriveC, kDriveCBox, "drive C:", "2 0 C:\\");
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, kDrives, kDrivesBox, "Up from drive C:", "1 2 ");
        // The USB flash drive's own picture stays with it below its root.
        u.DoubleClickItem(kList, 2);
        ExpectView(u, "EMB:4", "PC:1:0, Desktop:0:1, Computer:1:1, *USBSTICK (E:):10:2, Documents:2:1", "drive E:");
        u.DoubleClickItem(kList, 0);
        ExpectView(u, "", "PC:1:0, Desktop:0:1, Computer:1:1, USBSTICK (E:):10:2, *EMB:4:3, Documents:2:1", "E:\\EMB", "3 0 E:\\\\EMB");
        u.ChooseCombo(kBox, 0); // PC
        ExpectView(u, kRoots, kRootBox, "PC chosen in the location box", kAtRoot);
    });
}

TEST_F(PcListTest, DesktopAndDocumentsArePlacesOfTheirOwn)
{
    const std::string strDesktop = "C:\\Users\\Ann\\Desktop";
    Run([&](ScriptedUser& u) {
        // Text files are not the list's family; folders come first.
        u.DoubleClickItem(kList, 0);
        const std::string strDesktopBox = "PC:1:0, *Desktop:0:1, Computer:1:1, Documents:2:1";
        ExpectView(u, "Documents:4, Sketches:4, rose.qef:16", strDesktopBox, "the desktop", "1 1 " + strDesktop);
        u.DoubleClickItem(kList, 1);
        const std::string strSketchesBox = "PC:1:0, Desktop:0:1, *Sketches:4:2, Computer:1:1, Documents:2:1";
        ExpectView(u, "Roses:4", strSketchesBox, "Desktop\\Sketches");
        u.DoubleClickItem(kList, 0);
        ExpectView(u, "", "PC:1:0, Desktop:0:1, Sketches:4:2, *Roses:4:3, Computer:1:1, Documents:2:1", "Desktop\\Sketches\\Roses",
                   "3 1 " + strDesktop + "\\Sketches\\Roses");
        u.ChooseCombo(kBox, 2);
        ExpectView(u, "Roses:4", strSketchesBox, "Sketches chosen in the location box", "2 1 " + strDesktop + "\\Sketches");
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, "Documents, Sketches, rose.qef", strDesktopBox, "Up from Sketches"); // a file's picture is made anew
        u.Click(CListHostDlg::IDC_HOST_UP);
        ExpectView(u, kRoots, kRootBox, "Up from the desktop");
        // A folder named like a place opens as the folder it is.
        u.DoubleClickItem(kList, 0);
        ExpectView(u, "Documents, Sketches, rose.qef", strDesktopBox, "the desktop again");
        u.DoubleClickItem(kList, 0);
        ExpectView(u, "Letters:4", "PC:1:0, Desktop:0:1, *Documents:4:2, Computer:1:1, Documents:2:1", "the desktop's own folder Documents",
                   "2 1 " + strDesktop + "\\Documents");
        u.ChooseCombo(kBox, 4); // the documents place
        ExpectView(u, "Patterns, tulip.qef", "PC:1:0, Desktop:0:1, Computer:1:1, *Documents:2:1",
                   "Documents chosen in the location box", "1 4 C:\\Users\\Ann\\Documents");
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
        ExpectView(u, kDrives, kDrivesBox, "the empty optical drive opened", "1 2 ");
        u.DoubleClickItem(kList, 1);
        ExpectView(u, kDriveC, kDriveCBox, "drive C: after the optical drive");
        // A folder that went away meanwhile.
        fs::remove_all(Host("c/Windows"));
        u.DoubleClickItem(kList, 2);
        ExpectView(u, kDriveC, kDriveCBox, "a vanished folder opened", "2 0 C:\\");
        // A breadcrumb entry whose folder was moved away: the box goes back to what is shown.
        u.DoubleClickItem(kList, 0);
        ExpectView(u, "2024, leaf.qef", "PC:1:0, Desktop:0:1, Computer:1:1, Local Disk (C:):8:2, *Photos:4:3, Documents:2:1", "C:\\Photos");
        u.DoubleClickItem(kList, 0);
        const std::string str2024Box = "PC:1:0, Desktop:0:1, Computer:1:1, Local Disk (C:):8:2, Photos:4:3, *2024:4:4, Documents:2:1";
        ExpectView(u, "", str2024Box, "C:\\Photos\\2024");
        fs::rename(Host("c/Photos"), Host("c/Pictures"));
        u.ChooseCombo(kBox, 4);
        ExpectView(u, "", str2024Box, "a moved folder chosen in the location box", "4 0 C:\\\\Photos\\2024");
        // A desktop folder that is gone: the places stay, and nothing pretends to be elsewhere.
        u.ChooseCombo(kBox, 0);
        ExpectView(u, kRoots, kRootBox, "the root view");
        fs::rename(Host("c/Users/Ann/Desktop"), Host("c/Users/Ann/Old desktop"));
        u.DoubleClickItem(kList, 0);
        ExpectView(u, kRoots, kRootBox, "a missing desktop opened", kAtRoot);
    });
}

} // namespace
