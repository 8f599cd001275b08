// The one watchdog of the tests: put one around anything that runs a modal loop or waits.
//
//     tavren::test::Watchdog watchdog;          // 60 s, or Watchdog(120000)
//
// When the time is up it reports the test as failed, prints which test it was and what windows
// are open, and closes them front first so that the modal loops end and the test can finish. If
// the test is still stuck after that (a deadlock with no window to close), it aborts the program,
// so that ctest reports a failure instead of waiting for its own time-out.
#pragma once

#include "platform/base/WinTypes.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tavren::test {

class Watchdog {
public:
    // dwGrace: how long the test gets to end once its windows are closed.
    explicit Watchdog(DWORD dwTimeout = 60000, DWORD dwGrace = 15000);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Runs before the program is aborted (e.g. ends a machine process that would outlive it).
    void SetLastWords(std::function<void()> lastWords);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bEnded = false;
    std::function<void()> m_lastWords;
    std::thread m_thread;
};

// Closes the windows left open, front first: a menu is dismissed, a message box answered with its
// last button, anything else gets its close box; a dialog that stays open after that is ended
// with -99. True when none is left within dwTimeout.
bool CloseLeftoverWindows(DWORD dwTimeout);

} // namespace tavren::test
