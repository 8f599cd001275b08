// ScriptedUser: a person for tests, on a second thread, working only through the seam
// (Automation.h) while the test's own thread runs the dialog's modal loop:
//
//     tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
//         u.WaitForWindow(u"Connection Settings");
//         u.Click(13031);                                  // "Wireless LAN"
//         u.Expect(!u.Control(IDOK).bEnabled, "OK is disabled with an empty list");
//         u.PressEscape();
//     });
//     EXPECT_EQ(dlg.DoModal(), IDCANCEL);
//     EXPECT_TRUE(user.Finish()) << user.Report();
//
// Every step waits at most the step time-out (default 10 s) for what it needs. A step that fails
// (or Expect with false) ends the script and is recorded; the user then closes whatever windows
// are left (close box, Escape, the last button of a box) so the modal loop returns and the test
// fails instead of hanging. Finish waits for the script (with its own time-out) and answers
// whether every step passed; Report says which failed and why.
#pragma once

#include "platform/seam/Automation.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tavren {

class ScriptedUser {
public:
    using Script = std::function<void(ScriptedUser&)>;
    explicit ScriptedUser(Script script, DWORD dwStepTimeout = 10000);
    ~ScriptedUser();
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    // Waits (at most dwTimeout) for the script to end; true when every step passed.
    bool Finish(DWORD dwTimeout = 30000);
    std::string Report() const;

    // ---- steps (call them from the script)
    // Waits for a visible window with this caption in front and makes it the current window.
    const WindowInfo& WaitForWindow(std::u16string_view strCaption);
    // Waits until the current window (or the one with this caption) has gone.
    void WaitForClose();
    void WaitForClose(std::u16string_view strCaption);
    // Waits for a message box with this caption (and, when given, exactly this text); it becomes
    // the current window. Answer(id) presses its button and waits for it to close.
    const WindowInfo& ExpectMessageBox(std::u16string_view strCaption, std::optional<std::u16string_view> strText = std::nullopt);
    void Answer(int nButtonId);
    // Waits for a popup menu in front; it becomes the current window.
    const WindowInfo& WaitForMenu();
    void ChooseMenu(UINT nCommandId);
    void DismissMenu();

    // Acting on the current window's controls (waiting until the control can be used).
    void Click(int nId);
    void PressEnter();
    void PressEscape();
    void Close();
    // Typing into an edit: Type clicks into it unless it has the focus (the caret then goes to the
    // end of the text) and types at the caret, replacing the selection there (a dialog selects an
    // edit's text when it gives it the focus on opening); ReplaceText first selects the whole text,
    // as a person dragging over it, so what is typed replaces it. One WM_CHAR a UTF-16 code unit.
    void Type(int nEditId, std::u16string_view strText);
    void ReplaceText(int nEditId, std::u16string_view strText);
    // A key in a control (VK_BACK, VK_DELETE, VK_HOME, VK_END, VK_LEFT, VK_RIGHT in an edit).
    void PressKeyIn(int nId, WPARAM nVirtualKey, UINT nModifiers = 0); // kKeyShift, kKeyCtrl, kKeyAlt
    void ClickItem(int nListId, int nItem);        // nItem -1: empty space
    void ClickItem(int nListId, int nItem, ListPart part);
    void DoubleClickItem(int nListId, int nItem);
    void RightClickItem(int nListId, int nItem);
    // Renames as a person does: clicks the item (unless it is the focused, selected one already),
    // clicks its label again, waits for the editor, types the text and presses Enter (or Escape
    // when !bCommit).
    void EditLabel(int nListId, int nItem, std::u16string_view strText, bool bCommit = true);
    void ChooseCombo(int nComboId, int nIndex);

    // ---- looking
    Snapshot Look();
    ControlInfo Control(int nId);
    // Waits until pred holds on a fresh snapshot.
    Snapshot WaitUntil(const std::function<bool(const Snapshot&)>& pred, const std::string& strWhat);
    // Records a failure (and ends the script) when bCondition is false.
    void Expect(bool bCondition, const std::string& strWhat);

    HWND CurrentWindow() const { return m_hCurrent; }

private:
    [[noreturn]] void Fail(const std::string& strWhy);
    // Runs act; when it fails, the script ends with strWhat and act's reason. bRetry: act again
    // while another window is in front (up to the step time), as a person waits for a passing box.
    void Act(const std::string& strWhat, const std::function<bool(std::string*)>& act, bool bRetry = false);
    // Act on control nId once it is usable (strWhat gets the id).
    void ActOn(int nId, const std::string& strWhat, const std::function<bool(HWND, std::string*)>& act, bool bRetry = false);
    // Waits for a window in front that pred accepts and makes it the current window.
    WindowInfo WaitForFront(const std::function<bool(const WindowInfo&)>& pred, const std::string& strWhat);
    HWND ControlHandle(int nId);

    DWORD m_dwStepTimeout;
    HWND m_hCurrent = 0;
    std::thread m_thread;
    std::atomic<bool> m_bDone{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_failures;
};

} // namespace tavren
