// A person who watches the screen while the host makes calls that must show nothing: any window
// that shows is a failure (and is closed, so that the call returns).
#pragma once

#include "tests/dialogs/WriteDesignFixture.h"

namespace wdtest {

class NothingShows {
public:
    NothingShows()
        : m_user(
              [this](ScriptedUser& u) {
                  const Snapshot s =
                      u.WaitUntil([this](const Snapshot& snap) { return m_bDone.load() || !snap.windows.empty(); },
                                  "the host's calls to end");
                  u.Expect(s.windows.empty(),
                           "no window shows (saw \"" + (s.windows.empty() ? "" : Narrow(s.windows[0].strCaption)) + "\")");
              },
              60000)
    {
    }
    bool Finish()
    {
        m_bDone = true;
        return m_user.Finish();
    }
    std::string Report() const { return m_user.Report(); }

private:
    std::atomic<bool> m_bDone{false};
    ScriptedUser m_user;
};

} // namespace wdtest
