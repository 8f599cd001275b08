// A device handle of the machine link: the machine as it was when GetConnectedDevice found it.
// Every call carries the plug generation, so a handle from before the cable was pulled stays dead
// after the machine comes back, as a Windows device handle would. Calls open their own
// connection, so the object holds no socket and any thread may use it at any time.
#pragma once

#include "platform/kernel/Handle.h"

#include <cstdint>

namespace quorvel {

class CQuorvelDevice : public tavren::HandleObject {
public:
    explicit CQuorvelDevice(uint32_t generation) : m_nGeneration(generation) {}
    const uint32_t m_nGeneration;
};

} // namespace quorvel
