// CListHostDlg: a small dialog for the list tests, built in code: one list view (icon view,
// label editing, as in the File Manager) subclassed by the folder list under test, one extended
// combo box above it as its location box, and a row of buttons whose clicks go to m_onButton.
// It runs in the module's state (string table, bitmaps), so the list finds its resources.
//
//     CPcListCtrl list;
//     CListHostDlg dlg(list);
//     dlg.m_onInit = [&](CListHostDlg& d) { list.Initialize(&d.m_location, CFolderListCtrl::LIST_DESIGN); };
//     dlg.m_onDoubleClick = [&](int) { list.OpenSelected(); };
//     tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
//         u.WaitForWindow(CListHostDlg::kCaption);
//         u.DoubleClickItem(CListHostDlg::IDC_HOST_LIST, 0);
//         dlg.RunOnUiThread([&] { ... });   // look at the list object itself, on its own thread
//         u.Close();
//     });
//     dlg.DoModal();
#pragma once

#include "lists/FolderListCtrl.h"
#include "platform/afx/ComboBoxEx.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/ModuleState.h"
#include "platform/seam/Automation.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavren {
class ScriptedUser;
}

class CListHostDlg : public CDialog {
public:
    enum {
        IDC_HOST_LIST = 1000,
        IDC_HOST_LOCATION = 1001,
        IDC_HOST_OPEN = 1010,
        IDC_HOST_UP = 1011,
        IDC_HOST_NEW = 1012,
        IDC_HOST_DELETE = 1013,
        IDC_HOST_CHECK_ALL = 1014,
        IDC_HOST_STYLE = 1016,
    };
    static constexpr const char16_t* kCaption = u"List Host";

    explicit CListHostDlg(CFolderListCtrl& list);

    // Runs with the module's state current, as an export would.
    INT_PTR DoModal() override;

    // Shows the dialog while the person's script plays, from the dialog in front (m_hShown) to the
    // person closing it, and expects the script to pass.
    void Play(const std::function<void(tavren::ScriptedUser&)>& script, DWORD dwFinish = 30000);

    // Presses "Style" and waits until the dialog has handled it, and so all the person's input
    // before it (a listing's transfer dialog included); then looks. Tests that use this leave
    // "Style" unbound.
    tavren::Snapshot Settle(tavren::ScriptedUser& u);

    // Runs fn on the dialog's thread and waits for it (from the scripted user's thread): the list
    // object is only ever touched on its own thread.
    bool RunOnUiThread(const std::function<void()>& fn, DWORD dwTimeout = 10000);

    // Once the input is handled (Settle): the list shows strItems (listlook::Items, or without
    // pictures the labels alone, "a, b"), the location
    // box strBox and (strAt given) the list stands at "level location path".
    void ExpectView(tavren::ScriptedUser& u, const std::string& strItems, const std::string& strBox, const std::string& strWhat,
                    const std::string& strAt = "");
    // Waits until the dialog is in front again, its list showing exactly these labels.
    tavren::Snapshot ExpectLabels(tavren::ScriptedUser& u, const std::vector<std::u16string>& labels, const std::string& strWhat);
    // Whether the dialog is in front, no box over it.
    bool InFront(tavren::ScriptedUser& u);
    // Ends the message box the list showed (with this text, when given) by nButton and returns it.
    static tavren::WindowInfo AnswerBox(tavren::ScriptedUser& u, std::u16string_view strCaption,
                                        std::optional<std::u16string_view> strText = std::nullopt, int nButton = IDOK);
    // Wires the list as the File Manager does: a double click opens, "Up" goes up, the location box navigates.
    template <class List> void Navigate(List& list)
    {
        m_onDoubleClick = [&list](int) { list.OpenSelected(); };
        m_onLocationChange = [&list] { list.GoToLocationBoxSelection(); };
        m_onButton = [&list](UINT nId) { if (nId == IDC_HOST_UP) list.UpOneLevel(); };
    }

    // The state of the module that holds the lists (libTavren), for tests that call a list
    // outside the dialog.
    static AFX_MODULE_STATE* ListModuleState();
    // The connected machine's handle, asked of the machine link in the list's module state as
    // the module's dialogs ask for it; 0 when the link cannot be loaded or no machine answers.
    static HANDLE ConnectMachine();

    // Hooks: the end of OnInitDialog (the list's initialisation), a double click on the list,
    // the location box's selection change, and the host's buttons. Enter never ends the dialog;
    // Escape and "Close" do.
    std::function<void(CListHostDlg&)> m_onInit;
    std::function<void(int nItem)> m_onDoubleClick;
    std::function<void()> m_onLocationChange;
    std::function<void(UINT nId)> m_onButton;

    CFolderListCtrl& m_list;
    CComboBoxEx m_location;
    std::atomic<int> m_nPresses{0}; // the host's buttons handled so far
    HWND m_hShown = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    afx_msg void OnListDoubleClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnLocationChange();
    afx_msg void OnHostButton(UINT nId);
    DECLARE_MESSAGE_MAP()

private:
    std::vector<tavren::DialogItemTemplate> m_items;
    tavren::DialogTemplate m_template;
};

// What a person reads off the host dialog in a snapshot: its list and its location box.
namespace listlook {

const tavren::ControlInfo* Control(const tavren::Snapshot& s, int nId);
std::vector<std::u16string> Labels(const tavren::Snapshot& s);
// "label:picture, ..." for each item, in the order shown.
std::string Items(const tavren::Snapshot& s);
// "text:picture:indent, ..." for each location box entry, "*" on the selected one.
std::string Box(const tavren::Snapshot& s);
// The first item with this label, or -1.
int IndexOf(const tavren::Snapshot& s, std::u16string_view strLabel);
// A string of the module's string table.
CString Text(UINT nID);

} // namespace listlook
