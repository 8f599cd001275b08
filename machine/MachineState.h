// The emulated machine's state that a tester sets: the cable, whether the machine is supported,
// its status bytes, its flash drives, the room on each storage, armed faults and a broken listing.
// Commands come from the quorvel-machine command line and from `quorvel-machine ctl`; Apply
// parses one command (its words) so that both take the same grammar.
#pragma once

#include "machine/MachineFault.h"
#include "machine/WireProtocol.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quorvel {

enum class ListingFault { None, CountPastEnd, ZeroLength, OversizedLength, NegativeCount };

class CMachineState {
public:
    CMachineState();

    // Applies one command; false with *error set when the words are not a command.
    bool Apply(const std::vector<std::string>& words, std::string* error);
    // A readable summary, one setting a line.
    std::string Describe() const;
    // The fault armed for the next call of op (its count taken), or a fault of kind None.
    CMachineFault TakeFault(Op op);
    ListingFault TakeListingFault();

    bool m_bPlugged = true;
    uint32_t m_nGeneration = 1; // changes whenever the cable is plugged in again
    bool m_bSupported = true;
    std::array<uint8_t, 256> m_status{};
    std::array<bool, 4> m_bDrivePresent{}; // by storage number 1..3
    std::array<int64_t, 4> m_nCapacity{};  // bytes per storage, -1 without limit
    std::map<Op, CMachineFault> m_faults;
    ListingFault m_nListingFault = ListingFault::None;

    static const char* const kUsage;
};

} // namespace quorvel
