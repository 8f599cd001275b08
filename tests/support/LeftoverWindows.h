// What is left open when a test goes wrong: a description for the failure message, and closing
// it so that the modal loops behind it return and the test can end.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>

namespace tavren::test {

// One line a visible top-level window, oldest first: kind, caption and, for a message box, its
// text; the front window is marked. Windows whose thread does not answer are counted.
std::string DescribeOpenWindows();

// Closes the windows left open, front first: a menu is dismissed, a message box answered with its
// last button, anything else gets its close box; a dialog that stays open after that is ended
// with -99. True when none is left within dwTimeout.
bool CloseLeftoverWindows(DWORD dwTimeout);

} // namespace tavren::test
