#include "tests/support/Watchdog.h"

#include "tests/support/LeftoverWindows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace tavren::test {

Watchdog::Watchdog(DWORD dwTimeout, DWORD dwGrace)
{
    const ::testing::TestInfo* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    m_strTest = pInfo ? std::string(pInfo->test_suite_name()) + "." + pInfo->name() : "(outside a test)";
    m_thread = std::thread([this, dwTimeout, dwGrace] { Watch(dwTimeout, dwGrace); });
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

bool Watchdog::WaitForEnd(DWORD dwTimeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(dwTimeout), [this] { return m_bEnded; });
}

void Watchdog::Watch(DWORD dwTimeout, DWORD dwGrace)
{
    if (WaitForEnd(dwTimeout))
        return;
    m_bFired = true;
    const std::string strWindows = DescribeOpenWindows();
    std::fprintf(stderr, "watchdog: %s still running after %u ms; open windows:\n%s", m_strTest.c_str(),
                 static_cast<unsigned>(dwTimeout), strWindows.c_str());
    std::fflush(stderr);
    ADD_FAILURE() << "watchdog: " << m_strTest << " still running after " << dwTimeout << " ms; open windows:\n"
                  << strWindows;
    CloseLeftoverWindows(dwGrace / 2);
    if (WaitForEnd(dwGrace))
        return;
    std::fprintf(stderr, "watchdog: %s is still stuck with these windows:\n%s; aborting\n", m_strTest.c_str(),
                 DescribeOpenWindows().c_str());
    std::fflush(stderr);
    std::function<void()> lastWords;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        lastWords = m_lastWords;
    }
    if (lastWords)
        lastWords();
    std::abort();
}

} // namespace tavren::test
