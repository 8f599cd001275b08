#include "tests/support/ScriptedUser.h"

#include "platform/kernel/Handle.h"
#include "tests/support/Watchdog.h"
#include "tests/support/TestFiles.h"

#include <chrono>

namespace tavren {

namespace {

using tavren::test::Narrow;
struct ScriptAborted {};

std::string Id(int n) { return std::to_string(n); }

} // namespace

ScriptedUser::ScriptedUser(Script script, DWORD dwStepTimeout) : m_dwStepTimeout(dwStepTimeout)
{
    m_thread = std::thread([this, script = std::move(script)] {
        bool bFailed = true;
        try {
            script(*this);
            bFailed = false;
        } catch (const std::exception& e) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_failures.push_back(std::string("the script threw: ") + e.what());
        } catch (const ScriptAborted&) {
        }
        // After a failure: close what is open, front first, so the program's modal loops end.
        if (bFailed)
            test::CloseLeftoverWindows(m_dwStepTimeout);
        m_bDone = true;
    });
}

ScriptedUser::~ScriptedUser()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool ScriptedUser::Finish(DWORD dwTimeout)
{
    Deadline deadline(dwTimeout);
    while (!m_bDone && !deadline.Passed())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool bDone = m_bDone;
    if (bDone)
        m_thread.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!bDone)
        m_failures.push_back("the script did not end in time");
    return bDone && m_failures.empty();
}

std::string ScriptedUser::Report() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string out;
    for (const std::string& s : m_failures)
        out += s + "\n";
    return out;
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

void ScriptedUser::Act(const std::string& strWhat, const std::function<bool(std::string*)>& act, bool bRetry)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_dwStepTimeout);
    std::string strError;
    while (!act(&strError)) {
        if (!bRetry || strError.find("another window is in front") == std::string::npos ||
            std::chrono::steady_clock::now() >= deadline)
            Fail(strWhat + ": " + strError);
        strError.clear();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

Snapshot ScriptedUser::Look() { return TakeSnapshot(m_dwStepTimeout); }

Snapshot ScriptedUser::WaitUntil(const std::function<bool(const Snapshot&)>& pred, const std::string& strWhat)
{
    auto snap = WaitFor(pred, m_dwStepTimeout);
    if (!snap) {
        std::string strSeen;
        for (const WindowInfo& w : TakeSnapshot(1000).windows)
            strSeen += " \"" + Narrow(w.strCaption) + "\"";
        Fail("timed out waiting for " + strWhat + " (windows:" + strSeen + ")");
    }
    return *snap;
}

ControlInfo ScriptedUser::Control(int nId)
{
    Snapshot snap = Look();
    const WindowInfo* w = snap.Find(m_hCurrent);
    if (!w)
        Fail("the current window has gone");
    if (const ControlInfo* p = w->Control(nId))
        return *p;
    Fail("the window \"" + Narrow(w->strCaption) + "\" has no control " + Id(nId));
}

WindowInfo ScriptedUser::WaitForFront(const std::function<bool(const WindowInfo&)>& pred, const std::string& strWhat)
{
    Snapshot snap = WaitUntil([&](const Snapshot& s) { return s.Front() && pred(*s.Front()); }, strWhat);
    m_hCurrent = snap.Front()->hWnd;
    return *snap.Front();
}

const WindowInfo& ScriptedUser::WaitForWindow(std::u16string_view strCaption)
{
    static thread_local WindowInfo s_info;
    return s_info = WaitForFront([&](const WindowInfo& w) { return w.strCaption == strCaption; },
                                 "window \"" + Narrow(strCaption) + "\" in front");
}

void ScriptedUser::WaitForClose()
{
    HWND h = m_hCurrent;
    WaitUntil([h](const Snapshot& s) { return s.Find(h) == nullptr; }, "the current window to close");
}

void ScriptedUser::WaitForClose(std::u16string_view strCaption)
{
    WaitUntil([&](const Snapshot& s) { return s.Find(strCaption) == nullptr; }, "\"" + Narrow(strCaption) + "\" to close");
}

const WindowInfo& ScriptedUser::ExpectMessageBox(std::u16string_view strCaption, std::optional<std::u16string_view> strText)
{
    static thread_local WindowInfo s_info;
    s_info = WaitForFront([](const WindowInfo& w) { return w.kind == WindowInfo::Kind::MessageBox; },
                          "message box \"" + Narrow(strCaption) + "\"");
    if (s_info.strCaption != strCaption)
        Fail("expected message box \"" + Narrow(strCaption) + "\", saw \"" + Narrow(s_info.strCaption) + "\": " + Narrow(s_info.strText));
    if (strText && s_info.strText != *strText)
        Fail("message box \"" + Narrow(strCaption) + "\" says \"" + Narrow(s_info.strText) + "\", expected \"" + Narrow(*strText) + "\"");
    return s_info;
}

void ScriptedUser::Answer(int nButtonId)
{
    const HWND hButton = ControlHandle(nButtonId);
    Act("answering with " + Id(nButtonId), [&](std::string* p) { return ClickButton(hButton, p); });
    WaitForClose();
}

const WindowInfo& ScriptedUser::WaitForMenu()
{
    static thread_local WindowInfo s_info;
    return s_info = WaitForFront([](const WindowInfo& w) { return w.kind == WindowInfo::Kind::Menu; }, "a popup menu");
}

void ScriptedUser::ChooseMenu(UINT nCommandId)
{
    HWND hMenu = WaitForMenu().hWnd;
    Act("choosing menu command " + Id(static_cast<int>(nCommandId)), [&](std::string* p) { return ChooseMenuItem(hMenu, nCommandId, p); });
    WaitForClose();
}

void ScriptedUser::DismissMenu() { ChooseMenu(0); }

// Waits until the control exists and a person could use it (visible, enabled, window in front).
HWND ScriptedUser::ControlHandle(int nId)
{
    HWND hWnd = m_hCurrent;
    Snapshot snap = WaitUntil(
        [&](const Snapshot& s) {
            const WindowInfo* w = s.Find(hWnd);
            const ControlInfo* c = w ? w->Control(nId) : nullptr;
            return c && c->bVisible && c->bEnabled && w->bEnabled && s.Front() == w;
        },
        "control " + Id(nId) + " to be usable");
    return snap.Find(hWnd)->Control(nId)->hWnd;
}

void ScriptedUser::ActOn(int nId, const std::string& strWhat, const std::function<bool(HWND, std::string*)>& act, bool bRetry)
{
    const HWND h = ControlHandle(nId);
    Act(strWhat + " " + Id(nId), [&](std::string* p) { return act(h, p); }, bRetry);
}

void ScriptedUser::Click(int nId) { ActOn(nId, "clicking", [](HWND h, std::string* p) { return ClickButton(h, p); }, true); }
void ScriptedUser::PressEnter() { Act("pressing Enter", [&](std::string* p) { return PressKey(m_hCurrent, VK_RETURN, p); }); }
void ScriptedUser::PressEscape() { Act("pressing Escape", [&](std::string* p) { return PressKey(m_hCurrent, VK_ESCAPE, p); }); }
void ScriptedUser::Close() { Act("closing the window", [&](std::string* p) { return CloseWindow(m_hCurrent, p); }); }

void ScriptedUser::Type(int nEditId, std::u16string_view strText)
{
    ActOn(nEditId, "typing into", [&](HWND h, std::string* p) { return TypeText(h, strText, p); });
}

void ScriptedUser::ReplaceText(int nEditId, std::u16string_view strText)
{
    ActOn(nEditId, "replacing the text of", [&](HWND h, std::string* p) { return tavren::ReplaceText(h, strText, p); });
}

void ScriptedUser::PressKeyIn(int nId, WPARAM nVirtualKey, UINT nModifiers)
{
    ActOn(nId, "pressing key " + std::to_string(nVirtualKey) + " in",
          [&](HWND h, std::string* p) { return tavren::PressKeyIn(h, nVirtualKey, nModifiers, p); });
}

// Clicks of each kind on a list item (-1: empty space), retried while a passing window is in front.
void ScriptedUser::ClickItem(int nListId, int nItem)
{
    ActOn(nListId, "clicking item " + Id(nItem) + " of", [&](HWND h, std::string* p) { return ClickListItem(h, nItem, MouseAction::Click, p); }, true);
}

void ScriptedUser::ClickItem(int nListId, int nItem, ListPart part)
{
    ActOn(nListId, "clicking item " + Id(nItem) + " of", [&](HWND h, std::string* p) { return ClickListItem(h, nItem, MouseAction::Click, part, p); });
}

void ScriptedUser::DoubleClickItem(int nListId, int nItem)
{
    ActOn(nListId, "double-clicking item " + Id(nItem) + " of",
          [&](HWND h, std::string* p) { return ClickListItem(h, nItem, MouseAction::DoubleClick, p); }, true);
}

void ScriptedUser::RightClickItem(int nListId, int nItem)
{
    ActOn(nListId, "right-clicking item " + Id(nItem) + " of",
          [&](HWND h, std::string* p) { return ClickListItem(h, nItem, MouseAction::RightClick, p); }, true);
}

void ScriptedUser::EditLabel(int nListId, int nItem, std::u16string_view strText, bool bCommit)
{
    HWND hList = ControlHandle(nListId);
    HWND hWnd = m_hCurrent;
    auto list = [&](const Snapshot& s) {
        const WindowInfo* w = s.Find(hWnd);
        return w ? w->ControlByHandle(hList) : nullptr;
    };
    auto selected = [&](const Snapshot& s) {
        const ControlInfo* c = list(s);
        const ListItemInfo* p = c && nItem >= 0 && nItem < static_cast<int>(c->items.size()) ? &c->items[static_cast<size_t>(nItem)] : nullptr;
        return p && p->bSelected && p->bFocused;
    };
    auto clickLabel = [&](std::string* p) { return ClickListItem(hList, nItem, MouseAction::Click, ListPart::Label, p); };
    // One click selects the item, unless it already is the focused, selected one.
    if (!selected(Look()))
        Act("clicking item " + Id(nItem), clickLabel);
    WaitUntil(selected, "item " + Id(nItem) + " to be selected");
    Act("clicking the label of item " + Id(nItem), clickLabel);
    Snapshot snap = WaitUntil([&](const Snapshot& s) { return list(s) && list(s)->hEdit != 0; }, "the label editor");
    HWND hEdit = list(snap)->hEdit;
    Act("typing the label", [&](std::string* p) { return TypeText(hEdit, strText, p); });
    Act("ending the label edit", [&](std::string* p) { return PressKey(hWnd, bCommit ? VK_RETURN : VK_ESCAPE, p); });
    WaitUntil([&](const Snapshot& s) { return !list(s) || list(s)->hEdit == 0; }, "the label editor to close");
}

void ScriptedUser::ChooseCombo(int nComboId, int nIndex)
{
    ActOn(nComboId, "choosing entry " + Id(nIndex) + " of", [&](HWND h, std::string* p) { return ChooseComboEntry(h, nIndex, p); });
}

} // namespace tavren
