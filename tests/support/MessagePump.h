// Handling the calling thread's messages while a test waits for something they bring about.
#pragma once

#include "platform/base/WinTypes.h"

#include <functional>

namespace tavren::test {

// Dispatches the calling thread's messages until pred holds; false when dwTimeout passed first.
bool PumpMessagesUntil(const std::function<bool()>& pred, DWORD dwTimeout = 10000);

} // namespace tavren::test
