// The folder list as a person meets it: what a folder shows and in which order (and the one order
// of every file list), the thumbnails and check boxes of its files, ticking files, the label an
// edit starts from, and what the list starts with.
#include "tests/lists/ListHostDlg.h"
#include "tests/lists/ListTestDrives.h"
#include "tests/support/Watchdog.h"
#include "tests/support/ScriptedUser.h"

#include "design/StxFile.h"
#include "platform/gdi/Gdi.h"
#include "preview/ListPicture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using L = CFolderListCtrl;
using Pixels = std::vector<uint8_t>;

// The folder list with its protected parts in reach, a count of location-box rebuilds and
// whether the wait cursor was up then (at the end of a fill).
class CProbeList : public CFolderListCtrl {
public:
    using CFolderListCtrl::AddTypePicture;
    using CFolderListCtrl::CreateImageLists;
    void UpdateLocationBox() override
    {
        m_nLocationUpdates++;
        m_bWaitCursorAtUpdate = tavren::WaitCursorShown();
    }
    int m_nLocationUpdates = 0;
    bool m_bWaitCursorAtUpdate = false;
};

struct Entry {
    std::u16string strLabel;
    int nImage;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Entry& e)
{
    return os << CString(e.strLabel).ToUtf8() << " (" << e.nImage << ")";
}

std::vector<Entry> Entries(const CListCtrl& list)
{
    std::vector<Entry> out;
    for (int i = 0; i < list.GetItemCount(); i++) {
        LVITEM item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        list.GetItem(&item);
        out.push_back({list.GetItemText(i, 0).Str(), item.iImage});
    }
    return out;
}

std::vector<std::u16string> Labels(const CListCtrl& list)
{
    std::vector<std::u16string> out;
    for (const Entry& e : Entries(list))
        out.push_back(e.strLabel);
    return out;
}

int ImageOf(const CListCtrl& list, std::u16string_view strLabel)
{
    for (const Entry& e : Entries(list))
        if (e.strLabel == strLabel)
            return e.nImage;
    return -1;
}

Pixels PictureOf(HIMAGELIST himl, int i)
{
    tavren::ImageListPicture picture;
    EXPECT_TRUE(tavren::GetImageListPicture(himl, i, picture)) << "picture " << i;
    return picture.bgr;
}

Pixels PixelsOf(const CBitmap& bm)
{
    int w = 0, h = 0;
    Pixels bgr;
    EXPECT_TRUE(tavren::GetBitmapPixels(bm.m_hObject, w, h, bgr));
    return bgr;
}

// A picture of the location box's list (the small strip, white transparent) drawn onto white:
// what a file's type picture must look like.
Pixels OnWhite(HIMAGELIST himlMasked, int i)
{
    tavren::ImageListPicture picture;
    EXPECT_TRUE(tavren::GetImageListPicture(himlMasked, i, picture));
    for (size_t p = 0; p < picture.transparent.size(); p++)
        if (picture.transparent[p])
            picture.bgr[p * 3] = picture.bgr[p * 3 + 1] = picture.bgr[p * 3 + 2] = 255;
    return picture.bgr;
}

Pixels Box(UINT nId)
{
    CBitmap bm;
    EXPECT_TRUE(CListPicture::LoadBox(nId, bm));
    return PixelsOf(bm);
}

// Runs fn on the dialog's thread while the host opens, with the list attached; the host then
// closes without ever being shown. For checks that need a list view but no person.
void InHost(CFolderListCtrl& list, const std::function<void(CListHostDlg&)>& fn)
{
    tavren::test::Watchdog watchdog(30000);
    CListHostDlg dlg(list);
    dlg.m_onInit = [&](CListHostDlg& d) {
        fn(d);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

// A design list on C:\Designs: the list's own designs (one unreadable, two with names far from
// plain ASCII), files of other kinds, hidden entries and a folder whose name looks like a design.
void WriteDesignFolder(const CListTestDrives& drives)
{
    drives.MakeFolder("c/Designs/Flowers");
    drives.MakeFolder("c/Designs/zoo.qef");
    drives.MakeFolder("c/Designs/.secret");
    for (const char* name : {"rose.QEF", "tulip.qef+", "lily.qpx", "b10.qef", "b2.qef", ".hidden.qef", "old.qef.bak",
                             "Ros\u00e9 & Co (2).qef", "\u8594\u8587.qef"})
        drives.WriteDesign(std::string("c/Designs/") + name);
    drives.Write("c/Designs/notes.txt", "not a design");
    drives.Write("c/Designs/broken.qef", "this is no design file at all");
    drives.Write("c/Designs/Star.dst", fixture::ReadWholeFile(tavren::test::SourceDir() + "/tests/fixtures/corpus/Star.DST"));
}

const std::vector<std::u16string> kDesignFolderLabels = {u"Flowers", u"zoo.qef", u"b10.qef", u"b2.qef", u"lily.qpx",
                                                         u"rose.QEF", u"Ros\u00e9 & Co (2).qef", u"tulip.qef+", u"\u8594\u8587.qef"};
const std::vector<std::u16string> kDesignFolderFiles(kDesignFolderLabels.begin() + 2, kDesignFolderLabels.end());

} // namespace

TEST(FolderListNames, TheExtensionFromTheLastDotDecidesWhichListShowsAFile)
{
    EXPECT_EQ(L::GetExtension(u"design.QEF"), u".qef");
    EXPECT_EQ(L::GetExtension(u"a.b.QeF+"), u".qef+");
    EXPECT_EQ(L::GetExtension(u".qef"), u".qef");
    EXPECT_EQ(L::GetExtension(u"noextension"), u"");
    EXPECT_EQ(L::GetExtension(u"ends with a dot."), u".");

    struct Case {
        const char16_t* pszName;
        bool bDesign, bStx, bOrdPlus;
    };
    for (const Case& c : {Case{u"design.QEF", true, false, false}, Case{u"design.qef+", true, false, false},
                          Case{u"DESIGN.Qpx", true, false, false}, Case{u"design.qef.bak", false, false, false},
                          Case{u"design.qefx", false, false, false}, Case{u"Star.dst", false, false, false},
                          Case{u"qef", false, false, false}, Case{u"sheet.STX", false, true, false},
                          Case{u"pattern.Ord+", false, false, true}, Case{u"pattern.ord", false, false, false}}) {
        CFolderListCtrl list;
        list.m_nListKind = L::LIST_DESIGN;
        EXPECT_EQ(!!list.AcceptsFile(c.pszName), c.bDesign) << CString(c.pszName).ToUtf8();
        list.m_nListKind = L::LIST_STX;
        EXPECT_EQ(!!list.AcceptsFile(c.pszName), c.bStx) << CString(c.pszName).ToUtf8();
        list.m_nListKind = L::LIST_ORDPLUS;
        EXPECT_EQ(!!list.AcceptsFile(c.pszName), c.bOrdPlus) << CString(c.pszName).ToUtf8();
        list.m_nListKind = 3;
        EXPECT_FALSE(list.AcceptsFile(c.pszName)) << "a list of no known kind shows no file";
    }
}

TEST(FolderListFill, ShowsItsFoldersFirstThenItsOwnReadableDesignsByName)
{
    CListTestDrives drives;
    WriteDesignFolder(drives);
    CProbeList list;
    InHost(list, [&](CListHostDlg&) {
        list.m_nListKind = L::LIST_DESIGN;
        ASSERT_TRUE(list.CreateImageLists());
        list.EnableGroupView(TRUE);
        EXPECT_EQ(list.ShowFolder(u"C:\\Designs", 1, 0, L::MODE_ALL, TRUE), 9);
        EXPECT_EQ(Labels(list), kDesignFolderLabels);
        std::set<int> images;
        for (const Entry& e : Entries(list)) {
            if (e.strLabel == u"Flowers" || e.strLabel == u"zoo.qef") {
                EXPECT_EQ(e.nImage, L::PIC_FOLDER) << e;
            } else {
                EXPECT_GE(e.nImage, L::PIC_FIRST_PAIR) << e;
                EXPECT_EQ(e.nImage % 2, 0) << e << " starts unticked";
                images.insert(e.nImage);
            }
        }
        EXPECT_EQ(images.size(), 7u) << "every file has a picture pair of its own";
        // An unreadable design adds no pictures, so both lists keep numbering their pairs alike.
        EXPECT_EQ(list.m_imlSmall.GetImageCount(), 16 + 2 * 7);
        EXPECT_EQ(list.m_imlLarge.GetImageCount(), 16 + 2 * 7);
        EXPECT_EQ(list.m_strCurrentPath, u"C:\\Designs");
        EXPECT_EQ(list.m_nLevel, 1);
        EXPECT_EQ(list.m_nLocationUpdates, 1) << "the location box is rebuilt after the fill";
        EXPECT_TRUE(list.m_bWaitCursorAtUpdate) << "a fill shows the wait cursor";
        EXPECT_FALSE(tavren::WaitCursorShown()) << "and takes it away at the end";
        EXPECT_FALSE(list.IsGroupViewEnabled());

        // Items counted from a first index; the level moves by the step.
        EXPECT_EQ(list.ShowFolder(u"C:\\Designs\\Flowers", 2, 5, L::MODE_ALL, TRUE), 5);
        EXPECT_EQ(list.GetItemCount(), 0);
        EXPECT_EQ(list.m_nLevel, 3);
        EXPECT_EQ(list.ShowFolder(u"c:\\designs", -1, 5, L::MODE_ALL, TRUE), 14);
        EXPECT_EQ(Labels(list), kDesignFolderLabels);
        EXPECT_EQ(list.m_nLevel, 2);
        EXPECT_EQ(list.m_nLocationUpdates, 3);
    });
}

TEST(FolderListFill, ModesShowFoldersOnlyOrPassEveryEntryThroughTheFileTest)
{
    CListTestDrives drives;
    WriteDesignFolder(drives);
    drives.MakeFolder("c/Ord/Plain");
    drives.MakeFolder("c/Ord/stitches.ORD+");
    drives.Write("c/Ord/a.ord+", "ordinary stitches");
    drives.WriteDesign("c/Ord/b.qef");
    CProbeList designs, patterns;
    InHost(designs, [&](CListHostDlg&) {
        designs.m_nListKind = L::LIST_DESIGN;
        ASSERT_TRUE(designs.CreateImageLists());
        EXPECT_EQ(designs.ShowFolder(u"C:\\Designs", 1, 0, L::MODE_FOLDERS_ONLY, TRUE), 2);
        EXPECT_EQ(Labels(designs), (std::vector<std::u16string>{u"Flowers", u"zoo.qef"}));
        // A folder named like a design is not a design that can be read.
        EXPECT_EQ(designs.ShowFolder(u"C:\\Designs", 0, 0, L::MODE_FILES_AS_ENTRIES, TRUE), 7);
        EXPECT_EQ(Labels(designs), kDesignFolderFiles);
    });
    InHost(patterns, [&](CListHostDlg&) {
        patterns.m_nListKind = L::LIST_ORDPLUS;
        ASSERT_TRUE(patterns.CreateImageLists());
        EXPECT_EQ(patterns.ShowFolder(u"C:\\Ord", 1, 0, L::MODE_ALL, TRUE), 3);
        EXPECT_EQ(Entries(patterns), (std::vector<Entry>{{u"Plain", 4}, {u"stitches.ORD+", 4}, {u"a.ord+", 16}}));
        // An ORD+ file is never read, so in mode 1 a folder with its extension is listed as one.
        EXPECT_EQ(patterns.ShowFolder(u"C:\\Ord", 0, 0, L::MODE_FILES_AS_ENTRIES, TRUE), 2);
        EXPECT_EQ(Entries(patterns), (std::vector<Entry>{{u"a.ord+", 16}, {u"stitches.ORD+", 16}}));
    });
}

TEST(FolderListFill, AFolderThatCannotBeEnteredLeavesTheListAsItWas)
{
    CListTestDrives drives;
    WriteDesignFolder(drives);
    drives.WriteDesign("USBSTICK/rose.qef");
    drives.MakeFolder("USBSTICK/EMB");
    CProbeList list;
    InHost(list, [&](CListHostDlg&) {
        list.m_nListKind = L::LIST_DESIGN;
        ASSERT_TRUE(list.CreateImageLists());
        ASSERT_EQ(list.ShowFolder(u"C:\\Designs", 1, 0, L::MODE_ALL, TRUE), 9);
        list.CheckAll();
        const std::vector<Entry> before = Entries(list);
        for (const char16_t* pszPath : {u"C:\\Designs\\Gone", u"D:\\", u"Q:\\Designs", u"C:\\Designs\\notes.txt"}) {
            EXPECT_EQ(list.ShowFolder(pszPath, 1, 0, L::MODE_ALL, TRUE), -1) << CString(pszPath).ToUtf8();
            EXPECT_EQ(Entries(list), before) << "the items and their ticks stay";
            EXPECT_EQ(list.m_nCheckedCount, 7);
            EXPECT_EQ(list.m_strCurrentPath, u"C:\\Designs");
            EXPECT_EQ(list.m_nLevel, 1);
            EXPECT_EQ(list.m_nLocationUpdates, 1);
        }
        // A drive's root: the files' paths get a second backslash after the colon, and still read.
        EXPECT_EQ(list.ShowFolder(u"E:\\", 1, 0, L::MODE_ALL, TRUE), 2);
        EXPECT_EQ(Labels(list), (std::vector<std::u16string>{u"EMB", u"rose.qef"}));
        EXPECT_EQ(list.m_nCheckedCount, 0) << "the ticks go with the refill";
    });
}

TEST(FolderListPictures, DesignsShowTheirThumbnailWithBoxesOrTheirTypeInTheSmallList)
{
    CListTestDrives drives;
    for (const char* name : {"rose.qef", "tulip.qef+", "lily.qpx"})
        drives.WriteDesign(std::string("c/Pics/") + name, "Cake 3.dst");
    CProbeList list;
    InHost(list, [&](CListHostDlg&) {
        list.m_nListKind = L::LIST_DESIGN;
        ASSERT_TRUE(list.CreateImageLists());
        for (BOOL bWithChecks : {TRUE, FALSE}) {
            ASSERT_EQ(list.ShowFolder(u"C:\\Pics", 0, 0, L::MODE_ALL, bWithChecks), 3);
            for (auto [pszName, nType] : {std::pair{u"rose.qef", L::PIC_QEF}, std::pair{u"tulip.qef+", L::PIC_QEF_PLUS},
                                          std::pair{u"lily.qpx", L::PIC_QPX}}) {
                SCOPED_TRACE(CString(pszName).ToUtf8() + (bWithChecks ? " with checks" : " without checks"));
                const int n = ImageOf(list, pszName);
                ASSERT_GE(n, L::PIC_FIRST_PAIR);
                CEmbFile file;
                CEmbData design;
                ASSERT_TRUE(file.ReadFile(CString(u"C:\\Pics\\") + pszName, design));
                CBitmap bmFirst, bmSecond;
                ASSERT_TRUE(CListPicture::MakeDesignPair(design, bWithChecks, bmFirst, bmSecond));
                EXPECT_EQ(PictureOf(list.m_imlLarge, n), PixelsOf(bmFirst));
                EXPECT_EQ(PictureOf(list.m_imlLarge, n + 1), PixelsOf(bmSecond));
                EXPECT_EQ(PictureOf(list.m_imlSmall, n), bWithChecks ? Box(13005) : OnWhite(list.m_imlLocationBox, nType));
                EXPECT_EQ(PictureOf(list.m_imlSmall, n + 1), Box(13006));
            }
        }
    });
}

// Pictures are made several files at a time: a folder of a few windows' worth, with unreadable
// files and folders among the designs, must come out as if made one file after the other.
TEST(FolderListPictures, AFolderOfManyDesignsGetsEachItsOwnPictureInStep)
{
    const char* const kDesigns[] = {"Star.DST", "Cake 3.dst", "Bean.dst", "shamrockin.dst", "rectangle.dst"};
    CListTestDrives drives;
    std::vector<std::string> readable;
    for (int i = 0; i < 150; i++) {
        char name[32];
        std::snprintf(name, sizeof name, "d%03d", i);
        if (i % 29 == 3) {
            drives.MakeFolder(std::string("c/Many/") + name + ".qef");
        } else if (i % 11 == 5) {
            drives.Write(std::string("c/Many/") + name + ".qef", "no design");
        } else {
            drives.WriteDesign(std::string("c/Many/") + name + ".qef", kDesigns[i % 5]);
            readable.push_back(name);
        }
    }
    CProbeList list;
    InHost(list, [&](CListHostDlg&) {
        list.m_nListKind = L::LIST_DESIGN;
        ASSERT_TRUE(list.CreateImageLists());
        ASSERT_GT(150u, 2 * CFilePictures::WINDOW);
        ASSERT_EQ(list.ShowFolder(u"C:\\Many", 0, 0, L::MODE_ALL, TRUE), 6 + static_cast<int>(readable.size()));
        EXPECT_EQ(list.m_imlSmall.GetImageCount(), list.m_imlLarge.GetImageCount());
        EXPECT_EQ(list.m_imlLarge.GetImageCount(), 16 + 2 * static_cast<int>(readable.size()));
        std::set<int> images;
        for (const std::string& name : readable) {
            SCOPED_TRACE(name);
            const CString strName = CString::FromUtf8(name + ".qef");
            const int n = ImageOf(list, strName.Str());
            ASSERT_GE(n, L::PIC_FIRST_PAIR);
            images.insert(n);
            CEmbFile file;
            CEmbData design;
            ASSERT_TRUE(file.ReadFile(CString(u"C:\\Many\\") + strName, design));
            CBitmap bmFirst, bmSecond;
            ASSERT_TRUE(CListPicture::MakeDesignPair(design, TRUE, bmFirst, bmSecond));
            EXPECT_EQ(PictureOf(list.m_imlLarge, n), PixelsOf(bmFirst));
            EXPECT_EQ(PictureOf(list.m_imlLarge, n + 1), PixelsOf(bmSecond));
        }
        EXPECT_EQ(images.size(), readable.size());
    });
}

TEST(FolderListPictures, StxPatternsShowTheirOutlineWithoutABoxWhenUnchecked)
{
    CListTestDrives drives;
    drives.WriteStx("c/Stx/zigzag.STX", 12);
    drives.Write("c/Stx/torn.stx", "STX but torn");
    drives.WriteDesign("c/Stx/rose.qef");
    CProbeList list;
    InHost(list, [&](CListHostDlg&) {
        list.m_nListKind = L::LIST_STX;
        ASSERT_TRUE(list.CreateImageLists());
        CStxFile stx;
        ASSERT_TRUE(stx.ReadFile(u"C:\\Stx\\zigzag.STX"));
        CBitmap bmPlain;
        ASSERT_TRUE(CListPicture::DrawStxPicture(stx, bmPlain));

        ASSERT_EQ(list.ShowFolder(u"C:\\Stx", 0, 0, L::MODE_ALL, FALSE), 1);
        int n = ImageOf(list, u"zigzag.STX");
        ASSERT_EQ(n, L::PIC_FIRST_PAIR);
        EXPECT_EQ(PictureOf(list.m_imlLarge, n), PixelsOf(bmPlain));
        EXPECT_EQ(PictureOf(list.m_imlLarge, n + 1), PixelsOf(bmPlain)) << "no tick without checks";
        EXPECT_EQ(PictureOf(list.m_imlSmall, n), OnWhite(list.m_imlLocationBox, L::PIC_STX));
        EXPECT_EQ(PictureOf(list.m_imlSmall, n + 1), Box(13006));

        ASSERT_EQ(list.ShowFolder(u"C:\\Stx", 0, 0, L::MODE_ALL, TRUE), 1);
        n = ImageOf(list, u"zigzag.STX");
        ASSERT_EQ(n, L::PIC_FIRST_PAIR + 2);
        CBitmap bmFirst, bmSecond;
        ASSERT_TRUE(CListPicture::MakeStxPair(stx, TRUE, bmFirst, bmSecond));
        EXPECT_EQ(PictureOf(list.m_imlLarge, n), PixelsOf(bmFirst));
        EXPECT_EQ(PictureOf(list.m_imlLarge, n + 1), PixelsOf(bmSecond));
        EXPECT_NE(PixelsOf(bmFirst), PixelsOf(bmPlain));
        EXPECT_EQ(PictureOf(list.m_imlSmall, n), Box(13005));
        EXPECT_EQ(list.m_imlSmall.GetImageCount(), list.m_imlLarge.GetImageCount());
    });
}

TEST(FolderListTicks, OnlyPicturesFromSixteenOnCanBeTicked)
{
    CProbeList list;
    InHost(list, [&](CListHostDlg&) {
        // A place, a folder, a machine file of a fixed type picture, and two files' pairs.
        const std::vector<std::pair<const char16_t*, int>> items = {
            {u"Documents", L::PIC_OPEN_FOLDER}, {u"Folder", L::PIC_FOLDER}, {u"machine.qef", L::PIC_QEF},
            {u"a.qef", 16}, {u"b.qef", 19}};
        for (size_t i = 0; i < items.size(); i++)
            list.InsertItem(static_cast<int>(i), items[i].first, items[i].second);
        list.m_nCheckedCount = 1;
        const std::vector<int> selectedAnswers = {0, 0, 1, 1, 1};
        for (int i = 0; i < 5; i++) {
            list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
            EXPECT_EQ(list.IsFileSelected(), selectedAnswers[static_cast<size_t>(i)]) << i;
            list.ToggleCheck();
            list.SetItemState(i, 0, LVIS_SELECTED);
        }
        EXPECT_EQ(Entries(list), (std::vector<Entry>{{u"Documents", 2}, {u"Folder", 4}, {u"machine.qef", 12}, {u"a.qef", 17}, {u"b.qef", 18}}));
        EXPECT_EQ(list.m_nCheckedCount, 1);
        EXPECT_EQ(list.IsFileSelected(), -1);
        list.ToggleCheck();
        EXPECT_EQ(list.m_nCheckedCount, 1) << "no selection, nothing toggled";
        list.CheckAll();
        EXPECT_EQ(Entries(list), (std::vector<Entry>{{u"Documents", 2}, {u"Folder", 4}, {u"machine.qef", 12}, {u"a.qef", 17}, {u"b.qef", 19}}));
        EXPECT_EQ(list.m_nCheckedCount, 2) << "each file counted once";
        list.UncheckAll();
        EXPECT_EQ(Entries(list), (std::vector<Entry>{{u"Documents", 2}, {u"Folder", 4}, {u"machine.qef", 12}, {u"a.qef", 16}, {u"b.qef", 18}}));
        EXPECT_EQ(list.m_nCheckedCount, 0);
    });
}

// The one fixed order of every file list: places and folders by picture, then files by name
// upper-cased, by code unit; a label longer than a sort entry is cut, not overrun.
TEST(SortListCtrl, PlacesAndFoldersByPictureThenFilesByNameUpperCasedByCodeUnit)
{
    const std::u16string strLong(400, u'b');
    struct Case {
        std::vector<std::pair<std::u16string, int>> items;
        std::vector<std::u16string> sorted;
    };
    const Case cases[] = {
        // The PC list's roots as it inserts them: by picture, not by name; a folder before any
        // file; per-file pictures, and type pictures from 12 on, compare by name alone.
        {{{u"Documents", 2}, {u"Computer", 1}, {u"Desktop", 0}, {u"zzz", 4}, {u"aaa.qef", 30}, {u"Rose.qpx", 17},
          {u"Lily.qef+", 12}, {u"USB", 5}},
         {u"Desktop", u"Computer", u"Documents", u"zzz", u"USB", u"aaa.qef", u"Lily.qef+", u"Rose.qpx"}},
        // No numeric order (B10 before B2); "_" (0x5F) after every letter once upper-cased; a
        // letter beyond ASCII after them all.
        {{{u"B2.qef", 16}, {u"b10.qef", 16}, {u"a_b.qef", 16}, {u"aZ.qef", 16}, {u"A1.qef", 16}, {u"\u00e9t\u00e9.qef", 16},
          {u"Zebra.qef", 16}},
         {u"A1.qef", u"aZ.qef", u"a_b.qef", u"b10.qef", u"B2.qef", u"Zebra.qef", u"\u00e9t\u00e9.qef"}},
        {{{strLong, 16}, {u"a.qef", 16}}, {u"a.qef", strLong}},
    };
    CFolderListCtrl list;
    InHost(list, [&](CListHostDlg&) {
        for (const Case& c : cases) {
            list.DeleteAllItems();
            for (const auto& [strLabel, nImage] : c.items)
                list.InsertItem(list.GetItemCount(), strLabel.c_str(), nImage);
            list.SortByTypeAndName();
            EXPECT_EQ(Labels(list), c.sorted);
        }
    });
    CSortListCtrl::SortEntry entries[2] = {{u"abc.qef", 16}, {u"ABC.qef", 16}};
    EXPECT_EQ(CSortListCtrl::CompareItems(0, 1, reinterpret_cast<LPARAM>(entries)), 0);
    CSortListCtrl::SortEntry mixed[2] = {{u"aaa", 17}, {u"AAB", 30}};
    EXPECT_EQ(CSortListCtrl::CompareItems(0, 1, reinterpret_cast<LPARAM>(mixed)), -1);
    EXPECT_EQ(CSortListCtrl::CompareItems(1, 0, reinterpret_cast<LPARAM>(mixed)), 1);
}
