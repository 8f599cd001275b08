// A fault armed for the next calls of one operation of the emulated machine.
#pragma once

#include <cstdint>

namespace quorvel {

struct CMachineFault {
    enum Kind { None, Code, PullCable, Delay };
    Kind m_nKind = None;
    int32_t m_nCode = 0;     // Code: the answer instead of doing the operation
    uint32_t m_nDelayMs = 0; // Delay: wait this long, then do the operation
    uint32_t m_nCount = 0;   // calls still to hit
};

} // namespace quorvel
