// The folder list as a person meets it: what a folder shows and in which order (and the one order
// of every file list), the thumbnails and check boxes of its files, ticking files, the name rules,
// and the list's own file operations on the PC (a new folder, renaming in place, deleting).
#include "tests/lists/ListHostDlg.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/TempDrives.h"
#include "tests/support/Watchdog.h"

#include "design/StxFile.h"
#include "platform/base/CodePage.h"
#include "platform/gdi/Gdi.h"
#include "preview/ListPicture.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace {

using L = CFolderListCtrl;
using Pixels = std::vector<uint8_t>;
using Names = std::vector<std::u16string>;
namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;
constexpr int kList = CListHostDlg::IDC_HOST_LIST;

// Drives and files: the harness's temporary drive map with C: fixed, D: an optical drive without
// its disc and E: a removable drive labelled "USBSTICK" (folders "c" and "USBSTICK" below the
// temporary directory), and the files the lists read: designs written natively (.qef, .qef+, .qpx)
// from a corpus design, STX patterns from the fixture writer, and anything else as raw bytes.
class CListTestDrives : public tavren::test::TempDrives {
public:
    CListTestDrives()
        : TempDrives({{u'C', DRIVE_FIXED}, {u'D', DRIVE_CDROM, "", false}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}})
    {
    }

    using TempDrives::Write;
    // rel is below the temporary root: "c/Designs/rose.qef" is C:\Designs\rose.qef.
    void MakeFolder(const std::string& rel) const { std::filesystem::create_directories(Host(rel)); }
    void Write(const std::string& rel, const fixture::Bytes& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(Host(rel)).parent_path());
        ASSERT_TRUE(fixture::WriteFile(Host(rel), bytes)) << rel;
    }

    // A readable design in the format its extension names (.qef, .qef+, .qpx; case ignored),
    // made from the corpus design corpusName.
    void WriteDesign(const std::string& rel, const std::string& corpusName = "Star.DST") const
    {
        Write(rel, tavren::test::CorpusDesign(corpusName, rel.substr(rel.rfind('.'))));
    }
    void WriteStx(const std::string& rel, int nPoints = 8) const { Write(rel, fixture::MakeStx(fixture::WellFormedStx(nPoints))); }
};

// The folder list with its protected parts in reach, a count of location-box rebuilds and
// whether the wait cursor was up then (at the end of a fill).
class CProbeList : public CFolderListCtrl {
public:
    using CFolderListCtrl::CreateImageLists;
    void UpdateLocationBox() override
    {
        m_nLocationUpdates++;
        m_bWaitCursorAtUpdate = tavren::WaitCursorShown();
    }
    int m_nLocationUpdates = 0;
    bool m_bWaitCursorAtUpdate = false;
};

int ImageOf(const CListCtrl& list, std::u16string_view strLabel)
{
    for (int i = 0; i < list.GetItemCount(); i++) {
        LVITEM item{LVIF_IMAGE, i};
        if (list.GetItemText(i, 0).Str() == strLabel && list.GetItem(&item))
            return item.iImage;
    }
    return -1;
}
// "label:picture, ..." in the order shown; without bPictures the labels alone.
std::string Items(const CListCtrl& list, bool bPictures = true)
{
    std::string str;
    for (int i = 0; i < list.GetItemCount(); i++) {
        const CString strLabel = list.GetItemText(i, 0);
        str += (i ? ", " : "") + strLabel.ToUtf8() + (bPictures ? ":" + std::to_string(ImageOf(list, strLabel.Str())) : "");
    }
    return str;
}

// Picture i of an image list; with bOnWhite its transparent pixels white (a type picture of the
// location box's list as a file's small picture must look).
Pixels PictureOf(HIMAGELIST himl, int i, bool bOnWhite = false)
{
    tavren::ImageListPicture picture;
    EXPECT_TRUE(tavren::GetImageListPicture(himl, i, picture)) << "picture " << i;
    for (size_t p = 0; bOnWhite && p < picture.transparent.size(); p++)
        if (picture.transparent[p])
            picture.bgr[p * 3] = picture.bgr[p * 3 + 1] = picture.bgr[p * 3 + 2] = 255;
    return picture.bgr;
}
Pixels PixelsOf(const CBitmap& bm)
{
    int w = 0, h = 0;
    Pixels bgr;
    EXPECT_TRUE(tavren::GetBitmapPixels(bm.m_hObject, w, h, bgr));
    return bgr;
}
Pixels Box(UINT nId)
{
    CBitmap bm;
    EXPECT_TRUE(CListPicture::LoadBox(nId, bm));
    return PixelsOf(bm);
}
// The large pictures n and n + 1 of the list are this pair.
void ExpectLargePair(const CFolderListCtrl& list, int n, const CBitmap& bmFirst, const CBitmap& bmSecond)
{
    EXPECT_EQ(PictureOf(list.m_imlLarge, n), PixelsOf(bmFirst));
    EXPECT_EQ(PictureOf(list.m_imlLarge, n + 1), PixelsOf(bmSecond));
}

// Runs fn on the dialog's thread while the host opens, with the list attached (of this kind,
// its image lists made); the host then closes without ever being shown.
void InHost(CProbeList& list, int nKind, const std::function<void()>& fn)
{
    tavren::test::Watchdog watchdog(30000);
    CListHostDlg dlg(list);
    dlg.m_onInit = [&](CListHostDlg& d) {
        list.m_nListKind = nKind;
        EXPECT_TRUE(list.CreateImageLists());
        fn();
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

// A folder list that ends in-place renames as the PC list does, filled by hand: a file's picture
// is the even member of its pair, the odd one when ticked.
class CRenamingList : public CFolderListCtrl {
public:
    afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_nRenames += RenameLocalItem(&reinterpret_cast<NMLVDISPINFO*>(pNMHDR)->item) ? 1 : 0;
        *pResult = FALSE;
    }
    void Add(const char16_t* pszName, int nTick) // nTick -1: a folder
    {
        InsertItem(GetItemCount(), pszName, nTick < 0 ? PIC_FOLDER : PIC_FIRST_PAIR + 2 * GetItemCount() + nTick);
        m_nCheckedCount += nTick > 0 ? 1 : 0;
    }
    std::atomic<int> m_nRenames{0};
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRenamingList, CFolderListCtrl)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEdit)
END_MESSAGE_MAP()

// A drive C: with the folder C:\Work shown in a list of the host dialog, filled with m_fill
// (name, tick: -1 a folder). "New" and "Delete" run the list's operations; "Open" runs m_fnOpen.
class LocalFilesTest : public ::testing::Test {
protected:
    LocalFilesTest()
    {
        m_drives.MakeFolder("c/Work");
        m_dlg.m_onInit = [this](CListHostDlg&) {
            m_list.m_strCurrentPath = u"C:\\Work";
            for (const auto& [pszName, nTick] : m_fill)
                m_list.Add(pszName, nTick);
        };
        m_dlg.m_onButton = [this](UINT nId) {
            if (nId == CListHostDlg::IDC_HOST_NEW)
                m_list.CreateNewLocalFolder();
            else if (nId == CListHostDlg::IDC_HOST_DELETE)
                m_nResult = m_list.DeleteCheckedLocalFiles();
            else if (nId == CListHostDlg::IDC_HOST_OPEN)
                m_nResult = m_fnOpen();
        };
    }
    std::string Host(const std::string& rel) const { return m_drives.Host("c/Work/" + rel); }
    void Touch(const std::string& rel, const std::string& bytes = "x") { m_drives.Write("c/Work/" + rel, bytes); }
    bool Exists(const std::string& rel) const { return fs::exists(Host(rel)); }
    std::string Read(const std::string& rel) const
    {
        const fixture::Bytes bytes = Exists(rel) ? fixture::ReadWholeFile(Host(rel)) : fixture::Bytes{};
        return std::string(bytes.begin(), bytes.end());
    }
    void Run(const ScriptedUser::Script& script)
    {
        tavren::test::Watchdog watchdog;
        m_dlg.Play(script);
    }
    static const tavren::ControlInfo* ListIn(const Snapshot& s) { return listlook::Control(s, kList); }
    // Answers a box, then, when the list begins editing nItem again, types the text and ends
    // the edit with Enter ("" : Escape).
    void AnswerAndEditAgain(ScriptedUser& u, int nItem, std::u16string_view strText)
    {
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
        Snapshot s = u.WaitUntil([&](const Snapshot& snap) { return ListIn(snap) && ListIn(snap)->hEdit && ListIn(snap)->nEditItem == nItem; },
                                 "the label editor again");
        HWND hEdit = ListIn(s)->hEdit;
        u.Expect(strText.empty() || tavren::TypeText(hEdit, strText), "typing the label");
        u.Expect(tavren::PressKey(m_dlg.m_hShown, strText.empty() ? VK_ESCAPE : VK_RETURN), "ending the edit");
        u.WaitUntil([&](const Snapshot& snap) { return ListIn(snap) && ListIn(snap)->hEdit != hEdit; }, "the editor closed");
    }
    Snapshot ExpectLabels(ScriptedUser& u, const Names& expected, const std::string& strWhat) { return m_dlg.ExpectLabels(u, expected, strWhat); }

    CListTestDrives m_drives;
    CRenamingList m_list;
    CListHostDlg m_dlg{m_list};
    std::vector<std::pair<const char16_t*, int>> m_fill;
    std::function<int()> m_fnOpen = [] { return 0; };
    std::atomic<int> m_nResult{-1};
};

} // namespace

TEST(FolderListNames, TheExtensionFromTheLastDotDecidesWhichListShowsAFile)
{
    struct Case {
        const char16_t* pszName;
        bool bDesign, bStx, bOrdPlus;
    };
    for (const Case& c : {Case{u"design.QEF", true, false, false}, Case{u"a.b.qef+", true, false, false},
                          Case{u"DESIGN.Qpx", true, false, false}, Case{u"design.qef.bak", false, false, false},
                          Case{u"design.qefx", false, false, false}, Case{u"Star.dst", false, false, false},
                          Case{u"qef", false, false, false}, Case{u"ends with a dot.", false, false, false},
                          Case{u"sheet.STX", false, true, false}, Case{u"pattern.Ord+", false, false, true},
                          Case{u"pattern.ord", false, false, false}}) {
        CFolderListCtrl list;
        for (auto [nKind, bShown] : {std::pair<int, bool>{L::LIST_DESIGN, c.bDesign}, {L::LIST_STX, c.bStx},
                                     {L::LIST_ORDPLUS, c.bOrdPlus}, {3, false}}) {
            list.m_nListKind = nKind;
            EXPECT_EQ(!!list.AcceptsFile(c.pszName), bShown) << CString(c.pszName).ToUtf8() << " in list kind " << nKind;
        }
    }
}

// A design list on C:\Designs: the list's own designs (one unreadable, two with names far from
// plain ASCII), files of other kinds, hidden entries and a folder whose name looks like a design;
// and an ORD+ list on C:\Ord.
TEST(FolderListFill, ShowsItsFoldersFirstThenItsOwnReadableDesignsAndLeavesAFolderItCannotEnter)
{
    CListTestDrives drives;
    for (const char* name : {"Flowers", "zoo.qef", ".secret"})
        drives.MakeFolder(std::string("c/Designs/") + name);
    for (const char* name : {"rose.QEF", "tulip.qef+", "lily.qpx", "b10.qef", "b2.qef", ".hidden.qef", "old.qef.bak",
                             "Ros\u00e9 & Co (2).qef", "\u8594\u8587.qef"})
        drives.WriteDesign(std::string("c/Designs/") + name);
    drives.Write("c/Designs/notes.txt", "not a design");
    drives.Write("c/Designs/broken.qef", "this is no design file at all");
    drives.Write("c/Designs/Star.dst", fixture::ReadWholeFile(tavren::test::SourceDir() + "/tests/fixtures/corpus/Star.DST"));
    drives.WriteDesign("USBSTICK/rose.qef");
    drives.MakeFolder("USBSTICK/EMB");
    drives.MakeFolder("c/Ord/Plain");
    drives.MakeFolder("c/Ord/stitches.ORD+");
    drives.Write("c/Ord/a.ord+", "ordinary stitches");
    drives.WriteDesign("c/Ord/b.qef");
    const std::string strFiles = "b10.qef, b2.qef, lily.qpx, rose.QEF, Ros\u00e9 & Co (2).qef, tulip.qef+, \u8594\u8587.qef";
    CProbeList list, patterns;
    InHost(list, L::LIST_DESIGN, [&] {
        list.EnableGroupView(TRUE);
        EXPECT_EQ(list.ShowFolder(u"C:\\Designs", 1, 0, L::MODE_ALL, TRUE), 9);
        EXPECT_EQ(Items(list, false), "Flowers, zoo.qef, " + strFiles);
        // Every file has a picture pair of its own, unticked; an unreadable design adds none, so
        // both lists keep numbering their pairs alike.
        std::set<int> images;
        for (int i = 0; i < list.GetItemCount(); i++)
            images.insert(ImageOf(list, list.GetItemText(i, 0).Str()));
        EXPECT_TRUE(Items(list).starts_with("Flowers:4, zoo.qef:4, "));
        EXPECT_EQ(images, (std::set<int>{L::PIC_FOLDER, 16, 18, 20, 22, 24, 26, 28}));
        EXPECT_EQ(list.m_imlSmall.GetImageCount(), 16 + 2 * 7);
        EXPECT_EQ(list.m_imlLarge.GetImageCount(), 16 + 2 * 7);
        EXPECT_TRUE(list.m_strCurrentPath == u"C:\\Designs" && list.m_nLevel == 1);
        EXPECT_EQ(list.m_nLocationUpdates, 1) << "the location box is rebuilt after the fill";
        EXPECT_TRUE(list.m_bWaitCursorAtUpdate) << "a fill shows the wait cursor";
        EXPECT_FALSE(tavren::WaitCursorShown()) << "and takes it away at the end";
        EXPECT_FALSE(list.IsGroupViewEnabled());

        // What cannot be entered leaves the items, their ticks, the path and the level as they were.
        list.CheckAll();
        const std::string strBefore = Items(list);
        for (const char16_t* pszPath : {u"C:\\Designs\\Gone", u"D:\\", u"Q:\\Designs", u"C:\\Designs\\notes.txt"}) {
            EXPECT_EQ(list.ShowFolder(pszPath, 1, 0, L::MODE_ALL, TRUE), -1) << CString(pszPath).ToUtf8();
            EXPECT_EQ(Items(list), strBefore);
            EXPECT_TRUE(list.m_nCheckedCount == 7 && list.m_strCurrentPath == u"C:\\Designs" && list.m_nLevel == 1 &&
                        list.m_nLocationUpdates == 1);
        }

        // Items counted from a first index; the level moves by the step.
        EXPECT_EQ(list.ShowFolder(u"C:\\Designs\\Flowers", 2, 5, L::MODE_ALL, TRUE), 5);
        EXPECT_TRUE(list.GetItemCount() == 0 && list.m_nLevel == 3);
        EXPECT_EQ(list.m_nCheckedCount, 0) << "the ticks go with the refill";
        EXPECT_EQ(list.ShowFolder(u"c:\\designs", -1, 5, L::MODE_ALL, TRUE), 14);
        EXPECT_EQ(Items(list, false), "Flowers, zoo.qef, " + strFiles);
        EXPECT_TRUE(list.m_nLevel == 2 && list.m_nLocationUpdates == 3);
        // A drive's root: the files' paths get a second backslash after the colon, and still read.
        EXPECT_EQ(list.ShowFolder(u"E:\\", 1, 0, L::MODE_ALL, TRUE), 2);
        EXPECT_EQ(Items(list, false), "EMB, rose.qef");

        // The modes: folders only, or every entry through the file test (a folder named like a
        // design is not a design that can be read).
        EXPECT_EQ(list.ShowFolder(u"C:\\Designs", 1, 0, L::MODE_FOLDERS_ONLY, TRUE), 2);
        EXPECT_EQ(Items(list, false), "Flowers, zoo.qef");
        EXPECT_EQ(list.ShowFolder(u"C:\\Designs", 0, 0, L::MODE_FILES_AS_ENTRIES, TRUE), 7);
        EXPECT_EQ(Items(list, false), strFiles);
    });
    InHost(patterns, L::LIST_ORDPLUS, [&] {
        EXPECT_EQ(patterns.ShowFolder(u"C:\\Ord", 1, 0, L::MODE_ALL, TRUE), 3);
        EXPECT_EQ(Items(patterns), "Plain:4, stitches.ORD+:4, a.ord+:16");
        // An ORD+ file is never read, so in mode 1 a folder with its extension is listed as one.
        EXPECT_EQ(patterns.ShowFolder(u"C:\\Ord", 0, 0, L::MODE_FILES_AS_ENTRIES, TRUE), 2);
        EXPECT_EQ(Items(patterns), "a.ord+:16, stitches.ORD+:16");
    });
}

// Pictures are made several files at a time: a folder of a few windows' worth, with unreadable
// files and folders among the designs of each type, must come out as if made one file after the
// other: with checks the large pair and the boxes, without them the plain pair and the type's
// picture as the small one.
TEST(FolderListPictures, AFolderOfManyDesignsGetsEachItsOwnPictureInStep)
{
    const char* const kDesigns[] = {"Star.DST", "Cake 3.dst", "Bean.dst", "shamrockin.dst", "rectangle.dst"};
    const std::pair<const char*, int> kTypes[] = {{".qef", L::PIC_QEF}, {".qef+", L::PIC_QEF_PLUS}, {".qpx", L::PIC_QPX}};
    CListTestDrives drives;
    std::vector<std::pair<std::string, int>> readable; // name, type picture
    for (int i = 0; i < 150; i++) {
        const std::string strName = "d" + std::to_string(1000 + i) + kTypes[i % 3].first;
        if (i % 29 == 3) {
            drives.MakeFolder("c/Many/" + strName);
        } else if (i % 11 == 5) {
            drives.Write("c/Many/" + strName, "no design");
        } else {
            drives.WriteDesign("c/Many/" + strName, kDesigns[i % 5]);
            readable.emplace_back(strName, kTypes[i % 3].second);
        }
    }
    const Pixels unticked = Box(13005), ticked = Box(13006);
    CProbeList list;
    InHost(list, L::LIST_DESIGN, [&] {
        ASSERT_GT(150u, 2 * CFilePictures::WINDOW);
        for (BOOL bWithChecks : {TRUE, FALSE}) {
            ASSERT_EQ(list.ShowFolder(u"C:\\Many", 0, 0, L::MODE_ALL, bWithChecks), 6 + static_cast<int>(readable.size()));
            EXPECT_EQ(list.m_imlSmall.GetImageCount(), list.m_imlLarge.GetImageCount());
            EXPECT_TRUE(!bWithChecks || list.m_imlLarge.GetImageCount() == 16 + 2 * static_cast<int>(readable.size()));
            std::set<int> images;
            for (const auto& [strName, nType] : readable) {
                SCOPED_TRACE(strName + (bWithChecks ? " with checks" : " without checks"));
                const CString strPath = u"C:\\Many\\" + CString::FromUtf8(strName);
                const int n = ImageOf(list, CString::FromUtf8(strName).Str());
                ASSERT_GE(n, L::PIC_FIRST_PAIR);
                images.insert(n);
                CEmbFile file;
                CEmbData design;
                CBitmap bmFirst, bmSecond;
                ASSERT_TRUE(file.ReadFile(strPath, design) && CListPicture::MakeDesignPair(design, bWithChecks, bmFirst, bmSecond));
                ExpectLargePair(list, n, bmFirst, bmSecond);
                EXPECT_EQ(PictureOf(list.m_imlSmall, n), bWithChecks ? unticked : PictureOf(list.m_imlLocationBox, nType, true));
                EXPECT_EQ(PictureOf(list.m_imlSmall, n + 1), ticked);
            }
            EXPECT_EQ(images.size(), readable.size());
        }
    });
}

// An STX pattern without checks shows its plain outline both ways; with them its pair.
TEST(FolderListPictures, StxPatternsShowTheirOutlineWithoutChecksAndTheirPairWithThem)
{
    CListTestDrives drives;
    drives.WriteStx("c/Stx/zigzag.STX", 12);
    drives.Write("c/Stx/torn.stx", "STX but torn");
    drives.WriteDesign("c/Stx/rose.qef");
    CProbeList patterns;
    InHost(patterns, L::LIST_STX, [&] {
        CStxFile stx;
        CBitmap bmPlain, bmFirst, bmSecond;
        ASSERT_TRUE(stx.ReadFile(u"C:\\Stx\\zigzag.STX") && CListPicture::DrawStxPicture(stx, bmPlain) &&
                    CListPicture::MakeStxPair(stx, TRUE, bmFirst, bmSecond));
        ASSERT_EQ(patterns.ShowFolder(u"C:\\Stx", 0, 0, L::MODE_ALL, FALSE), 1);
        ASSERT_EQ(ImageOf(patterns, u"zigzag.STX"), L::PIC_FIRST_PAIR);
        ExpectLargePair(patterns, L::PIC_FIRST_PAIR, bmPlain, bmPlain);
        EXPECT_EQ(PictureOf(patterns.m_imlSmall, L::PIC_FIRST_PAIR), PictureOf(patterns.m_imlLocationBox, L::PIC_STX, true));
        EXPECT_EQ(PictureOf(patterns.m_imlSmall, L::PIC_FIRST_PAIR + 1), Box(13006));
        ASSERT_EQ(patterns.ShowFolder(u"C:\\Stx", 0, 0, L::MODE_ALL, TRUE), 1);
        ASSERT_EQ(ImageOf(patterns, u"zigzag.STX"), L::PIC_FIRST_PAIR + 2);
        ExpectLargePair(patterns, L::PIC_FIRST_PAIR + 2, bmFirst, bmSecond);
        EXPECT_NE(PixelsOf(bmFirst), PixelsOf(bmPlain));
        EXPECT_EQ(PictureOf(patterns.m_imlSmall, L::PIC_FIRST_PAIR + 2), Box(13005));
        EXPECT_EQ(patterns.m_imlSmall.GetImageCount(), patterns.m_imlLarge.GetImageCount());
    });
}

TEST(FolderListTicks, OnlyPicturesFromSixteenOnCanBeTicked)
{
    CProbeList list;
    InHost(list, L::LIST_DESIGN, [&] {
        // A place, a folder, a machine file of a fixed type picture, and two files' pairs.
        const auto items = [](int nA, int nB) {
            return "Documents:2, Folder:4, machine.qef:12, a.qef:" + std::to_string(nA) + ", b.qef:" + std::to_string(nB);
        };
        for (auto [pszLabel, nImage] : {std::pair<const char16_t*, int>{u"Documents", L::PIC_OPEN_FOLDER}, {u"Folder", L::PIC_FOLDER},
                                        {u"machine.qef", L::PIC_QEF}, {u"a.qef", 16}, {u"b.qef", 19}})
            list.InsertItem(list.GetItemCount(), pszLabel, nImage);
        list.m_nCheckedCount = 1;
        for (int i = 0; i < 5; i++) {
            list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
            EXPECT_EQ(list.IsFileSelected(), i < 2 ? 0 : 1) << i;
            list.ToggleCheck();
            list.SetItemState(i, 0, LVIS_SELECTED);
        }
        EXPECT_EQ(Items(list), items(17, 18));
        EXPECT_EQ(list.m_nCheckedCount, 1);
        EXPECT_EQ(list.IsFileSelected(), -1);
        list.ToggleCheck();
        EXPECT_EQ(list.m_nCheckedCount, 1) << "no selection, nothing toggled";
        list.CheckAll();
        EXPECT_EQ(Items(list), items(17, 19));
        EXPECT_EQ(list.m_nCheckedCount, 2) << "each file counted once";
        list.UncheckAll();
        EXPECT_EQ(Items(list), items(16, 18));
        EXPECT_EQ(list.m_nCheckedCount, 0);
    });
}

// The one fixed order of every file list: places and folders by picture, then files by name
// upper-cased, by code unit; a label longer than a sort entry is cut, not overrun.
TEST(SortListCtrl, PlacesAndFoldersByPictureThenFilesByNameUpperCasedByCodeUnit)
{
    const std::u16string strLong(400, u'b');
    const std::pair<std::vector<std::pair<std::u16string, int>>, std::string> cases[] = {
        // The PC list's roots as it inserts them: by picture, not by name; a folder before any
        // file; per-file pictures, and type pictures from 12 on, compare by name alone.
        {{{u"Documents", 2}, {u"Computer", 1}, {u"Desktop", 0}, {u"zzz", 4}, {u"aaa.qef", 30}, {u"Rose.qpx", 17}, {u"Lily.qef+", 12}, {u"USB", 5}},
         "Desktop, Computer, Documents, zzz, USB, aaa.qef, Lily.qef+, Rose.qpx"},
        // No numeric order (B10 before B2); "_" (0x5F) after every letter once upper-cased; a
        // letter beyond ASCII after them all.
        {{{u"B2.qef", 16}, {u"b10.qef", 16}, {u"a_b.qef", 16}, {u"aZ.qef", 16}, {u"A1.qef", 16}, {u"\u00e9t\u00e9.qef", 16}, {u"Zebra.qef", 16}},
         "A1.qef, aZ.qef, a_b.qef, b10.qef, B2.qef, Zebra.qef, \u00e9t\u00e9.qef"},
        {{{strLong, 16}, {u"a.qef", 16}}, "a.qef, " + std::string(400, 'b')},
    };
    CProbeList list;
    InHost(list, L::LIST_DESIGN, [&] {
        for (const auto& [items, strSorted] : cases) {
            list.DeleteAllItems();
            for (const auto& [strLabel, nImage] : items)
                list.InsertItem(list.GetItemCount(), strLabel.c_str(), nImage);
            list.SortByTypeAndName();
            EXPECT_EQ(Items(list, false), strSorted);
        }
    });
}

TEST(FolderListNameRules, EachRuleHasItsMessageAndTheFirstBrokenOneDecides)
{
    const struct {
        const char16_t* pszName;
        int nExpected;
    } cases[] = {
        {u"", IDS_NAME_EMPTY}, {u" \t ", IDS_NAME_EMPTY}, {u".qef", IDS_NAME_NO_STEM}, {u"  .CON?", IDS_NAME_NO_STEM},
        {u"a\"b", IDS_NAME_BAD_CHAR}, {u"a*", IDS_NAME_BAD_CHAR}, {u"a/b", IDS_NAME_BAD_CHAR}, {u"C:x", IDS_NAME_BAD_CHAR},
        {u"<a", IDS_NAME_BAD_CHAR}, {u"a>", IDS_NAME_BAD_CHAR}, {u"CON?", IDS_NAME_BAD_CHAR}, {u"a\\b", IDS_NAME_BAD_CHAR},
        {u"a|b ", IDS_NAME_BAD_CHAR}, {u"\u523a:", IDS_NAME_BAD_CHAR}, {u"\u523a\u7e4d.qef", IDS_NAME_UNSHOWABLE},
        {u"Ana\u0101", IDS_NAME_UNSHOWABLE}, {u"CON", IDS_NAME_RESERVED}, {u"con.txt", IDS_NAME_RESERVED},
        {u"Aux", IDS_NAME_RESERVED}, {u"nul.qef", IDS_NAME_RESERVED}, {u"PRN", IDS_NAME_RESERVED},
        {u"Com1.qef", IDS_NAME_RESERVED}, {u"lpt9", IDS_NAME_RESERVED}, {u"COM5.a.b", IDS_NAME_RESERVED},
        // Lookalikes pass; the rules after the first two read the name untrimmed, so " CON" has a
        // four-character stem.
        {u"COM0", 0}, {u"CON1", 0}, {u"NULL", 0}, {u"LPT10", 0}, {u"CONSOLE.qef", 0}, {u" CON", 0}, {u"CON ", 0},
        {u"  Rose  ", 0}, {u"Caf\u00e9 \u20ac (2) & [a]+{b}=~!@#$%^'.qef+", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFolderListCtrl::ValidateName(c.pszName), c.nExpected) << CString(c.pszName).ToUtf8();
    EXPECT_EQ(listlook::Text(IDS_NAME_EMPTY), u"Enter a file/foder name.");
    // The code page is the asking thread's: the Japanese one has the kanji, not the Latin-4 letter.
    std::thread([] {
        tavren::SetThreadCodePage(932);
        EXPECT_TRUE(CFolderListCtrl::IsShownOnMachine(u"\u523a\u7e4d"));
        EXPECT_EQ(CFolderListCtrl::ValidateName(u"Ana\u0101"), IDS_NAME_UNSHOWABLE);
    }).join();
    // Design and STX files have companions, others none.
    for (auto [pszName, pszCompanion] : {std::pair{u"Rose.qef", u"Rose.qbf"}, {u"ROSE.QEF+", u"ROSE.qbp"}, {u"a.b.qpx", u"a.b.qbx"},
                                         {u"Border.Stx", u"Border.sbx"}, {u"Plain.ord+", u""}, {u"noext", u""},
                                         {u"Rose.qef.bak", u""}, {u"Rose.qbf", u""}, {u"", u""}})
        EXPECT_EQ(CFolderListCtrl::GetCompanionName(pszName), pszCompanion) << CString(pszName).ToUtf8();
}

TEST_F(LocalFilesTest, NewFolderTakesTheNextFreeNameIsSortedAmongTheFoldersAndNamedRightAwayFailuresAreShown)
{
    // A unique name counts up past every entry of exactly that name, in any case, a file too.
    fs::create_directories(Host("New Folder"));
    fs::create_directories(Host("NEW FOLDER (2)"));
    Touch("New Folder Old"); // only begins with the name
    Touch("New Folder (3).qef");
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\Work", u"New Folder"), u"New Folder (3)");
    Touch("new folder (3)");
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\Work", u"New Folder"), u"New Folder (4)");
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\", u"work"), u"work (2)");
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\Gone", u"New Folder"), u"");
    fs::remove(Host("new folder (3)"));
    Touch("Taken");
    m_fill = {{u"New Folder", -1}, {u"Anemone.qef", 0}, {u"NEW FOLDER (2)", -1}};
    std::atomic<int> nOpen{0};
    m_fnOpen = [&] {
        if (nOpen++ == 0)
            return static_cast<int>(m_list.CreateFolderOrReport(u"C:\\Work\\Taken"));
        m_list.m_strCurrentPath = u"C:\\Vanished"; // a folder gone: nothing is made, nothing said
        m_list.CreateNewLocalFolder();
        return m_list.GetItemCount();
    };
    Run([&](ScriptedUser& u) {
        // Without a tick "Delete" asks nothing.
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == FALSE; }, "the delete to decline");
        u.Expect(m_dlg.InFront(u), "no question without a tick");
        u.Click(CListHostDlg::IDC_HOST_NEW);
        Snapshot s = u.WaitUntil([&](const Snapshot& snap) { return ListIn(snap) && ListIn(snap)->nEditItem == 2; }, "the editor");
        u.Expect(listlook::Labels(s) == Names{u"New Folder", u"NEW FOLDER (2)", u"New Folder (3)", u"Anemone.qef"}, "sorted");
        u.Expect(ListIn(s)->items[2].nImage == CFolderListCtrl::PIC_FOLDER && fs::is_directory(Host("New Folder (3)")),
                 "the folder picture, made on disk");
        u.Expect(tavren::TypeText(ListIn(s)->hEdit, u"Summer") && tavren::PressKey(m_dlg.m_hShown, VK_RETURN), "naming it");
        ExpectLabels(u, {u"New Folder", u"NEW FOLDER (2)", u"Summer", u"Anemone.qef"}, "the new folder named");
        u.Click(CListHostDlg::IDC_HOST_OPEN);
        const auto box = CListHostDlg::AnswerBox(u, u"Error", u"Cannot create a file when that file already exists.\r\n");
        u.Expect(box.nIcon == MB_ICONINFORMATION && box.buttons == std::vector<int>{IDOK}, "an OK box, information icon");
        u.Click(CListHostDlg::IDC_HOST_OPEN);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == 4; }, "no item for a vanished folder");
        u.Expect(m_dlg.InFront(u), "no box for a vanished folder");
    });
    EXPECT_TRUE(fs::is_directory(Host("Summer")));
    EXPECT_FALSE(Exists("New Folder (3)"));
    EXPECT_TRUE(fs::is_regular_file(Host("Taken")));
    EXPECT_FALSE(fs::exists(m_drives.Host("c/Vanished")));
}

// Renamed files keep their type and take their companion along, folders lose trailing full
// stops; a refused rename is explained, loses nothing, and the edit starts again.
TEST_F(LocalFilesTest, RenamedFilesKeepTheirTypeAndARefusedRenameIsExplainedAndTheEditStartsAgain)
{
    Touch("a.QEF", "design a");
    Touch("a.qbf", "companion a");
    Touch("c.qpx", "design c");
    Touch("M\xc3\xbcller.qef+", "design m");
    Touch("gone.qef");
    Touch("taken.qef", "design t");
    fs::create_directories(Host("Old"));
    m_fill = {{u"a.QEF", 0}, {u"c.qpx", 0}, {u"M\u00fcller.qef+", 0}, {u"Old", -1}, {u"gone.qef", 0}};
    Run([&](ScriptedUser& u) {
        u.EditLabel(kList, 0, u"  b  "); // trimmed; the old extension back, lower-cased
        ExpectLabels(u, {u"b.qef", u"c.qpx", u"M\u00fcller.qef+", u"Old", u"gone.qef"}, "b.qef");
        u.EditLabel(kList, 0, u"b.txt"); // another extension is part of the name
        ExpectLabels(u, {u"b.txt.qef", u"c.qpx", u"M\u00fcller.qef+", u"Old", u"gone.qef"}, "b.txt.qef");
        u.EditLabel(kList, 1, u"D.QPX"); // its own extension in other case is not doubled
        u.EditLabel(kList, 1, u"d.QPX"); // only the case changes
        u.EditLabel(kList, 2, u"B\u00e4r");
        u.EditLabel(kList, 3, u"New..");
        const Names renamed = {u"b.txt.qef", u"d.QPX", u"B\u00e4r.qef+", u"New", u"gone.qef"};
        ExpectLabels(u, renamed, "all renamed");
        u.EditLabel(kList, 3, u"Other", false); // Escape
        u.EditLabel(kList, 3, u"New");          // unchanged
        ExpectLabels(u, renamed, "no change");

        u.EditLabel(kList, 0, u"CON");
        const auto& box = u.ExpectMessageBox(u"Confirm", listlook::Text(IDS_NAME_RESERVED).GetString());
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "a broken rule shows the exclamation icon");
        AnswerAndEditAgain(u, 0, u"Rose:Red");
        u.ExpectMessageBox(u"Confirm", listlook::Text(IDS_NAME_BAD_CHAR).GetString());
        AnswerAndEditAgain(u, 0, u"Taken"); // another file's name: not replaced
        const auto& error = u.ExpectMessageBox(u"Error", u"Cannot create a file when that file already exists.\r\n");
        u.Expect(error.nIcon == MB_ICONINFORMATION, "a file-system failure shows the information icon");
        AnswerAndEditAgain(u, 0, u"");
        fs::remove(Host("gone.qef"));
        u.EditLabel(kList, 4, u"here");
        u.ExpectMessageBox(u"Error", u"The system cannot find the file specified.\r\n");
        AnswerAndEditAgain(u, 4, u"");
        ExpectLabels(u, renamed, "every label as it was");
    });
    EXPECT_EQ(Read("b.txt.qef"), "design a");
    EXPECT_EQ(Read("b.txt.qbf"), "companion a");
    EXPECT_FALSE(Exists("a.qef") || Exists("a.qbf") || Exists("b.qef") || Exists("Old") || Exists("Other") || Exists("CON.qef") || Exists("here.qef"));
    EXPECT_EQ(Read("d.QPX"), "design c");
    EXPECT_TRUE(fs::exists(Host("d.QPX")) && !fs::exists(Host("D.QPX")));
    EXPECT_EQ(Read("B\xc3\xa4r.qef+"), "design m");
    EXPECT_TRUE(fs::is_directory(Host("New")));
    EXPECT_EQ(Read("taken.qef"), "design t");
    EXPECT_EQ(m_list.m_nRenames, 6);
}

// A list that counts more ticks than it holds: what was deleted stays deleted, the list is left
// as it was.
TEST_F(LocalFilesTest, ATickCountBeyondTheItemsDeletesWhatItMeetsAndLeavesTheList)
{
    Touch("a.qef");
    Touch("b.qef");
    m_fill = {{u"a.qef", 1}, {u"b.qef", 1}};
    Run([&](ScriptedUser& u) {
        u.Expect(m_dlg.RunOnUiThread([&] { m_list.m_nCheckedCount = 3; m_nResult = -1; }), "one tick too many");
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == FALSE; }, "the delete to stop");
        ExpectLabels(u, {u"a.qef", u"b.qef"}, "the list as it was");
    });
    EXPECT_EQ(m_list.m_nCheckedCount, 3);
    EXPECT_FALSE(Exists("a.qef") || Exists("b.qef"));
}

TEST_F(LocalFilesTest, TickedFilesAreDeletedOnYesAndAReadOnlyOneStaysTicked)
{
    for (const char* psz : {"a.qef", "a.qbf", "b.qef", "c.qef", "d.qef"})
        Touch(psz);
    fs::create_directories(Host("Folder"));
    chmod(Host("b.qef").c_str(), 0444);
    m_fill = {{u"d.qef", 0}, {u"a.qef", 1}, {u"Folder", -1}, {u"b.qef", 1}, {u"c.qef", 1}};
    Run([&](ScriptedUser& u) {
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        const auto ask = CListHostDlg::AnswerBox(u, u"Confirm Deleting", u"Are you sure you want to delete the selected file(s)/folder(s)?", IDNO);
        u.Expect(ask.nIcon == MB_ICONQUESTION && ask.buttons == std::vector<int>{IDYES, IDNO}, "a Yes/No question");
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        CListHostDlg::AnswerBox(u, u"Error", u"Access is denied.\r\n");
        Snapshot s = ExpectLabels(u, {u"Folder", u"b.qef", u"d.qef"}, "the deleted files gone, the rest sorted");
        u.Expect(ListIn(s)->items[1].nImage % 2 == 1 && ListIn(s)->items[2].nImage % 2 == 0, "ticks kept");
    });
    EXPECT_EQ(m_nResult, TRUE);
    EXPECT_EQ(m_list.m_nCheckedCount, 1);
    EXPECT_FALSE(Exists("a.qef") || Exists("c.qef"));
    EXPECT_TRUE(Exists("b.qef") && Exists("d.qef") && Exists("Folder"));
    EXPECT_TRUE(Exists("a.qbf")) << "companions stay";
}
