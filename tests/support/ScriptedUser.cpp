#include "tests/support/ScriptedUser.h"

#include "tests/support/LeftoverWindows.h"

#include "platform/base/CodePage.h"
#include "platform/user/Dbt.h"
#include "platform/kernel/Handle.h"
#include "tests/support/TestFiles.h"

#include <chrono>
#include <sstream>

namespace tavren {

namespace {

using tavren::test::Narrow;
struct ScriptAborted {};

bool IsFront(const Snapshot& snap, HWND hWnd)
{
    const WindowInfo* pFront = snap.Front();
    return pFront && pFront->hWnd == hWnd;
}
} // namespace

ScriptedUser::ScriptedUser(Script script, DWORD dwStepTimeout) : m_dwStepTimeout(dwStepTimeout)
{
    m_thread = std::thread([this, script = std::move(script)] { Run(script); });
}

ScriptedUser::~ScriptedUser()
{
    if (m_thread.joinable())
        m_thread.join();
}

void ScriptedUser::Run(Script script)
{
    try {
        script(*this);
    } catch (const ScriptAborted&) {
        CloseEverything();
    } catch (const std::exception& e) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_failures.push_back(std::string("the script threw: ") + e.what());
        }
        CloseEverything();
    }
    m_bDone = true;
}

bool ScriptedUser::Finish(DWORD dwTimeout)
{
    Deadline deadline(dwTimeout);
    while (!m_bDone && !deadline.Passed())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!m_bDone) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failures.push_back("the script did not end in time");
        return false;
    }
    m_thread.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failures.empty();
}

std::string ScriptedUser::Report() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::ostringstream out;
    for (const std::string& s : m_failures)
        out << s << "\n";
    return out.str();
}

void ScriptedUser::Fail(const std::string& strWhy)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failures.push_back(strWhy);
    }
    throw ScriptAborted{};
}

void ScriptedUser::Expect(bool bCondition, const std::string& strWhat)
{
    if (!bCondition)
        Fail("expectation failed: " + strWhat);
}

// After a failure: close what is open, front first, so the program's modal loops end.
void ScriptedUser::CloseEverything()
{
    test::CloseLeftoverWindows(m_dwStepTimeout);
}

Snapshot ScriptedUser::Look()
{
    return TakeSnapshot(m_dwStepTimeout);
}

Snapshot ScriptedUser::WaitUntil(const std::function<bool(const Snapshot&)>& pred, const std::string& strWhat)
{
    auto snap = WaitFor(pred, m_dwStepTimeout);
    if (!snap) {
        Snapshot now = TakeSnapshot(1000);
        std::string strSeen;
        for (const WindowInfo& w : now.windows)
            strSeen += " \"" + Narrow(w.strCaption) + "\"";
        Fail("timed out waiting for " + strWhat + " (windows:" + strSeen + ")");
    }
    return *snap;
}

WindowInfo ScriptedUser::Current()
{
    Snapshot snap = Look();
    if (const WindowInfo* p = snap.Find(m_hCurrent))
        return *p;
    Fail("the current window has gone");
}

ControlInfo ScriptedUser::Control(int nId)
{
    WindowInfo w = Current();
    if (const ControlInfo* p = w.Control(nId))
        return *p;
    Fail("the window \"" + Narrow(w.strCaption) + "\" has no control " + std::to_string(nId));
}

const WindowInfo& ScriptedUser::WaitForWindow(std::u16string_view strCaption)
{
    static thread_local WindowInfo s_info;
    std::u16string caption(strCaption);
    Snapshot snap = WaitUntil(
        [&](const Snapshot& s) {
            const WindowInfo* p = s.Find(caption);
            return p && IsFront(s, p->hWnd);
        },
        "window \"" + Narrow(strCaption) + "\" in front");
    s_info = *snap.Find(caption);
    m_hCurrent = s_info.hWnd;
    return s_info;
}

void ScriptedUser::WaitForClose()
{
    HWND h = m_hCurrent;
    WaitUntil([h](const Snapshot& s) { return s.Find(h) == nullptr; }, "the current window to close");
}

void ScriptedUser::WaitForClose(std::u16string_view strCaption)
{
    std::u16string caption(strCaption);
    WaitUntil([&](const Snapshot& s) { return s.Find(caption) == nullptr; }, "\"" + Narrow(strCaption) + "\" to close");
}

const WindowInfo& ScriptedUser::ExpectMessageBox(std::u16string_view strCaption, std::optional<std::u16string_view> strText)
{
    static thread_local WindowInfo s_info;
    std::u16string caption(strCaption);
    Snapshot snap = WaitUntil(
        [&](const Snapshot& s) {
            const WindowInfo* p = s.Front();
            return p && p->kind == WindowInfo::Kind::MessageBox;
        },
        "message box \"" + Narrow(strCaption) + "\"");
    s_info = *snap.Front();
    m_hCurrent = s_info.hWnd;
    if (s_info.strCaption != caption)
        Fail("expected message box \"" + Narrow(strCaption) + "\", saw \"" + Narrow(s_info.strCaption) + "\": " + Narrow(s_info.strText));
    if (strText && s_info.strText != *strText)
        Fail("message box \"" + Narrow(strCaption) + "\" says \"" + Narrow(s_info.strText) + "\", expected \"" + Narrow(*strText) + "\"");
    return s_info;
}

void ScriptedUser::Answer(int nButtonId)
{
    HWND hBox = m_hCurrent;
    std::string strError;
    if (!ClickButton(ControlHandle(nButtonId), &strError))
        Fail("answering with " + std::to_string(nButtonId) + ": " + strError);
    WaitUntil([hBox](const Snapshot& s) { return s.Find(hBox) == nullptr; }, "the message box to close");
}

const WindowInfo& ScriptedUser::WaitForMenu()
{
    static thread_local WindowInfo s_info;
    Snapshot snap = WaitUntil(
        [](const Snapshot& s) {
            const WindowInfo* p = s.Front();
            return p && p->kind == WindowInfo::Kind::Menu;
        },
        "a popup menu");
    s_info = *snap.Front();
    m_hCurrent = s_info.hWnd;
    return s_info;
}

void ScriptedUser::ChooseMenu(UINT nCommandId)
{
    HWND hMenu = WaitForMenu().hWnd;
    std::string strError;
    if (!ChooseMenuItem(hMenu, nCommandId, &strError))
        Fail("choosing menu command " + std::to_string(nCommandId) + ": " + strError);
    WaitUntil([hMenu](const Snapshot& s) { return s.Find(hMenu) == nullptr; }, "the menu to close");
}

void ScriptedUser::DismissMenu()
{
    ChooseMenu(0);
}

// Waits until the control exists and a person could use it (visible, enabled, window in front).
HWND ScriptedUser::ControlHandle(int nId)
{
    HWND hWnd = m_hCurrent;
    Snapshot snap = WaitUntil(
        [&](const Snapshot& s) {
            const WindowInfo* w = s.Find(hWnd);
            const ControlInfo* c = w ? w->Control(nId) : nullptr;
            return c && c->bVisible && c->bEnabled && w->bEnabled && IsFront(s, hWnd);
        },
        "control " + std::to_string(nId) + " to be usable");
    return snap.Find(hWnd)->Control(nId)->hWnd;
}

bool ScriptedUser::ActWhenReachable(const std::function<bool(std::string*)>& act, std::string& strError)
{
    // A person waits for a progress dialog that has just come up in front to go away before
    // clicking on the window behind it; a box that stays up still fails the step in the end.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_dwStepTimeout);
    for (;;) {
        strError.clear();
        if (act(&strError))
            return true;
        if (strError.find("another window is in front") == std::string::npos ||
            std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ScriptedUser::Click(int nId)
{
    std::string strError;
    const HWND hButton = ControlHandle(nId);
    if (!ActWhenReachable([&](std::string* p) { return ClickButton(hButton, p); }, strError))
        Fail("clicking " + std::to_string(nId) + ": " + strError);
}

void ScriptedUser::PressEnter()
{
    std::string strError;
    if (!PressKey(m_hCurrent, VK_RETURN, &strError))
        Fail("pressing Enter: " + strError);
}

void ScriptedUser::PressEscape()
{
    std::string strError;
    if (!PressKey(m_hCurrent, VK_ESCAPE, &strError))
        Fail("pressing Escape: " + strError);
}

void ScriptedUser::PressTab()
{
    std::string strError;
    if (!PressKey(m_hCurrent, VK_TAB, &strError))
        Fail("pressing Tab: " + strError);
}

void ScriptedUser::PressShiftTab()
{
    std::string strError;
    if (!PressKeyWithShift(m_hCurrent, VK_TAB, &strError))
        Fail("pressing Shift+Tab: " + strError);
}

void ScriptedUser::Close()
{
    std::string strError;
    if (!CloseWindow(m_hCurrent, &strError))
        Fail("closing the window: " + strError);
}

void ScriptedUser::Type(int nEditId, std::u16string_view strText)
{
    std::string strError;
    if (!TypeText(ControlHandle(nEditId), strText, &strError))
        Fail("typing into " + std::to_string(nEditId) + ": " + strError);
}

void ScriptedUser::ReplaceText(int nEditId, std::u16string_view strText)
{
    std::string strError;
    if (!tavren::ReplaceText(ControlHandle(nEditId), strText, &strError))
        Fail("replacing the text of " + std::to_string(nEditId) + ": " + strError);
}

void ScriptedUser::PressKeyIn(int nId, WPARAM nVirtualKey, UINT nModifiers)
{
    std::string strError;
    if (!tavren::PressKeyIn(ControlHandle(nId), nVirtualKey, nModifiers, &strError))
        Fail("pressing key " + std::to_string(nVirtualKey) + " in " + std::to_string(nId) + ": " + strError);
}

void ScriptedUser::ScrollBar(int nId, int nCode, int nPos, int nBar)
{
    std::string strError;
    if (!tavren::ScrollBar(ControlHandle(nId), nCode, nPos, &strError, nBar))
        Fail("scrolling " + std::to_string(nId) + ": " + strError);
}

void ScriptedUser::TurnWheel(int nId, int nDelta)
{
    std::string strError;
    if (!tavren::TurnWheel(ControlHandle(nId), nDelta, &strError))
        Fail("turning the wheel over " + std::to_string(nId) + ": " + strError);
}

void ScriptedUser::ClickItem(int nListId, int nItem)
{
    std::string strError;
    const HWND hList = ControlHandle(nListId);
    if (!ActWhenReachable([&](std::string* p) { return ClickListItem(hList, nItem, MouseAction::Click, p); }, strError))
        Fail("clicking item " + std::to_string(nItem) + ": " + strError);
}

void ScriptedUser::ClickItem(int nListId, int nItem, ListPart part)
{
    std::string strError;
    if (!ClickListItem(ControlHandle(nListId), nItem, MouseAction::Click, part, &strError))
        Fail("clicking item " + std::to_string(nItem) + ": " + strError);
}

void ScriptedUser::DoubleClickItem(int nListId, int nItem)
{
    std::string strError;
    const HWND hList = ControlHandle(nListId);
    if (!ActWhenReachable([&](std::string* p) { return ClickListItem(hList, nItem, MouseAction::DoubleClick, p); }, strError))
        Fail("double-clicking item " + std::to_string(nItem) + ": " + strError);
}

void ScriptedUser::RightClickItem(int nListId, int nItem)
{
    std::string strError;
    const HWND hList = ControlHandle(nListId);
    if (!ActWhenReachable([&](std::string* p) { return ClickListItem(hList, nItem, MouseAction::RightClick, p); }, strError))
        Fail("right-clicking item " + std::to_string(nItem) + ": " + strError);
}

void ScriptedUser::EditLabel(int nListId, int nItem, std::u16string_view strText, bool bCommit)
{
    HWND hList = ControlHandle(nListId);
    HWND hWnd = m_hCurrent;
    auto item = [&](const Snapshot& s) -> const ListItemInfo* {
        const WindowInfo* w = s.Find(hWnd);
        const ControlInfo* c = w ? w->ControlByHandle(hList) : nullptr;
        return c && nItem >= 0 && nItem < static_cast<int>(c->items.size()) ? &c->items[static_cast<size_t>(nItem)] : nullptr;
    };
    std::string strError;
    // One click selects the item, unless it already is the focused, selected one.
    Snapshot now = Look();
    const ListItemInfo* pNow = item(now);
    if (!pNow || !pNow->bSelected || !pNow->bFocused) {
        if (!ClickListItem(hList, nItem, MouseAction::Click, ListPart::Label, &strError))
            Fail("clicking item " + std::to_string(nItem) + ": " + strError);
    }
    WaitUntil(
        [&](const Snapshot& s) {
            const ListItemInfo* p = item(s);
            return p && p->bSelected && p->bFocused;
        },
        "item " + std::to_string(nItem) + " to be selected");
    if (!ClickListItem(hList, nItem, MouseAction::Click, ListPart::Label, &strError))
        Fail("clicking the label of item " + std::to_string(nItem) + ": " + strError);
    Snapshot snap = WaitUntil(
        [&](const Snapshot& s) {
            const WindowInfo* w = s.Find(hWnd);
            const ControlInfo* c = w ? w->ControlByHandle(hList) : nullptr;
            return c && c->hEdit != 0;
        },
        "the label editor");
    HWND hEdit = snap.Find(hWnd)->ControlByHandle(hList)->hEdit;
    if (!TypeText(hEdit, strText, &strError))
        Fail("typing the label: " + strError);
    if (!PressKey(hWnd, bCommit ? VK_RETURN : VK_ESCAPE, &strError))
        Fail("ending the label edit: " + strError);
    WaitUntil(
        [&](const Snapshot& s) {
            const WindowInfo* w = s.Find(hWnd);
            const ControlInfo* c = w ? w->ControlByHandle(hList) : nullptr;
            return !c || c->hEdit == 0;
        },
        "the label editor to close");
}

void ScriptedUser::ChooseCombo(int nComboId, int nIndex)
{
    std::string strError;
    if (!ChooseComboEntry(ControlHandle(nComboId), nIndex, &strError))
        Fail("choosing entry " + std::to_string(nIndex) + ": " + strError);
}

void ScriptedUser::BroadcastDeviceChange(UINT nEvent, const DEV_BROADCAST_HDR* pHeader)
{
    tavren::BroadcastDeviceChange(nEvent, pHeader);
}

} // namespace tavren
