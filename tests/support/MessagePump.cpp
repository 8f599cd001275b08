#include "tests/support/MessagePump.h"

#include "platform/kernel/Handle.h"
#include "platform/user/WinUser.h"

namespace tavren::test {

bool PumpMessagesUntil(const std::function<bool()>& pred, DWORD dwTimeout)
{
    Deadline deadline(dwTimeout);
    while (!pred()) {
        if (deadline.Passed())
            return false;
        MSG msg;
        while (PeekMessageW(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(1);
    }
    return true;
}

} // namespace tavren::test
