// The PC list on a folder of real designs, as a person sees it in the large-icon view: every file
// its own thumbnail, in name order, and a click ticks it in the thumbnail's corner.
#include "lists/PcListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/lists/ListTestDrives.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/Watchdog.h"

#include "platform/gdi/Gdi.h"
#include "preview/ListPicture.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using tavren::test::Narrow;

using tavren::ScriptedUser;
using tavren::Snapshot;
using Pixels = std::vector<uint8_t>;

constexpr int kList = CListHostDlg::IDC_HOST_LIST;
constexpr int kSide = CListPicture::PICTURE_SIZE;
constexpr int kBox = CListPicture::BOX_SIZE;

// Each corpus design under a name of its own and in one of the three native formats. Listed in
// the order the list must show them: names compared upper-cased, code unit by code unit, so
// "bean" comes before "Cake", "-" before "." and "STARS" before "star_" ('S' < '_').
struct CorpusFile {
    const char* pszName;
    const char* pszCorpus;
};
const CorpusFile kFiles[] = {
    {"bean.qef", "Bean.dst"},
    {"Cake 3.qpx", "Cake 3.dst"},
    {"Embroidermodder-logo.qef", "Embroidermodder-logo-2022.dst"},
    {"EMBROIDERMODDER.qef+", "Embroidermodder.DST"},
    {"Rectangle.QEF", "rectangle.dst"},
    {"STARS.qef", "Star.DST"},
    {"star_shamrock.qpx", "shamrockin.dst"},
};

std::u16string Wide(const char* psz)
{
    std::u16string s;
    while (*psz)
        s += static_cast<char16_t>(*psz++);
    return s;
}

Pixels PixelsOf(const CBitmap& bm)
{
    int w = 0, h = 0;
    Pixels bgr;
    EXPECT_TRUE(tavren::GetBitmapPixels(bm.m_hObject, w, h, bgr));
    EXPECT_TRUE(w == kSide && h == kSide) << w << " x " << h;
    return bgr;
}

bool IsBlack(const Pixels& p, int x, int y)
{
    const size_t i = (static_cast<size_t>(y) * kSide + x) * 3;
    return p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 0;
}

bool IsInCorner(int x, int y)
{
    return x >= kSide - kBox && y >= kSide - kBox;
}

// Inside the frame and outside the box corner: pixels that are neither white nor the light-thread
// background, i.e. stitches.
int StitchPixels(const Pixels& p)
{
    const COLORREF light = CListPicture::LIGHT_THREAD_BACKGROUND;
    int n = 0;
    for (int y = 1; y < kSide - 1; y++)
        for (int x = 1; x < kSide - 1; x++) {
            if (IsInCorner(x, y))
                continue;
            const size_t i = (static_cast<size_t>(y) * kSide + x) * 3;
            const bool bWhite = p[i] == 255 && p[i + 1] == 255 && p[i + 2] == 255;
            const bool bLight = p[i] == GetBValue(light) && p[i + 1] == GetGValue(light) && p[i + 2] == GetRValue(light);
            n += !bWhite && !bLight;
        }
    return n;
}

bool HasFrame(const Pixels& p)
{
    for (int i = 0; i < kSide; i++)
        if (!IsBlack(p, i, 0) || !IsBlack(p, i, kSide - 1) || !IsBlack(p, 0, i) || !IsBlack(p, kSide - 1, i))
            return false;
    return true;
}

// Where two pictures differ: only inside the box corner, and somewhere there.
bool DifferOnlyInCorner(const Pixels& a, const Pixels& b)
{
    bool bCornerDiffers = false;
    for (int y = 0; y < kSide; y++)
        for (int x = 0; x < kSide; x++) {
            const size_t i = (static_cast<size_t>(y) * kSide + x) * 3;
            const bool bSame = a[i] == b[i] && a[i + 1] == b[i + 1] && a[i + 2] == b[i + 2];
            if (!bSame && !IsInCorner(x, y))
                return false;
            bCornerDiffers |= !bSame;
        }
    return bCornerDiffers;
}

// What a person sees of one item: its label and the large picture it shows.
struct Seen {
    std::u16string strLabel;
    int nImage = -1;
    Pixels picture;
};

std::vector<Seen> SeenItems(const tavren::ControlInfo& list)
{
    std::vector<Seen> seen;
    for (const tavren::ListItemInfo& item : list.items) {
        Seen s{item.strLabel, item.nImage, {}};
        tavren::ImageListPicture picture;
        if (tavren::GetImageListPicture(list.hImageListNormal, item.nImage, picture) && picture.cx == kSide &&
            picture.cy == kSide)
            s.picture = picture.bgr;
        seen.push_back(std::move(s));
    }
    return seen;
}

std::vector<std::u16string> LabelsIn(const Snapshot& snap)
{
    std::vector<std::u16string> labels;
    const tavren::WindowInfo* w = snap.Find(CListHostDlg::kCaption);
    const tavren::ControlInfo* c = w ? w->Control(kList) : nullptr;
    if (c)
        for (const auto& item : c->items)
            labels.push_back(item.strLabel);
    return labels;
}

std::string Join(const std::vector<std::u16string>& labels)
{
    std::string s;
    for (const auto& l : labels)
        s += (s.empty() ? "" : ", ") + Narrow(l);
    return s;
}

// Double-clicks the item with this label, found as a person finds it, and waits for the list to
// show what is behind it.
void Open(ScriptedUser& u, std::u16string_view strLabel, const std::vector<std::u16string>& expected)
{
    const tavren::ControlInfo list = u.Control(kList);
    int nItem = -1;
    for (size_t i = 0; i < list.items.size(); i++)
        if (list.items[i].strLabel == strLabel)
            nItem = static_cast<int>(i);
    u.Expect(nItem >= 0, "\"" + Narrow(strLabel) + "\" is in the list");
    u.DoubleClickItem(kList, nItem);
    u.WaitUntil([&](const Snapshot& snap) { return LabelsIn(snap) == expected; },
                "the list to show [" + Join(expected) + "] after opening " + Narrow(strLabel));
}

// The thumbnails of one file as the list must hold them: unticked and ticked.
struct Expected {
    Pixels unticked;
    Pixels ticked;
};

TEST(PcListCorpus, AFolderOfDesignsShowsEachFilesThumbnailInNameOrderAndTicksItInTheCorner)
{
    tavren::test::Watchdog watchdog(120000);
    CListTestDrives drives;
    for (const CorpusFile& f : kFiles)
        drives.WriteDesign(std::string("c/Corpus/") + f.pszName, f.pszCorpus);
    drives.MakeFolder("c/Corpus/Archive");
    drives.Write("c/Corpus/readme.txt", "not a design");

    // From the files the list reads, by the picture maker the list uses, and composed again from
    // its parts: the framed picture with the empty or the ticked box drawn into its corner.
    std::vector<Expected> expected;
    {
        AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
        CBitmap bmEmpty, bmTicked;
        ASSERT_TRUE(CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, bmEmpty));
        ASSERT_TRUE(CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, bmTicked));
        for (const CorpusFile& f : kFiles) {
            SCOPED_TRACE(f.pszName);
            CEmbFile file;
            CEmbData design;
            ASSERT_TRUE(file.ReadFile(CString(u"C:\\Corpus\\") + Wide(f.pszName).c_str(), design));
            CBitmap bmFirst, bmSecond, bmUnticked, bmTicked2;
            ASSERT_TRUE(CListPicture::MakeDesignPair(design, TRUE, bmFirst, bmSecond));
            ASSERT_TRUE(CListPicture::DrawDesignPicture(design, bmUnticked) && CListPicture::DrawBox(bmUnticked, bmEmpty));
            ASSERT_TRUE(CListPicture::DrawDesignPicture(design, bmTicked2) && CListPicture::DrawBox(bmTicked2, bmTicked));
            Expected e{PixelsOf(bmFirst), PixelsOf(bmSecond)};
            ASSERT_EQ(e.unticked, PixelsOf(bmUnticked));
            ASSERT_EQ(e.ticked, PixelsOf(bmTicked2));
            expected.push_back(std::move(e));
        }
    }
    // Different designs make different pictures, so a picture shown for the wrong file shows.
    std::set<Pixels> distinct;
    for (const Expected& e : expected)
        distinct.insert(e.unticked);
    EXPECT_EQ(distinct.size(), expected.size());

    std::vector<std::u16string> folder = {u"Archive"};
    for (const CorpusFile& f : kFiles)
        folder.push_back(Wide(f.pszName));
    const size_t nFiles = expected.size();

    CPcListCtrl list;
    CListHostDlg dlg(list);
    dlg.m_onInit = [&](CListHostDlg& d) { list.Initialize(&d.m_location, CFolderListCtrl::LIST_DESIGN); };
    dlg.m_onDoubleClick = [&](int) { list.OpenSelected(); };
    // As the File Manager does: a click on a file ticks or unticks it.
    dlg.m_onClick = [&](int) {
        if (list.IsFileSelected() == 1)
            list.ToggleCheck();
    };

    ScriptedUser user([&](ScriptedUser& u) {
        u.WaitForWindow(CListHostDlg::kCaption);
        u.WaitUntil([](const Snapshot& snap) { return LabelsIn(snap).size() == 3; }, "the root view");
        Open(u, u"Computer", {u"Local Disk (C:)", u"CD Drive (D:)", u"USBSTICK (E:)"});
        Open(u, u"Local Disk (C:)", {u"Corpus"});
        Open(u, u"Corpus", folder);

        tavren::ControlInfo control = u.Control(kList);
        u.Expect(control.nView == 0 && control.hImageListNormal != 0, "the list shows its large pictures");
        std::vector<Seen> seen = SeenItems(control);
        u.Expect(seen.size() == nFiles + 1 && seen[0].nImage < CFolderListCtrl::PIC_FIRST_PAIR, "the folder comes first");
        std::set<int> images;
        for (size_t i = 0; i < nFiles; i++) {
            const Seen& s = seen[i + 1];
            const std::string strWhat = Narrow(s.strLabel) + " (picture " + std::to_string(s.nImage) + ")";
            images.insert(s.nImage);
            u.Expect(s.nImage >= CFolderListCtrl::PIC_FIRST_PAIR && s.nImage % 2 == 0, strWhat + ": an unticked picture");
            u.Expect(s.picture == expected[i].unticked, strWhat + ": its own thumbnail with the empty box");
            // The smallest of these designs leaves some 47 pixels of stitches; a blank picture none.
            u.Expect(HasFrame(s.picture) && StitchPixels(s.picture) >= 40,
                     strWhat + ": framed, with " + std::to_string(StitchPixels(s.picture)) + " pixels of stitches");
        }
        u.Expect(images.size() == nFiles, "every file has a picture of its own");

        // Ticking: each click ticks one more file; its picture is the same thumbnail with the box
        // ticked, and the others keep theirs.
        for (size_t i = 0; i < nFiles; i++) {
            u.ClickItem(kList, static_cast<int>(i + 1));
            const int nTicked = seen[i + 1].nImage + 1;
            u.WaitUntil(
                [&](const Snapshot& snap) {
                    const tavren::WindowInfo* w = snap.Find(CListHostDlg::kCaption);
                    const tavren::ControlInfo* c = w ? w->Control(kList) : nullptr;
                    return c && c->items.size() == nFiles + 1 && c->items[i + 1].nImage == nTicked;
                },
                Narrow(seen[i + 1].strLabel) + " ticked by a click");
            const std::vector<Seen> now = SeenItems(u.Control(kList));
            for (size_t j = 0; j < nFiles; j++) {
                const Seen& s = now[j + 1];
                const std::string strWhat = Narrow(s.strLabel) + " after " + std::to_string(i + 1) + " clicks";
                u.Expect(s.strLabel == folder[j + 1], strWhat + ": stays in its place");
                if (j <= i) {
                    u.Expect(s.nImage == seen[j + 1].nImage + 1 && s.picture == expected[j].ticked,
                             strWhat + ": its thumbnail with the ticked box");
                    u.Expect(DifferOnlyInCorner(s.picture, seen[j + 1].picture), strWhat + ": only the corner changed");
                } else {
                    u.Expect(s.nImage == seen[j + 1].nImage && s.picture == expected[j].unticked, strWhat + ": still unticked");
                }
            }
        }
        u.Expect(u.Control(kList).items[0].nImage == seen[0].nImage, "the folder has no tick");

        // A second click unticks.
        u.ClickItem(kList, 3);
        u.WaitUntil(
            [&](const Snapshot& snap) {
                const tavren::WindowInfo* w = snap.Find(CListHostDlg::kCaption);
                const tavren::ControlInfo* c = w ? w->Control(kList) : nullptr;
                return c && c->items.size() == nFiles + 1 && c->items[3].nImage == seen[3].nImage;
            },
            Narrow(seen[3].strLabel) + " unticked by a second click");
        const std::vector<Seen> after = SeenItems(u.Control(kList));
        u.Expect(after[3].picture == expected[2].unticked, "the unticked thumbnail is back");
        u.Close();
    });
    dlg.DoModal();
    EXPECT_TRUE(user.Finish()) << user.Report();
}

} // namespace
