#include "tests/support/Watchdog.h"

#include "platform/kernel/Handle.h"
#include "platform/seam/Automation.h"
#include "platform/user/WindowManager.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace tavren::test {

namespace {

// One line a visible top-level window, oldest first: kind, caption and, for a message box, its
// text; the front window is marked. Windows whose thread does not answer are counted.
std::string DescribeOpenWindows()
{
    const size_t nAll = TopLevelWindows().size();
    Snapshot snap = TakeSnapshot(1000);
    const WindowInfo* pFront = snap.Front();
    std::string out = nAll == 0 ? "  (no windows)\n" : "";
    for (const WindowInfo& w : snap.windows) {
        using K = WindowInfo::Kind;
        out += std::string("  ") + (w.kind == K::Dialog ? "dialog" : w.kind == K::MessageBox ? "message box" : w.kind == K::Menu ? "menu" : "window") +
               " \"" + Narrow(w.strCaption) + "\"" + (w.kind == K::MessageBox ? ": \"" + Narrow(w.strText) + "\"" : "") +
               (pFront && pFront->hWnd == w.hWnd ? "  <- in front\n" : "\n");
    }
    if (nAll > snap.windows.size())
        out += "  and " + std::to_string(nAll - snap.windows.size()) + " hidden or whose thread does not answer\n";
    return out;
}

} // namespace

bool CloseLeftoverWindows(DWORD dwTimeout)
{
    Deadline deadline(dwTimeout);
    HWND hLast = 0;
    int nTries = 0;
    while (!deadline.Passed()) {
        // The window a person would deal with first: the one that takes input, else the newest.
        Snapshot snap = TakeSnapshot(1000);
        const WindowInfo* pFront = snap.Front() ? snap.Front() : snap.windows.empty() ? nullptr : &snap.windows.back();
        if (!pFront)
            return true;
        const HWND h = pFront->hWnd;
        nTries = h == hLast ? nTries + 1 : 0;
        hLast = h;
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

Watchdog::Watchdog(DWORD dwTimeout, DWORD dwGrace)
{
    const ::testing::TestInfo* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string strTest = pInfo ? std::string(pInfo->test_suite_name()) + "." + pInfo->name() : "(outside a test)";
    m_thread = std::thread([this, dwTimeout, dwGrace, strTest] {
        // Waits until the guarded scope ends or dwTimeout passes; true when it ended.
        auto ended = [this](DWORD dwTime) {
            std::unique_lock<std::mutex> lock(m_mutex);
            return m_cv.wait_for(lock, std::chrono::milliseconds(dwTime), [this] { return m_bEnded; });
        };
        if (ended(dwTimeout))
            return;
        ADD_FAILURE() << "watchdog: " << strTest << " still running after " << dwTimeout << " ms; open windows:\n"
                      << DescribeOpenWindows();
        CloseLeftoverWindows(dwGrace / 2);
        if (ended(dwGrace))
            return;
        // Straight to stderr: the abort below ends the program before a test failure is printed.
        std::fprintf(stderr, "watchdog: %s is still stuck with these windows:\n%saborting\n", strTest.c_str(),
                     DescribeOpenWindows().c_str());
        std::fflush(stderr);
        std::unique_lock<std::mutex> lock(m_mutex);
        const std::function<void()> lastWords = m_lastWords;
        lock.unlock();
        if (lastWords)
            lastWords();
        std::abort();
    });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bEnded = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void Watchdog::SetLastWords(std::function<void()> lastWords)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastWords = std::move(lastWords);
}

} // namespace tavren::test
