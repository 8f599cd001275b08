#include "tests/support/LeftoverWindows.h"

#include "platform/kernel/Handle.h"
#include "platform/seam/Automation.h"
#include "platform/user/WindowManager.h"
#include "tests/support/TestFiles.h"

#include <chrono>
#include <thread>

namespace tavren::test {

namespace {

using tavren::test::Narrow;

const char* KindName(WindowInfo::Kind kind)
{
    switch (kind) {
    case WindowInfo::Kind::Dialog: return "dialog";
    case WindowInfo::Kind::MessageBox: return "message box";
    case WindowInfo::Kind::Menu: return "menu";
    default: return "window";
    }
}

// The window a person would deal with first: the one that takes input, else the newest.
const WindowInfo* Frontmost(const Snapshot& snap)
{
    if (const WindowInfo* p = snap.Front())
        return p;
    return snap.windows.empty() ? nullptr : &snap.windows.back();
}

} // namespace

std::string DescribeOpenWindows()
{
    const size_t nAll = TopLevelWindows().size();
    Snapshot snap = TakeSnapshot(1000);
    if (nAll == 0)
        return "  (no windows)\n";
    const WindowInfo* pFront = snap.Front();
    std::string out;
    for (const WindowInfo& w : snap.windows) {
        out += std::string("  ") + KindName(w.kind) + " \"" + Narrow(w.strCaption) + "\"";
        if (w.kind == WindowInfo::Kind::MessageBox)
            out += ": \"" + Narrow(w.strText) + "\"";
        if (pFront && pFront->hWnd == w.hWnd)
            out += "  <- in front";
        out += "\n";
    }
    if (nAll > snap.windows.size())
        out += "  and " + std::to_string(nAll - snap.windows.size()) + " hidden or whose thread does not answer\n";
    return out;
}

bool CloseLeftoverWindows(DWORD dwTimeout)
{
    Deadline deadline(dwTimeout);
    HWND hLast = 0;
    int nTries = 0;
    while (!deadline.Passed()) {
        Snapshot snap = TakeSnapshot(1000);
        const WindowInfo* pFront = Frontmost(snap);
        if (!pFront)
            return true;
        nTries = pFront->hWnd == hLast ? nTries + 1 : 0;
        hLast = pFront->hWnd;
        const HWND h = pFront->hWnd;
        if (pFront->kind == WindowInfo::Kind::Menu)
            ChooseMenuItem(h, 0);
        else if (pFront->kind == WindowInfo::Kind::MessageBox && !pFront->buttons.empty())
            ClickButton(pFront->Control(pFront->buttons.back())->hWnd);
        else if (pFront->kind == WindowInfo::Kind::Dialog && nTries >= 3)
            // Its close box does nothing (a progress dialog ignores it): end its loop outright.
            RunOnWindowThread(h, [h] { EndDialog(h, -99); }, 1000);
        else
            CloseWindow(h);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return TakeSnapshot(1000).windows.empty();
}

} // namespace tavren::test
