// A window's fields belong to the thread that created it: other threads hand the window over
// (SendMessage, RunOnWindowThread), and debug builds stop a thread that reaches in directly.
#include "WindowTestSupport.h"

#include "platform/kernel/WinThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {

HWND MakeEdit(const char16_t* pszText)
{
    return tavren::CreateControl(0, u"Edit", 7, pszText, WS_VISIBLE, 0, RECT{0, 0, 80, 20}, 0);
}

TEST(WindowOwnerThread, OtherThreadsHandTheWindowOver)
{
    HWND hEdit = MakeEdit(u"Peony");
    std::atomic<bool> bDone{false};
    std::u16string strRead;
    BOOL bEnabledAfter = TRUE;
    LONG lStyle = 0;
    RECT rc{};
    DWORD dwOwner = 0;
    std::thread other([&] {
        char16_t buf[32] = {};
        GetWindowTextW(hEdit, buf, 32); // WM_GETTEXT, handled on the owner thread
        strRead = buf;
        dwOwner = GetWindowThreadProcessId(hEdit, nullptr);
        EnableWindow(hEdit, FALSE);
        bEnabledAfter = IsWindowEnabled(hEdit);
        lStyle = GetWindowLongW(hEdit, GWL_STYLE);
        GetWindowRect(hEdit, &rc);
        PostMessageW(hEdit, WM_NULL, 0, 0);
        bDone = true;
    });
    EXPECT_TRUE(wintest::PumpUntil([&] { return bDone.load(); }));
    other.join();
    EXPECT_EQ(strRead, u"Peony");
    EXPECT_EQ(dwOwner, GetCurrentThreadId());
    EXPECT_FALSE(bEnabledAfter);
    EXPECT_TRUE(lStyle & WS_DISABLED);
    EXPECT_EQ(rc.right - rc.left, 80);
    DestroyWindow(hEdit);
}

TEST(WindowOwnerThreadDeathTest, ReadingFieldsFromAnotherThreadAsserts)
{
#ifdef NDEBUG
    GTEST_SKIP() << "the owner check is in debug builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    HWND hEdit = MakeEdit(u"Peony");
    EXPECT_DEATH(
        {
            std::thread other([hEdit] {
                auto p = tavren::GetWindowRecord(hEdit);
                std::fprintf(stderr, "read %zu\n", p ? p->strText.size() : 0);
            });
            other.join();
        },
        "belong to its owner thread");
    DestroyWindow(hEdit);
#endif
}

} // namespace
