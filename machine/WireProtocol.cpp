#include "machine/WireProtocol.h"

#include <strings.h>

namespace quorvel {

namespace {
constexpr const char* kNames[] = {
    nullptr,        "GetConnectedDevice", "GetMachineType", "GetStatus", "SetStatus",    "UploadList",
    "DownloadFile", "UploadFile",         "EraseFile",      "DeleteFolder", "SelectFile", "RenameFile",
    "RenameFolder", "CreateFolder",       "UploadDesign",   "Subscribe",  "Control",
};
}

const char* OpName(Op op)
{
    auto n = static_cast<uint16_t>(op);
    return (n >= kFirstOp && n <= kLastOp) ? kNames[n] : nullptr;
}

bool OpFromName(const char* name, Op* op)
{
    for (uint16_t n = kFirstOp; n <= kLastOp; ++n) {
        if (strcasecmp(name, kNames[n]) == 0) {
            *op = static_cast<Op>(n);
            return true;
        }
    }
    return false;
}

} // namespace quorvel
