// One request to the machine and its answer, as the library's operations make them.
#pragma once

#include "machine/WireProtocol.h"
#include "machine/WireWriter.h"

#include <cstdint>
#include <vector>

namespace quorvel {

class CQuorvelLink {
public:
    // The request header for op; the caller appends the operation's fields.
    static CWireWriter Request(Op op, uint32_t generation);
    // Sends the request and reads the answer. Returns the answer's result code, or 6 when no
    // machine answers or the connection breaks, 3 when the answer does not come in time, 7 when
    // it is malformed. *answer holds the fields after the result code.
    static int32_t Exchange(const CWireWriter& request, std::vector<uint8_t>* answer);
    // $QUORVEL_TIMEOUT_MS, default 5000: the longest wait for the machine's next bytes.
    static int TimeoutMs();
};

} // namespace quorvel
