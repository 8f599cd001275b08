#include "tests/lists/ListHostDlg.h"

#include "tests/support/ScriptedUser.h"
#include "tests/support/TestFiles.h"

#include "link/MachineLink.h"

#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP;

} // namespace

BEGIN_MESSAGE_MAP(CListHostDlg, CDialog)
    ON_NOTIFY(NM_DBLCLK, CListHostDlg::IDC_HOST_LIST, OnListDoubleClick)
    ON_CBN_SELCHANGE(CListHostDlg::IDC_HOST_LOCATION, OnLocationChange)
    ON_COMMAND_RANGE(CListHostDlg::IDC_HOST_OPEN, CListHostDlg::IDC_HOST_STYLE, OnHostButton)
END_MESSAGE_MAP()

CListHostDlg::CListHostDlg(CFolderListCtrl& list) : m_list(list)
{
    // The File Manager's list and location box, with the buttons in a column to their right.
    m_items = {
        {u"ComboBoxEx32", IDC_HOST_LOCATION, u"", 0, 7, 7, 240, 98, kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0},
        {u"SysListView32", IDC_HOST_LIST, u"", 0, 7, 27, 240, 200,
         kChild | WS_BORDER | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_EDITLABELS | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE, 0},
        {u"BUTTON", IDC_HOST_OPEN, u"Open", 0, 255, 27, 50, 14, kButton, 0},
        {u"BUTTON", IDC_HOST_UP, u"Up", 0, 255, 45, 50, 14, kButton, 0},
        {u"BUTTON", IDC_HOST_NEW, u"New", 0, 255, 63, 50, 14, kButton, 0},
        {u"BUTTON", IDC_HOST_DELETE, u"Delete", 0, 255, 81, 50, 14, kButton, 0},
        {u"BUTTON", IDC_HOST_CHECK_ALL, u"Check all", 0, 255, 99, 50, 14, kButton, 0},
        {u"BUTTON", IDC_HOST_STYLE, u"Style", 0, 255, 135, 50, 14, kButton, 0},
        {u"BUTTON", IDCANCEL, u"Close", 0, 255, 213, 50, 14, kButton, 0},
    };
    m_template = {0, kCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 312, 234,
                  u"MS Shell Dlg", 8, 0, 0, 0, m_items.data(), static_cast<UINT>(m_items.size())};
    SetTemplate(&m_template);
}

AFX_MODULE_STATE* CListHostDlg::ListModuleState()
{
    return tavren::ModuleStateFromAddress(reinterpret_cast<const void*>(&CFolderListCtrl::GetExtension));
}

INT_PTR CListHostDlg::DoModal()
{
    AFX_MANAGE_STATE(ListModuleState());
    return CDialog::DoModal();
}

bool CListHostDlg::RunOnUiThread(const std::function<void()>& fn, DWORD dwTimeout)
{
    return m_hWnd && tavren::RunOnWindowThread(m_hWnd, fn, dwTimeout);
}

void CListHostDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HOST_LIST, m_list);
    DDX_Control(pDX, IDC_HOST_LOCATION, m_location);
}

BOOL CListHostDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_onInit)
        m_onInit(*this);
    return TRUE;
}

void CListHostDlg::OnListDoubleClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (m_onDoubleClick)
        m_onDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem);
    *pResult = 0;
}

void CListHostDlg::OnLocationChange()
{
    if (m_onLocationChange)
        m_onLocationChange();
}

void CListHostDlg::OnHostButton(UINT nId)
{
    if (m_onButton)
        m_onButton(nId);
    ++m_nPresses;
}

void CListHostDlg::Play(const std::function<void(tavren::ScriptedUser&)>& script, DWORD dwFinish)
{
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        m_hShown = u.WaitForWindow(kCaption).hWnd;
        script(u);
        u.WaitForWindow(kCaption);
        u.Close();
    });
    DoModal();
    EXPECT_TRUE(user.Finish(dwFinish)) << user.Report();
}

tavren::Snapshot CListHostDlg::Settle(tavren::ScriptedUser& u)
{
    const int nBefore = m_nPresses;
    u.WaitForWindow(kCaption);
    u.Click(IDC_HOST_STYLE);
    u.WaitUntil([&](const tavren::Snapshot&) { return m_nPresses > nBefore; }, "the dialog to handle the input");
    return u.Look();
}

void CListHostDlg::ExpectView(tavren::ScriptedUser& u, const std::string& strItems, const std::string& strBox, const std::string& strWhat,
                              const std::string& strAt)
{
    const tavren::Snapshot snap = Settle(u);
    std::string strShown = listlook::Items(snap);
    if (strItems.find(':') == std::string::npos) { // the labels alone
        strShown.clear();
        for (const std::u16string& strLabel : listlook::Labels(snap))
            strShown += (strShown.empty() ? "" : ", ") + tavren::test::Narrow(strLabel);
    }
    u.Expect(strShown == strItems && listlook::Box(snap) == strBox, strWhat + ": the list shows [" + strShown + "], the box [" + listlook::Box(snap) + "]");
    std::string strAtShown;
    RunOnUiThread([&] { strAtShown = std::to_string(m_list.m_nLevel) + " " + std::to_string(m_list.m_nLocation) + " " + m_list.m_strCurrentPath.ToUtf8(); });
    u.Expect(strAt.empty() || strAtShown == strAt, strWhat + ": at \"" + strAtShown + "\"");
}

tavren::Snapshot CListHostDlg::ExpectLabels(tavren::ScriptedUser& u, const std::vector<std::u16string>& labels, const std::string& strWhat)
{
    return u.WaitUntil([&](const tavren::Snapshot& s) { return s.Front() && s.Front()->hWnd == m_hShown && listlook::Labels(s) == labels; },
                       strWhat);
}

bool CListHostDlg::InFront(tavren::ScriptedUser& u)
{
    const tavren::Snapshot s = u.Look();
    return s.Front() && s.Front()->hWnd == m_hShown;
}

tavren::WindowInfo CListHostDlg::AnswerBox(tavren::ScriptedUser& u, std::u16string_view strCaption, std::optional<std::u16string_view> strText,
                                           int nButton)
{
    const tavren::WindowInfo box = u.ExpectMessageBox(strCaption, strText);
    u.Answer(nButton);
    u.WaitForWindow(kCaption);
    return box;
}

HANDLE CListHostDlg::ConnectMachine()
{
    AFX_MANAGE_STATE(ListModuleState());
    if (!EnsureMachineLink())
        return 0;
    int32_t nStatus = -1;
    return MachineLink().m_pfnGetConnectedDevice(0, -1, &nStatus);
}

namespace listlook {

const tavren::ControlInfo* Control(const tavren::Snapshot& s, int nId)
{
    const tavren::WindowInfo* w = s.Find(CListHostDlg::kCaption);
    return w ? w->Control(nId) : nullptr;
}

std::vector<std::u16string> Labels(const tavren::Snapshot& s)
{
    std::vector<std::u16string> labels;
    if (const tavren::ControlInfo* c = Control(s, CListHostDlg::IDC_HOST_LIST))
        for (const auto& item : c->items)
            labels.push_back(item.strLabel);
    return labels;
}

std::string Items(const tavren::Snapshot& s)
{
    std::string str;
    if (const tavren::ControlInfo* c = Control(s, CListHostDlg::IDC_HOST_LIST))
        for (const auto& item : c->items)
            str += (str.empty() ? "" : ", ") + tavren::test::Narrow(item.strLabel) + ":" + std::to_string(item.nImage);
    return str;
}

std::string Box(const tavren::Snapshot& s)
{
    const tavren::ControlInfo* c = Control(s, CListHostDlg::IDC_HOST_LOCATION);
    if (!c)
        return "(no box)";
    std::string str;
    for (size_t i = 0; i < c->entries.size(); i++) {
        const auto& e = c->entries[i];
        str += std::string(str.empty() ? "" : ", ") + (static_cast<int>(i) == c->nCurSel ? "*" : "") +
               tavren::test::Narrow(e.strText) + ":" + std::to_string(e.nImage) + ":" + std::to_string(e.nIndent);
    }
    return str;
}

int IndexOf(const tavren::Snapshot& s, std::u16string_view strLabel)
{
    const std::vector<std::u16string> labels = Labels(s);
    for (size_t i = 0; i < labels.size(); i++)
        if (labels[i] == strLabel)
            return static_cast<int>(i);
    return -1;
}

CString Text(UINT nID)
{
    AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
    CString s;
    s.LoadString(nID);
    return s;
}

} // namespace listlook
