// Where a list view puts its items and their parts, as the front ends draw them and as hit tests
// and item rectangles answer: icon spacing, report rows with pictures and columns, the scroll
// bar, and the keys that move through the items as they stand on screen. (State pictures, the
// selection bounds, the list view, the default spacing restored, the flags of a point outside
// the list and the horizontal bar are left out: the module uses none of them, and its columns
// always fit their lists.)
#include "WindowTestSupport.h"

#include "platform/afx/ImageList.h"
#include "platform/afx/ListCtrl.h"
#include "platform/seam/Automation.h"

#include <array>
#include <string>

namespace {

using wintest::kChild;

// Lists 300 pixels wide, 172 (icons: two rows of the tests' cells fit without a scroll bar) and
// 160 (report, bordered: a 24-pixel header and 8 rows of 17) high.
const wintest::Items kItems = {
    {u"SysListView32", 100, u"", 0, 0, 0, 200, 106, kChild | LVS_ICON, 0},
    {u"SysListView32", 101, u"", 0, 0, 110, 200, 100, kChild | WS_BORDER | LVS_REPORT, 0},
};

class CListsDlg : public wintest::CTestDlg {
public:
    CListCtrl m_icons, m_report;
    CImageList m_large, m_small;
    CListsDlg() : CTestDlg(u"Lists", 210, 220, kItems)
    {
        Create();
        m_large.Create(48, 48, ILC_COLOR24, 0, 4);
        m_small.Create(16, 16, ILC_COLOR24, 0, 4);
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, 100, m_icons);
        DDX_Control(pDX, 101, m_report);
    }
};

using Rect = std::array<LONG, 4>; // left, top, right, bottom
Rect R(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

Rect Part(const CListCtrl& list, int nItem, UINT nCode)
{
    RECT rc{-1, -1, -1, -1};
    EXPECT_TRUE(list.GetItemRect(nItem, &rc, nCode)) << "item " << nItem << " part " << nCode;
    return R(rc);
}

// Item nItem's part nCode is rc (why: the message).
void ExpectParts(const CListCtrl& list, std::initializer_list<std::tuple<int, UINT, Rect, const char*>> cases)
{
    for (const auto& [nItem, nCode, rc, pszWhy] : cases)
        EXPECT_EQ(Part(list, nItem, nCode), rc) << pszWhy;
}

// The hit test's flags and item at a point.
using H = std::pair<UINT, int>;
H Hit(CListCtrl& list, POINT pt)
{
    UINT nFlags = 0;
    const int nItem = list.HitTest(pt, &nFlags);
    return {nFlags, nItem};
}

// The vertical bar's range, page and position.
std::vector<int> Range(const CListCtrl& list)
{
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    EXPECT_TRUE(GetScrollInfo(list.GetSafeHwnd(), SB_VERT, &si));
    return {si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos};
}
int Pos(const CListCtrl& list) { return Range(list)[3]; }

bool HasStyle(const CListCtrl& list, DWORD dwStyle) { return (GetWindowLongW(list.GetSafeHwnd(), GWL_STYLE) & dwStyle) != 0; }

LONG ClientWidth(const CListCtrl& list) { RECT rc{}; list.GetClientRect(&rc); return rc.right; }

} // namespace

// Icon cells with the picture centred above the label, and report rows: item rectangles, hit tests
// and the snapshot the front ends draw from.
TEST(ListViewLayout, IconCellsAndReportRowsPlaceAndHitTheirParts)
{
    CListsDlg dlg;
    CListCtrl& list = dlg.m_icons;
    list.SetImageList(&dlg.m_large, LVSIL_NORMAL);
    list.SetIconSpacing(75, 85); // as the file lists set it; the default's 76 is the scroll test's
    int i = 0;
    for (const char16_t* psz : {u"rose.qef", u"tulip.qef+", u"daisy.qpx", u"star.dst", u"a rather long design name.qef", u"rose.qef"})
        list.InsertItem(i++, psz, 0);

    // 300 pixels hold four 75-pixel cells a row: item 5 is the second of the second row.
    ExpectParts(list, {{5, LVIR_BOUNDS, {75, 85, 150, 170}, ""},
                       {3, LVIR_BOUNDS, {225, 0, 300, 85}, ""},
                       {5, LVIR_ICON, {88, 89, 136, 137}, "48 pixels, centred, 4 below the top"},
                       {5, LVIR_LABEL, {82, 139, 142, 153}, "8 characters and padding, centred, one line"},
                       {4, LVIR_LABEL, {0, 139, 75, 166}, "a long name wraps to two lines as wide as the cell"}});
    EXPECT_EQ(Hit(list, {112, 110}), H(LVHT_ONITEMICON, 5));
    EXPECT_EQ(Hit(list, {84, 145}), H(LVHT_ONITEMLABEL, 5));
    EXPECT_EQ(Hit(list, {77, 87}), H(LVHT_NOWHERE, -1)) << "in the cell, beside the picture";
    EXPECT_EQ(Hit(list, {80, 160}).first, LVHT_NOWHERE) << "under a one-line label";

    // The snapshot reports the same rectangles the page draws and clicks.
    tavren::ControlInfo info;
    tavren::GetWindowRecord(list.GetSafeHwnd())->pModel->Describe(info);
    ASSERT_EQ(info.items.size(), 6u);
    EXPECT_EQ(R(info.items[5].rc), Part(list, 5, LVIR_BOUNDS));
    EXPECT_EQ(R(info.items[5].rcIcon), Part(list, 5, LVIR_ICON));
    EXPECT_EQ(R(info.items[5].rcLabel), Part(list, 5, LVIR_LABEL));

    // Report rows: small pictures, the label to the end of the first column, the full row.
    CListCtrl& report = dlg.m_report;
    report.SetImageList(&dlg.m_small, LVSIL_SMALL);
    report.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
    report.InsertColumn(1, u"Size", LVCFMT_LEFT, 80);
    for (int i = 0; i < 3; ++i) {
        report.InsertItem(i, u"rose.qef", 0);
        report.SetItemText(i, 1, u"12 KB");
    }
    const int y = 24 + 17; // item 1
    ExpectParts(report, {{1, LVIR_BOUNDS, {0, y, 180, y + 17}, ""},
                         {1, LVIR_ICON, {2, y, 18, y + 16}, ""},
                         {1, LVIR_LABEL, {18, y, 100, y + 17}, "to the end of the first column"}});
    EXPECT_EQ(Hit(report, {10, y + 5}), H(LVHT_ONITEMICON, 1));
    EXPECT_EQ(Hit(report, {90, y + 5}).first, LVHT_ONITEMLABEL);
    EXPECT_EQ(Hit(report, {1, y + 5}).first, LVHT_NOWHERE) << "the margin left of the picture";
    EXPECT_EQ(Hit(report, {120, y + 5}), H(LVHT_NOWHERE, -1)) << "another column without full-row selection";
    EXPECT_EQ(Hit(report, {50, 10}).first, LVHT_ABOVE) << "on the column header";
    report.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    EXPECT_EQ(Hit(report, {120, y + 5}), H(LVHT_ONITEM, 1));
}

// More rows than the list shows: a vertical bar in rows, moved by its arrows, track, thumb and the
// wheel, never past either end; the bar goes when the rows fit again.
TEST(ListViewLayout, TheVerticalBarScrollsByWholeRowsInEveryView)
{
    CListsDlg dlg;
    CListCtrl& list = dlg.m_report;
    const HWND h = list.GetSafeHwnd();
    list.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
    for (int i = 0; i < 7; ++i)
        list.InsertItem(i, u"rose.qef", 0);
    EXPECT_FALSE(HasStyle(list, WS_VSCROLL)) << "seven rows fit";
    EXPECT_EQ(ClientWidth(list), 298);
    for (int i = 7; i < 30; ++i)
        list.InsertItem(i, u"tulip.qef", 0);
    ASSERT_TRUE(HasStyle(list, WS_VSCROLL));
    EXPECT_EQ(ClientWidth(list), 298 - SM_CXVSCROLL) << "the bar takes its width from the client area";
    EXPECT_EQ(Range(list), (std::vector<int>{0, 29, 8, 0}));

    const auto wheel = [](int nDelta) { return static_cast<WPARAM>(MAKELONG(0, static_cast<WORD>(nDelta))); };
    const struct { UINT nMsg; WPARAM wParam; LPARAM lParam; int nPos; } steps[] = { // a message, the position it leaves
        {WM_VSCROLL, SB_LINEDOWN, 0, 1}, {WM_VSCROLL, SB_PAGEDOWN, 0, 9}, {WM_VSCROLL, SB_LINEUP, 0, 8},
        {WM_VSCROLL, SB_PAGEUP, 0, 0},   {WM_VSCROLL, SB_LINEUP, 0, 0},   {WM_VSCROLL, SB_BOTTOM, 0, 22},
        {WM_VSCROLL, SB_LINEDOWN, 0, 22}, {WM_VSCROLL, SB_PAGEDOWN, 0, 22}, {WM_VSCROLL, SB_TOP, 0, 0},
        {WM_MOUSEWHEEL, wheel(-WHEEL_DELTA), 0, 3}, {WM_MOUSEWHEEL, wheel(-2 * WHEEL_DELTA), 0, 9},
        {WM_MOUSEWHEEL, wheel(WHEEL_DELTA / 2), 0, 9}, // half a notch is kept...
        {WM_MOUSEWHEEL, wheel(WHEEL_DELTA / 2), 0, 6}, // ...and makes a notch with the next
        {WM_VSCROLL, SB_ENDSCROLL, 0, 6},
    };
    for (const auto& s : steps) {
        SendMessageW(h, s.nMsg, s.wParam, s.lParam);
        SCOPED_TRACE(testing::Message() << "message " << s.nMsg << " " << LOWORD(s.wParam) << "/" << s.lParam);
        EXPECT_EQ(Pos(list), s.nPos);
        EXPECT_EQ(list.GetTopIndex(), s.nPos);
        EXPECT_EQ(Part(list, s.nPos, LVIR_BOUNDS)[1], 24) << "the first row shown sits under the header";
    }

    // The thumb dragged: the bar's track position, not the message's 16 bits.
    tavren::GetWindowRecord(h)->scroll[SB_VERT].nTrackPos = 12;
    SendMessageW(h, WM_VSCROLL, MAKELONG(SB_THUMBTRACK, 12), 0);
    EXPECT_EQ(list.GetTopIndex(), 12);
    SendMessageW(h, WM_VSCROLL, SB_TOP, 0);

    // Icon view: rows of 76-pixel cells, three columns beside the bar, two rows a notch (150 pixels).
    list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
    EXPECT_EQ(Range(list), (std::vector<int>{0, 9, 2, 0})) << "two whole rows of 76 in 158 pixels";
    SendMessageW(h, WM_MOUSEWHEEL, wheel(-WHEEL_DELTA), 0);
    EXPECT_EQ(Pos(list), 2);
    EXPECT_EQ(list.GetTopIndex(), 6);

    for (int i = 29; i >= 2; --i)
        list.DeleteItem(i);
    EXPECT_FALSE(HasStyle(list, WS_VSCROLL)) << "the bar goes when everything fits";
    EXPECT_EQ(Pos(list), 0);
    EXPECT_EQ(ClientWidth(list), 298);
}

namespace {

// A key as the keyboard gives it, through the thread's queue (so GetKeyState sees Ctrl held).
void Press(CListCtrl& list, WPARAM nKey, bool bCtrl = false)
{
    const HWND h = list.GetSafeHwnd();
    if (bCtrl)
        PostMessageW(h, WM_KEYDOWN, VK_CONTROL, 1);
    PostMessageW(h, WM_KEYDOWN, nKey, 1);
    PostMessageW(h, WM_KEYUP, nKey, static_cast<LPARAM>(0xC0000001u));
    if (bCtrl)
        PostMessageW(h, WM_KEYUP, VK_CONTROL, static_cast<LPARAM>(0xC0000001u));
    wintest::PumpUntil([] {
        MSG msg;
        return !PeekMessageW(&msg, 0, 0, 0, PM_NOREMOVE);
    });
}

int Focused(const CListCtrl& list) { return list.GetNextItem(-1, LVNI_FOCUSED); }

std::vector<int> Selected(const CListCtrl& list)
{
    std::vector<int> v;
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
        v.push_back(i);
    return v;
}

} // namespace

// The keys move focus and selection by the items' places on screen, keep the item reached in
// view, and typing finds an item by the start of its label.
TEST(ListViewLayout, TheKeysMoveThroughTheItemsAsTheyStandOnScreen)
{
    CListsDlg dlg;
    CListCtrl& list = dlg.m_report; // 8 rows a page
    list.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
    const char16_t* kinds[] = {u"Rose ", u"Tulip ", u"Daisy "};
    for (int i = 0; i < 30; ++i)
        list.InsertItem(i, (std::u16string(kinds[i / 10]) + static_cast<char16_t>(u'0' + i % 10)).c_str(), 0);

    struct Step { WPARAM nKey; bool bCtrl; int nFocus; std::vector<int> selected; int nTop; };
    const Step steps[] = {
        {VK_DOWN, false, 0, {0}, 0}, // nothing focused yet: the first item
        {VK_DOWN, false, 1, {1}, 0},     {VK_END, false, 29, {29}, 22}, {VK_UP, false, 28, {28}, 22},
        {VK_HOME, false, 0, {0}, 0},     {VK_UP, false, 0, {0}, 0},     {VK_NEXT, false, 7, {7}, 0},
        {VK_NEXT, false, 14, {14}, 7},   {VK_PRIOR, false, 7, {7}, 7},
        {VK_DOWN, true, 8, {7}, 7},      // Ctrl: the focus moves alone...
        {VK_SPACE, true, 8, {7, 8}, 7},  // ...Ctrl+Space adds it...
        {VK_SPACE, false, 8, {8}, 7},    // ...Space selects it alone
        {VK_LEFT, false, 8, {8}, 7},     // one item a row: nothing beside it
    };
    for (const Step& s : steps) {
        Press(list, s.nKey, s.bCtrl);
        SCOPED_TRACE(testing::Message() << "key " << s.nKey);
        EXPECT_EQ(Focused(list), s.nFocus);
        EXPECT_EQ(Selected(list), s.selected);
        EXPECT_EQ(list.GetTopIndex(), s.nTop);
    }

    // Typing: the next label that begins with the letters, case aside; the same letter again goes on.
    const auto type = [h = list.GetSafeHwnd()](std::u16string_view str) {
        for (char16_t ch : str)
            SendMessageW(h, WM_CHAR, ch, 1);
    };
    type(u"t");
    EXPECT_EQ(Focused(list), 10);
    type(u"U");
    EXPECT_EQ(Focused(list), 10) << "\"tu\" still fits the item found";
    type(u"lip 7");
    EXPECT_EQ(Focused(list), 17);
    EXPECT_EQ(Selected(list), std::vector<int>{17});
    EXPECT_EQ(list.GetTopIndex(), 10) << "brought into view";
    list.SetItemState(17, 0, LVIS_FOCUSED | LVIS_SELECTED);
    list.SetItemState(25, LVIS_FOCUSED, LVIS_FOCUSED);
    // A pause of a second ends the search: the pause is what is tested, so it is waited out.
    Sleep(1100);
    type(u"d");
    EXPECT_EQ(Focused(list), 26) << "a new search begins after the focused item";
    type(u"d");
    EXPECT_EQ(Focused(list), 27) << "the same letter again: the next one";
    type(u"x");
    EXPECT_EQ(Focused(list), 27) << "nothing begins with what was typed: nothing moves";

    // Icon view: three cells a row beside the bar; the arrows go to the neighbour on screen.
    list.ModifyStyle(LVS_TYPEMASK, LVS_ICON);
    list.SetItemState(-1, 0, LVIS_SELECTED);
    list.SetItemState(0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    const std::pair<WPARAM, int> grid[] = {{VK_RIGHT, 1}, {VK_DOWN, 4}, {VK_LEFT, 3}, {VK_UP, 0}, {VK_LEFT, 0}, {VK_END, 29}, {VK_RIGHT, 29}};
    for (const auto& [nKey, nFocus] : grid) {
        Press(list, nKey);
        EXPECT_EQ(Focused(list), nFocus) << "key " << nKey;
    }
    // LVM_GETNEXTITEM by place answers as the arrows go.
    EXPECT_EQ(list.GetNextItem(4, LVNI_ABOVE), 1);
    EXPECT_EQ(list.GetNextItem(4, LVNI_BELOW), 7);
    EXPECT_EQ(list.GetNextItem(4, LVNI_TOLEFT), 3);
    EXPECT_EQ(list.GetNextItem(4, LVNI_TORIGHT), 5);
    EXPECT_EQ(list.GetNextItem(3, LVNI_TOLEFT), -1) << "nothing left of the first column";
    EXPECT_EQ(list.GetNextItem(2, LVNI_BELOW | LVNI_FOCUSED), 29) << "the focused item straight below";
}
