// Where a list view puts its items and their parts, as the front ends draw them and as hit tests
// and item rectangles answer: icon spacing, group view, report rows with pictures and columns.
#include "WindowTestSupport.h"

#include "platform/afx/ImageList.h"
#include "platform/afx/ListCtrl.h"
#include "platform/seam/Automation.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// RECT lives in the global namespace, where the comparisons must be found.
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& os, const RECT& rc)
{
    return os << "{" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom << "}";
}

namespace {

using wintest::kChild;

// 200 x 100 dialog units: lists 300 pixels wide, 162 (icons) and 160 (report, bordered) high.
const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"SysListView32", 100, u"", 0, 0, 0, 200, 100, kChild | LVS_ICON, 0},
    {u"SysListView32", 101, u"", 0, 0, 110, 200, 100, kChild | WS_BORDER | LVS_REPORT, 0},
};

class CListsDlg : public CDialog {
public:
    CListCtrl m_icons;
    CListCtrl m_report;
    CImageList m_large;
    CImageList m_small;
    CImageList m_state;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Lists", 210, 220, kItems);
    CListsDlg()
    {
        SetTemplate(&m_tmpl);
        tavren::CreateDialogWindow(m_tmpl, 0, this, 0);
        m_large.Create(48, 48, ILC_COLOR24, 0, 4);
        m_small.Create(16, 16, ILC_COLOR24, 0, 4);
        m_state.Create(16, 16, ILC_COLOR24, 0, 4);
    }
    ~CListsDlg() override { DestroyWindow(); }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, 100, m_icons);
        DDX_Control(pDX, 101, m_report);
    }
};

RECT Part(const CListCtrl& list, int nItem, UINT nCode)
{
    RECT rc{-1, -1, -1, -1};
    EXPECT_TRUE(list.GetItemRect(nItem, &rc, nCode)) << "item " << nItem << " part " << nCode;
    return rc;
}

tavren::ControlInfo Describe(const CListCtrl& list)
{
    tavren::ControlInfo info;
    tavren::GetWindowRecord(list.GetSafeHwnd())->pModel->Describe(info);
    return info;
}

UINT Flags(CListCtrl& list, POINT pt, int* pnItem = nullptr)
{
    UINT nFlags = 0;
    int nItem = list.HitTest(pt, &nFlags);
    if (pnItem)
        *pnItem = nItem;
    return nFlags;
}

} // namespace

TEST(ListViewLayout, IconSpacingMakesTheCellsWithPictureCentredAboveTheLabel)
{
    CListsDlg dlg;
    CListCtrl& list = dlg.m_icons;
    list.SetImageList(&dlg.m_large, LVSIL_NORMAL);
    int cx = 0, cy = 0;
    EXPECT_TRUE(list.GetItemSpacing(FALSE, &cx, &cy));
    EXPECT_EQ(cx * 1000 + cy, 76076) << "the default spacing";
    SIZE old = list.SetIconSpacing(75, 85);
    EXPECT_EQ(old.cx * 1000 + old.cy, 76076);
    list.GetItemSpacing(FALSE, &cx, &cy);
    EXPECT_EQ(cx * 1000 + cy, 75085);
    const char16_t* names[] = {u"rose.qef", u"tulip.qef+", u"daisy.qpx", u"star.dst", u"a rather long design name.qef", u"rose.qef"};
    for (int i = 0; i < 6; ++i)
        list.InsertItem(i, names[i], 0);

    // 300 pixels hold four 75-pixel cells a row: item 5 is the second of the second row.
    EXPECT_EQ(Part(list, 5, LVIR_BOUNDS), (RECT{75, 85, 150, 170}));
    EXPECT_EQ(Part(list, 3, LVIR_BOUNDS), (RECT{225, 0, 300, 85}));
    EXPECT_EQ(Part(list, 5, LVIR_ICON), (RECT{88, 89, 136, 137})) << "48 pixels, centred, 4 below the top";
    EXPECT_EQ(Part(list, 5, LVIR_LABEL), (RECT{82, 139, 142, 153})) << "8 characters and padding, centred, one line";
    EXPECT_EQ(Part(list, 5, LVIR_SELECTBOUNDS), (RECT{82, 89, 142, 153}));
    EXPECT_EQ(Part(list, 4, LVIR_LABEL), (RECT{0, 139, 75, 166})) << "a long name wraps to two lines as wide as the cell";

    int nItem = -2;
    EXPECT_EQ(Flags(list, POINT{112, 110}, &nItem), LVHT_ONITEMICON);
    EXPECT_EQ(nItem, 5);
    EXPECT_EQ(Flags(list, POINT{84, 145}, &nItem), LVHT_ONITEMLABEL);
    EXPECT_EQ(nItem, 5);
    EXPECT_EQ(Flags(list, POINT{77, 87}, &nItem), LVHT_NOWHERE) << "in the cell, beside the picture";
    EXPECT_EQ(nItem, -1);
    EXPECT_EQ(Flags(list, POINT{80, 160}), LVHT_NOWHERE) << "under a one-line label";
    EXPECT_EQ(Flags(list, POINT{-3, 10}, &nItem), LVHT_TOLEFT);
    EXPECT_EQ(Flags(list, POINT{10, 500}), LVHT_BELOW);
    EXPECT_EQ(Flags(list, POINT{400, -1}), LVHT_TORIGHT | LVHT_ABOVE);

    // The snapshot reports the same rectangles the page draws and clicks.
    tavren::ControlInfo info = Describe(list);
    ASSERT_EQ(info.items.size(), 6u);
    EXPECT_EQ(info.items[5].rc, Part(list, 5, LVIR_BOUNDS));
    EXPECT_EQ(info.items[5].rcIcon, Part(list, 5, LVIR_ICON));
    EXPECT_EQ(info.items[5].rcLabel, Part(list, 5, LVIR_LABEL));

    // A state image list puts its picture left of the icon, both centred together.
    list.SetImageList(&dlg.m_state, LVSIL_STATE);
    EXPECT_EQ(Part(list, 5, LVIR_ICON), (RECT{96, 89, 144, 137}));
    EXPECT_EQ(Flags(list, POINT{85, 130}, &nItem), LVHT_ONITEMSTATEICON);
    EXPECT_EQ(nItem, 5);
    list.SetImageList(static_cast<HIMAGELIST>(0), LVSIL_STATE);

    // -1 gives back the default; the grid follows at once.
    list.SetIconSpacing(-1, -1);
    EXPECT_EQ(Part(list, 5, LVIR_BOUNDS), (RECT{152, 76, 228, 152})) << "three 76-pixel cells a row";
    EXPECT_EQ(Part(list, 4, LVIR_LABEL), (RECT{76, 130, 152, 144})) << "one line fits under the picture";
}

TEST(ListViewLayout, ReportRowsHitPictureLabelStateAndSubItems)
{
    CListsDlg dlg;
    CListCtrl& list = dlg.m_report;
    list.SetImageList(&dlg.m_small, LVSIL_SMALL);
    list.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
    list.InsertColumn(1, u"Size", LVCFMT_LEFT, 80);
    for (int i = 0; i < 3; ++i) {
        list.InsertItem(i, u"rose.qef", 0);
        list.SetItemText(i, 1, u"12 KB");
    }
    const int nTop = 24 + 17; // item 1
    EXPECT_EQ(Part(list, 1, LVIR_BOUNDS), (RECT{0, nTop, 180, nTop + 17}));
    EXPECT_EQ(Part(list, 1, LVIR_ICON), (RECT{2, nTop, 18, nTop + 16}));
    EXPECT_EQ(Part(list, 1, LVIR_LABEL), (RECT{18, nTop, 100, nTop + 17})) << "to the end of the first column";
    EXPECT_EQ(Part(list, 1, LVIR_SELECTBOUNDS), (RECT{2, nTop, 18 + 48 + 12, nTop + 17}));

    int nItem = -2;
    EXPECT_EQ(Flags(list, POINT{10, nTop + 5}, &nItem), LVHT_ONITEMICON);
    EXPECT_EQ(nItem, 1);
    EXPECT_EQ(Flags(list, POINT{90, nTop + 5}, &nItem), LVHT_ONITEMLABEL);
    EXPECT_EQ(Flags(list, POINT{1, nTop + 5}, &nItem), LVHT_NOWHERE) << "the margin left of the picture";
    EXPECT_EQ(Flags(list, POINT{120, nTop + 5}, &nItem), LVHT_NOWHERE) << "another column without full-row selection";
    EXPECT_EQ(nItem, -1);
    EXPECT_EQ(Flags(list, POINT{50, 10}, &nItem), LVHT_ABOVE) << "on the column header";

    LVHITTESTINFO hit{};
    hit.pt = POINT{120, nTop + 5};
    EXPECT_EQ(list.SubItemHitTest(&hit), 1);
    EXPECT_EQ(hit.iSubItem, 1);
    EXPECT_EQ(hit.flags, LVHT_ONITEMLABEL);
    hit = LVHITTESTINFO{};
    hit.pt = POINT{200, nTop + 5};
    EXPECT_EQ(list.SubItemHitTest(&hit), -1) << "right of the last column";

    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    EXPECT_EQ(Flags(list, POINT{120, nTop + 5}, &nItem), LVHT_ONITEM);
    EXPECT_EQ(nItem, 1);

    list.SetImageList(&dlg.m_state, LVSIL_STATE);
    EXPECT_EQ(Part(list, 1, LVIR_ICON), (RECT{18, nTop, 34, nTop + 16})) << "after the state picture";
    EXPECT_EQ(Flags(list, POINT{10, nTop + 5}, &nItem), LVHT_ONITEMSTATEICON);
    EXPECT_EQ(nItem, 1);
}

namespace {

} // namespace
