#include "host/gui/GuiSamplerDlg.h"

#include "platform/afx/Bitmap.h"
#include "platform/afx/CRect.h"
#include "platform/afx/Menu.h"
#include "platform/user/MessageBox.h"

#include <cmath>

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr COLORREF kMask = RGB(255, 0, 255);

// A round picture of one colour on the mask colour, with a tick in the corner for odd numbers
// (as the module's lists mark ticked files).
void AddPicture(CImageList& list, int cx, int n)
{
    static const COLORREF colours[] = {RGB(200, 40, 60), RGB(40, 120, 200), RGB(60, 160, 70), RGB(230, 170, 30)};
    COLORREF c = colours[(n / 2) % 4];
    std::vector<uint8_t> bgr(static_cast<size_t>(cx) * cx * 3);
    double r = cx * 0.42, mid = (cx - 1) / 2.0;
    for (int y = 0; y < cx; ++y)
        for (int x = 0; x < cx; ++x) {
            bool in = std::hypot(x - mid, y - mid) <= r;
            bool tick = (n % 2) && x >= cx * 2 / 3 && y >= cx * 2 / 3;
            COLORREF p = tick ? RGB(0, 0, 0) : in ? c : kMask;
            uint8_t* q = bgr.data() + (static_cast<size_t>(y) * cx + x) * 3;
            q[0] = static_cast<uint8_t>(p >> 16);
            q[1] = static_cast<uint8_t>(p >> 8);
            q[2] = static_cast<uint8_t>(p);
        }
    CBitmap bmp;
    bmp.CreateBitmap(cx, cx, 1, 24, bgr.data());
    list.Add(&bmp, kMask);
}

} // namespace

CGuiSamplerDlg::CGuiSamplerDlg()
{
    m_items = {
        {u"SysListView32", IDC_ICONS, u"", 0, 7, 7, 150, 112, kChild | WS_BORDER | WS_TABSTOP | LVS_ICON | LVS_EDITLABELS | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0},
        {u"SysListView32", IDC_REPORT, u"", 0, 165, 7, 150, 60, kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0},
        {u"ComboBoxEx32", IDC_PLACE, u"", 0, 165, 73, 150, 90, kChild | WS_TABSTOP | CBS_DROPDOWNLIST, 0},
        {u"msctls_progress32", IDC_PROGRESS, u"", 0, 165, 91, 150, 9, kChild | WS_BORDER, 0},
        {u"EDIT", IDC_NAME, u"Flowers", 0, 165, 106, 150, 13, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0},
        {u"BUTTON", IDC_TICKS, u"Show &ticks", 0, 7, 126, 80, 10, kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
        {u"STATIC", IDC_HINT, u"Right-click a picture for its menu, double-click to open it.", 0, 7, 140, 220, 9, kChild | SS_LEFT, 0},
        {u"BUTTON", IDC_ASK, u"&Ask...", 0, 165, 124, 50, 14, kChild | WS_TABSTOP, 0},
        {u"BUTTON", IDOK, u"OK", 0, 211, 158, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
        {u"BUTTON", IDCANCEL, u"Cancel", 0, 265, 158, 50, 14, kChild | WS_TABSTOP, 0},
    };
    m_tmpl.pszCaption = u"Control Sampler";
    m_tmpl.dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    m_tmpl.cx = 322;
    m_tmpl.cy = 179;
    m_tmpl.pszFontName = u"MS Shell Dlg";
    m_tmpl.wFontSize = 8;
    m_tmpl.pItems = m_items.data();
    m_tmpl.nItems = static_cast<UINT>(m_items.size());
    SetTemplate(&m_tmpl);
}

void CGuiSamplerDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ICONS, m_icons);
    DDX_Control(pDX, IDC_REPORT, m_report);
    DDX_Control(pDX, IDC_PLACE, m_place);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

BOOL CGuiSamplerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_large.Create(48, 48, ILC_COLOR24 | ILC_MASK, 0, 8);
    m_small.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 8);
    for (int i = 0; i < 8; ++i) {
        AddPicture(m_large, 48, i);
        AddPicture(m_small, 16, i);
    }
    m_icons.SetImageList(&m_large, LVSIL_NORMAL);
    m_icons.SetIconSpacing(75, 85); // as the module's file lists
    const char16_t* names[] = {u"rose.qef", u"tulip.qef+", u"daisy.qpx", u"a rather long design name.qef", u"star.dst"};
    for (int i = 0; i < 5; ++i)
        m_icons.InsertItem(i, names[i], (i % 4) * 2 + (i == 1 ? 1 : 0));
    m_icons.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    m_report.SetImageList(&m_small, LVSIL_SMALL);
    m_report.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_report.InsertColumn(0, u"Name", LVCFMT_LEFT, 130);
    m_report.InsertColumn(1, u"Size", LVCFMT_LEFT, 80);
    for (int i = 0; i < 3; ++i) {
        m_report.InsertItem(i, names[i], i * 2);
        m_report.SetItemText(i, 1, i == 0 ? u"12 KB" : i == 1 ? u"3 KB" : u"140 KB");
    }
    m_report.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);

    m_place.SetImageList(&m_small);
    const char16_t* places[] = {u"Machine", u"Built-in", u"USB flash drive 1", u"Local Disk (C:)"};
    const int indents[] = {0, 1, 1, 0};
    for (int i = 0; i < 4; ++i) {
        COMBOBOXEXITEM item{};
        item.mask = CBEIF_TEXT | CBEIF_INDENT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>(places[i]);
        item.iIndent = indents[i];
        item.iImage = item.iSelectedImage = i * 2;
        m_place.InsertItem(&item);
    }
    m_place.SetCurSel(1);
    m_progress.SetRange32(0, 100);
    m_progress.SetPos(40);
    CheckDlgButton(IDC_TICKS, BST_CHECKED);
    return TRUE;
}

void CGuiSamplerDlg::ShowOpened(int nItem)
{
    CString str = u"Opened ";
    str += m_icons.GetItemText(nItem, 0);
    str += u".";
    MessageBox(str, u"Confirm", MB_OK | MB_ICONINFORMATION);
}

void CGuiSamplerDlg::OnAsk()
{
    m_nAnswer = MessageBox(u"Replace the file \"rose.qef\"?", u"Save As", MB_YESNOCANCEL | MB_ICONQUESTION);
}

void CGuiSamplerDlg::OnIconsRClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    int nItem = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem;
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, ID_OPEN, u"&Open");
    menu.AppendMenu(MF_STRING, ID_RENAME, u"&Rename");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_DELETE, u"&Delete");
    if (nItem < 0) {
        menu.EnableMenuItem(ID_OPEN, MF_BYCOMMAND | MF_GRAYED);
        menu.EnableMenuItem(ID_RENAME, MF_BYCOMMAND | MF_GRAYED);
        menu.EnableMenuItem(ID_DELETE, MF_BYCOMMAND | MF_GRAYED);
    }
    CRect rc;
    m_icons.GetWindowRect(&rc);
    UINT nCmd = static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD, rc.left + 40, rc.top + 40, this));
    if (nCmd == ID_RENAME)
        m_icons.EditLabel(nItem);
    else if (nCmd == ID_DELETE)
        m_icons.DeleteItem(nItem);
    else if (nCmd == ID_OPEN)
        ShowOpened(nItem);
    *pResult = 0;
}

void CGuiSamplerDlg::OnIconsDblClk(NMHDR* pNMHDR, LRESULT* pResult)
{
    int nItem = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem;
    if (nItem >= 0)
        ShowOpened(nItem);
    *pResult = 0;
}

void CGuiSamplerDlg::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = reinterpret_cast<NMLVDISPINFO*>(pNMHDR)->item.pszText != nullptr; // any new name is taken
}

BEGIN_MESSAGE_MAP(CGuiSamplerDlg, CDialog)
    ON_BN_CLICKED(IDC_ASK, OnAsk)
    ON_NOTIFY(NM_RCLICK, IDC_ICONS, OnIconsRClick)
    ON_NOTIFY(NM_DBLCLK, IDC_ICONS, OnIconsDblClk)
    ON_NOTIFY(LVN_ENDLABELEDIT, IDC_ICONS, OnEndLabelEdit)
END_MESSAGE_MAP()
